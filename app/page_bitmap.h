/* The page picture on the left of the wizard, and the DIB and palette
   helpers that the display tests use as well. */
#ifndef QUORVEX_PAGE_BITMAP_H
#define QUORVEX_PAGE_BITMAP_H

#include <windows.h>

extern DWORD currentBitmap;

int PaintPageBitmap(HWND control, HDC dc, DWORD bitmapId);
HBITMAP LoadDibWithPalette(HMODULE module, DWORD bitmapId, HPALETTE *palette);
HPALETTE CreateDibPalette(const BITMAPINFOHEADER *dib, int *entries);
HPALETTE CreateSystemPalette(HDC dc);
LRESULT RepaintForPalette(HWND window, WPARAM wParam);

#endif
