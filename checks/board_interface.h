/* The board's kernel-mode driver as the program reaches it: the SetupAPI
   device-interface list of its class, and its device opened, asked once
   and closed. setupapi.dll is bound when the driver test first runs, so
   that a PC without it still starts the wizard and the test fails with
   "Kernelmode driver open failed". */
#ifndef QUORVEX_BOARD_INTERFACE_H
#define QUORVEX_BOARD_INTERFACE_H

#include <windows.h>
#include <setupapi.h>

struct BoardInterfaceCalls {
    HDEVINFO(WINAPI *getClassDevs)(const GUID *interfaceClass, PCSTR enumerator, HWND window, DWORD flags);
    BOOL(WINAPI *enumInterfaces)(HDEVINFO deviceSet, PSP_DEVINFO_DATA device, const GUID *interfaceClass,
                                 DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData);
    BOOL(WINAPI *getInterfaceDetail)(HDEVINFO deviceSet, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                     PDWORD requiredSize, PSP_DEVINFO_DATA device);
    BOOL(WINAPI *destroyList)(HDEVINFO deviceSet);
    HANDLE(WINAPI *createFile)(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI *deviceIoControl)(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                  DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped);
    BOOL(WINAPI *closeHandle)(HANDLE handle);
};

/* The calls in use; the SetupAPI ones are null until bound. */
extern BoardInterfaceCalls BoardInterface;

/* Binds setupapi.dll on the first call; 1 when all four of its calls are there. */
int BindBoardInterface(void);

#endif
