/* The two pixel loops of the display tests against bare loops doing the
   same pixel work, on the running system's DirectDraw:
   - DrawTestPicture: the test picture loaded from the picture library into
     a memory DC, 640 x 480 GetPixel reads written one by one into the
     locked primary surface;
   - FillYuvOverlay: the picture's 640 x 480 pixels read in pairs and
     written as YUY2 into a locked surface.
   Each bare loop does the same calls with the conversions written inline.
   usage: bench_display [RUNS]   (default 7) */
#include <windows.h>
#include <ddraw.h>
#include <stdio.h>
#include <vector>

#include "bench_common.h"
#include "bitmap_library.h"
#include "display_tests.h"
#include "resource_ids.h"

#define PIXEL_GOAL 1.2

static int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

/* The same reads and writes as DrawTestPicture on a 16-bit (5-6-5) or
   32-bit screen, straight through a row pointer, picture loading included. */
static int BareDraw(void)
{
    HBITMAP picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(IDB_TEST_PICTURE), IMAGE_BITMAP,
                                          TEST_PICTURE_WIDTH, TEST_PICTURE_HEIGHT, LR_CREATEDIBSECTION);
    if (picture == NULL)
        return 0;
    HDC memoryDc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memoryDc, picture);
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    int drawn = 0;
    if (SUCCEEDED(DirectDrawState.primarySurface->Lock(NULL, &description, DDLOCK_WAIT, NULL))) {
        const DisplayInfo &display = DiagnosticResults.display;
        int left = ((int)display.width - TEST_PICTURE_WIDTH) / 2, top = ((int)display.height - TEST_PICTURE_HEIGHT) / 2;
        for (int y = 0; y < TEST_PICTURE_HEIGHT; y++) {
            BYTE *row = (BYTE *)description.lpSurface + (LONG_PTR)(y + top) * description.lPitch +
                        (LONG_PTR)left * display.bytesPerPixel;
            for (int x = 0; x < TEST_PICTURE_WIDTH; x++) {
                COLORREF c = GetPixel(memoryDc, x, y);
                if (display.bytesPerPixel == 4)
                    ((DWORD *)row)[x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                else
                    ((WORD *)row)[x] =
                        (WORD)(((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3));
            }
        }
        DirectDrawState.primarySurface->Unlock(NULL);
        drawn = 1;
    }
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    DeleteObject(picture);
    return drawn;
}

static int BareYuv(IDirectDrawSurface *surface, HBITMAP picture)
{
    HDC memoryDc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memoryDc, picture);
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    int filled = 0;
    if (SUCCEEDED(surface->Lock(NULL, &description, DDLOCK_WAIT, NULL))) {
        for (int y = 0; y < TEST_PICTURE_HEIGHT; y++) {
            BYTE *out = (BYTE *)description.lpSurface + (LONG_PTR)y * description.lPitch;
            for (int x = 0; x < TEST_PICTURE_WIDTH; x += 2, out += 4) {
                COLORREF a = GetPixel(memoryDc, x, y), b = GetPixel(memoryDc, x + 1, y);
                int y1 = (int)(0.587 * GetGValue(a) + 0.299 * GetRValue(a) + 0.114 * GetBValue(a));
                int u = (int)(128.0 - 0.146 * GetRValue(a) - 0.288 * GetGValue(a) + 0.434 * GetBValue(a));
                int y2 = (int)(0.587 * GetGValue(b) + 0.299 * GetRValue(b) + 0.114 * GetBValue(b));
                int v = (int)(0.617 * GetRValue(b) + 128.0 - 0.517 * GetGValue(b) - 0.1 * GetBValue(b));
                out[0] = (BYTE)Clamp(y1, 16, 235);
                out[1] = (BYTE)Clamp(u, 16, 240);
                out[2] = (BYTE)Clamp(y2, 16, 235);
                out[3] = (BYTE)Clamp(v, 16, 240);
            }
        }
        surface->Unlock(NULL);
        filled = 1;
    }
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    return filled;
}

/* A plain YUY2 surface in system memory: Wine has no overlay, and the
   fill's pixel work does not depend on the surface being one. */
static IDirectDrawSurface *MakeYuvSurface()
{
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = TEST_PICTURE_WIDTH;
    description.dwHeight = TEST_PICTURE_HEIGHT;
    description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    description.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
    description.ddpfPixelFormat.dwFourCC = MAKEFOURCC('Y', 'U', 'Y', '2');
    IDirectDrawSurface *surface = NULL;
    if (FAILED(DirectDrawState.directDraw2->CreateSurface(&description, &surface, NULL)))
        return NULL;
    return surface;
}

/* Runs one product loop and one bare loop per run, in alternating order.
   0 when either failed. */
static int MeasurePair(int runs, int (*product)(void *), int (*bare)(void *), void *context,
                       std::vector<double> *productTimes, std::vector<double> *bareTimes)
{
    if (!product(context) || !bare(context))   /* untimed: warms the picture library and the surface */
        return 0;
    for (int i = 0; i < runs; i++) {
        for (int half = 0; half < 2; half++) {
            int productTurn = (half == 0) == (i % 2 == 0);
            double start = BenchNow();
            int done = productTurn ? product(context) : bare(context);
            (productTurn ? productTimes : bareTimes)->push_back(BenchNow() - start);
            if (!done)
                return 0;
        }
    }
    return 1;
}

struct YuvContext {
    IDirectDrawSurface *surface;
    HBITMAP picture;
};

static int ProductDraw(void *) { return DrawTestPicture(); }
static int BareDrawStep(void *) { return BareDraw(); }
static int ProductYuv(void *context)
{
    YuvContext *yuv = (YuvContext *)context;
    return FillYuvOverlay(yuv->surface, yuv->picture);
}
static int BareYuvStep(void *context)
{
    YuvContext *yuv = (YuvContext *)context;
    return BareYuv(yuv->surface, yuv->picture);
}

int main(int argc, char **argv)
{
    int runs = RunsArgument(argc, argv, 1, 7);
    BitmapLibrary = LoadLibraryA("MirelBitmap.dll");
    if (BitmapLibrary == NULL || !SetUpDirectDraw()) {
        fprintf(stderr, "bench_display: no bitmap library or no DirectDraw (result %lu)\n", (unsigned long)LastResult);
        return 1;
    }
    const DisplayInfo &display = DiagnosticResults.display;
    if (display.bytesPerPixel != 4 && !(display.bytesPerPixel == 2 && display.colourClass == COLOUR_CLASS_565)) {
        fprintf(stderr, "bench_display: needs a 32-bit or 5-6-5 screen, not %lu bytes per pixel\n",
                (unsigned long)display.bytesPerPixel);
        return 1;
    }
    printf("# display %lux%lu, colour class %lu\n", (unsigned long)display.width, (unsigned long)display.height,
           (unsigned long)display.colourClass);

    int failed = 0;
    std::vector<double> draw, bareDraw;
    if (MeasurePair(runs, ProductDraw, BareDrawStep, NULL, &draw, &bareDraw))
        PrintPairedRow("display.draw", "DrawTestPicture vs bare loop", "640x480 to primary", draw, bareDraw,
                       PIXEL_GOAL);
    else {
        fprintf(stderr, "bench_display: drawing into the primary surface failed (result %lu)\n",
                (unsigned long)LastResult);
        failed = 1;
    }

    YuvContext yuv;
    yuv.picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(IDB_TEST_PICTURE), IMAGE_BITMAP,
                                      TEST_PICTURE_WIDTH, TEST_PICTURE_HEIGHT, LR_CREATEDIBSECTION);
    yuv.surface = MakeYuvSurface();
    std::vector<double> fill, bareFill;
    if (yuv.surface != NULL && yuv.picture != NULL && MeasurePair(runs, ProductYuv, BareYuvStep, &yuv, &fill, &bareFill))
        PrintPairedRow("display.yuv", "FillYuvOverlay vs bare loop", "640x480 YUY2", fill, bareFill, PIXEL_GOAL);
    else {
        fprintf(stderr, "bench_display: no YUY2 surface on this DirectDraw, or its fill failed\n");
        failed = 1;
    }
    if (yuv.surface != NULL)
        yuv.surface->Release();
    if (yuv.picture != NULL)
        DeleteObject(yuv.picture);
    ReleaseDirectDraw();
    RepaintDesktop();
    return failed;
}
