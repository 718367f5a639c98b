/* The page picture painted into a 32-bit memory surface on both paths, the
   colour class forced to 1 (palette) and to 5 (DIB section) whatever the
   screen; the palettes made from colour tables; repainting on palette
   changes. Tables in expected/pictures.txt. */
#include "unit_support.h"

static COLORREF FixtureColour(int picture, int x, int y) {   /* as the fixture library's generator draws them */
    int i = picture == 202 ? x : (x + y) % 16;
    return picture == 201 ? RGB(200, 8 * y, 6 * x) : picture == 202 ? RGB(16 * i, 255 - 16 * i, 37 * i % 256) : RGB(i, 255 - i, 7 * i % 256);
}

TEST_F(InProcessTest, PagePictureFillsTheControlOnBothPaths) {
    DWORD savedClass = DiagnosticResults.display.colourClass;
    BitmapLibrary = LoadLibraryA(Fixture("picture_fixture.dll").c_str());
    for (const Row &row : Table("pictures.txt", "paints")) {   /* class | picture | its size | control size */
        int picture = Number(row[1]), pw, ph, w, h, inPlace = 0;
        DWORD *pixels;
        sscanf((row[2] + " " + row[3]).c_str(), "%d %d %d %d", &pw, &ph, &w, &h);
        DiagnosticResults.display.colourClass = Number(row[0]);
        HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, w, h, NULL, NULL, NULL, NULL);
        BITMAPINFO info = { { sizeof(BITMAPINFOHEADER), w, -h, 1, 32 } };
        HDC dc = CreateCompatibleDC(NULL);
        HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)&pixels, NULL, 0);
        SelectObject(dc, surface), std::fill(pixels, pixels + w * h, 0x00FF00FFu);
        EXPECT_EQ(1, PaintPageBitmap(control, dc, picture));
        /* The middle of each picture pixel, scaled to the control, shows its colour: near it, for on a
           256-colour screen the palette path's bitmap has the screen's colours, and Wine's scaling lands a
           column off here and there. */
        for (int y = 0; y < ph; y++)
            for (int x = 0; x < pw; x++) {
                DWORD pixel = pixels[(2 * y + 1) * h / (2 * ph) * w + (2 * x + 1) * w / (2 * pw)];
                COLORREF want = FixtureColour(picture, x, y);
                inPlace += abs((int)(pixel >> 16 & 0xFF) - GetRValue(want)) <= 48 && abs((int)(pixel >> 8 & 0xFF) - GetGValue(want)) <= 48 &&
                           abs((int)(pixel & 0xFF) - GetBValue(want)) <= 48;
            }
        EXPECT_GE(inPlace * 5, pw * ph * 4) << inPlace << " of " << pw * ph << " in place: class " << row[0] << ", " << row[1] << " into " << row[3];
        std::fill(pixels, pixels + w * h, 0x00FF00FFu);
        EXPECT_EQ(1, PaintPageBitmap(control, dc, 999));
        EXPECT_EQ(w * h, std::count(pixels, pixels + w * h, 0x00FF00FFu)) << "a missing picture leaves the control alone";
        EXPECT_EQ(0, PaintPageBitmap(NULL, dc, picture) + PaintPageBitmap(control, NULL, picture));
        DeleteDC(dc), DeleteObject(surface), DestroyWindow(control);
    }
    FreeLibrary(BitmapLibrary), DiagnosticResults.display.colourClass = savedClass;
}

TEST_F(InProcessTest, PaletteEntriesByBitCount) {
    struct { BITMAPINFOHEADER header; RGBQUAD table[256]; } dib = { { sizeof(BITMAPINFOHEADER), 4, 4, 1 }, {} };
    for (int i = 0; i < 256; i++) dib.table[i] = RGBQUAD{ (BYTE)i, (BYTE)(2 * i), (BYTE)(255 - i), 0 };
    for (const Row &row : Table("pictures.txt", "palettes")) {   /* bits | biClrUsed | entries */
        dib.header.biBitCount = (WORD)Number(row[0]), dib.header.biClrUsed = Number(row[1]);
        int entries = -1, n = Number(row[2]);
        HPALETTE palette = CreateDibPalette(&dib.header, &entries);
        PALETTEENTRY last = {};
        if (palette) GetPaletteEntries(palette, n - 1, 1, &last);
        EXPECT_TRUE(entries == n && (palette ? GetPaletteEntries(palette, 0, 256, NULL) : 0u) == (UINT)n) << row[0] << " bits: " << entries;
        EXPECT_EQ(n ? RGB(255 - (n - 1), 2 * (n - 1) & 0xFF, n - 1) : 0, RGB(last.peRed, last.peGreen, last.peBlue)) << row[0] << " bits";
        DeleteObject(palette);
    }
}

static int paints;
static LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PAINTSTRUCT paint;
    if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
    return BeginPaint(window, &paint), EndPaint(window, &paint), paints++, 0;
}

TEST_F(InProcessTest, PaletteChangesRepaintUnlessThePictureCausedThem) {
    WNDCLASSA paintClass = {};
    paintClass.lpfnWndProc = CountPaints, paintClass.lpszClassName = "UnitPaintCounter", RegisterClassA(&paintClass);
    HWND window = CreateWindowExA(0, "UnitPaintCounter", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    HWND picture = CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 10, 10, window, (HMENU)1016, NULL, NULL);
    std::string seen;   /* result and paints so far, for the picture control, another window and none */
    UpdateWindow(window), paints = 0;
    for (WPARAM from : { (WPARAM)picture, (WPARAM)GetDesktopWindow(), (WPARAM)0 })
        seen += std::to_string(RepaintForPalette(window, from)), seen += " " + std::to_string(paints) + " ";
    EXPECT_EQ("0 0 1 1 1 2 ", seen);
    DestroyWindow(window);
}
