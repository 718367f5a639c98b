/* The display tests against a scripted DirectDraw driver: every set-up
   failure, the pixel formats, the picture in the primary, the overlay
   checks, format choice, zoom and YUV conversion. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "bitmap_library.h"
#include "display_tests.h"
#include "fake_ddraw.h"
#include "language.h"
#include "picture_match.h"
#include "platform.h"
#include "product_profile.h"
#include "program.h"
#include "test_paths.h"

/* Calls the tests make besides DirectDraw, answered and recorded here. */
static std::vector<DWORD> sleeps;
static int questionAnswer = IDYES;
static std::vector<std::string> questions;
static std::vector<UINT> questionStyles;
static DWORD screenBits = 24;

static VOID WINAPI RecordSleep(DWORD ms) { sleeps.push_back(ms); }
static int WINAPI AnswerQuestion(HWND, LPCSTR text, LPCSTR caption, UINT style)
{
    questions.push_back(std::string(caption) + "|" + text);
    questionStyles.push_back(style);
    return questionAnswer;
}
static BOOL WINAPI ScriptedDisplaySettings(LPCSTR, DWORD, DEVMODEA *mode)
{
    mode->dmBitsPerPel = mode->dmSize == sizeof(DEVMODEA) ? screenBits : 0;
    return TRUE;
}

class DisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ProgramInstance = GetModuleHandleA(NULL);
        SelectProductProfile("Mirel");
        LoadLanguageLibrary();
        mirel = LoadLibraryA((TestProgramDirectory() + "MirelBitmap.dll").c_str());
    }

    void SetUp() override
    {
        BitmapLibrary = mirel;
        PlatformClass = PLATFORM_NT5;
        LastResult = 0;
        ZeroMemory(&DiagnosticResults, sizeof(DiagnosticResults));
        sleeps.clear();
        questions.clear();
        questionStyles.clear();
        questionAnswer = IDYES;
        screenBits = 24;
        driver.script.displayMode = DisplayMode(1024, 768, 32);
        driver.script.identifier.dwVendorId = 0x10DE;
        driver.script.identifier.dwDeviceId = 0x0110;
        lstrcpyA(driver.script.identifier.szDriver, "fake.dll");
    }

    void TearDown() override
    {
        patch.Restore();
        ReleaseDirectDraw();
    }

    /* Puts the double and the recorders in place with the script as it now stands. */
    void Install()
    {
        ASSERT_TRUE(InstallFakeDriver(patch, &driver)) << "the test program does not import DirectDrawCreate";
        ASSERT_NE(nullptr, patch.Replace("kernel32.dll", "Sleep", (void *)RecordSleep));
        ASSERT_NE(nullptr, patch.Replace("user32.dll", "MessageBoxA", (void *)AnswerQuestion));
        ASSERT_NE(nullptr, patch.Replace("user32.dll", "EnumDisplaySettingsA", (void *)ScriptedDisplaySettings));
    }

    /* Every reference the program took is given back, and none twice. */
    void ExpectAllReleased()
    {
        EXPECT_EQ(0, driver.liveObjects);
        EXPECT_EQ(0, driver.foreignReleases);
        EXPECT_EQ(nullptr, DirectDrawState.directDraw);
        EXPECT_EQ(nullptr, DirectDrawState.directDraw2);
        EXPECT_EQ(nullptr, DirectDrawState.primarySurface);
        EXPECT_EQ(nullptr, DirectDrawState.overlaySurface);
        EXPECT_EQ(nullptr, DirectDrawState.surfaceMemory);
    }

    static HMODULE mirel;
    FakeDriver driver;
    ImportPatch patch;
};
HMODULE DisplayTest::mirel;

/* ---------------------------------------------------------------------------
   Set-up failures, each through the whole primary test. */

struct SetUpCase {
    const char *name;
    void (*script)(DriverScript &s, DWORD &bits);
    ResultCode code;
    UINT text;
};

static const SetUpCase setUpCases[] = {
    { "create fails", [](DriverScript &s, DWORD &) { s.create = DDERR_NODIRECTDRAWHW; }, 20, 13300 },
    { "no IDirectDraw4", [](DriverScript &s, DWORD &) { s.queryDirectDraw4 = E_NOINTERFACE; }, 21, 13400 },
    { "IDirectDraw4 handed out on failure",
      [](DriverScript &s, DWORD &) { s.queryDirectDraw4 = E_NOINTERFACE, s.directDraw4OnFailure = true; }, 21, 13400 },
    { "IDirectDraw4 null", [](DriverScript &s, DWORD &) { s.directDraw4Null = true; }, 21, 13400 },
    { "no identifier", [](DriverScript &s, DWORD &) { s.deviceIdentifier = DDERR_GENERIC; }, 26, 13800 },
    { "no IDirectDraw2", [](DriverScript &s, DWORD &) { s.queryDirectDraw2 = E_NOINTERFACE; }, 21, 13400 },
    { "GetCaps fails", [](DriverScript &s, DWORD &) { s.getCaps = DDERR_GENERIC; }, 26, 13800 },
    { "no hardware", [](DriverScript &s, DWORD &) { s.caps.dwCaps = DDCAPS_NOHARDWARE; }, 22, 13500 },
    { "bank-switched", [](DriverScript &s, DWORD &) { s.caps.dwCaps = DDCAPS_BANKSWITCHED; }, 23, 13600 },
    { "screen below 8 bits", [](DriverScript &, DWORD &bits) { bits = 4; }, 24, 13700 },
    { "GetDisplayMode fails", [](DriverScript &s, DWORD &) { s.displayModeResult = DDERR_GENERIC; }, 26, 13800 },
    { "15-bit mode", [](DriverScript &s, DWORD &) { s.displayMode = DisplayMode(1024, 768, 15); }, 24, 13700 },
    { "not RGB", [](DriverScript &s, DWORD &) { s.displayMode = DisplayMode(1024, 768, 16, 0, DDPF_PALETTEINDEXED8); },
      24, 13700 },
    { "SetCooperativeLevel fails", [](DriverScript &s, DWORD &) { s.cooperativeLevel = DDERR_GENERIC; }, 26, 13800 },
    { "no primary", [](DriverScript &s, DWORD &) { s.createPrimary = DDERR_OUTOFVIDEOMEMORY; }, 26, 13800 },
    { "first lock fails", [](DriverScript &s, DWORD &) { s.lockPrimary = DDERR_SURFACEBUSY; }, 26, 13800 },
    { "first unlock fails", [](DriverScript &s, DWORD &) { s.unlockPrimary = DDERR_NOTLOCKED; }, 26, 13800 },
    { "lock while drawing fails",
      [](DriverScript &s, DWORD &) { s.lockPrimary = DDERR_SURFACELOST, s.lockPrimaryFailFrom = 2; }, 26, 13800 },
    { "unlock after drawing fails",
      [](DriverScript &s, DWORD &) { s.unlockPrimary = DDERR_SURFACELOST, s.unlockPrimaryFailFrom = 2; }, 26, 13800 },
};

TEST_F(DisplayTest, EachFailureOfThePrimaryTestHasItsCodeAndTextAndAsksNothing)
{
    for (const SetUpCase &c : setUpCases) {
        SCOPED_TRACE(c.name);
        SetUp();
        driver = FakeDriver();
        driver.script.displayMode = DisplayMode(1024, 768, 32);
        c.script(driver.script, screenBits);
        Install();
        EXPECT_EQ(0, DirectDrawPrimaryTest());
        EXPECT_EQ(c.code, LastResult);
        EXPECT_EQ(1u, DiagnosticResults.directDrawPrimary.executed);
        EXPECT_EQ(c.code, DiagnosticResults.directDrawPrimary.status);
        EXPECT_STREQ(LoadLongText(c.text), ResultText);
        EXPECT_TRUE(questions.empty());
        EXPECT_TRUE(sleeps.empty()) << "no picture is held on a failure";
        ExpectAllReleased();
        patch.Restore();
    }
}

TEST_F(DisplayTest, SetUpReadsIdentifierAndModeAndCallsInOrder)
{
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    EXPECT_EQ(0u, LastResult);
    const std::vector<std::string> expected = {
        "DirectDrawCreate", "QueryInterface IDirectDraw4", "GetDeviceIdentifier 0", "Release IDirectDraw4",
        "QueryInterface IDirectDraw2", "GetCaps", "GetDisplayMode", "SetCooperativeLevel",
        "CreateSurface primary", "Lock primary", "Unlock primary" };
    EXPECT_EQ(expected, driver.log);
    EXPECT_EQ(sizeof(DDCAPS), driver.lastCapsSize);
    EXPECT_TRUE(driver.emulationCapsAsked);
    EXPECT_EQ(nullptr, driver.cooperativeWindow);
    EXPECT_EQ((DWORD)DDSCL_NORMAL, driver.cooperativeFlags);
    EXPECT_EQ((DWORD)DDLOCK_WAIT, driver.lockFlags);
    EXPECT_STREQ("fake.dll", DiagnosticResults.display.deviceIdentifier.szDriver);
    EXPECT_EQ(0x0110u, DiagnosticResults.display.deviceIdentifier.dwDeviceId);
    EXPECT_EQ(1024u, DiagnosticResults.display.width);
    EXPECT_EQ(768u, DiagnosticResults.display.height);
    EXPECT_EQ(5u, DiagnosticResults.display.colourClass);
    EXPECT_EQ(4u, DiagnosticResults.display.bytesPerPixel);
    EXPECT_EQ(driver.primaryPitch, DirectDrawState.surfacePitch);
    EXPECT_EQ(driver.PrimaryPixels(), DirectDrawState.surfaceMemory);

    /* A second set-up gives the first objects back before it makes new ones. */
    driver.log.clear();
    ASSERT_EQ(1, SetUpDirectDraw());
    ASSERT_GE(driver.log.size(), 4u);
    EXPECT_EQ("Release primary", driver.log[0]);
    EXPECT_EQ("Release IDirectDraw2", driver.log[1]);
    EXPECT_EQ("Release IDirectDraw", driver.log[2]);
    EXPECT_EQ("DirectDrawCreate", driver.log[3]);
    ReleaseDirectDraw();
    ExpectAllReleased();
}

TEST_F(DisplayTest, VendorS3IsReportedAs5631AndItsBankSwitchingIsAccepted)
{
    driver.script.identifier.dwVendorId = 0x5333;
    driver.script.identifier.dwDeviceId = 0x8811;
    driver.script.caps.dwCaps = DDCAPS_BANKSWITCHED;
    Install();
    EXPECT_EQ(1, SetUpDirectDraw());
    EXPECT_EQ(0x5631u, DiagnosticResults.display.deviceIdentifier.dwDeviceId);
    EXPECT_EQ(0x5333u, DiagnosticResults.display.deviceIdentifier.dwVendorId);
}

TEST_F(DisplayTest, DisplayModesMapToColourClasses)
{
    struct { DDSURFACEDESC mode; DWORD colourClass, bytes; int ok; } cases[] = {
        { DisplayMode(640, 480, 8), 1, 1, 1 },
        { DisplayMode(800, 600, 16, 0x7C00), 2, 2, 1 },
        { DisplayMode(800, 600, 16, 0xF800), 3, 2, 1 },
        { DisplayMode(1280, 1024, 24), 4, 3, 1 },
        { DisplayMode(1600, 1200, 32), 5, 4, 1 },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.mode.ddpfPixelFormat.dwRGBBitCount);
        ZeroMemory(&DiagnosticResults.display, sizeof(DiagnosticResults.display));
        LastResult = 0;
        EXPECT_EQ(c.ok, ReadDisplayMode(&c.mode));
        EXPECT_EQ(c.colourClass, DiagnosticResults.display.colourClass);
        EXPECT_EQ(c.bytes, DiagnosticResults.display.bytesPerPixel);
        EXPECT_EQ(c.mode.dwWidth, DiagnosticResults.display.width);
        EXPECT_EQ(c.mode.dwHeight, DiagnosticResults.display.height);
        EXPECT_EQ(0u, LastResult);
    }
    /* 15 bits: class cleared, size kept; not RGB: nothing touched. */
    DisplayInfo before = DiagnosticResults.display;
    DDSURFACEDESC fifteen = DisplayMode(320, 200, 15);
    EXPECT_EQ(0, ReadDisplayMode(&fifteen));
    EXPECT_EQ(24u, LastResult);
    EXPECT_EQ(0u, DiagnosticResults.display.colourClass);
    EXPECT_EQ(before.width, DiagnosticResults.display.width);
    EXPECT_EQ(before.bytesPerPixel, DiagnosticResults.display.bytesPerPixel);
    DiagnosticResults.display.colourClass = 3;
    DDSURFACEDESC yuv = DisplayMode(320, 200, 16, 0, DDPF_FOURCC);
    LastResult = 0;
    EXPECT_EQ(0, ReadDisplayMode(&yuv));
    EXPECT_EQ(24u, LastResult);
    EXPECT_EQ(3u, DiagnosticResults.display.colourClass);
}

/* ---------------------------------------------------------------------------
   The picture in the primary. */

TEST_F(DisplayTest, PrimaryTestWritesTheCardCentredAndAsksTheQuestion)
{
    Install();
    const BITMAPINFOHEADER *card = FindDib(mirel, 114);
    ASSERT_NE(nullptr, card);
    for (int answer : { IDYES, IDNO }) {
        SCOPED_TRACE(answer);
        questionAnswer = answer;
        questions.clear();
        sleeps.clear();
        std::fill(driver.primary.begin(), driver.primary.end(), 0xA5);
        int passed = DirectDrawPrimaryTest();
        EXPECT_EQ(answer == IDYES, passed != 0);
        EXPECT_EQ(answer == IDYES ? 0u : 50u, DiagnosticResults.directDrawPrimary.status);
        EXPECT_STREQ(LoadLongText(answer == IDYES ? 13100 : 13200), ResultText);
        EXPECT_EQ(answer == IDYES ? 1013u : 1014u, HelpContext);
        ASSERT_EQ(1u, questions.size());
        EXPECT_EQ(std::string("Tavolink Quorvex|") + LoadText(1000), questions[0]);
        EXPECT_EQ((UINT)MB_YESNO, questionStyles[0]);
        EXPECT_EQ(std::vector<DWORD>{ 4000 }, sleeps);
        ExpectAllReleased();

        /* 32 bits per pixel at (192, 144): B, G, R and a zero top byte from GetPixel. */
        const BYTE *pixels = driver.PrimaryPixels();
        int mismatches = 0;
        for (int y = 0; y < 480; y += 7)
            for (int x = 0; x < 640; x += 7) {
                const BYTE *p = pixels + (y + 144) * driver.primaryPitch + (x + 192) * 4;
                COLORREF expected = DibPixel(card, x, y);
                mismatches += RGB(p[2], p[1], p[0]) != expected || p[3] != 0;
            }
        EXPECT_EQ(0, mismatches);
        /* Nothing beside the picture is touched. */
        EXPECT_EQ(0xA5, pixels[144 * driver.primaryPitch + 191 * 4]);
        EXPECT_EQ(0xA5, pixels[143 * driver.primaryPitch + 192 * 4]);
        EXPECT_EQ(0xA5, pixels[623 * driver.primaryPitch + 831 * 4 + 4]);
        EXPECT_TRUE(driver.GuardsIntact());
    }
}

TEST_F(DisplayTest, MissingTestCardFailsWith26)
{
    BitmapLibrary = NULL;
    Install();
    EXPECT_EQ(0, DirectDrawPrimaryTest());
    EXPECT_EQ(26u, DiagnosticResults.directDrawPrimary.status);
    EXPECT_STREQ(LoadLongText(13800), ResultText);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(1, driver.Count("Lock primary")) << "only the set-up's lock";
    ExpectAllReleased();
}

TEST_F(DisplayTest, PaletteDisplayGetsNearestSystemPaletteIndices)
{
    driver.script.displayMode = DisplayMode(640, 480, 8);
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    ASSERT_EQ(1, DrawTestPicture());
    /* Every byte is an index whose system palette colour is near the card's. */
    PALETTEENTRY system[256];
    HDC screen = GetDC(NULL);
    UINT entries = GetSystemPaletteEntries(screen, 0, 256, system);
    ReleaseDC(NULL, screen);
    const BITMAPINFOHEADER *card = FindDib(mirel, 114);
    const BYTE *pixels = driver.PrimaryPixels();
    if (entries == 256) {
        int close = 0, points = 0;
        for (int y = 0; y < 480; y += 9)
            for (int x = 0; x < 640; x += 9) {
                PALETTEENTRY e = system[pixels[y * driver.primaryPitch + x]];
                close += NearColour(RGB(e.peRed, e.peGreen, e.peBlue), DibPixel(card, x, y), 96);
                points++;
            }
        EXPECT_GT(close, points * 9 / 10);
    }
    /* White frame and black ring are exact in any palette. */
    EXPECT_NE(pixels[0], pixels[driver.primaryPitch + 1]);
    EXPECT_TRUE(driver.GuardsIntact());
}

TEST_F(DisplayTest, ScreenPixelInEveryColourClass)
{
    DisplayInfo &display = DiagnosticResults.display;
    display.width = 1024;
    display.height = 768;
    DirectDrawState.surfacePitch = 4096;
    std::vector<BYTE> screen(4096 * 768);
    DirectDrawState.surfaceMemory = screen.data();
    const DWORD value = 0x7F12C4F8;   /* top byte, B 0x12, G 0xC4, R 0xF8 */
    struct { DWORD colourClass, bytes; std::vector<BYTE> expected; } cases[] = {
        { 1, 1, { 0xF8 } },
        { 2, 2, { 0x02, 0x7F } },     /* (31 << 10) | (24 << 5) | 2 = 0x7F02 */
        { 3, 2, { 0x22, 0xFE } },     /* (31 << 11) | (49 << 5) | 2 = 0xFE22 */
        { 4, 3, { 0x12, 0xC4, 0xF8 } },
        { 5, 4, { 0x12, 0xC4, 0xF8, 0x7F } },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.colourClass);
        std::fill(screen.begin(), screen.end(), 0);
        display.colourClass = c.colourClass;
        display.bytesPerPixel = c.bytes;
        EXPECT_EQ(1, PutScreenPixel(5, 3, value));
        size_t at = (size_t)(3 + 144) * 4096 + (5 + 192) * c.bytes;
        EXPECT_EQ(c.expected, std::vector<BYTE>(screen.begin() + at, screen.begin() + at + c.bytes));
        size_t written = 0;
        for (BYTE b : screen)
            written += b != 0;
        EXPECT_LE(written, c.bytes) << "nothing else is written";
    }
    std::fill(screen.begin(), screen.end(), 0);
    display.colourClass = 0;
    EXPECT_EQ(0, PutScreenPixel(5, 3, value));
    EXPECT_EQ(std::vector<BYTE>(screen.size(), 0), screen);
    DirectDrawState.surfaceMemory = NULL;
}

TEST_F(DisplayTest, SmallDisplayKeepsEveryWriteInsideTheSurface)
{
    /* 600 x 400: the picture's middle shows, its edges are dropped. */
    driver.script.displayMode = DisplayMode(600, 400, 24);
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    ASSERT_EQ(1, DrawTestPicture());
    EXPECT_TRUE(driver.GuardsIntact());
    const BITMAPINFOHEADER *card = FindDib(mirel, 114);
    const BYTE *pixels = driver.PrimaryPixels();
    for (POINT p : { POINT{ 0, 0 }, POINT{ 599, 399 }, POINT{ 300, 200 } }) {
        const BYTE *at = pixels + p.y * driver.primaryPitch + p.x * 3;
        EXPECT_EQ(DibPixel(card, p.x + 20, p.y + 40), RGB(at[2], at[1], at[0])) << p.x << "," << p.y;
    }
    /* The row padding beyond 600 pixels stays untouched. */
    for (int y = 0; y < 400; y += 50)
        EXPECT_EQ(0xA5, pixels[y * driver.primaryPitch + 600 * 3]);
}

/* ---------------------------------------------------------------------------
   Overlay capabilities and format choice. */

TEST_F(DisplayTest, OverlayCapabilityBoundaries)
{
    struct Case { const char *name; DWORD platform; void (*change)(DDCAPS &); ResultCode code; };
    const Case cases[] = {
        { "all there", PLATFORM_NT5, [](DDCAPS &) {}, 0 },
        { "no overlay", PLATFORM_NT5, [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_OVERLAY; }, 40 },
        { "no FOURCC on 98", PLATFORM_WIN98, [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_OVERLAYFOURCC; }, 41 },
        { "no FOURCC on NT", PLATFORM_NT5, [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_OVERLAYFOURCC; }, 0 },
        { "min stretch 1001", PLATFORM_NT5, [](DDCAPS &c) { c.dwMinOverlayStretch = 1001; }, 43 },
        { "max stretch 0", PLATFORM_NT5, [](DDCAPS &c) { c.dwMaxOverlayStretch = 0; }, 0 },
        { "max stretch 1499", PLATFORM_NT5, [](DDCAPS &c) { c.dwMaxOverlayStretch = 1499; }, 42 },
        { "max stretch 1500", PLATFORM_NT5, [](DDCAPS &c) { c.dwMaxOverlayStretch = 1500; }, 0 },
        { "FX stretch both", PLATFORM_NT5,
          [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_OVERLAYSTRETCH, c.dwFXCaps = DDFXCAPS_OVERLAYSTRETCHX | DDFXCAPS_OVERLAYSTRETCHY; },
          0 },
        { "FX stretch X only", PLATFORM_NT5,
          [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_OVERLAYSTRETCH, c.dwFXCaps = DDFXCAPS_OVERLAYSTRETCHX; }, 42 },
        { "FX stretch Y only", PLATFORM_NT5,
          [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_OVERLAYSTRETCH, c.dwFXCaps = DDFXCAPS_OVERLAYSTRETCHY; }, 42 },
        { "no colour key", PLATFORM_NT5, [](DDCAPS &c) { c.dwCaps &= ~DDCAPS_COLORKEY; }, 44 },
        { "no destination key", PLATFORM_NT5, [](DDCAPS &c) { c.dwCKeyCaps = DDCKEYCAPS_SRCOVERLAY; }, 44 },
    };
    driver.script.caps = GoodOverlayCaps();
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PlatformClass = c.platform;
        driver.script.caps = GoodOverlayCaps();
        c.change(driver.script.caps);
        LastResult = 0;
        driver.emulationCapsAsked = true;
        EXPECT_EQ(c.code == 0, CheckOverlayCaps() == 1);
        EXPECT_EQ(c.code, LastResult);
        EXPECT_FALSE(driver.emulationCapsAsked);
    }
    /* min stretch exactly 1000 is the boundary that passes (set in GoodOverlayCaps). */
    EXPECT_EQ(1000u, GoodOverlayCaps().dwMinOverlayStretch);
    driver.script.getCaps = DDERR_GENERIC;
    EXPECT_EQ(0, CheckOverlayCaps());
    EXPECT_EQ(26u, LastResult);
    ReleaseDirectDraw();
    LastResult = 7;
    EXPECT_EQ(0, CheckOverlayCaps()) << "without IDirectDraw2";
    EXPECT_EQ(7u, LastResult);
}

struct FormatCase {
    const char *name;
    DWORD platform;
    std::vector<DWORD> offered;
    DWORD maxWidth;
    ResultCode code;
    DWORD chosen;
    std::vector<std::string> creations;
};

TEST_F(DisplayTest, OverlayFormatChoiceByPlatform)
{
    const FormatCase cases[] = {
        { "YUY2 on 98", PLATFORM_WIN98, { 6 }, 4096, 0, 6, { "6 80x80", "6 640x480" } },
        { "RGB only on 98", PLATFORM_WIN98, { 2, 4 }, 4096, 41, 0, { "6 80x80", "2 80x80" } },
        { "RGB 24 and 32 on NT5", PLATFORM_NT5, { 4, 5 }, 4096, 0, 4,
          { "6 80x80", "2 80x80", "4 80x80", "4 640x480" } },
        { "RGB 555 on NT5", PLATFORM_NT5, { 2, 4 }, 4096, 0, 2, { "6 80x80", "2 80x80", "2 640x480" } },
        { "RGB 565 only on NT5", PLATFORM_NT5, { 3 }, 4096, 41, 0,
          { "6 80x80", "2 80x80", "4 80x80", "5 80x80", "2 80x80", "3 80x80" } },
        { "nothing at all", PLATFORM_NT5, {}, 4096, 46, 0,
          { "6 80x80", "2 80x80", "4 80x80", "5 80x80", "2 80x80", "3 80x80", "4 80x80", "5 80x80" } },
        { "YUY2 too small for the display", PLATFORM_NT5, { 6, 2 }, 320, 45, 0, { "6 80x80", "6 640x480" } },
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.name);
        driver = FakeDriver();
        driver.script.displayMode = DisplayMode(1024, 768, 32);
        driver.script.caps = GoodOverlayCaps();
        driver.script.overlayFormats = c.offered;
        driver.script.overlayMaxWidth = c.maxWidth;
        PlatformClass = c.platform;
        patch.Restore();
        Install();
        ASSERT_EQ(1, SetUpDirectDraw());
        LastResult = 0;
        DiagnosticResults.overlayFormat = 9;
        EXPECT_EQ(c.code == 0, SelectOverlayFormat() == 1);
        EXPECT_EQ(c.code, LastResult);
        EXPECT_EQ(c.chosen, DiagnosticResults.overlayFormat);
        std::vector<std::string> creations;
        for (const std::string &entry : driver.log)
            if (entry.compare(0, 22, "CreateSurface overlay ") == 0)
                creations.push_back(entry.substr(22));
        EXPECT_EQ(c.creations, creations);
        ReleaseDirectDraw();
        ExpectAllReleased();
    }
}

TEST_F(DisplayTest, OverlaySurfacesAreRequestedInTheDocumentedLayout)
{
    driver.script.overlayFormats = { 2, 3, 4, 5, 6, 7 };
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    struct { DWORD format, flags, fourCC, bits, r, g, b; } layouts[] = {
        { 2, DDPF_RGB, 0, 16, 0x7C00, 0x03E0, 0x001F }, { 3, DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F },
        { 4, DDPF_RGB, 0, 24, 0xFF0000, 0xFF00, 0xFF }, { 5, DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF },
        { 6, DDPF_FOURCC, 0x32595559, 16, 0, 0, 0 },    { 7, DDPF_FOURCC, 0x59565955, 16, 0, 0, 0 },
    };
    for (auto &l : layouts) {
        SCOPED_TRACE(l.format);
        ASSERT_EQ(1, CreateOverlaySurface(l.format, 320, 240));
        const OverlayRequest &r = driver.overlayRequests.back();
        EXPECT_EQ(0x1007u, r.flags);
        EXPECT_EQ(0x4080u, r.caps);
        EXPECT_EQ((DWORD)sizeof(DDSURFACEDESC), driver.lastDescriptionSize);
        EXPECT_EQ(320u, r.width);
        EXPECT_EQ(240u, r.height);
        EXPECT_EQ(l.flags, r.pixelFlags);
        EXPECT_EQ(l.fourCC, r.fourCC);
        EXPECT_EQ(l.bits, r.bitCount);
        if (l.flags == DDPF_RGB) {
            EXPECT_EQ(l.r, r.redMask);
            EXPECT_EQ(l.g, r.greenMask);
            EXPECT_EQ(l.b, r.blueMask);
        }
    }
    /* Each creation hid and released the one before. */
    EXPECT_EQ(5, driver.Count("Hide overlay"));
    EXPECT_EQ(5, driver.Count("Release overlay"));
    EXPECT_EQ(0, CreateOverlaySurface(8, 320, 240));
    EXPECT_EQ(0, CreateOverlaySurface(1, 320, 240));
    ReleaseDirectDraw();
    ExpectAllReleased();
}

/* ---------------------------------------------------------------------------
   Zoom and the whole overlay test. */

static void ExpectRect(const RECT &r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(top, r.top);
    EXPECT_EQ(right, r.right);
    EXPECT_EQ(bottom, r.bottom);
}

TEST_F(DisplayTest, OverlayZoomOn800x600)
{
    driver.script.displayMode = DisplayMode(800, 600, 32);
    driver.script.caps = GoodOverlayCaps();
    driver.script.overlayFormats = { 6 };
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    ASSERT_EQ(1, SelectOverlayFormat());
    driver.overlayUpdates.clear();
    sleeps.clear();
    ASSERT_EQ(1, ShowOverlayZoom());
    std::vector<OverlayUpdate> shows;
    for (const OverlayUpdate &u : driver.overlayUpdates)
        if (u.flags == DDOVER_SHOW)
            shows.push_back(u);
    ASSERT_EQ((800u - 176u) / 4u + 1u, shows.size());
    ExpectRect(shows.front().source, 232, 174, 408, 306);
    ExpectRect(shows.front().destination, 312, 234, 488, 366);
    ExpectRect(shows.back().source, 0, 0, 640, 480);
    ExpectRect(shows.back().destination, 0, 0, 800, 600);
    for (const OverlayUpdate &u : shows)
        EXPECT_TRUE(u.destinationIsPrimary && u.hasSource && u.hasDestination);
    EXPECT_EQ(std::vector<DWORD>(shows.size(), 8), sleeps);
    EXPECT_EQ(640u, driver.overlayWidth);
    EXPECT_EQ(480u, driver.overlayHeight);
}

TEST_F(DisplayTest, OverlayTestOn1024x768TakesItsStepsAndAsks)
{
    driver.script.caps = GoodOverlayCaps();
    driver.script.overlayFormats = { 6 };
    Install();
    for (int answer : { IDYES, IDNO }) {
        SCOPED_TRACE(answer);
        questionAnswer = answer;
        questions.clear();
        sleeps.clear();
        driver.overlayUpdates.clear();
        int passed = DirectDrawOverlayTest();
        EXPECT_EQ(answer == IDYES, passed != 0);
        EXPECT_EQ(answer == IDYES ? 0u : 51u, DiagnosticResults.directDrawOverlay.status);
        EXPECT_STREQ(LoadLongText(answer == IDYES ? 14100 : 14200), ResultText);
        EXPECT_EQ(answer == IDYES ? 1022u : 1023u, HelpContext);
        EXPECT_EQ(6u, DiagnosticResults.overlayFormat);
        ASSERT_EQ(1u, questions.size());
        EXPECT_EQ(std::string("Tavolink Quorvex|") + LoadText(1001), questions[0]);
        EXPECT_EQ((UINT)MB_YESNO, questionStyles[0]);
        ASSERT_EQ(214u, sleeps.size());
        EXPECT_EQ(2000u, sleeps.back());
        int shows = 0;
        for (const OverlayUpdate &u : driver.overlayUpdates)
            shows += u.flags == DDOVER_SHOW;
        EXPECT_EQ(213, shows);
        ExpectAllReleased();
    }
}

TEST_F(DisplayTest, NarrowDisplayShowsNoOverlayButStillAsks)
{
    driver.script.displayMode = DisplayMode(160, 120, 32);
    driver.script.caps = GoodOverlayCaps();
    driver.script.overlayFormats = { 6 };
    Install();
    EXPECT_EQ(1, DirectDrawOverlayTest());
    EXPECT_EQ(1u, questions.size());
    for (const OverlayUpdate &u : driver.overlayUpdates)
        EXPECT_NE((DWORD)DDOVER_SHOW, u.flags);
    EXPECT_EQ(std::vector<DWORD>{ 2000 }, sleeps);
    EXPECT_EQ(160u, driver.overlayRequests[1].width) << "the display-size overlay is cut to the display";
}

TEST_F(DisplayTest, OverlayFailuresMapToTheirTexts)
{
    struct Case { const char *name; void (*script)(DriverScript &); ResultCode code; UINT text; DWORD help; };
    const Case cases[] = {
        { "no DirectDraw", [](DriverScript &s) { s.create = DDERR_GENERIC; }, 20, 5100, 0 },
        { "caps fail", [](DriverScript &s) { s.getCaps = DDERR_GENERIC; }, 26, 15000, 1024 },
        { "no overlay", [](DriverScript &s) { s.caps.dwCaps = 0; }, 40, 14200, 1023 },
        { "show fails", [](DriverScript &s) { s.updateOverlay = DDERR_GENERIC; }, 52, 14200, 1023 },
        { "no primary", [](DriverScript &s) { s.createPrimary = DDERR_GENERIC; }, 52, 14200, 1023 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        driver = FakeDriver();
        driver.script.displayMode = DisplayMode(1024, 768, 32);
        driver.script.caps = GoodOverlayCaps();
        driver.script.overlayFormats = { 6 };
        c.script(driver.script);
        patch.Restore();
        Install();
        questions.clear();
        LastResult = 0;
        EXPECT_EQ(0, DirectDrawOverlayTest());
        EXPECT_EQ(c.code, DiagnosticResults.directDrawOverlay.status);
        EXPECT_STREQ(LoadLongText(c.text), ResultText);
        EXPECT_EQ(c.help, HelpContext);
        EXPECT_TRUE(questions.empty());
        ExpectAllReleased();
    }
}

/* ---------------------------------------------------------------------------
   YUV conversion. */

static HBITMAP SolidPicture(int w, int h, COLORREF colour)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD *bits = NULL;
    HBITMAP picture = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
    for (int i = 0; i < w * h; i++)
        bits[i] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    return picture;
}

TEST_F(DisplayTest, YuvBytesForBlackRedAndBlueInBothOrders)
{
    driver.script.overlayFormats = { 6, 7 };
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    struct { COLORREF colour; BYTE yuy2[4]; } cases[] = {
        { RGB(0, 0, 0), { 16, 128, 16, 128 } },
        { RGB(255, 0, 0), { 76, 90, 76, 240 } },
        { RGB(0, 0, 255), { 29, 238, 29, 102 } },
    };
    for (DWORD format : { 6u, 7u }) {
        ASSERT_EQ(1, CreateOverlaySurface(format, 6, 3));
        for (auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "format " << format << " colour " << std::hex << c.colour);
            std::fill(driver.overlay.begin(), driver.overlay.end(), 0xA5);
            HBITMAP picture = SolidPicture(6, 3, c.colour);
            EXPECT_EQ(1, FillYuvOverlay(DirectDrawState.overlaySurface, picture));
            DeleteObject(picture);
            BYTE expected[4];
            if (format == 6)
                memcpy(expected, c.yuy2, 4);
            else
                expected[0] = c.yuy2[1], expected[1] = c.yuy2[0], expected[2] = c.yuy2[3], expected[3] = c.yuy2[2];
            for (int y = 0; y < 3; y++) {
                const BYTE *row = driver.overlay.data() + y * driver.overlayPitch;
                for (int pair = 0; pair < 3; pair++)
                    EXPECT_EQ(0, memcmp(expected, row + pair * 4, 4)) << "row " << y << " pair " << pair;
                EXPECT_EQ(0xA5, row[12]) << "nothing past the row's pixels";
            }
        }
    }
    EXPECT_EQ(0, FillYuvOverlay(NULL, NULL));
    EXPECT_EQ(0, FillYuvOverlay(DirectDrawState.overlaySurface, NULL));
    /* A failed lock writes nothing and still counts as filled. */
    driver.script.lockOverlay = DDERR_SURFACEBUSY;
    std::fill(driver.overlay.begin(), driver.overlay.end(), 0xA5);
    HBITMAP picture = SolidPicture(6, 3, RGB(0, 0, 0));
    EXPECT_EQ(1, FillYuvOverlay(DirectDrawState.overlaySurface, picture));
    DeleteObject(picture);
    EXPECT_EQ(std::vector<BYTE>(driver.overlay.size(), 0xA5), driver.overlay);
}

TEST_F(DisplayTest, MixedPairTakesUFromTheEvenAndVFromTheOddPixel)
{
    driver.script.overlayFormats = { 6 };
    Install();
    ASSERT_EQ(1, SetUpDirectDraw());
    ASSERT_EQ(1, CreateOverlaySurface(6, 2, 1));
    HBITMAP picture = SolidPicture(2, 1, RGB(0, 0, 255));
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, picture);
    SetPixel(dc, 1, 0, RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(1, FillYuvOverlay(DirectDrawState.overlaySurface, picture));
    DeleteObject(picture);
    const BYTE expected[4] = { 29, 238, 76, 240 };
    EXPECT_EQ(0, memcmp(expected, driver.overlay.data(), 4));
}

/* ---------------------------------------------------------------------------
   The black window. */

TEST_F(DisplayTest, BlackWindowCoversTheDesktopAndRegistersItsClassOnce)
{
    HWND first = CreateBlackWindow();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, blackWindowClassRegistered);
    RECT desktop, covered;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(first, &covered);
    EXPECT_EQ(0, covered.left);
    EXPECT_EQ(0, covered.top);
    EXPECT_EQ(desktop.right, covered.right);
    EXPECT_EQ(desktop.bottom, covered.bottom);
    EXPECT_TRUE(GetWindowLongA(first, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ((LONG)(WS_POPUP | WS_VISIBLE), GetWindowLongA(first, GWL_STYLE) & (WS_POPUP | WS_VISIBLE | WS_CAPTION));
    HDC dc = GetDC(first);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 10, 10));
    ReleaseDC(first, dc);
    DestroyWindow(first);

    /* A second window reuses the class: registering it again would fail. */
    HWND second = CreateBlackWindow();
    EXPECT_NE(nullptr, second);
    DestroyWindow(second);
    WNDCLASSA existing;
    EXPECT_TRUE(GetClassInfoA(ProgramInstance, "BlackWindowClass", &existing));
    EXPECT_EQ((UINT)(CS_HREDRAW | CS_VREDRAW), existing.style);
}

TEST_F(DisplayTest, ColourDepthAsksWithTheStructureSizeAndNeedsEightBits)
{
    Install();
    for (DWORD bits : { 4u, 8u, 16u, 32u }) {
        screenBits = bits;
        EXPECT_EQ(bits >= 8, CheckColourDepth() == 1) << bits;
    }
}
