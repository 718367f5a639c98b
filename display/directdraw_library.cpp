#include "directdraw_library.h"
#include "../app/system_library.h"

DirectDrawCreateFunction DirectDrawCreateEntry;

DirectDrawCreateFunction BindDirectDraw(void)
{
    static int tried;
    if (DirectDrawCreateEntry == NULL && !tried) {
        tried = 1;
        HMODULE library = LoadSystemLibrary("ddraw.dll");
        if (library != NULL)
            DirectDrawCreateEntry = (DirectDrawCreateFunction)(void *)GetProcAddress(library, "DirectDrawCreate");
    }
    return DirectDrawCreateEntry;
}
