#include "display_tests.h"
#include "double_precision.h"

#define YUY2_FOURCC MAKEFOURCC('Y', 'U', 'Y', '2')
#define UYVY_FOURCC MAKEFOURCC('U', 'Y', 'V', 'Y')

static int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

/* The sums run left to right exactly as below: the byte values the board's
   drivers expect depend on the truncation of these very expressions. */
static void ConvertPair(COLORREF c1, COLORREF c2, BYTE *y1, BYTE *u, BYTE *y2, BYTE *v)
{
    double r1 = GetRValue(c1), g1 = GetGValue(c1), b1 = GetBValue(c1);
    double r2 = GetRValue(c2), g2 = GetGValue(c2), b2 = GetBValue(c2);
    int luma1 = (int)(0.587 * g1 + 0.299 * r1 + 0.114 * b1);
    int blue = (int)(128.0 - 0.146 * r1 - 0.288 * g1 + 0.434 * b1);
    int luma2 = (int)(0.587 * g2 + 0.299 * r2 + 0.114 * b2);
    int red = (int)(0.617 * r2 + 128.0 - 0.517 * g2 - 0.1 * b2);
    *y1 = (BYTE)Clamp(luma1, 16, 235);
    *y2 = (BYTE)Clamp(luma2, 16, 235);
    *u = (BYTE)Clamp(blue, 16, 240);
    *v = (BYTE)Clamp(red, 16, 240);
}

int FillYuvOverlay(IDirectDrawSurface *surface, HBITMAP picture)
{
    if (surface == NULL || picture == NULL)
        return 0;
    HDC memoryDc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memoryDc, picture);

    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    if (SUCCEEDED(surface->Lock(NULL, &description, DDLOCK_WAIT, NULL))) {
        unsigned short controlWord = UseDoublePrecision();
        DWORD fourCC = description.ddpfPixelFormat.dwFourCC;
        int width = (int)description.dwWidth, height = (int)description.dwHeight;
        BYTE *rowStart = (BYTE *)description.lpSurface;
        /* Another FOURCC has a layout of its own: leave its memory as it is. */
        if (fourCC != YUY2_FOURCC && fourCC != UYVY_FOURCC)
            height = 0;
        for (int y = 0; y < height; y++, rowStart += description.lPitch) {
            BYTE *out = rowStart;
            /* Whole pairs only: an odd last column would write past the row. */
            for (int x = 0; x + 1 < width; x += 2) {
                BYTE y1, u, y2, v;
                ConvertPair(GetPixel(memoryDc, x, y), GetPixel(memoryDc, x + 1, y), &y1, &u, &y2, &v);
                if (fourCC == YUY2_FOURCC) {
                    out[0] = y1;
                    out[1] = u;
                    out[2] = y2;
                    out[3] = v;
                } else {
                    out[0] = u;
                    out[1] = y1;
                    out[2] = v;
                    out[3] = y2;
                }
                out += 4;
            }
        }
        RestorePrecision(controlWord);
        surface->Unlock(NULL);
    }

    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    return 1;
}
