#include <windows.h>

#include "page_bitmap.h"
#include "bitmap_library.h"
#include "program.h"
#include "resource_ids.h"
#include "../report/diagnostic_results.h"

#define COLOUR_CLASS_PALETTE 1

DWORD currentBitmap = IDB_PAGE_WELCOME;

/* Builds a palette from the colour table of a packed DIB. biClrUsed is not
   consulted: an 8-bit picture always gives 256 entries. */
HPALETTE CreateDibPalette(const BITMAPINFOHEADER *dib, int *entries)
{
    int count = dib->biBitCount <= 8 ? 1 << dib->biBitCount : 0;
    if (entries != NULL)
        *entries = count;
    if (count == 0)
        return NULL;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    if (block == NULL)
        return NULL;
    LOGPALETTE *logical = (LOGPALETTE *)GlobalLock(block);
    logical->palVersion = 0x300;
    logical->palNumEntries = (WORD)count;
    const RGBQUAD *colours = (const RGBQUAD *)((const BYTE *)dib + dib->biSize);
    for (int i = 0; i < count; i++) {
        logical->palPalEntry[i].peRed = colours[i].rgbRed;
        logical->palPalEntry[i].peGreen = colours[i].rgbGreen;
        logical->palPalEntry[i].peBlue = colours[i].rgbBlue;
        logical->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(logical);
    GlobalUnlock(block);
    GlobalFree(block);
    return palette;
}

HPALETTE CreateSystemPalette(HDC dc)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    if (block == NULL)
        return NULL;
    LOGPALETTE *logical = (LOGPALETTE *)GlobalLock(block);
    logical->palVersion = 0x300;
    logical->palNumEntries = 256;
    GetSystemPaletteEntries(dc, 0, 256, logical->palPalEntry);
    HPALETTE palette = CreatePalette(logical);
    GlobalUnlock(block);
    GlobalFree(block);
    return palette;
}

HBITMAP LoadDibWithPalette(HMODULE module, DWORD bitmapId, HPALETTE *palette)
{
    if (palette != NULL)
        *palette = NULL;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(LOWORD(bitmapId)), (LPCSTR)RT_BITMAP);
    if (resource == NULL)
        return NULL;
    HGLOBAL loaded = LoadResource(module, resource);
    const BITMAPINFOHEADER *dib = loaded ? (const BITMAPINFOHEADER *)LockResource(loaded) : NULL;
    if (dib == NULL)
        return NULL;
    /* A resource too short for its header and colour table is not read. */
    DWORD resourceSize = SizeofResource(module, resource);
    DWORD tableSize = dib->biBitCount <= 8 ? (1u << dib->biBitCount) * sizeof(RGBQUAD) : 0;
    if (resourceSize < sizeof(BITMAPINFOHEADER) || dib->biSize > resourceSize ||
        resourceSize - dib->biSize < tableSize)
        return NULL;

    HDC screen = GetDC(NULL);
    int entries = 0;
    HPALETTE dibPalette = CreateDibPalette(dib, &entries);
    HPALETTE previous = NULL;
    if (dibPalette != NULL) {
        previous = SelectPalette(screen, dibPalette, FALSE);
        RealizePalette(screen);
    }
    const BYTE *bits = (const BYTE *)dib + dib->biSize + entries * sizeof(RGBQUAD);
    HBITMAP bitmap = CreateDIBitmap(screen, dib, CBM_INIT, bits, (const BITMAPINFO *)dib, DIB_RGB_COLORS);
    if (dibPalette != NULL)
        SelectPalette(screen, previous, FALSE);   /* the screen DC must not keep our palette */
    ReleaseDC(NULL, screen);
    FreeResource(loaded);

    if (palette != NULL)
        *palette = dibPalette;
    else if (dibPalette != NULL)
        DeleteObject(dibPalette);
    return bitmap;
}

/* 256-colour display: the picture's own palette is realised in the target
   and the picture is stretched over the control. */
static void PaintThroughPalette(HDC dc, int w, int h, DWORD bitmapId)
{
    HPALETTE palette = NULL;
    HBITMAP picture = LoadDibWithPalette(BitmapLibrary, bitmapId, &palette);
    if (picture == NULL)
        return;
    BITMAP size;
    GetObjectA(picture, sizeof(size), &size);
    HDC memory = CreateCompatibleDC(dc);
    if (memory != NULL) {
        HPALETTE previousPalette = NULL;
        if (palette != NULL) {
            previousPalette = SelectPalette(dc, palette, FALSE);
            RealizePalette(dc);
        }
        HGDIOBJ previousBitmap = SelectObject(memory, picture);
        StretchBlt(dc, 0, 0, w, h, memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
        SelectObject(memory, previousBitmap);
        DeleteDC(memory);
        if (palette != NULL)
            SelectPalette(dc, previousPalette, FALSE);
    }
    DeleteObject(picture);
    if (palette != NULL)
        DeleteObject(palette);
}

/* Other displays: the loader scales the picture into a DIB section. */
static void PaintDibSection(HDC dc, int w, int h, DWORD bitmapId)
{
    HBITMAP picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(LOWORD(bitmapId)),
                                          IMAGE_BITMAP, w, h, LR_CREATEDIBSECTION);
    if (picture == NULL)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (memory != NULL) {
        HGDIOBJ previous = SelectObject(memory, picture);
        BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    DeleteObject(picture);
}

int PaintPageBitmap(HWND control, HDC dc, DWORD bitmapId)
{
    if (control == NULL || dc == NULL)
        return 0;
    RECT client;
    GetClientRect(control, &client);
    int w = client.right - client.left;
    int h = client.bottom - client.top;
    if (DiagnosticResults.display.colourClass == COLOUR_CLASS_PALETTE)
        PaintThroughPalette(dc, w, h, bitmapId);
    else
        PaintDibSection(dc, w, h, bitmapId);
    return 1;
}

LRESULT RepaintForPalette(HWND window, WPARAM wParam)
{
    /* The picture's own realisation caused this; repainting would loop. */
    if ((HWND)wParam == GetDlgItem(window, IDC_PAGE_BITMAP))
        return 0;
    InvalidateRect(window, NULL, FALSE);
    UpdateWindow(window);
    return 1;
}
