#include "board_interface.h"
#include "../app/system_library.h"

BoardInterfaceCalls BoardInterface = { NULL, NULL, NULL, NULL, CreateFileA, DeviceIoControl, CloseHandle };

static int HasSetupApi(void)
{
    return BoardInterface.getClassDevs != NULL && BoardInterface.enumInterfaces != NULL &&
           BoardInterface.getInterfaceDetail != NULL && BoardInterface.destroyList != NULL;
}

#define BIND(field, library, name) BoardInterface.field = (decltype(BoardInterface.field))(void *)GetProcAddress(library, name)

int BindBoardInterface(void)
{
    static int tried;
    if (!HasSetupApi() && !tried) {
        tried = 1;
        HMODULE library = LoadSystemLibrary("setupapi.dll");
        if (library != NULL) {
            BIND(getClassDevs, library, "SetupDiGetClassDevsA");
            BIND(enumInterfaces, library, "SetupDiEnumDeviceInterfaces");
            BIND(getInterfaceDetail, library, "SetupDiGetDeviceInterfaceDetailA");
            BIND(destroyList, library, "SetupDiDestroyDeviceInfoList");
        }
    }
    return HasSetupApi();
}
