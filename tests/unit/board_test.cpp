/* The kernel-mode driver page through a double of the board's device
   interfaces as SetupAPI and the kernel-mode driver would show them: every
   kind of device list, the hardware word, what the page leaves in the
   results and the report, and what the program asked of SetupAPI and the
   driver (arguments other than the fixed ones are noted in `complaints`). */
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <set>

#include "board_interface.h"
#include "display_double.h"
#include "kernel_driver_test.h"
#include "language.h"
#include "product_profile.h"


static const GUID otherBoards = { 0x2750F009, 0x68DB, 0x498D, { 0xAC, 0x06, 0xD5, 0x1A, 0x7F, 0x36, 0xD6, 0xAA } };
static const GUID mirelBoards = { 0x9842A4FA, 0x4992, 0x402A, { 0x99, 0xDE, 0x06, 0x33, 0xDA, 0x71, 0xC2, 0x3D } };

struct BoardDouble {
    /* One letter per enumeration index: o an interface that opens, c one whose
       device cannot be opened, d one whose detail cannot be read, e an
       enumeration error. The list ends after the last letter, unless that is
       '*', which repeats the letter before it for ever. */
    std::string devices;
    bool listFails, requestFails;
    DWORD word;
    GUID interfaceClass;                   /* the class every call must name */

    std::vector<std::string> complaints;
    int lists, destroyed, enumerations, requests;
    std::set<HANDLE> open;
    HANDLE lastOpened;
};
static BoardDouble Board;
static BoardInterfaceCalls saved;
static const HDEVINFO deviceList = (HDEVINFO)(INT_PTR)0x5E70;

static void Complain(bool wrong, const char *what) { wrong ? Board.complaints.push_back(what) : void(); }

static char Member(DWORD index)   /* the letter of that index; 0 past the end of the list */
{
    const std::string &d = Board.devices;
    bool endless = d.size() >= 2 && d.back() == '*';
    return index + endless < d.size() ? d[index] : endless ? d[d.size() - 2] : 0;
}

static std::string DevicePath(DWORD index) { return "\\\\?\\board#" + std::to_string(index); }

/* A fresh double in BoardInterface; the calls that were there are kept in `saved`. */
static void InstallBoardDouble()
{
    saved = BoardInterface;
    Board = BoardDouble();
    BoardInterface.getClassDevs = [](const GUID *interfaceClass, PCSTR enumerator, HWND window, DWORD flags) WINAPI {
        Complain(!IsEqualGUID(*interfaceClass, Board.interfaceClass), "device list of another class");
        Complain(enumerator != NULL || window != NULL || flags != 0x12, "device list asked otherwise");
        return ++Board.lists, Board.listFails ? INVALID_HANDLE_VALUE : deviceList;
    };
    BoardInterface.enumInterfaces = [](HDEVINFO, PSP_DEVINFO_DATA, const GUID *interfaceClass, DWORD index,
                                       PSP_DEVICE_INTERFACE_DATA data) WINAPI -> BOOL {
        Complain(!IsEqualGUID(*interfaceClass, Board.interfaceClass), "interfaces of another class");
        Complain(index != (DWORD)Board.enumerations++, "interfaces not asked in order");
        Complain(data->cbSize != (sizeof(void *) == 8 ? 32 : 28), "interface data of another size");
        Complain(Board.enumerations > 100000, "enumeration never ends");
        char member = Board.enumerations > 100000 ? 0 : Member(index);
        SetLastError(member == 0 ? ERROR_NO_MORE_ITEMS : ERROR_INVALID_DATA);
        data->Reserved = index;
        return member != 0 && member != 'e';
    };
    BoardInterface.getInterfaceDetail = [](HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                                           PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size, PDWORD required,
                                           PSP_DEVINFO_DATA) WINAPI -> BOOL {
        std::string path = DevicePath((DWORD)data->Reserved);
        DWORD needed = (DWORD)(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        if (required != NULL)
            *required = needed;
        if (detail == NULL || size < needed || Member((DWORD)data->Reserved) == 'd')
            return FALSE;
        Complain(detail->cbSize != (sizeof(void *) == 8 ? 8 : 5), "detail of another size");
        return memcpy(detail->DevicePath, path.c_str(), path.size() + 1) != NULL;
    };
    BoardInterface.destroyList = [](HDEVINFO set) WINAPI -> BOOL {
        return Complain(set != deviceList, "another list destroyed"), ++Board.destroyed;
    };
    BoardInterface.createFile = [](LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) WINAPI {
        Complain(access != (GENERIC_READ | GENERIC_WRITE) || share != 0 || security != NULL ||
                     disposition != OPEN_EXISTING || flags != 0 || templateFile != NULL, "device opened otherwise");
        DWORD index = (DWORD)atoi(strchr(path, '#') + 1);
        Complain(DevicePath(index) != path, "a path the list never gave");
        if (Member(index) != 'o')
            return INVALID_HANDLE_VALUE;
        return *Board.open.insert(Board.lastOpened = (HANDLE)(INT_PTR)(0x7000 + 4 * index)).first;
    };
    BoardInterface.deviceIoControl = [](HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                        DWORD outputSize, LPDWORD, LPOVERLAPPED overlapped) WINAPI -> BOOL {
        Board.requests++;
        Complain(device != Board.lastOpened || !Board.open.count(device), "request not to the last device opened");
        Complain(code != 0xFFFF2024 || input || inputSize || outputSize != 4 || overlapped, "request otherwise");
        *(DWORD *)output = Board.requestFails ? 0xDEAD : Board.word;
        return !Board.requestFails;
    };
    BoardInterface.closeHandle = [](HANDLE handle) WINAPI -> BOOL {
        return Complain(!Board.open.erase(handle), "a handle closed that was not open"), TRUE;
    };
}

TEST(BoardPage, EachDeviceListGivesItsOutcomeReportAndCleanUp)
{
    BindBoardInterface();   /* bound once, so that the case without setupapi.dll stays without it */
    for (const DoubleCase &c : ReadDoubleCases("board_cases.txt")) {
        SCOPED_TRACE(c.name);
        SelectProductProfile(c.Text("family").c_str());
        ASSERT_EQ(1, LoadLanguageLibrary());
        InstallBoardDouble();
        Board.devices = c.Text("devices"), Board.word = c.Number("word");
        Board.listFails = c.Has("listfails"), Board.requestFails = c.Has("requestfails");
        Board.interfaceClass = c.Text("family") == "Mirel" ? mirelBoards : otherBoards;
        if (c.Has("nosetupapi"))
            BoardInterface.getClassDevs = NULL;
        DiagnosticResults.kernelDriverAccess = { 0, 0xBAD }, LastResult = 77;
        sscanf(c.Text("before", "0xC0DE,1").c_str(), "%lx,%lu", &DiagnosticResults.boardHardwareWord,
               &DiagnosticResults.internationalBoard);
        int returned = KernelDriverTest();
        BoardInterface = saved;

        ExpectPageOutcome(c, returned);
        EXPECT_EQ(c.Number("hw"), DiagnosticResults.boardHardwareWord);
        EXPECT_EQ(c.Number("intl"), DiagnosticResults.internationalBoard);
        EXPECT_EQ(std::vector<std::string>(), Board.complaints);
        EXPECT_EQ(c.Has("nosetupapi") ? 0 : 1, Board.lists);
        EXPECT_EQ(c.Has("nosetupapi") || c.Has("listfails") ? 0 : 1, Board.destroyed);
        EXPECT_TRUE(Board.open.empty()) << Board.open.size() << " device handles left open";
        EXPECT_EQ(c.Number("requests"), (DWORD)Board.requests);
    }
}
