/* The page picture on the left of the wizard. */
#ifndef QUORVEX_PAGE_BITMAP_H
#define QUORVEX_PAGE_BITMAP_H

#include <windows.h>

extern DWORD currentBitmap;

int PaintPageBitmap(HWND control, HDC dc, DWORD bitmapId);
LRESULT RepaintForPalette(HWND window, WPARAM wParam);

#endif
