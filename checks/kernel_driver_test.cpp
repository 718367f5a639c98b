#include <windows.h>
#include <setupapi.h>

#include "kernel_driver_test.h"
#include "board_interface.h"
#include "result_codes.h"
#include "../app/language.h"
#include "test_outcome.h"
#include "text_ids.h"
#include "../app/product_profile.h"
#include "../report/diagnostic_results.h"

const GUID boardInterfaceClass0 =
    { 0x2750F009, 0x68DB, 0x498D, { 0xAC, 0x06, 0xD5, 0x1A, 0x7F, 0x36, 0xD6, 0xAA } };
const GUID boardInterfaceClass2 =
    { 0x9842A4FA, 0x4992, 0x402A, { 0x99, 0xDE, 0x06, 0x33, 0xDA, 0x71, 0xC2, 0x3D } };

HANDLE OpenInterfaceDevice(HDEVINFO deviceSet, SP_DEVICE_INTERFACE_DATA *interfaceData)
{
    DWORD required = 0;
    BoardInterface.getInterfaceDetail(deviceSet, interfaceData, NULL, 0, &required, NULL);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return INVALID_HANDLE_VALUE;

    SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail =
        (SP_DEVICE_INTERFACE_DETAIL_DATA_A *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, required);
    if (detail == NULL)
        return INVALID_HANDLE_VALUE;
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);

    HANDLE device = INVALID_HANDLE_VALUE;
    if (BoardInterface.getInterfaceDetail(deviceSet, interfaceData, detail, required, NULL, NULL))
        device = BoardInterface.createFile(detail->DevicePath, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    HeapFree(GetProcessHeap(), 0, detail);
    return device;
}

/* Opens every present interface of the class in turn and keeps the last;
   one that cannot be opened fails the whole search. Handles opened before
   the last are closed, and a run of enumeration errors is bounded so that
   a broken driver list cannot keep the wizard busy forever. The program is
   built without exceptions and nothing here throws, so the clean-up after
   the loop runs on every way out. */
HANDLE OpenBoardDevice(const GUID *interfaceClass)
{
    if (!BindBoardInterface())
        return INVALID_HANDLE_VALUE;
    HDEVINFO deviceSet = BoardInterface.getClassDevs(interfaceClass, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (deviceSet == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;

    SP_DEVICE_INTERFACE_DATA interfaceData;
    ZeroMemory(&interfaceData, sizeof(interfaceData));
    interfaceData.cbSize = sizeof(interfaceData);

    HANDLE result = INVALID_HANDLE_VALUE;
    int skipped = 0;
    for (DWORD index = 0;; index++) {
        if (BoardInterface.enumInterfaces(deviceSet, NULL, interfaceClass, index, &interfaceData)) {
            HANDLE device = OpenInterfaceDevice(deviceSet, &interfaceData);
            if (result != INVALID_HANDLE_VALUE)
                BoardInterface.closeHandle(result);
            result = device;
            if (device == INVALID_HANDLE_VALUE)
                break;
            skipped = 0;
            continue;
        }
        if (GetLastError() == ERROR_NO_MORE_ITEMS || ++skipped > MAX_SKIPPED_INTERFACES)
            break;
    }
    BoardInterface.destroyList(deviceSet);
    return result;
}

static const ResultTextRow driverTexts[] = {
    { RESULT_KERNEL_DRIVER_FAILED, TEXT_DRIVER_FAILED, 1103 },
    { RESULT_ANY_OTHER, 0, 1102 },   /* the text the board's word chose stays */
};

/* Only the Mirel boards answer with their hardware word; a failing request
   leaves the word and the board kind of an earlier run standing. */
static void ReadBoardWord(HANDLE device)
{
    DWORD word = 0, returned = 0;
    if (!BoardInterface.deviceIoControl(device, BOARD_HARDWARE_WORD_REQUEST, NULL, 0, &word, sizeof(word),
                                        &returned, NULL))
        return;
    DiagnosticResults.boardHardwareWord = word;
    DiagnosticResults.internationalBoard = (word & BOARD_NTSC_ONLY_BIT) == 0;
    SetResultText(DiagnosticResults.internationalBoard ? TEXT_DRIVER_INTERNATIONAL_BOARD : TEXT_DRIVER_NTSC_BOARD);
}

int KernelDriverTest(void)
{
    LastResult = RESULT_OK;
    SetResultText(TEXT_DRIVER_OK);

    const GUID *interfaceClass = Profile.boardClass == 2 ? &boardInterfaceClass2 : &boardInterfaceClass0;
    HANDLE device = OpenBoardDevice(interfaceClass);
    if (device == INVALID_HANDLE_VALUE) {
        LastResult = RESULT_KERNEL_DRIVER_FAILED;
        DiagnosticResults.boardHardwareWord = 0;
    } else {
        if (Profile.boardClass == 2)
            ReadBoardWord(device);
        BoardInterface.closeHandle(device);
    }
    SetResultTextFor(driverTexts);
    return StoreTestOutcome(&DiagnosticResults.kernelDriverAccess);
}
