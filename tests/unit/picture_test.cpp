/* Page pictures: palettes from the pictures' colour tables, and the picture
   painted over the control on the palette path and the DIB-section path.
   The palette path is exercised on a memory device standing in for the
   256-colour display. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "bitmap_library.h"
#include "diagnostic_results.h"
#include "page_bitmap.h"
#include "picture_match.h"
#include "test_paths.h"

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mirel = LoadLibraryA((TestProgramDirectory() + "MirelBitmap.dll").c_str());
        fixture = LoadLibraryA((TestProgramDirectory() + "picture_fixture.dll").c_str());
        ASSERT_NE(nullptr, mirel);
        ASSERT_NE(nullptr, fixture);
        previousLibrary = BitmapLibrary;
        previousClass = DiagnosticResults.display.colourClass;
    }
    void TearDown() override
    {
        BitmapLibrary = previousLibrary;
        DiagnosticResults.display.colourClass = previousClass;
        FreeLibrary(mirel);
        FreeLibrary(fixture);
    }
    HMODULE mirel, fixture, previousLibrary;
    DWORD previousClass;
};

static void ExpectPaletteMatchesTable(HPALETTE palette, const BITMAPINFOHEADER *dib, int entries)
{
    ASSERT_NE(nullptr, palette);
    PALETTEENTRY got[256];
    ASSERT_EQ((UINT)entries, GetPaletteEntries(palette, 0, 256, got));
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)dib + dib->biSize);
    for (int i = 0; i < entries; i++) {
        EXPECT_EQ(table[i].rgbRed, got[i].peRed) << i;
        EXPECT_EQ(table[i].rgbGreen, got[i].peGreen) << i;
        EXPECT_EQ(table[i].rgbBlue, got[i].peBlue) << i;
        EXPECT_EQ(0, got[i].peFlags) << i;
    }
}

TEST_F(PictureTest, PaletteFromEightBitPictureHasAllEntries)
{
    const BITMAPINFOHEADER *page = FindDib(mirel, 120);
    ASSERT_NE(nullptr, page);
    ASSERT_EQ(8, page->biBitCount);
    int entries = -1;
    HPALETTE palette = CreateDibPalette(page, &entries);
    EXPECT_EQ(256, entries);
    ExpectPaletteMatchesTable(palette, page, 256);
    DeleteObject(palette);

    /* biClrUsed is not consulted: a short count still gives 256 entries. */
    const BITMAPINFOHEADER *shortCount = FindDib(fixture, 203);
    ASSERT_EQ(16u, shortCount->biClrUsed);
    palette = CreateDibPalette(shortCount, &entries);
    EXPECT_EQ(256, entries);
    ExpectPaletteMatchesTable(palette, shortCount, 256);
    DeleteObject(palette);
}

TEST_F(PictureTest, PaletteSizeFollowsTheBitCount)
{
    int entries = -1;
    HPALETTE palette = CreateDibPalette(FindDib(fixture, 202), &entries);
    EXPECT_EQ(16, entries);
    ExpectPaletteMatchesTable(palette, FindDib(fixture, 202), 16);
    DeleteObject(palette);

    EXPECT_EQ(nullptr, CreateDibPalette(FindDib(fixture, 201), &entries));
    EXPECT_EQ(0, entries) << "a 24-bit picture has no colour table";
}

TEST_F(PictureTest, LoadDibWithPaletteGivesBitmapAndItsPalette)
{
    HPALETTE palette = (HPALETTE)1;
    EXPECT_EQ(nullptr, LoadDibWithPalette(mirel, 999, &palette));
    EXPECT_EQ(nullptr, palette);

    HBITMAP page = LoadDibWithPalette(mirel, 120, &palette);
    ASSERT_NE(nullptr, page);
    BITMAP size;
    GetObjectA(page, sizeof(size), &size);
    EXPECT_EQ(FindDib(mirel, 120)->biWidth, size.bmWidth);
    EXPECT_EQ(FindDib(mirel, 120)->biHeight, size.bmHeight);
    EXPECT_NE(nullptr, palette);
    EXPECT_EQ(256u, GetPaletteEntries(palette, 0, 0, NULL));
    DeleteObject(page);
    DeleteObject(palette);

    HBITMAP trueColour = LoadDibWithPalette(fixture, 201, &palette);
    EXPECT_NE(nullptr, trueColour);
    EXPECT_EQ(nullptr, palette);
    DeleteObject(trueColour);
}

TEST_F(PictureTest, SystemPaletteHasAllEntries)
{
    HDC screen = GetDC(NULL);
    HPALETTE palette = CreateSystemPalette(screen);
    ReleaseDC(NULL, screen);
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(256u, GetPaletteEntries(palette, 0, 0, NULL));
    DeleteObject(palette);
}

/* A control of the given size and a 32-bit memory surface to paint it into. */
struct PaintTarget {
    HWND control;
    HDC dc;
    HBITMAP surface;
    HGDIOBJ previous;
    DWORD *pixels;
    int w, h;
};

static void MakeTarget(PaintTarget *t, int w, int h)
{
    t->w = w;
    t->h = h;
    t->control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, w, h, NULL, NULL, NULL, NULL);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    t->dc = CreateCompatibleDC(NULL);
    t->surface = CreateDIBSection(t->dc, &info, DIB_RGB_COLORS, (void **)&t->pixels, NULL, 0);
    t->previous = SelectObject(t->dc, t->surface);
    for (int i = 0; i < w * h; i++)
        t->pixels[i] = 0x00FF00FF;   /* magenta: nothing painted */
}

static void FreeTarget(PaintTarget *t)
{
    SelectObject(t->dc, t->previous);
    DeleteObject(t->surface);
    DeleteDC(t->dc);
    DestroyWindow(t->control);
}

/* The picture as painted into the 32-bit target, against the resource. */
static double ScaledMatch(const PaintTarget &t, const BITMAPINFOHEADER *dib)
{
    return ScaledMatch(t.w, t.h, dib, [&](int x, int y) {
        DWORD pixel = t.pixels[y * t.w + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    });
}

TEST_F(PictureTest, PaintRefusesMissingWindowOrDevice)
{
    PaintTarget t;
    MakeTarget(&t, 20, 20);
    EXPECT_EQ(0, PaintPageBitmap(NULL, t.dc, 120));
    EXPECT_EQ(0, PaintPageBitmap(t.control, NULL, 120));
    FreeTarget(&t);
}

TEST_F(PictureTest, PictureIsScaledToFillTheControlOnBothPaths)
{
    BitmapLibrary = mirel;
    const int sizes[][2] = { { 204, 264 }, { 150, 190 }, { 300, 380 } };
    for (DWORD colourClass : { 1u, 3u, 5u }) {
        for (auto &size : sizes) {
            for (int id : { 120, 130, 127 }) {
                SCOPED_TRACE(testing::Message() << "class " << colourClass << " size " << size[0] << "x"
                                                << size[1] << " picture " << id);
                DiagnosticResults.display.colourClass = colourClass;
                PaintTarget t;
                MakeTarget(&t, size[0], size[1]);
                EXPECT_EQ(1, PaintPageBitmap(t.control, t.dc, id));
                EXPECT_GT(ScaledMatch(t, FindDib(mirel, id)), 0.9);
                EXPECT_NE(0x00FF00FFu, t.pixels[(t.h - 1) * t.w + t.w - 1]) << "the corner is painted";
                FreeTarget(&t);
            }
        }
    }
}

TEST_F(PictureTest, TrueColourPictureIsStillDrawnOnThePalettePath)
{
    BitmapLibrary = fixture;
    DiagnosticResults.display.colourClass = 1;
    PaintTarget t;
    MakeTarget(&t, 80, 60);
    EXPECT_EQ(1, PaintPageBitmap(t.control, t.dc, 201));
    EXPECT_GT(ScaledMatch(t, FindDib(fixture, 201)), 0.9);
    FreeTarget(&t);
}

TEST_F(PictureTest, MissingPictureLeavesTheControlAlone)
{
    for (DWORD colourClass : { 1u, 5u }) {
        DiagnosticResults.display.colourClass = colourClass;
        for (HMODULE library : { mirel, (HMODULE)NULL }) {
            BitmapLibrary = library;
            PaintTarget t;
            MakeTarget(&t, 40, 40);
            EXPECT_EQ(1, PaintPageBitmap(t.control, t.dc, 555));
            EXPECT_EQ(0x00FF00FFu, t.pixels[20 * 40 + 20]);
            FreeTarget(&t);
        }
    }
}
