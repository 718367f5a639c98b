/* The application shell in this process, against the tables of
   expected/shell.txt: platforms and system names, product profiles, the
   language library and its texts, window placement, the key sequence, the
   progress animation and Back, the busy cursor and the start-up value. */
#include "unit_support.h"

static OSVERSIONINFOA answered;
static BOOL WINAPI AnsweredVersion(OSVERSIONINFOA *version) {
    return version->dwOSVersionInfoSize == sizeof(OSVERSIONINFOA) && (*version = answered, TRUE);
}

TEST_F(InProcessTest, PlatformsProfilesAndLibraryVersions) {
    ReplaceImport("kernel32.dll", "GetVersionExA", (void *)AnsweredVersion);
    for (const Row &row : Table("shell.txt", "platforms")) {   /* platform | major | minor | build | class | supported | name */
        answered = OSVERSIONINFOA{ sizeof(OSVERSIONINFOA), Number(row[1]), Number(row[2]), Number(row[3]), Number(row[0]), "" };
        SystemInfo info;
        char platformClass[16];
        sprintf(platformClass, "0x%lX", ClassifyPlatform()), CollectSystemInfo(&info);
        EXPECT_EQ(Row(row.begin() + 4, row.end()), Row({ platformClass, std::to_string(IsSupportedPlatform(Number(platformClass))), info.osName }));
    }
    EXPECT_EQ((DWORD)MAKELONG(5, 80), QueryDllVersion(Fixture("version_fixture.dll").c_str()));
    EXPECT_EQ(0u, QueryDllVersion(Fixture("version_fixture_failing.dll").c_str()) + QueryDllVersion(Fixture("absent.dll").c_str()));
    for (const Row &row : Table("shell.txt", "profiles")) {   /* "tail" | result | the profile's fields */
        int result = SelectProductProfile(row[0].substr(1, row[0].size() - 2).c_str());
        EXPECT_EQ(row, Row({ row[0], std::to_string(result), Profile.displayName, Profile.profileKey, Profile.productKey,
                             Profile.fileCheckKey, Profile.bitmapLibrary, std::to_string(Profile.boardClass) }));
    }
}

TEST_F(InProcessTest, LanguageLibraryAndItsTexts) {
    for (const Row &row : Table("shell.txt", "language codes")) {   /* value | library loaded, or !missing */
        row[0] == "-" ? DeleteHklmValue(Profile.productKey, "Language") : WriteHklmString(Profile.productKey, "Language", row[0].c_str());
        RecordedBoxes.clear();
        char loaded[MAX_PATH] = "";
        EXPECT_EQ(row[1][0] != '!', LoadLanguageLibrary()) << row[0];
        if (LanguageLibrary) GetModuleFileNameA(LanguageLibrary, loaded, MAX_PATH), FreeLibrary(LanguageLibrary);
        EXPECT_EQ(row[1][0] == '!' ? "Language " + row[1].substr(1) + " not found !\r\n\r\nPlease re-install the software." : "", Boxes());
        EXPECT_EQ(row[1][0] == '!' ? "" : row[1], loaded);
    }
    DeleteHklmValue(Profile.productKey, "Language");
    LanguageLibrary = LoadLibraryA(Fixture("text_fixture.dll").c_str());
    std::string hundred, cut(15, 'q');
    char piece[16];
    for (int n = 0; n < 100; n++) hundred += (sprintf(piece, "piece-%03d|", n), piece);
    for (int n = 15; n >= 0; n--) cut = std::string(254, 'a' + n) + "#" + cut;
    EXPECT_STREQ("", LoadText(101));
    EXPECT_STREQ("only piece", LoadText(100));
    EXPECT_STREQ("", LoadLongText(101));
    EXPECT_STREQ("only piece", LoadLongText(100));
    EXPECT_EQ(hundred, LoadLongText(200));
    EXPECT_EQ(cut, LoadLongText(400));
    FreeLibrary(LanguageLibrary);
}

static RECT workArea;
static BOOL WINAPI AnsweredWorkArea(UINT action, UINT, PVOID area, UINT) {
    return action == SPI_GETWORKAREA && workArea.right && (*(RECT *)area = workArea, TRUE);
}
static int WINAPI ScreenOf800x600(int index) { return index == SM_CXSCREEN ? 800 : index == SM_CYSCREEN ? 600 : 0; }

TEST_F(InProcessTest, WindowsCentredInsideTheWorkArea) {
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    HWND box = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, NULL, NULL, NULL, NULL);
    ReplaceImport("user32.dll", "SystemParametersInfoA", (void *)AnsweredWorkArea);
    ReplaceImport("user32.dll", "GetSystemMetrics", (void *)ScreenOf800x600);
    for (const Row &row : Table("shell.txt", "centring")) {   /* other window | work area or screen | placed */
        RECT r;
        char placed[64];
        sscanf(row[0].c_str(), "%ld %ld %ld %ld", &r.left, &r.top, &r.right, &r.bottom);
        MoveWindow(other, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        workArea = RECT{}, sscanf(row[1].c_str(), "%ld %ld %ld %ld", &workArea.left, &workArea.top, &workArea.right, &workArea.bottom);
        CentreOverWindow(box, other), GetWindowRect(box, &r);
        sprintf(placed, "%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
        EXPECT_EQ(row[2] + " 200 100", placed) << "over " << row[0] << " in " << row[1];
    }
    RestoreImports();
    RECT screen, r;
    GetWindowRect(GetDesktopWindow(), &screen), MoveWindow(box, 0, 0, 201, 101, FALSE), CentreOnScreen(box), GetWindowRect(box, &r);
    EXPECT_TRUE(r.left == (screen.right - 201) / 2 && r.top == (screen.bottom - 101) / 2) << r.left << " " << r.top;
    DestroyWindow(box), DestroyWindow(other);
}

static UINT WINAPI CharacterOfKey(UINT key, UINT type) { return type == 2 && key != '^' ? key : 0; }

TEST_F(InProcessTest, KeySequenceOpensTheGenerator) {
    MainWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ReplaceImport("user32.dll", "MapVirtualKeyA", (void *)CharacterOfKey);
    for (const Row &row : Table("shell.txt", "keys")) {   /* keys | up, down or both | messages posted */
        for (char key : std::string(8, '^') + row[0]) {
            if (row[1] != "up") KeyboardHookProc(HC_ACTION, (WPARAM)key, 0x00000001);
            if (row[1] != "down") KeyboardHookProc(HC_ACTION, (WPARAM)key, 0xC0000001);
        }
        DWORD posted = 0;
        for (MSG message; PeekMessageA(&message, MainWindow, WM_USER + 14, WM_USER + 14, PM_REMOVE);) posted++;
        EXPECT_EQ(Number(row[2]), posted) << row[0] << " " << row[1];
        EXPECT_TRUE(!posted || !lstrcmpiA(row[0].substr(row[0].size() - 8).c_str(), keySequence)) << "kept after a match";
    }
    DestroyWindow(MainWindow);
}

TEST_F(InProcessTest, OnlyTheProgramsStartupValueIsRemoved) {
    const char *run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    WriteHklmString(run, "Tavolink Quorvex", "C:\\Quorvex\\Quorvex.exe"), WriteHklmString(run, "Tavolink Quorvex Helper", "helper.exe");
    EXPECT_EQ(1, RemoveStartupEntry());
    EXPECT_EQ(0, RemoveStartupEntry());
    EXPECT_TRUE(DeleteHklmValue(run, "Tavolink Quorvex Helper")) << "the other value stays";
}

static std::string happened;
static void WINAPI LoggedSleep(DWORD ms) { happened += std::to_string(ms) + "@" + std::to_string(SendDlgItemMessageA(MainWindow, 1012, PBM_GETPOS, 0, 0)) + " "; }
static int LoggedTest(void) {   /* while it runs: Back, Next and Close off, the busy cursor, the mouse held */
    for (int id : { 1000, 1001, 1002 }) happened += IsWindowEnabled(GetDlgItem(MainWindow, id)) ? std::to_string(id) + " on " : "";
    happened += GetCursor() != busyCursor ? "other cursor " : "", happened += GetCapture() != MainWindow ? "mouse free " : "";
    return happened += "test", 1;
}

/* The wizard window made from its template with the program moved to the scratch folder. */
static void OpenWizard() {
    MoveProgramToScratch(), RegisterMainWindowClass(ProgramInstance = GetModuleHandleA(NULL));
    MainWindow = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(101), NULL, NULL, 0);
    InitMainWindow(MainWindow, ProgramInstance, "", SW_SHOW);
}
static void CloseWizard() {
    DestroyWindow(MainWindow), ShutDown();
    MSG message;   /* the first Next and the quit message are not for the tests that follow */
    while (PeekMessageA(&message, NULL, WM_COMMAND, WM_COMMAND, PM_REMOVE) || PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

TEST_F(InProcessTest, WizardBusyCursorProgressAndBack) {
    HCURSOR wait = LoadCursorA(NULL, (LPCSTR)IDC_WAIT);
    OpenWizard(), CloseWizard();
    EXPECT_EQ(wait, busyCursor) << "no quorcur.ani beside the program";
    CopyFileA((ProgramFolder() + "quorcur.ani").c_str(), (Scratch() + "\\quorcur.ani").c_str(), FALSE), OpenWizard();
    EXPECT_TRUE(busyCursor != NULL && busyCursor != wait) << "quorcur.ani beside the program";
    ReplaceImport("kernel32.dll", "Sleep", (void *)LoggedSleep);
    for (WizardPage &page : pageTable) page.test = page.test ? LoggedTest : NULL;
    for (const Row &row : Table("shell.txt", "next")) {   /* page before | testsDone | flags | happenings | position */
        currentPage = Number(row[0]), testsDone = Number(row[1]), happened.clear();
        if (row[2] != "-") pageTable[currentPage + 1].flags = Number(row[2]);
        HCURSOR before = SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
        NextPage();
        EXPECT_EQ(row[3] + " | " + row[4], happened + " | " + std::to_string(SendDlgItemMessageA(MainWindow, 1012, PBM_GETPOS, 0, 0))) << row[0];
        EXPECT_TRUE(GetCursor() == LoadCursorA(NULL, (LPCSTR)IDC_ARROW) && GetCapture() == NULL) << "cursor and mouse given back";
        SetCursor(before);
    }
    for (const Row &row : Table("shell.txt", "back")) {   /* page | testsDone | page reached | position */
        currentPage = Number(row[0]), testsDone = Number(row[1]), PreviousPage();
        EXPECT_EQ(row[2] + " " + row[3], std::to_string(currentPage) + " " + std::to_string(SendDlgItemMessageA(MainWindow, 1012, PBM_GETPOS, 0, 0)));
    }
    CloseWizard();
}

/* What the technician sees of the window besides the pages: the system menu's
   last items and the headline's and the text's fonts. */
TEST_F(InProcessTest, SystemMenuAndFonts) {
    OpenWizard();
    HMENU menu = GetSystemMenu(MainWindow, FALSE);
    std::vector<Row> items = Table("shell.txt", "system menu");   /* text | command, or - | separator */
    for (size_t i = 0, first = GetMenuItemCount(menu) - items.size(); i < items.size(); i++) {
        char text[64] = "";
        MENUITEMINFOA item = { sizeof(item), MIIM_FTYPE | MIIM_ID | MIIM_STRING };
        item.dwTypeData = text, item.cch = sizeof(text), GetMenuItemInfoA(menu, first + i, TRUE, &item);
        bool line = item.fType & MFT_SEPARATOR;
        EXPECT_EQ(items[i], (Row{ line ? "-" : text, line ? "separator" : std::to_string(item.wID) }));
    }
    for (const Row &row : Table("shell.txt", "fonts")) {   /* control | face | height | weight */
        LOGFONTA font = {};
        GetObjectA((HFONT)SendDlgItemMessageA(MainWindow, Number(row[0]), WM_GETFONT, 0, 0), sizeof(font), &font);
        EXPECT_EQ(row, (Row{ row[0], font.lfFaceName, std::to_string(font.lfHeight), std::to_string(font.lfWeight) }));
    }
    CloseWizard();
}
