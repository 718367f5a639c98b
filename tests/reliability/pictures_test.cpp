/* Painting broken pictures: every bitmap of broken_pictures.dll (whole ones,
   ones cut at many lengths, wrong header sizes, huge sizes, bad bit and
   colour counts, compressions they do not hold) painted on the 256-colour
   path and on the DIB-section path.

   The system is never to be handed a picture it would read past: the test
   stands between the program and CreateDIBitmap and LoadImageA, and checks
   that every byte those calls read (header, colour table, pixel bits, as the
   system reads them) lies inside the resource. Whole pictures must be drawn;
   nothing may be drawn outside the control. */
#include <gtest/gtest.h>
#include <windows.h>
#include <stdint.h>
#include <string>

#include "bitmap_library.h"
#include "broken_pictures.h"
#include "diagnostic_results.h"
#include "iat_patch.h"
#include "page_bitmap.h"
#include "test_paths.h"

#define CONTROL_WIDTH  60
#define CONTROL_HEIGHT 50
#define SURFACE_WIDTH  80
#define SURFACE_HEIGHT 70
#define SENTINEL       0x00FF00FFu

/* The resource being painted, and what the guards saw. */
static const BYTE *resourceStart;
static uint64_t resourceSize;
static int systemCalls;
static std::string currentPicture;

static uint64_t RowBytes(int64_t width, int64_t bits)
{
    if (width < 0)
        width = -width;
    return (uint64_t)((width * bits + 31) / 32) * 4;
}

/* How many bytes of pixel data the system reads for this header. */
static uint64_t PixelBytes(const BITMAPINFOHEADER *info)
{
    if (info->biCompression == BI_RLE8 || info->biCompression == BI_RLE4 || info->biCompression == BI_JPEG ||
        info->biCompression == BI_PNG)
        return info->biSizeImage;
    int64_t height = info->biHeight;
    return RowBytes(info->biWidth, info->biBitCount) * (uint64_t)(height < 0 ? -height : height);
}

/* Size of the header and colour table as the system reads them from a
   BITMAPINFO: at most 256 colours, masks for bit fields, core headers with
   three-byte colours. */
static uint64_t InfoBytes(const BITMAPINFOHEADER *info)
{
    if (info->biSize == sizeof(BITMAPCOREHEADER)) {
        const BITMAPCOREHEADER *core = (const BITMAPCOREHEADER *)info;
        return sizeof(BITMAPCOREHEADER) + (core->bcBitCount <= 8 ? (3u << core->bcBitCount) : 0);
    }
    uint64_t colours = info->biClrUsed > 256 ? 256 : info->biClrUsed;
    if (colours == 0 && info->biBitCount <= 8)
        colours = 1u << info->biBitCount;
    uint64_t masks = info->biCompression == BI_BITFIELDS ? 12 : 0;
    uint64_t header = info->biSize > 40 + masks ? info->biSize : 40 + masks;
    return header + colours * 4;
}

static uint64_t CorePixelBytes(const BITMAPCOREHEADER *core)
{
    return RowBytes(core->bcWidth, core->bcBitCount) * core->bcHeight;
}

static bool Inside(const void *start, uint64_t size)
{
    const BYTE *p = (const BYTE *)start;
    if (p < resourceStart || p > resourceStart + resourceSize)
        return false;
    return (uint64_t)(p - resourceStart) + size <= resourceSize;
}

typedef HBITMAP(WINAPI *CreateDIBitmapProc)(HDC, const BITMAPINFOHEADER *, DWORD, const void *,
                                              const BITMAPINFO *, UINT);
typedef HANDLE(WINAPI *LoadImageProc)(HINSTANCE, LPCSTR, UINT, int, int, UINT);
static CreateDIBitmapProc realCreateDIBitmap;
static LoadImageProc realLoadImage;

static HBITMAP WINAPI GuardedCreateDIBitmap(HDC dc, const BITMAPINFOHEADER *header, DWORD init, const void *bits,
                                            const BITMAPINFO *info, UINT usage)
{
    systemCalls++;
    if (!Inside(header, 40) || !Inside(info, InfoBytes(&info->bmiHeader)) ||
        (init & CBM_INIT && !Inside(bits, info->bmiHeader.biSize == 12
                                              ? CorePixelBytes((const BITMAPCOREHEADER *)info)
                                              : PixelBytes(&info->bmiHeader)))) {
        ADD_FAILURE() << currentPicture << ": CreateDIBitmap would read past the resource";
        return NULL;
    }
    return realCreateDIBitmap(dc, header, init, bits, info, usage);
}

/* The loader finds the resource itself and reads its pixel bits right after
   the header and colour table. */
static HANDLE WINAPI GuardedLoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (module == BitmapLibrary && type == IMAGE_BITMAP) {
        systemCalls++;
        const BITMAPINFOHEADER *info = (const BITMAPINFOHEADER *)resourceStart;
        bool whole = resourceSize >= 12 && Inside(info, info->biSize == 12 ? 12 : 40);
        if (whole) {
            uint64_t pixels = info->biSize == 12 ? CorePixelBytes((const BITMAPCOREHEADER *)info) : PixelBytes(info);
            uint64_t infoBytes = InfoBytes(info);
            whole = infoBytes <= resourceSize && pixels <= resourceSize - infoBytes;
        }
        if (!whole) {
            ADD_FAILURE() << currentPicture << ": LoadImageA was handed a picture it would read past";
            return NULL;
        }
    }
    return realLoadImage(module, name, type, cx, cy, flags);
}

class BrokenPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library = LoadLibraryA((TestProgramDirectory() + "reliability\\broken_pictures.dll").c_str());
        ASSERT_NE(nullptr, library);
        patch = new ImportPatch();
        realCreateDIBitmap =
            (CreateDIBitmapProc)patch->Replace("gdi32.dll", "CreateDIBitmap", (void *)GuardedCreateDIBitmap);
        realLoadImage = (LoadImageProc)patch->Replace("user32.dll", "LoadImageA", (void *)GuardedLoadImage);
        ASSERT_NE(nullptr, (void *)realCreateDIBitmap);
        ASSERT_NE(nullptr, (void *)realLoadImage);
    }
    static void TearDownTestSuite()
    {
        delete patch;
        patch = NULL;
        FreeLibrary(library);
    }

    void SetUp() override
    {
        previousLibrary = BitmapLibrary;
        previousClass = DiagnosticResults.display.colourClass;
        BitmapLibrary = library;
        control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, CONTROL_WIDTH, CONTROL_HEIGHT, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
        ASSERT_NE(nullptr, control);
        RECT client;
        GetClientRect(control, &client);
        ASSERT_EQ(CONTROL_WIDTH, client.right);
        ASSERT_EQ(CONTROL_HEIGHT, client.bottom);

        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = SURFACE_WIDTH;
        info.bmiHeader.biHeight = -SURFACE_HEIGHT;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        surface = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, (void **)&pixels, NULL, 0);
        ASSERT_NE(nullptr, surface);
        dc = CreateCompatibleDC(NULL);
        previousSurface = SelectObject(dc, surface);
    }

    void TearDown() override
    {
        SelectObject(dc, previousSurface);
        DeleteDC(dc);
        DeleteObject(surface);
        DestroyWindow(control);
        BitmapLibrary = previousLibrary;
        DiagnosticResults.display.colourClass = previousClass;
    }

    void Fill()
    {
        GdiFlush();
        for (int i = 0; i < SURFACE_WIDTH * SURFACE_HEIGHT; i++)
            pixels[i] = SENTINEL;
    }

    /* Paints one picture; returns how many pixels of the control were drawn. */
    int Paint(int index)
    {
        int id = brokenPictures[index].id;
        currentPicture = std::string(brokenPictures[index].description) + " (" + std::to_string(id) + ")";
        HRSRC resource = FindResourceA(library, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
        EXPECT_NE(nullptr, resource) << currentPicture;
        resourceStart = (const BYTE *)LockResource(LoadResource(library, resource));
        resourceSize = SizeofResource(library, resource);
        Fill();
        EXPECT_EQ(1, PaintPageBitmap(control, dc, (DWORD)id)) << currentPicture;
        GdiFlush();
        int drawn = 0;
        for (int y = 0; y < SURFACE_HEIGHT; y++)
            for (int x = 0; x < SURFACE_WIDTH; x++) {
                bool changed = pixels[y * SURFACE_WIDTH + x] != SENTINEL;
                if (x < CONTROL_WIDTH && y < CONTROL_HEIGHT)
                    drawn += changed;
                else if (changed) {
                    ADD_FAILURE() << currentPicture << ": drawn outside the control at " << x << "," << y;
                    return drawn;
                }
            }
        return drawn;
    }

    void PaintEveryPicture(DWORD colourClass)
    {
        DiagnosticResults.display.colourClass = colourClass;
        int wholeDrawn = 0, wholeCount = 0, brokenDrawn = 0;
        systemCalls = 0;
        for (int i = 0; i < BROKEN_PICTURE_COUNT; i++) {
            int drawn = Paint(i);
            if (brokenPictures[i].whole) {
                wholeCount++;
                EXPECT_EQ(CONTROL_WIDTH * CONTROL_HEIGHT, drawn) << currentPicture << " fills the control";
                wholeDrawn += drawn == CONTROL_WIDTH * CONTROL_HEIGHT;
            } else {
                brokenDrawn += drawn > 0;
            }
        }
        EXPECT_EQ(wholeCount, wholeDrawn);
        EXPECT_GE(systemCalls, wholeCount) << "the guards saw the calls";
        RecordProperty("pictures", BROKEN_PICTURE_COUNT);
        RecordProperty("broken_pictures_drawn", brokenDrawn);
    }

    static HMODULE library;
    static ImportPatch *patch;
    HMODULE previousLibrary;
    DWORD previousClass;
    HWND control;
    HBITMAP surface;
    DWORD *pixels;
    HDC dc;
    HGDIOBJ previousSurface;
};

HMODULE BrokenPictureTest::library;
ImportPatch *BrokenPictureTest::patch;

TEST_F(BrokenPictureTest, EveryPictureOnThePalettePath)
{
    PaintEveryPicture(1);
}

TEST_F(BrokenPictureTest, EveryPictureOnTheDibSectionPath)
{
    PaintEveryPicture(5);
}

/* The loader itself: whole pictures come back at their own size with their
   palette; a broken one gives neither bitmap nor palette. */
TEST_F(BrokenPictureTest, LoadDibWithPaletteOfEveryPicture)
{
    for (int i = 0; i < BROKEN_PICTURE_COUNT; i++) {
        int id = brokenPictures[i].id;
        currentPicture = brokenPictures[i].description;
        HRSRC resource = FindResourceA(library, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
        resourceStart = (const BYTE *)LockResource(LoadResource(library, resource));
        resourceSize = SizeofResource(library, resource);
        HPALETTE palette = (HPALETTE)(INT_PTR)0x1234;
        HBITMAP bitmap = LoadDibWithPalette(library, (DWORD)id, &palette);
        if (brokenPictures[i].whole) {
            ASSERT_NE(nullptr, bitmap) << currentPicture;
            const BITMAPINFOHEADER *info = (const BITMAPINFOHEADER *)resourceStart;
            BITMAP size = {};
            GetObjectA(bitmap, sizeof(size), &size);
            EXPECT_EQ(info->biWidth, size.bmWidth) << currentPicture;
            EXPECT_EQ(info->biHeight < 0 ? -info->biHeight : info->biHeight, size.bmHeight) << currentPicture;
            EXPECT_EQ(info->biBitCount <= 8, palette != NULL) << currentPicture;
        } else if (bitmap == NULL) {
            EXPECT_EQ(nullptr, palette) << currentPicture << ": no bitmap, no palette";
        }
        if (bitmap != NULL)
            DeleteObject(bitmap);
        if (palette != NULL && palette != (HPALETTE)(INT_PTR)0x1234)
            DeleteObject(palette);
    }
}
