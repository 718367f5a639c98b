#include <windows.h>

#include "bitmap_library.h"
#include "product_profile.h"

HMODULE BitmapLibrary;

/* The bare file name is looked up by the system's search rules, so the
   board software may install the library beside the program or on the path. */
HMODULE LoadBitmapLibrary(void)
{
    OFSTRUCT found;
    ZeroMemory(&found, sizeof(found));
    found.cBytes = sizeof(found);
    if (OpenFile(Profile.bitmapLibrary, &found, OF_EXIST) == HFILE_ERROR)
        return NULL;
    BitmapLibrary = LoadLibraryA(Profile.bitmapLibrary);
    return BitmapLibrary;
}

void FreeBitmapLibrary(void)
{
    if (BitmapLibrary != NULL) {
        FreeLibrary(BitmapLibrary);
        BitmapLibrary = NULL;
    }
}
