/* The thirteen pages of the real wizard walked forward and back: texts,
   buttons, focus, progress and the pictures on the screen. */
#include "blackbox_fixture.h"

#include <commctrl.h>

#include "screen_checks.h"

#define ID_NEXT 1000
#define ID_BACK 1001
#define ID_CLOSE 1002
#define ID_TEXT 1011
#define ID_PROGRESS 1012
#define ID_PICTURE 1016
#define ID_HEADLINE 1017

/* Texts and pictures of the installed libraries, read the way the program
   is meant to read them: a long text is the run of consecutive IDs. */
struct Libraries {
    HMODULE texts;
    HMODULE pictures;
};

static Libraries OpenLibraries(const Installation &installation, const char *family)
{
    Libraries libraries;
    libraries.texts = LoadLibraryExA((installation.directory + family + "Quor001.DLL").c_str(), NULL,
                                     LOAD_LIBRARY_AS_DATAFILE);
    libraries.pictures = LoadLibraryA((installation.directory + family + "Bitmap.dll").c_str());
    return libraries;
}

static void CloseLibraries(Libraries *libraries)
{
    FreeLibrary(libraries->texts);
    FreeLibrary(libraries->pictures);
}

static std::string Text(HMODULE texts, UINT id)
{
    char piece[256];
    return LoadStringA(texts, id, piece, sizeof(piece)) ? piece : "";
}

static std::string LongText(HMODULE texts, UINT id)
{
    std::string text;
    char piece[256];
    for (UINT n = 0; n < 100 && LoadStringA(texts, id + n, piece, sizeof(piece)); n++)
        text += piece;
    return text;
}

static int ProgressPosition(HWND window)
{
    DWORD_PTR position = (DWORD_PTR)-1;
    SendMessageTimeoutA(GetControl(window, ID_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
    return (int)position;
}

static std::string ControlText(HWND window, int id)
{
    char text[4096];
    GetControlText(window, id, text, sizeof(text));
    return text;
}

/* Waits for the page after a Next or Back to settle: Close usable again
   and the text changed. */
static bool WaitSettled(HWND window, const std::string &textBefore)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < DRIVER_LONG_WAIT_MS) {
        if (IsControlEnabled(window, ID_CLOSE) && ControlText(window, ID_TEXT) != textBefore)
            return true;
        Sleep(20);
    }
    return false;
}

/* Colours on a 256-colour screen are the palette's nearest, not the picture's own. */
static int ColourTolerance() { return ScreenDepth() <= 8 ? 72 : 24; }
static double PictureThreshold() { return ScreenDepth() <= 8 ? 0.6 : 0.9; }

/* The page that asks whether the test picture was seen. */
#define PRIMARY_TEST_PAGE 10

struct ExpectedPage {
    UINT headline;     /* string ID shown as headline */
    UINT text;         /* first string ID of the text shown */
    int picture;
    bool next, back;
    int progress;
};

/* What each page shows after Next under Wine with a sound server: the
   driver test fails (no board), the overlay test fails (Wine's DirectDraw
   has no hardware overlay), every other test passes; the primary test's
   question is answered Yes. */
static const ExpectedPage forward[] = {
    { 3000, 10000, 120, true, false, 0 },
    { 3001, 11000, 121, true, true, 0 },
    { 3001, 11100, 130, true, true, 5 },
    { 3010, 22000, 121, true, true, 5 },
    { 3010, 22100, 130, true, true, 10 },
    { 3011, 21000, 121, true, true, 10 },
    { 3011, 21200, 127, true, true, 15 },
    { 3002, 12000, 122, true, true, 15 },
    { 3002, 12100, 130, true, true, 20 },
    { 3003, 13000, 123, true, true, 20 },
    { 3003, 13100, 130, true, true, 25 },
    { 3004, 14000, 124, true, true, 25 },
    { 3004, 14200, 127, false, true, 30 },
};

class WizardWalkTest : public ProgramTest {
protected:
    void ExpectPage(HWND window, const Libraries &libraries, const ExpectedPage &page, bool focusAfterBack)
    {
        EXPECT_EQ(Text(libraries.texts, page.headline), ControlText(window, ID_HEADLINE));
        EXPECT_EQ(LongText(libraries.texts, page.text), ControlText(window, ID_TEXT));
        EXPECT_EQ(page.next, IsControlEnabled(window, ID_NEXT) != 0);
        EXPECT_EQ(page.back, IsControlEnabled(window, ID_BACK) != 0);
        EXPECT_TRUE(IsControlEnabled(window, ID_CLOSE));
        EXPECT_EQ(page.progress, ProgressPosition(window));
        int focus = focusAfterBack ? (page.back ? ID_BACK : ID_NEXT) : (page.next ? ID_NEXT : ID_CLOSE);
        EXPECT_EQ(focus, GetFocusControlId(window));
        EXPECT_GT(PictureMatch(window, libraries.pictures, page.picture, ColourTolerance()), PictureThreshold())
            << "picture " << page.picture;
    }
};

static std::string Environment(const char *name)
{
    char value[64] = "";
    GetEnvironmentVariableA(name, value, sizeof(value));
    return value;
}

/* The family a hardware ID selects, and the key word of its registry paths. */
static void FamilyOf(const std::string &hardwareId, const char **family, const char **listWord)
{
    const char *ids[][3] = { { "Kiron", "Kiron", "Kiron" }, { "ORSA", "Orsa", "ORSA" }, { "VELA", "Vela", "Vela" } };
    *family = "Mirel";
    *listWord = "MirelMJPG";
    for (auto &id : ids)
        if (lstrcmpiA(hardwareId.c_str(), id[0]) == 0) {
            *family = id[1];
            *listWord = id[2];
        }
}

static void WriteListEntry(const std::string &list, const char *name, DWORD ms, DWORD ls, BYTE location)
{
    std::string key = list + "\\" + name;
    BYTE allowed = 1;
    SetRegDword(HKEY_LOCAL_MACHINE, key.c_str(), "MajorVersion", ms);
    SetRegDword(HKEY_LOCAL_MACHINE, key.c_str(), "MinorVersion", ls);
    SetRegBinary(HKEY_LOCAL_MACHINE, key.c_str(), "Location", &location, 1);
    SetRegBinary(HKEY_LOCAL_MACHINE, key.c_str(), "UpdateAllowed", &allowed, 1);
}

/* The whole walk. QUORVEX_WALK_ID and QUORVEX_WALK_VERSION choose the
   hardware ID and the Windows version Wine reports (the acceptance runs set
   them; by default the default family on the prefix's own version). The
   installation pages check a board file at the main path and the
   system's real ddraw.dll. */
TEST_F(WizardWalkTest, ForwardOverAllPagesAndBackToTheStart)
{
    std::string hardwareId = Environment("QUORVEX_WALK_ID"), version = Environment("QUORVEX_WALK_VERSION");
    const char *family, *listWord;
    FamilyOf(hardwareId, &family, &listWord);
    if (!version.empty())
        ASSERT_TRUE(SetProgramWindowsVersion(version.c_str()));
    Install();

    std::string productKey = std::string("Software\\Tavolink Systems\\") + listWord;
    std::string mainPath = installation.directory.substr(0, installation.directory.size() - 1);
    SetRegString(HKEY_LOCAL_MACHINE, productKey.c_str(), "Main path", mainPath.c_str());
    CopyFileTo((BuildDirectory() + "filecheck\\v4_2_3_1234.dll").c_str(), (installation.directory + "board.dll").c_str());
    WriteListEntry(std::string(FILECHECK_ROOT "\\") + listWord + "\\Drivers", "board.dll", 0x00040002, 0x000304D2, 5);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    DWORD unused, size = GetFileVersionInfoSizeA((std::string(windows) + "\\SYSTEM32\\ddraw.dll").c_str(), &unused);
    std::string block(size, '\0');
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length;
    ASSERT_TRUE(size && GetFileVersionInfoA((std::string(windows) + "\\SYSTEM32\\ddraw.dll").c_str(), 0, size, &block[0]) &&
                VerQueryValueA(&block[0], "\\", (void **)&fixed, &length));
    for (const char *list : { "DirectDraw\\W98", "DirectDraw\\Win2K", "DirectDraw\\WinXP" })
        WriteListEntry(std::string(FILECHECK_ROOT "\\") + list, "ddraw.dll", fixed->dwFileVersionMS,
                       fixed->dwFileVersionLS, 1);

    DriverProcess *process = Start(hardwareId.c_str());
    bool known = hardwareId.empty() || strcmp(family, "Mirel") != 0 || lstrcmpiA(hardwareId.c_str(), "Mirel") == 0;
    if (!known) {
        MessageBoxInfo box = NextMessageBox(process);
        EXPECT_EQ("Hardware ID \xB4" + hardwareId + "\xB4 not supported\nAssuming Mirel", std::string(box.text));
        ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
    }
    HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, window);
    Libraries libraries = OpenLibraries(installation, family);
    WaitControlText(window, ID_HEADLINE, Text(libraries.texts, 3000).c_str(), DRIVER_SHORT_WAIT_MS);
    Sleep(300);

    for (int page = 0; page < 13; page++) {
        SCOPED_TRACE(testing::Message() << "forward to page " << page);
        if (page > 0) {
            std::string before = ControlText(window, ID_TEXT);
            ASSERT_TRUE(PressButton(window, ID_NEXT));
            if (page == PRIMARY_TEST_PAGE) {
                MessageBoxInfo question = NextMessageBox(process);
                ASSERT_NE(nullptr, question.window);
                EXPECT_EQ(Text(libraries.texts, 1000), question.text);
                ASSERT_TRUE(AnswerMessageBox(question.window, IDYES));
            }
            ASSERT_TRUE(WaitSettled(window, before));
            Sleep(150);
        }
        ExpectPage(window, libraries, forward[page], false);
    }
    EXPECT_FALSE(PressButton(window, ID_NEXT)) << "Next is disabled on the last page";

    /* Back lands on the information pages only, rewinding the progress bar. */
    const int backPages[] = { 11, 9, 7, 5, 3, 1, 0 };
    for (int page : backPages) {
        SCOPED_TRACE(testing::Message() << "back to page " << page);
        std::string before = ControlText(window, ID_TEXT);
        DWORD start = GetTickCount();
        ASSERT_TRUE(PressButton(window, ID_BACK));
        ASSERT_TRUE(WaitSettled(window, before));
        EXPECT_LT(GetTickCount() - start, 900u) << "no test ran: a test page takes a second at least";
        Sleep(150);
        ExpectedPage expected = forward[page];
        ExpectPage(window, libraries, expected, true);
    }
    EXPECT_FALSE(PressButton(window, ID_BACK)) << "Back is disabled on the first page";
    CloseLibraries(&libraries);

    static char report[64 * 1024];
    DWORD got = 0;
    ReadFileBytes((installation.directory + "Quorvex.txt").c_str(), report, sizeof(report), &got);
    std::string text(report, got);
    const char *sections[][2] = {
        { "Software Installation Test", "OK\r\nFile " },
        { "Audio driver access Test", "OK\r\n" },
        { "Kernelmode driver access Test", "Kernelmode driver open failed\r\n" },
        { "DirectDraw Installation Test", "OK\r\nFile " },
        { "DirectDraw Primary Test", "OK\r\n" },
        { "DirectDraw Overlay Test", "DDRAW NO OVERLAY SUPPORT\r\n" },
    };
    for (auto &section : sections)
        EXPECT_NE(std::string::npos, text.find(std::string("[") + section[0] + "]\r\nTest executed: YES\r\nTest status:   " +
                                               section[1])) << section[0];
    EXPECT_NE(std::string::npos, text.find(installation.directory + "board.dll"));
    DeleteRegValue(HKEY_LOCAL_MACHINE, productKey.c_str(), "Main path");
    EXPECT_EQ(0u, CloseWizard(process, window));
}

/* Switches Wine's audio drivers off for the programs started meanwhile: an
   empty driver list leaves the system without any audio device. */
struct NoAudioDrivers {
    NoAudioDrivers() { SetRegString(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", "Audio", ""); }
    ~NoAudioDrivers() { DeleteRegValue(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", "Audio"); }
};

static void NextAndSettle(HWND window)
{
    std::string before = ControlText(window, ID_TEXT);
    ASSERT_TRUE(PressButton(window, ID_NEXT));
    ASSERT_TRUE(WaitSettled(window, before));
    Sleep(150);
}

TEST_F(WizardWalkTest, AudioPageFailsWithoutMixersAndStopsTheWizard)
{
    Install();
    NoAudioDrivers silence;
    HWND window = StartToMainWindow("Vela");
    ASSERT_NE(nullptr, window);
    Libraries libraries = OpenLibraries(installation, "Vela");
    WaitControlText(window, ID_HEADLINE, Text(libraries.texts, 3000).c_str(), DRIVER_SHORT_WAIT_MS);
    for (int page = 1; page <= 4; page++)
        NextAndSettle(window);

    EXPECT_EQ(LongText(libraries.texts, 22200), ControlText(window, ID_TEXT));
    EXPECT_FALSE(IsControlEnabled(window, ID_NEXT));
    EXPECT_TRUE(IsControlEnabled(window, ID_BACK));
    EXPECT_EQ(ID_CLOSE, GetFocusControlId(window));
    EXPECT_EQ(10, ProgressPosition(window));
    EXPECT_GT(PictureMatch(window, libraries.pictures, 127, ColourTolerance()), PictureThreshold());
    CloseLibraries(&libraries);
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(WizardWalkTest, PicturesOfEachFamilyFillTheControl)
{
    Install();
    const char *families[] = { "Kiron", "Orsa", "Vela", "Mirel" };
    for (const char *family : families) {
        SCOPED_TRACE(family);
        HWND window = StartToMainWindow(family);
        ASSERT_NE(nullptr, window);
        Libraries libraries = OpenLibraries(installation, family);
        WaitControlText(window, ID_HEADLINE, Text(libraries.texts, 3000).c_str(), DRIVER_SHORT_WAIT_MS);
        Sleep(300);
        EXPECT_GT(PictureMatch(window, libraries.pictures, 120, ColourTolerance()), PictureThreshold());
        /* Another family's picture does not pass for this one. */
        EXPECT_LT(PictureMatch(window, libraries.pictures, 121, ColourTolerance()), 0.6);
        CloseLibraries(&libraries);
        EXPECT_EQ(0u, CloseWizard(&processes[started - 1], window));
    }
}

/* Under run_on_screen.sh the screen must really have the depth asked for,
   or the palette path would go untried. */
TEST(Screen, HasTheDepthTheRunAskedFor)
{
    char screen[64] = "";
    GetEnvironmentVariableA("QUORVEX_SCREEN", screen, sizeof(screen));
    const char *depth = strrchr(screen, 'x');
    int expected = depth != NULL ? atoi(depth + 1) : 24;
    int bits = ScreenDepth();
    if (expected == 24)
        EXPECT_TRUE(bits == 24 || bits == 32) << bits;
    else
        EXPECT_EQ(expected, bits);
}

/* The product key's "Language" 049 gives the German libraries: the wizard
   speaks German and the report names the language. */
TEST_F(WizardWalkTest, GermanLanguageValueWalksTheFirstPagesInGerman)
{
    Install();
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, "Software\\Tavolink Systems\\Vela", "Language", "049"));
    HWND window = StartToMainWindow("VELA");
    ASSERT_NE(nullptr, window);
    HMODULE texts = LoadLibraryExA((installation.directory + "VelaQuor049.DLL").c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, texts);
    WaitControlText(window, ID_HEADLINE, Text(texts, 3000).c_str(), DRIVER_SHORT_WAIT_MS);
    EXPECT_EQ("< &Zur\xFC" "ck", ControlText(window, ID_BACK));
    EXPECT_EQ(Text(texts, 2), ControlText(window, ID_NEXT));
    EXPECT_EQ(LongText(texts, 10000), ControlText(window, ID_TEXT));
    for (UINT expected : { 11000u, 11100u, 22000u }) {
        NextAndSettle(window);
        EXPECT_EQ(LongText(texts, expected), ControlText(window, ID_TEXT));
    }
    FreeLibrary(texts);
    static char report[64 * 1024];
    DWORD got = 0;
    ReadFileBytes((installation.directory + "Quorvex.txt").c_str(), report, sizeof(report), &got);
    EXPECT_NE(std::string::npos, std::string(report, got).find("Language:        049 / German\r\n"));
    DeleteRegValue(HKEY_LOCAL_MACHINE, "Software\\Tavolink Systems\\Vela", "Language");
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}
