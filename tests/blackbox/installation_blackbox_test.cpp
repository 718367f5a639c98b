/* The installation pages of the real wizard against FileCheck lists in the
   prefix, and the file lines they leave in the report. */
#include "blackbox_fixture.h"

#define ID_NEXT 1000
#define ID_CLOSE 1002
#define ID_TEXT 1011
#define MIREL_LIST FILECHECK_ROOT "\\MirelMJPG\\Drivers"

static void WriteEntry(const char *list, const char *name, DWORD ms, DWORD ls, BYTE location)
{
    std::string key = std::string(list) + "\\" + name;
    BYTE allowed = 1;
    SetRegDword(HKEY_LOCAL_MACHINE, key.c_str(), "MajorVersion", ms);
    SetRegDword(HKEY_LOCAL_MACHINE, key.c_str(), "MinorVersion", ls);
    SetRegBinary(HKEY_LOCAL_MACHINE, key.c_str(), "Location", &location, 1);
    SetRegBinary(HKEY_LOCAL_MACHINE, key.c_str(), "UpdateAllowed", &allowed, 1);
}

/* The version as Windows' own version API reports it, independent of the program. */
static bool FileVersion(const std::string &path, DWORD *ms, DWORD *ls)
{
    DWORD unused, size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    std::string block(size, '\0');
    VS_FIXEDFILEINFO *fixed;
    UINT length;
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, &block[0]) ||
        !VerQueryValueA(&block[0], "\\", (void **)&fixed, &length))
        return false;
    *ms = fixed->dwFileVersionMS;
    *ls = fixed->dwFileVersionLS;
    return true;
}

class InstallationPagesTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Install();
        std::string mainPath = installation.directory.substr(0, installation.directory.size() - 1);
        SetRegString(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Main path", mainPath.c_str());
        CopyFileTo((BuildDirectory() + "filecheck\\v4_2_3_1234.dll").c_str(),
                   (installation.directory + "mirelcap.dll").c_str());
    }
    void TearDown() override
    {
        DeleteRegValue(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Main path");
        ProgramTest::TearDown();
    }

    std::string Report()
    {
        static char buffer[256 * 1024];
        DWORD got = 0;
        ReadFileBytes((installation.directory + "Quorvex.txt").c_str(), buffer, sizeof(buffer), &got);
        return std::string(buffer, got);
    }

    void Next(HWND window)
    {
        char before[4096], now[4096];
        GetControlText(window, ID_TEXT, before, sizeof(before));
        ASSERT_TRUE(PressButton(window, ID_NEXT));
        DWORD start = GetTickCount();
        do {
            Sleep(20);
            GetControlText(window, ID_TEXT, now, sizeof(now));
        } while ((strcmp(before, now) == 0 || !IsControlEnabled(window, ID_CLOSE)) &&
                 GetTickCount() - start < DRIVER_LONG_WAIT_MS);
        Sleep(150);
    }
};

TEST_F(InstallationPagesTest, SoftwarePagePassesAndReportsTheFile)
{
    WriteEntry(MIREL_LIST, "mirelcap.dll", 0x00040002, 0x000304D2, 5);
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    Next(window);
    Next(window);
    EXPECT_TRUE(IsControlEnabled(window, ID_NEXT));
    std::string report = Report();
    EXPECT_NE(std::string::npos, report.find("[Software Installation Test]\r\nTest executed: YES\r\nTest status:   OK\r\n"
                                             "File " + installation.directory +
                                             "mirelcap.dll     - Version 4.02.197842 (ok)\r\n"));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(InstallationPagesTest, MissingFileStopsTheWizardOnTheSoftwarePage)
{
    WriteEntry(MIREL_LIST, "mirelcap.dll", 0x00040002, 0x000304D2, 5);
    WriteEntry(MIREL_LIST, "tvboard.sys", 0x00020000, 0, 2);
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    Next(window);
    Next(window);
    EXPECT_FALSE(IsControlEnabled(window, ID_NEXT));
    EXPECT_EQ(ID_CLOSE, GetFocusControlId(window));
    HMODULE texts = LoadLibraryExA((installation.directory + "MirelQuor001.DLL").c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE);
    char first[256];
    LoadStringA(texts, 11200, first, sizeof(first));
    FreeLibrary(texts);
    char shown[4096];
    GetControlText(window, ID_TEXT, shown, sizeof(shown));
    EXPECT_EQ(0, strncmp(first, shown, strlen(first))) << "the missing-file text";

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string report = Report();
    size_t section = report.find("[Software Installation Test]\r\nTest executed: YES\r\nTest status:   FILE NOT FOUND\r\n");
    ASSERT_NE(std::string::npos, section);
    std::string lines = report.substr(section);
    size_t ok = lines.find("mirelcap.dll     - Version 4.02.197842 (ok)\r\n");
    size_t missing = lines.find(std::string("File ") + windows + "\\SYSTEM32\\DRIVERS\\tvboard.sys      - Version 0.00.000 (missing)\r\n");
    EXPECT_NE(std::string::npos, ok);
    EXPECT_NE(std::string::npos, missing);
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(InstallationPagesTest, DirectDrawPageChecksTheSystemsRealFiles)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string ddraw = std::string(windows) + "\\SYSTEM32\\ddraw.dll";
    DWORD ms = 0, ls = 0;
    ASSERT_TRUE(FileVersion(ddraw, &ms, &ls));
    for (const char *list : { "DirectDraw\\W98", "DirectDraw\\Win2K", "DirectDraw\\WinXP" })
        WriteEntry((std::string(FILECHECK_ROOT "\\") + list).c_str(), "ddraw.dll", ms, ls, 1);
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    for (int page = 1; page <= 8; page++)
        Next(window);
    EXPECT_TRUE(IsControlEnabled(window, ID_NEXT)) << "page 8 passed";
    char line[256];
    wsprintfA(line, "\\SYSTEM32\\ddraw.dll    Version %d.%02d.%02d.%04d (ok)\r\n", HIWORD(ms), LOWORD(ms), HIWORD(ls),
              LOWORD(ls));
    std::string report = Report();
    EXPECT_NE(std::string::npos, report.find("[DirectDraw Installation Test]\r\nTest executed: YES\r\nTest status:   OK\r\n"));
    EXPECT_NE(std::string::npos, report.find(line)) << line;
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}
