/* The product's resource-only picture library. */
#ifndef QUORVEX_BITMAP_LIBRARY_H
#define QUORVEX_BITMAP_LIBRARY_H

#include <windows.h>

extern HMODULE BitmapLibrary;

HMODULE LoadBitmapLibrary(void);
void FreeBitmapLibrary(void);

#endif
