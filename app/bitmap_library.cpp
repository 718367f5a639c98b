#include <windows.h>

#include "bitmap_library.h"
#include "product_profile.h"

HMODULE BitmapLibrary;

/* The bare file name is looked up by the system's search rules (the
   program's directory first, then the system directories and the path), so
   the board software may install the library beside the program or on the
   path. SearchPathA rather than OpenFile: OpenFile cannot name files past
   128 characters and would miss a library that sits in a deep directory. */
HMODULE LoadBitmapLibrary(void)
{
    char found[MAX_PATH];
    DWORD length = SearchPathA(NULL, Profile.bitmapLibrary, NULL, sizeof(found), found, NULL);
    if (length == 0)
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
