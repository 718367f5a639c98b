/* The report as written to disk for a crafted results record, compared
   byte for byte with expected/report.txt; the machine's own answers (system
   version, languages, library versions, date, mixers) are replaced by the
   test's. Then single lines for other values and for the display mode
   recorded at start, the limits of a line and of the whole text, and the
   report file. */
#include "unit_support.h"

static BOOL WINAPI FixedVersion(OSVERSIONINFOA *version) {
    return *version = OSVERSIONINFOA{ sizeof(OSVERSIONINFOA), 5, 1, 2600, VER_PLATFORM_WIN32_NT, "" }, TRUE;
}
static LANGID WINAPI SystemLanguage(void) { return 0x0407; }
static LANGID WINAPI UserLanguage(void) { return 0x0409; }
static void WINAPI FixedDate(SYSTEMTIME *time) { *time = SYSTEMTIME{ 2004, 3, 5, 5, 12, 0, 0, 0 }; }
static UINT WINAPI NoMixers(void) { return 0; }
static HMODULE WINAPI VersionLibraries(LPCSTR name) {   /* comctl32 answers 5.80, shell32 fails */
    const char *standIn = !lstrcmpiA(name, "comctl32.dll") ? "version_fixture.dll" : !lstrcmpiA(name, "shell32.dll") ? "version_fixture_failing.dll" : NULL;
    return LoadLibraryExA(standIn ? Fixture(standIn).c_str() : name, NULL, 0);
}
static DWORD displayBits;
static BOOL WINAPI DisplayMode(LPCSTR, DWORD mode, DEVMODEA *settings) {
    settings->dmPelsWidth = 800, settings->dmPelsHeight = 600, settings->dmBitsPerPel = displayBits;
    return mode == ENUM_CURRENT_SETTINGS && displayBits != 0;
}

/* CharNextA as a Japanese system has it (Shift-JIS lead bytes 0x81-0x9F, 0xE0-0xFC). */
static LPSTR WINAPI ShiftJisCharNext(LPCSTR p) {
    BYTE c = (BYTE)*p;
    return (LPSTR)(c == 0 ? p : ((c >= 0x81 && c <= 0x9F) || c >= 0xE0) && p[1] != 0 ? p + 2 : p + 1);
}

static void AddRecord(FileCheckRecord **list, const std::string &path, const std::string &version, DWORD status) {
    while (*list != NULL) list = &(*list)->next;
    *list = (FileCheckRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FileCheckRecord));
    lstrcpynA((*list)->path, path.c_str(), MAX_PATH), Version(version, &(*list)->versionMS), (*list)->status = status;
}

class ReportTest : public InProcessTest {
protected:
    void SetUp() override {
        InProcessTest::SetUp();
        const struct { const char *library, *function; void *replacement; } machine[] = {
            { "kernel32.dll", "GetVersionExA", (void *)FixedVersion }, { "kernel32.dll", "GetLocalTime", (void *)FixedDate },
            { "kernel32.dll", "GetSystemDefaultLangID", (void *)SystemLanguage }, { "winmm.dll", "mixerGetNumDevs", (void *)NoMixers },
            { "kernel32.dll", "GetUserDefaultLangID", (void *)UserLanguage }, { "kernel32.dll", "LoadLibraryA", (void *)VersionLibraries },
            { "user32.dll", "EnumDisplaySettingsA", (void *)DisplayMode } };
        for (auto &replace : machine) ReplaceImport(replace.library, replace.function, replace.replacement);
        ZeroMemory(&r, sizeof(r));
        for (const Row &row : Table("report.txt", "crafted files"))
            AddRecord(row[0] == "software" ? &r.softwareFiles : &r.directDrawFiles, row[1], row[2], Number(row[3]));
        Craft();
    }
    void TearDown() override {
        FreeFileCheckList(&r.softwareFiles), FreeFileCheckList(&r.directDrawFiles), ZeroMemory(&r, sizeof(r));
        DeleteHklmTree(Profile.productKey), InProcessTest::TearDown();
    }
    void Craft() {   /* six tests with six different statuses */
        r.softwareInstallation = { 1, 12 }, r.audioDriverAccess = { 1, 130 }, r.kernelDriverAccess = { 1, 0 };
        r.directDrawInstallation = { 1, 13 }, r.directDrawPrimary = { 1, 50 }, r.directDrawOverlay = { 1, 40 };
        r.boardHardwareWord = 0x1234, r.internationalBoard = 1, r.overlayFormat = 6;
        r.display.width = 1024, r.display.height = 768, r.display.colourClass = 3;
        DDDEVICEIDENTIFIER &id = r.display.deviceIdentifier;
        lstrcpyA(id.szDriver, "vga.dll"), lstrcpyA(id.szDescription, "Generic Display");
        id.liDriverVersion.HighPart = 6 << 16 | 14, id.liDriverVersion.LowPart = 10 << 16 | 4005;
        id.dwVendorId = 0x5333, id.dwDeviceId = 0x5631, id.dwSubSysId = 0x7777, id.dwRevision = 0x1A;
        WriteHklmString(Profile.productKey, "Install Version", "2.41 (unit build)");
        WriteHklmString(Profile.productKey, "Language", "049");
    }
    DiagnosticResultsRecord &r = DiagnosticResults;
};

TEST_F(ReportTest, CraftedRecordByteForByteBesideTheProgram) {
    std::string written = WrittenReport(), path = Scratch() + "\\Quorvex.txt";   /* beside the program */
    EXPECT_EQ(ExpectedText("report.txt", "crafted"), written);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(0, WriteTestReport());
    CloseHandle(held);
    ASSERT_EQ(1u, RecordedBoxes.size());
    EXPECT_TRUE(RecordedBoxes[0].title == "Tavolink Quorvex" && RecordedBoxes[0].style == MB_ICONERROR);
    EXPECT_EQ("Could not create test report file!", RecordedBoxes[0].text);
    EXPECT_EQ(written, ReadWholeFile(path)) << "the earlier file stays";
}

TEST_F(ReportTest, OtherValuesGiveTheirLines) {
    for (const Row &row : Table("report.txt", "lines")) {   /* field | value | line [| class | bytes] */
        Craft();
        r.display.width = 1, r.display.height = 2, r.display.colourClass = 4, r.display.bytesPerPixel = 9;
        if (row[0] == "bits") displayBits = Number(row[1]), RecordDisplayMode();
        else if (row[0] == "colour" || row[0] == "overlay")
            r.display.width = 1024, r.display.height = 768, (row[0] == "colour" ? r.display.colourClass : r.overlayFormat) = Number(row[1]);
        else if (row[0] == "board") sscanf(row[1].c_str(), "%lx %lu", &r.boardHardwareWord, &r.internationalBoard);
        else if (row[1] == "-") DeleteHklmValue(Profile.productKey, row[0].c_str());
        else WriteHklmValue(Profile.productKey, row[0].c_str(), REG_SZ, row[1].c_str(), row[1] == "(no bytes)" ? 0 : row[1].size() + 1);
        EXPECT_NE(std::string::npos, WrittenReport().find("\r\n" + row[2] + "\r\n")) << row[0] << " " << row[1];
        if (row[0] == "bits")
            EXPECT_TRUE(r.display.colourClass == Number(row[3]) && r.display.bytesPerPixel == Number(row[4])) << row[1] << " bits";
    }
}

/* On a Japanese system the second byte of a character may be a backslash
   (0x95 0x5C is one character): the name is split from its folder after
   whole characters, so it keeps its own padding to 16. */
TEST_F(ReportTest, MultibyteNameSplitAfterWholeCharacters) {
    ReplaceImport("user32.dll", "CharNextA", (void *)ShiftJisCharNext);
    FreeFileCheckList(&r.softwareFiles);
    AddRecord(&r.softwareFiles, "C:\\Mirel\\\x95\x5C.dll", "1.2.0.15", 0);
    EXPECT_NE(std::string::npos, WrittenReport().find("\r\nFile C:\\Mirel\\\x95\x5C.dll           - Version 1.02.015 (ok)\r\n"));
}

TEST_F(ReportTest, LongLineIsCutAndLongReportKeepsEveryLine) {
    memset(r.display.deviceIdentifier.szDriver, 'D', 511);
    for (int i = 0; i < 1500; i++) {
        char path[64];
        sprintf(path, "C:\\WINDOWS\\SYSTEM32\\file%04d.dll", i);
        AddRecord(&r.softwareFiles, path, "1.0.0." + std::to_string(i), 1);
    }
    std::string report = WrittenReport(), crafted = ExpectedText("report.txt", "crafted");
    EXPECT_NE(std::string::npos, report.find("\r\nDriver name:          " + std::string(484, 'D') + "...\r\nDriver description:"));
    EXPECT_GT(report.size(), 32768u);
    for (const std::string &line : DataLines("report.txt", "long list"))
        EXPECT_NE(std::string::npos, report.find("\r\n" + line + "\r\n")) << line;
    size_t lines = 0;
    for (size_t at = 0; (at = report.find("\r\nFile C:\\WINDOWS\\SYSTEM32\\file", at + 1)) != std::string::npos;) lines++;
    EXPECT_EQ(1500u, lines);
    EXPECT_EQ(report.size() - crafted.size() + crafted.find("\r\n[Audio"), report.find("\r\n[Audio")) << "all after it whole";
}
