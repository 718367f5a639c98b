#include <windows.h>

#include "page_bitmap.h"
#include "bitmap_library.h"
#include "program.h"
#include "resource_ids.h"
#include "../report/diagnostic_results.h"

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

/* Bytes of pixel data the header promises: whole rows for an uncompressed
   picture, the stated size for a run-length encoded one; 0 for a header no
   picture can have. Counted in 64 bits, so that huge sizes cannot wrap. */
static ULONGLONG PixelBytes(const BITMAPINFOHEADER *dib)
{
    LONGLONG width = dib->biWidth, height = dib->biHeight;
    if (height < 0)
        height = -height;
    if (width <= 0 || height == 0 || dib->biPlanes != 1)
        return 0;
    WORD bits = dib->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;
    switch (dib->biCompression) {
    case BI_RGB:
        return (ULONGLONG)((width * bits + 31) / 32) * 4 * height;
    case BI_BITFIELDS:
        return bits == 16 || bits == 32 ? (ULONGLONG)((width * bits + 31) / 32) * 4 * height : 0;
    case BI_RLE8:
        return bits == 8 && dib->biHeight > 0 ? dib->biSizeImage : 0;
    case BI_RLE4:
        return bits == 4 && dib->biHeight > 0 ? dib->biSizeImage : 0;
    default:
        return 0;
    }
}

/* Whether a packed DIB of `size` bytes holds everything the system reads
   from it: the header, the colour table as the system counts it (at most
   256 entries, masks for bit fields) and the pixel bits. The bits start
   after our own colour table of 2^bits entries when ownColourTable is set
   (LoadDibWithPalette hands them over itself), else after the system's. */
static int IsWholeDib(const BITMAPINFOHEADER *dib, DWORD size, int ownColourTable)
{
    if (dib == NULL || size < sizeof(BITMAPINFOHEADER) || dib->biSize < sizeof(BITMAPINFOHEADER) ||
        dib->biSize > size)
        return 0;
    ULONGLONG pixels = PixelBytes(dib);
    if (pixels == 0)
        return 0;
    ULONGLONG colours = dib->biClrUsed > 256 ? 256 : dib->biClrUsed;
    if (colours == 0 && dib->biBitCount <= 8)
        colours = 1u << dib->biBitCount;
    ULONGLONG header = dib->biCompression == BI_BITFIELDS ? sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD) : 0;
    if (header < dib->biSize)
        header = dib->biSize;
    ULONGLONG info = header + colours * sizeof(RGBQUAD);
    ULONGLONG bitsOffset = info;
    if (ownColourTable)
        bitsOffset = dib->biSize + (dib->biBitCount <= 8 ? (1u << dib->biBitCount) * sizeof(RGBQUAD) : 0);
    return info <= size && bitsOffset <= size && pixels <= size - bitsOffset;
}

/* The packed DIB of a bitmap resource and its size, or NULL. */
static const BITMAPINFOHEADER *FindPackedDib(HMODULE module, DWORD bitmapId, DWORD *size)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(LOWORD(bitmapId)), (LPCSTR)RT_BITMAP);
    if (resource == NULL)
        return NULL;
    HGLOBAL loaded = LoadResource(module, resource);
    *size = SizeofResource(module, resource);
    return loaded ? (const BITMAPINFOHEADER *)LockResource(loaded) : NULL;
}

HBITMAP LoadDibWithPalette(HMODULE module, DWORD bitmapId, HPALETTE *palette)
{
    if (palette != NULL)
        *palette = NULL;
    DWORD resourceSize = 0;
    const BITMAPINFOHEADER *dib = FindPackedDib(module, bitmapId, &resourceSize);
    /* A picture cut short or with a header it does not live up to is not
       read: the system would read past the resource. */
    if (!IsWholeDib(dib, resourceSize, 1))
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

    /* No bitmap, no palette: the caller deletes only what it is given. */
    if (bitmap == NULL && dibPalette != NULL) {
        DeleteObject(dibPalette);
        dibPalette = NULL;
    }
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
    /* The loader reads the resource on its own: a broken one is not given to it. */
    DWORD resourceSize = 0;
    const BITMAPINFOHEADER *dib = FindPackedDib(BitmapLibrary, bitmapId, &resourceSize);
    if (!IsWholeDib(dib, resourceSize, 0))
        return;
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
    if (DiagnosticResults.display.colourClass == COLOUR_CLASS_8)
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
