/* Broken inputs from files and the command line: version blocks cut at
   every length, pictures cut short or with headers they do not live up to,
   language libraries without texts, command lines of every length. */
#include "sweep.h"

#include "broken_pictures.h"
#include "main_window.h"

/* A real version block cut to every length, lying right before a page that
   cannot be read (a scan one byte too far ends the program). It reaches the
   reader through the version calls and the lock of its memory block. */
static std::vector<BYTE> versionBlock;
static BYTE *fence;
static DWORD WINAPI CutSize(LPCSTR, LPDWORD) { return (DWORD)versionBlock.size(); }
static BOOL WINAPI CutBlock(LPCSTR, DWORD, DWORD size, LPVOID out) { return memcpy(out, versionBlock.data(), size) != 0; }
static LPVOID WINAPI LockBeforeFence(HGLOBAL) { return fence - versionBlock.size(); }

TEST(VersionBlockSweep, ScanNeverPassesTheEndOfABlockCutAtAnyLength)
{
    std::string path = FixturePath("v4_2_3_1234.dll");
    std::vector<BYTE> whole(GetFileVersionInfoSizeA(path.c_str(), NULL));
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, (DWORD)whole.size(), whole.data()));
    const BYTE signature[] = { 0xBD, 0x04, 0xEF, 0xFE };
    size_t at = std::search(whole.begin(), whole.end(), signature, signature + 4) - whole.begin();
    BYTE *pages = (BYTE *)VirtualAlloc(NULL, 0x20000, MEM_RESERVE, PAGE_NOACCESS);   /* the second half never readable */
    fence = (BYTE *)VirtualAlloc(pages, 0x10000, MEM_COMMIT, PAGE_READWRITE) + 0x10000;
    ReplaceImport("version.dll", "GetFileVersionInfoSizeA", (void *)CutSize);
    ReplaceImport("version.dll", "GetFileVersionInfoA", (void *)CutBlock);
    ASSERT_TRUE(ReplaceImport("kernel32.dll", "GlobalLock", (void *)LockBeforeFence));
    for (size_t length = 0; length <= whole.size(); length += Stride(13)) {
        versionBlock.assign(whole.begin(), whole.begin() + length);
        DWORD pair[4] = { 0xCC, 0xEE, 0xEE, 0xCC };
        LastResult = 0;
        bool found = length > at + 52;   /* the fixed info lies before the last 52 bytes' start */
        EXPECT_EQ(found, ReadFileVersion(path.c_str(), pair + 1)) << length;
        EXPECT_EQ(found ? 0u : 11u, LastResult) << length;
        std::vector<DWORD> expected = { 0xCC, found ? 0x00040002u : 0, found ? 0x000304D2u : 0, 0xCC };
        EXPECT_EQ(expected, std::vector<DWORD>(pair, pair + 4)) << length;
    }
    RestoreImports();
    VirtualFree(pages, 0, MEM_RELEASE);
}

/* Pictures of broken_pictures.dll on both paint paths and through the
   loader. One that holds less than its header promises never reaches the
   system (which would read past it); a whole one fills the control; nothing
   is drawn outside it; no GDI object is left, also when the system cannot
   make the bitmap. */
static int pictureKind, failBitmaps;
static decltype(&CreateDIBitmap) realCreateDib;
static decltype(&LoadImageA) realLoadImage;

static HBITMAP WINAPI GuardedCreateDib(HDC dc, const BITMAPINFOHEADER *header, DWORD init, const void *bits,
                                            const BITMAPINFO *info, UINT usage)
{
    EXPECT_NE(-1, pictureKind) << "handed to CreateDIBitmap";
    return pictureKind == -1 || failBitmaps ? NULL : realCreateDib(dc, header, init, bits, info, usage);
}

static HANDLE WINAPI GuardedLoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    EXPECT_NE(-1, pictureKind) << "handed to LoadImageA";
    return pictureKind == -1 ? NULL : realLoadImage(module, name, type, cx, cy, flags);
}

TEST(PictureSweep, BrokenPicturesAreNeverReadPastAndLeaveNothingBehind)
{
    HMODULE library = BitmapLibrary = LoadLibraryA(FixturePath("broken_pictures.dll").c_str());
    HWND control = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 60, 50, NULL, NULL, NULL, NULL);
    BITMAPINFO info = { { sizeof(BITMAPINFOHEADER), 80, -70, 1, 32, BI_RGB, 0, 0, 0, 0, 0 }, {} };
    DWORD *pixels;
    HDC dc = CreateCompatibleDC(NULL);
    SelectObject(dc, CreateDIBSection(NULL, &info, DIB_RGB_COLORS, (void **)&pixels, NULL, 0));
    realCreateDib = (decltype(&CreateDIBitmap))ReplaceImport("gdi32.dll", "CreateDIBitmap", (void *)GuardedCreateDib);
    realLoadImage = (decltype(&LoadImageA))ReplaceImport("user32.dll", "LoadImageA", (void *)GuardedLoadImage);
    int objects = 0;
    for (size_t i = 0; i < sizeof(brokenPictures) / sizeof(brokenPictures[0]); i += Stride(5)) {
        const auto &picture = brokenPictures[i];
        SCOPED_TRACE(picture.name);
        pictureKind = picture.kind;
        for (failBitmaps = 0; failBitmaps < 2; failBitmaps++) {   /* the loader, the system failing or not */
            HPALETTE palette = (HPALETTE)1;
            HBITMAP bitmap = LoadDibWithPalette(library, picture.id, &palette);
            EXPECT_TRUE(bitmap ? picture.kind != -1 && !failBitmaps : palette == NULL && (picture.kind != 1 || failBitmaps))
                << (failBitmaps ? "CreateDIBitmap failing" : "");
            DeleteObject(bitmap);
            DeleteObject(palette);
        }
        failBitmaps = 0;
        for (DWORD colourClass : { 1, 5 }) {   /* the palette path, the DIB-section path */
            DiagnosticResults.display.colourClass = colourClass;
            std::fill(pixels, pixels + 80 * 70, 0x00FF00FF);
            EXPECT_EQ(1, PaintPageBitmap(control, dc, picture.id));
            GdiFlush();
            int inside = 0, outside = 0;
            for (int p = 0; p < 80 * 70; p++)
                (p % 80 < 60 && p / 80 < 50 ? inside : outside) += pixels[p] != 0x00FF00FF;
            EXPECT_TRUE(outside == 0 && (picture.kind == 0 || inside == (picture.kind == 1 ? 60 * 50 : 0)))
                << "colour class " << colourClass << ": " << inside << " inside, " << outside << " outside";
        }
        objects = i ? objects : CountGdiObjects();   /* after what the first paints keep for good */
    }
    EXPECT_EQ(objects, CountGdiObjects());
    RestoreImports();
    DestroyWindow(control);
    RecordDisplayMode();
}

/* Language libraries without a string table and with only empty strings:
   every text operation gives "", also right after a real text. */
TEST(LanguageSweep, LibrariesWithoutTextsGiveEmptyTexts)
{
    SelectProductProfile("Mirel");
    ASSERT_EQ(1, LoadLanguageLibrary());
    HMODULE real = LanguageLibrary;
    for (const char *name : { "no_strings.dll", "empty_strings.dll" })
        for (UINT id : { 0, 1, 2, 4, 6, 1000, 1001, 3000, 3004, 5000, 5100, 10000, 11100, 12100, 14000, 65535 }) {
            LanguageLibrary = real;
            LoadText(2), LoadLongText(10000), SetResultText(10000);
            LanguageLibrary = LoadLibraryA(FixturePath(name).c_str());
            SetResultText(id);
            EXPECT_TRUE(LanguageLibrary && !*ResultText && !*LoadText(id) && !*LoadLongText(id)) << name << " " << id;
            FreeLibrary(LanguageLibrary);
        }
    LanguageLibrary = real;
}

/* Command-line tails of every length, with format directives and bytes above
   127 in them: only a whole hardware ID selects its family. */
static std::string Tail(size_t length, std::string start = "")
{
    while (start.size() < length)
        start += "%s%n%x\xB4\xE9 Kiron";
    return start.substr(0, length);
}

/* Each tail as the profile choice, and through the whole start-up (ended
   early by a language library that is not there): the message names the
   tail, cut where wsprintfA would cut it. */
TEST(CommandLineSweep, OnlyAWholeHardwareIdSelectsItsFamilyAndOthersAreNamed)
{
    const char *ids[] = { "Kiron", "ORSA", "VELA", "Mirel" };
    const char *libraries[] = { "KironBitmap.dll", "OrsaBitmap.dll", "VelaBitmap.dll", "MirelBitmap.dll" };
    std::vector<size_t> lengths = { 979, 980, 981, 1023, 1024, 32767, 32768, 100000 };
    for (size_t length = 0; length <= 1100; length += Stride(53))
        lengths.push_back(length);
    SelectProductProfile("Mirel");
    WriteHklmString(Profile.productKey, "Language", "999");
    for (size_t length : lengths) {
        for (int id = 0; id < 4; id++) {
            std::string tail = Tail(length, ids[id]);
            Guarded buffer(tail.size() + 1);
            std::copy(tail.c_str(), tail.c_str() + tail.size() + 1, buffer.data());
            ASSERT_EQ(tail == ids[id], SelectProductProfile((const char *)buffer.data())) << length;
            ASSERT_STREQ(tail == ids[id] ? libraries[id] : "MirelBitmap.dll", Profile.bitmapLibrary) << length;
            ASSERT_TRUE(buffer.Intact() && tail == (const char *)buffer.data()) << length;
        }
        std::string tail = Tail(length);
        RecordMessageBoxes(IDOK);
        EXPECT_EQ(2, RunProgram(GetModuleHandleA(NULL), tail.c_str())) << length;
        RestoreImports();
        ASSERT_EQ(length ? 2u : 1u, RecordedBoxes.size()) << length;
        const RecordedBox &box = RecordedBoxes[0];
        std::string text = ("Hardware ID \xB4" + tail + "\xB4 not supported\nAssuming Mirel").substr(0, 1023);
        EXPECT_TRUE(!length || (box.text == text && box.title == "Tavolink Systems Quorvex" && box.style == MB_ICONERROR &&
                                !box.owner))
            << length << ": " << box.text.substr(0, 100) << " (" << box.text.size() << " characters)";
        EXPECT_EQ(0u, RecordedBoxes.back().text.find("Language ")) << RecordedBoxes.back().text;
    }
    DeleteHklmValue(Profile.productKey, "Language");
}
