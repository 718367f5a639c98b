/* A stand-in for the board's driver as the program sees it: the SetupAPI
   device-interface list of one class and the device behind each interface.
   Installed into the test program's import table for the length of one call,
   it answers the SetupAPI calls, the opens of its own device paths, the I/O
   control requests and the closes of its own handles, and records every one of
   them; calls about anything else go on to the real functions. */
#ifndef QUORVEX_BOARD_DEVICE_DOUBLE_H
#define QUORVEX_BOARD_DEVICE_DOUBLE_H

#include <windows.h>
#include <setupapi.h>
#include <string>
#include <vector>

#include "iat_patch.h"

/* What the device list answers for one member index. */
struct BoardSlot {
    bool isInterface;
    DWORD enumError;        /* error of a failing enumeration (isInterface false) */
    bool openFails;         /* CreateFileA on its path fails (already open elsewhere) */
    bool detailFails;       /* the second detail call, with the buffer, fails */
    bool sizeUnknown;       /* the first detail call reports no required size */
};

struct ClassDevsCall {
    GUID interfaceClass;
    bool classGiven;
    bool enumeratorGiven;
    HWND window;
    DWORD flags;
};

struct EnumCall {
    bool knownSet;
    bool deviceInfoGiven;
    GUID interfaceClass;
    bool classGiven;
    DWORD index;
    DWORD cbSize;
    bool answered;          /* returned TRUE */
};

struct DetailCall {
    bool knownSet;
    int slot;               /* -1 when the interface data names no interface of the list */
    bool bufferGiven;
    DWORD bufferSize;
    DWORD cbSize;           /* of the buffer, when given */
    DWORD sizeNeeded;       /* what the size query answers for this interface */
    bool requiredGiven;
    bool deviceInfoGiven;
    bool answered;
};

struct OpenCall {
    int slot;
    DWORD access;
    DWORD share;
    bool securityGiven;
    DWORD disposition;
    DWORD flags;
    bool templateGiven;
    HANDLE handle;          /* INVALID_HANDLE_VALUE when the open was refused */
};

struct IoctlCall {
    int slot;               /* device the handle belongs to */
    bool handleOpen;        /* the handle had not been closed yet */
    DWORD code;
    bool inputGiven;
    DWORD inputSize;
    bool outputGiven;
    DWORD outputSize;
    bool bytesReturnedGiven;
    bool overlappedGiven;
};

struct OpenedDevice {
    int slot;
    HANDLE handle;
    int closes;
};

class BoardDeviceDouble {
public:
    BoardDeviceDouble();
    ~BoardDeviceDouble();
    BoardDeviceDouble(const BoardDeviceDouble &) = delete;
    BoardDeviceDouble &operator=(const BoardDeviceDouble &) = delete;

    /* ---- the list and the device ---- */
    void AddInterface(bool openFails = false);
    void AddInterfaces(int count);
    void AddEnumErrors(int count, DWORD error = ERROR_INVALID_DATA);
    BoardSlot &Slot(int index) { return slots[index]; }

    bool classDevsFails = false;            /* SetupDiGetClassDevsA gives INVALID_HANDLE_VALUE */
    DWORD errorAfterSlots = ERROR_NO_MORE_ITEMS;   /* answer for every index past the slots */
    DWORD hardwareWord = 0;                 /* what the word request answers */
    bool requestFails = false;              /* the word request fails (after scribbling the buffer) */
    static const DWORD scribbleOnFailure = 0xDEAD0001;

    /* Enumeration calls answered before the double gives up with
       ERROR_NO_MORE_ITEMS, so that a caller that never stops still returns. */
    static const size_t runawayLimit = 100000;

    /* ---- what was asked ---- */
    std::vector<ClassDevsCall> classDevsCalls;
    std::vector<EnumCall> enumCalls;
    std::vector<DetailCall> detailCalls;
    std::vector<OpenCall> openCalls;
    std::vector<IoctlCall> ioctlCalls;
    std::vector<OpenedDevice> devices;      /* every handle handed out, in order */
    int destroyCalls = 0;                   /* of the set the double handed out */
    int foreignDestroyCalls = 0;            /* of anything else */
    int callsAfterDestroy = 0;              /* enumeration or detail on a destroyed set */
    int invalidCloses = 0;                  /* CloseHandle(INVALID_HANDLE_VALUE) or of null */
    int closesOfClosedDevices = 0;
    int requestsToClosedDevices = 0;
    bool runaway = false;
    std::vector<std::string> events;        /* "open 0", "close 0", "request 1", "destroy", ... */

    /* Handles still open; closes them (for the test's own clean-up). */
    int OpenDeviceCount() const;
    void CloseLeftovers();

    /* The device path the double gives to slot `slot`. */
    static std::string DevicePath(int slot);

    /* Puts the seven replacements into the import table of the test program;
       false when one of the imports is not there. */
    bool Install(ImportPatch &patch);

    HDEVINFO SetHandle() const { return (HDEVINFO)&setToken; }

private:
    friend struct BoardDeviceHooks;
    std::vector<BoardSlot> slots;
    GUID askedClass;
    bool setHandedOut = false;
    bool setDestroyed = false;
    int setToken = 0;   /* its address is the device information set handle */

    OpenedDevice *FindDevice(HANDLE handle);
};

#endif
