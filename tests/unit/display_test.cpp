/* The two display pages through the display double: every way the driver
   can fail, the question, the report; the test picture as it lands in screen
   memory at every colour depth and size; the overlay's capability limits,
   the format chosen per Windows version, the zoom's rectangles on displays
   of every shape, and the YUV bytes of the overlay picture. */
#include "display_double.h"

#include <stdio.h>
#include <algorithm>

#include "bitmap_library.h"
#include "display_tests.h"


/* Screen memory as it must be with the picture's top-left pixel at (left,
   top): each picture pixel there in the display's layout (the top bits of
   each channel under the mode's masks, or at 8 bits the index of a nearest
   colour of the system palette, unless the test screen itself has a palette
   and so fits the picture to its colours first), the fill pattern everywhere
   else. */
static void ExpectPicture(int left, int top)
{
    std::vector<DWORD> picture(640 * 480);   /* 0x00RRGGBB */
    HANDLE bitmap = LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(114), IMAGE_BITMAP, 640, 480, LR_CREATEDIBSECTION);
    BITMAPINFO info = { { sizeof(BITMAPINFOHEADER), 640, -480, 1, 32, BI_RGB, 0, 0, 0, 0, 0 }, {} };
    PALETTEENTRY system[256] = {};
    HDC screen = GetDC(NULL);
    GetDIBits(screen, (HBITMAP)bitmap, 0, 480, picture.data(), &info, DIB_RGB_COLORS);
    GetSystemPaletteEntries(screen, 0, 256, system);
    bool fitted = GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE;   /* a palette screen fits the picture to its colours */
    ReleaseDC(NULL, screen), DeleteObject(bitmap);
    auto distance = [&](const PALETTEENTRY &e, DWORD c) {
        int r = e.peRed - (int)(c >> 16 & 0xFF), g = e.peGreen - (int)(c >> 8 & 0xFF), b = e.peBlue - (int)(c & 0xFF);
        return r * r + g * g + b * b;
    };

    const DDPIXELFORMAT &f = Ddraw.mode.ddpfPixelFormat;
    const DWORD masks[3] = { f.dwRBitMask, f.dwGBitMask, f.dwBBitMask }, bytes = (f.dwRGBBitCount + 7) / 8;
    std::vector<BYTE> expected(Ddraw.primary.size(), 0xA5);
    for (LONG y = std::max(0, -top); y < 480 && y + top < (LONG)Ddraw.mode.dwHeight; y++) {
        for (LONG x = std::max(0, -left); x < 640 && x + left < (LONG)Ddraw.mode.dwWidth; x++) {
            size_t at = Ddraw.guard + (y + top) * Ddraw.primaryPitch + (x + left) * bytes;
            DWORD colour = picture[y * 640 + x], value = 0, shown = Ddraw.primary[at];
            for (int channel = 0; channel < 3 && bytes > 1; channel++)
                value |= (colour >> (16 - 8 * channel) & 0xFF) >> (8 - __builtin_popcount(masks[channel]))
                         << __builtin_ctz(masks[channel]);
            int nearest = 1 << 30;
            for (int i = 0; i < 256 && bytes == 1; i++)
                nearest = std::min(nearest, distance(system[i], colour));
            if (bytes == 1)
                value = fitted || distance(system[shown], colour) == nearest ? shown : ~shown;
            memcpy(&expected[at], &value, bytes);
        }
    }
    auto wrong = std::mismatch(expected.begin(), expected.end(), Ddraw.primary.begin()).first - expected.begin();
    EXPECT_EQ((LONG)Ddraw.primary.size(), wrong) << "screen memory wrong from byte " << wrong - (LONG)Ddraw.guard;
}

TEST_F(DisplayPages, PrimaryPageGivesEachOutcomeItsTextReportAndPicture)
{
    for (const DoubleCase &c : ReadDoubleCases("display_primary.txt")) {
        SCOPED_TRACE(c.name);
        UseDisplayCase(c);
        int returned = DirectDrawPrimaryTest(), left, top;
        ExpectPageOutcome(c, returned);
        ExpectDisplaySeen(c);
        if (sscanf(c.Text("picture").c_str(), "%d,%d", &left, &top) == 2)
            ExpectPicture(left, top);
    }
}

TEST_F(DisplayPages, OverlayPageGivesEachOutcomeItsTextReportAndZoom)
{
    for (const DoubleCase &c : ReadDoubleCases("display_overlay.txt")) {
        SCOPED_TRACE(c.name);
        UseDisplayCase(c);
        int returned = DirectDrawOverlayTest();
        ExpectPageOutcome(c, returned);
        EXPECT_EQ(c.Number("format"), DiagnosticResults.overlayFormat);
        EXPECT_EQ(c.Text("asked"), Ddraw.asked);
        std::string zoom = Ddraw.shown.empty() ? "" : Ddraw.shown[0] + ".." + Ddraw.shown.back() + "/";
        EXPECT_EQ(c.Text("zoom"), zoom + (zoom.empty() ? "" : std::to_string(Ddraw.shown.size())));
        ExpectDisplaySeen(c);
    }
}

TEST_F(DisplayPages, YuvOverlayTakesLumaFromEachPixelAndColourFromThePair)
{
    for (const DoubleCase &c : ReadDoubleCases("display_yuv.txt")) {
        SCOPED_TRACE(c.name);
        std::string fourcc = c.Text("fourcc");
        DDSURFACEDESC description = { sizeof(DDSURFACEDESC), DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, 2, 2 };
        description.ddpfPixelFormat = { 32, DDPF_FOURCC, *(const DWORD *)fourcc.c_str(), { 16 } };
        BITMAPINFO info = { { sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0 }, {} };
        DWORD *pixels;
        HBITMAP picture = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, (void **)&pixels, NULL, 0);
        sscanf(c.Text("pair").c_str(), "%lx,%lx", &pixels[0], &pixels[1]);
        pixels[2] = pixels[0], pixels[3] = pixels[1];
        EXPECT_EQ(1, FillYuvOverlay(NewDoubleSurface(description), picture));
        DeleteObject(picture);
        std::vector<BYTE> expected(Ddraw.overlay.size(), 0xA5);
        for (size_t i = 0; i < 8; i++)
            expected[i % 4 + (i / 4) * Ddraw.overlayPitch] = (BYTE)atoi(SplitCaseText(c.expected)[i % 4].c_str());
        EXPECT_EQ(expected, Ddraw.overlay);
    }
}
