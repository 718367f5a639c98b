/* Comparing what is on a surface with a picture resource scaled to fill it. */
#ifndef QUORVEX_TEST_PICTURE_MATCH_H
#define QUORVEX_TEST_PICTURE_MATCH_H

#include <windows.h>
#include <stdlib.h>

inline const BITMAPINFOHEADER *FindDib(HMODULE module, int id)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
    if (resource == NULL)
        return NULL;
    return (const BITMAPINFOHEADER *)LockResource(LoadResource(module, resource));
}

/* Colour of one pixel of a packed 8-bit or 24-bit DIB, read straight from its bytes. */
inline COLORREF DibPixel(const BITMAPINFOHEADER *dib, int x, int y)
{
    int rowBytes = ((dib->biWidth * dib->biBitCount + 31) / 32) * 4;
    int table = dib->biBitCount <= 8 ? (1 << dib->biBitCount) : 0;
    const BYTE *bits = (const BYTE *)dib + dib->biSize + table * 4;
    int row = dib->biHeight > 0 ? dib->biHeight - 1 - y : y;
    const BYTE *p = bits + row * rowBytes;
    if (dib->biBitCount == 8) {
        const RGBQUAD *colours = (const RGBQUAD *)((const BYTE *)dib + dib->biSize);
        RGBQUAD c = colours[p[x]];
        return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    p += x * 3;
    return RGB(p[2], p[1], p[0]);
}

inline bool NearColour(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

/* Share of grid points of a w x h surface whose colour (from pixelAt) is the
   picture's colour at the proportional source position: near 1.0 for a
   picture scaled to fill, far lower for one drawn at its own size, shifted,
   cut or another picture. Scalers round differently, so any source pixel
   next to the spot counts. */
template <typename PixelAt>
double ScaledMatch(int w, int h, const BITMAPINFOHEADER *dib, PixelAt pixelAt, int tolerance = 24)
{
    int points = 0, matches = 0;
    int dibW = dib->biWidth, dibH = abs(dib->biHeight);
    for (int y = 2; y < h - 2; y += 7) {
        for (int x = 2; x < w - 2; x += 7) {
            int sx = x * dibW / w, sy = y * dibH / h;
            COLORREF shown = pixelAt(x, y);
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; dy++)
                for (int dx = -1; dx <= 1 && !found; dx++) {
                    int px = sx + dx, py = sy + dy;
                    if (px >= 0 && py >= 0 && px < dibW && py < dibH)
                        found = NearColour(DibPixel(dib, px, py), shown, tolerance);
                }
            points++;
            matches += found;
        }
    }
    return points ? (double)matches / points : 0.0;
}

#endif
