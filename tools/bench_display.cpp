/* How long the two pixel loops of the display tests take against bare loops
   doing the same reads and writes: DrawTestPicture (640 x 480 GetPixel reads
   written one by one into the locked primary) and FillYuvOverlay (640 x 480
   into a YUY2 surface), on the running system's DirectDraw. Prints the
   median of repeated runs and the ratio to the bare loop.
   usage: bench_display [RUNS] */
#include <windows.h>
#include <ddraw.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <vector>

#include "bitmap_library.h"
#include "display_tests.h"
#include "language.h"
#include "resource_ids.h"

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/* The same reads and writes as DrawTestPicture, without the helpers: a
   32-bit or 16-bit screen is written straight through a row pointer. */
static int BareDraw(HDC memoryDc)
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    if (FAILED(DirectDrawState.primarySurface->Lock(NULL, &description, DDLOCK_WAIT, NULL)))
        return 0;
    const DisplayInfo &display = DiagnosticResults.display;
    int left = ((int)display.width - 640) / 2, top = ((int)display.height - 480) / 2;
    for (int y = 0; y < 480; y++) {
        BYTE *row = (BYTE *)description.lpSurface + (LONG_PTR)(y + top) * description.lPitch +
                    (LONG_PTR)left * display.bytesPerPixel;
        for (int x = 0; x < 640; x++) {
            COLORREF c = GetPixel(memoryDc, x, y);
            if (display.bytesPerPixel == 4)
                ((DWORD *)row)[x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            else
                ((WORD *)row)[x] = (WORD)(((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3));
        }
    }
    DirectDrawState.primarySurface->Unlock(NULL);
    return 1;
}

static int BareYuv(IDirectDrawSurface *surface, HDC memoryDc)
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    if (FAILED(surface->Lock(NULL, &description, DDLOCK_WAIT, NULL)))
        return 0;
    for (int y = 0; y < 480; y++) {
        BYTE *out = (BYTE *)description.lpSurface + (LONG_PTR)y * description.lPitch;
        for (int x = 0; x < 640; x += 2, out += 4) {
            COLORREF a = GetPixel(memoryDc, x, y), b = GetPixel(memoryDc, x + 1, y);
            int y1 = (int)(0.587 * GetGValue(a) + 0.299 * GetRValue(a) + 0.114 * GetBValue(a));
            int u = (int)(128.0 - 0.146 * GetRValue(a) - 0.288 * GetGValue(a) + 0.434 * GetBValue(a));
            int y2 = (int)(0.587 * GetGValue(b) + 0.299 * GetRValue(b) + 0.114 * GetBValue(b));
            int v = (int)(0.617 * GetRValue(b) + 128.0 - 0.517 * GetGValue(b) - 0.1 * GetBValue(b));
            out[0] = (BYTE)std::min(std::max(y1, 16), 235);
            out[1] = (BYTE)std::min(std::max(u, 16), 240);
            out[2] = (BYTE)std::min(std::max(y2, 16), 235);
            out[3] = (BYTE)std::min(std::max(v, 16), 240);
        }
    }
    surface->Unlock(NULL);
    return 1;
}

static IDirectDrawSurface *MakeYuvSurface()
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = 640;
    description.dwHeight = 480;
    description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    description.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
    description.ddpfPixelFormat.dwFourCC = MAKEFOURCC('Y', 'U', 'Y', '2');
    IDirectDrawSurface *surface = NULL;
    if (FAILED(DirectDrawState.directDraw2->CreateSurface(&description, &surface, NULL)))
        return NULL;
    return surface;
}

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 7;
    if (runs < 1)
        runs = 1;
    BitmapLibrary = LoadLibraryA("MirelBitmap.dll");
    if (BitmapLibrary == NULL || !SetUpDirectDraw()) {
        printf("no bitmap library or no DirectDraw (result %lu)\n", (unsigned long)LastResult);
        return 1;
    }
    printf("display %lux%lu, colour class %lu\n", (unsigned long)DiagnosticResults.display.width,
           (unsigned long)DiagnosticResults.display.height, (unsigned long)DiagnosticResults.display.colourClass);

    HBITMAP picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(IDB_TEST_PICTURE), IMAGE_BITMAP, 640, 480,
                                          LR_CREATEDIBSECTION);
    HDC memoryDc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memoryDc, picture);

    /* Alternating runs, so that drift in the machine hits both sides alike. */
    std::vector<double> draw, bareDraw, fill, bareFill;
    IDirectDrawSurface *yuv = MakeYuvSurface();
    for (int i = 0; i < runs; i++) {
        double t = Now();
        DrawTestPicture();
        draw.push_back(Now() - t);
        t = Now();
        BareDraw(memoryDc);
        bareDraw.push_back(Now() - t);
        if (yuv != NULL) {
            t = Now();
            FillYuvOverlay(yuv, picture);
            fill.push_back(Now() - t);
            t = Now();
            BareYuv(yuv, memoryDc);
            bareFill.push_back(Now() - t);
        }
    }
    double a = Median(draw), b = Median(bareDraw);
    printf("DrawTestPicture  %8.1f ms   bare loop %8.1f ms   ratio %.3f\n", a, b, a / b);
    if (yuv != NULL) {
        double c = Median(fill), d = Median(bareFill);
        printf("FillYuvOverlay   %8.1f ms   bare loop %8.1f ms   ratio %.3f\n", c, d, c / d);
        yuv->Release();
    } else {
        printf("FillYuvOverlay   not measured: no YUY2 surface on this DirectDraw\n");
    }
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    DeleteObject(picture);
    ReleaseDirectDraw();
    RepaintDesktop();
    return 0;
}
