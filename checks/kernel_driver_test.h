/* The kernel-mode driver page: the board's device interface must open. */
#ifndef QUORVEX_KERNEL_DRIVER_TEST_H
#define QUORVEX_KERNEL_DRIVER_TEST_H

#include <windows.h>
#include <setupapi.h>

#define BOARD_HARDWARE_WORD_REQUEST 0xFFFF2024   /* CTL_CODE(0xFFFF, 0x809, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define BOARD_NTSC_ONLY_BIT         0x80000000u
#define MAX_SKIPPED_INTERFACES      64

extern const GUID boardInterfaceClass0;   /* Vela, Orsa, Kiron */
extern const GUID boardInterfaceClass2;   /* Mirel */

int KernelDriverTest(void);
HANDLE OpenBoardDevice(const GUID *interfaceClass);
HANDLE OpenInterfaceDevice(HDEVINFO deviceSet, SP_DEVICE_INTERFACE_DATA *interfaceData);

#endif
