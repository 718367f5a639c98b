/* The report composed from fixed inputs, compared byte for byte. Lines that
   only the machine can know (date, system, libraries, mixers) are masked in
   the comparison and checked on their own. */
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <sstream>
#include <string>
#include <vector>

#include "diagnostic_results.h"
#include "product_profile.h"
#include "registry_scratch.h"
#include "report_compose.h"
#include "system_info.h"

static const char *mirelKey = "Software\\Tavolink Systems\\MirelMJPG";

static const char *machinePrefixes[] = {
    "Operating system:        ", "System Default Language: ", "User Default Language:   ",
    "Common Control DLL:      Version ", "Shell DLL:               Version ", "Date:                    ",
    "Number of audio mixer devices: ", "Name of audio mixer ",
};

static std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end + 2 - start));
        start = end + 2;
    }
    return lines;
}

/* The report with every machine line replaced by its prefix and "*". */
static std::string Masked(const std::string &text)
{
    std::string masked;
    for (const std::string &line : Lines(text)) {
        bool machine = false;
        for (const char *prefix : machinePrefixes) {
            if (line.compare(0, strlen(prefix), prefix) == 0) {
                if (strcmp(prefix, "Name of audio mixer ") != 0)
                    masked += std::string(prefix) + "*\r\n";
                machine = true;
            }
        }
        if (!machine)
            masked += line;
    }
    return masked;
}

static std::string Composed()
{
    ComposeTestReport();
    EXPECT_EQ((DWORD)lstrlenA(TestReport.text), TestReport.length);
    return std::string(TestReport.text, TestReport.length);
}

static const char *const sectionsNotRun =
    "\r\n[Software Installation Test]\r\nTest executed: NO\r\n"
    "\r\n[Audio driver access Test]\r\nTest executed: NO\r\n"
    "\r\n[Kernelmode driver access Test]\r\nTest executed: NO\r\n"
    "\r\n[DirectDraw Installation Test]\r\nTest executed: NO\r\n"
    "\r\n[DirectDraw Primary Test]\r\nTest executed: NO\r\n"
    "\r\n[DirectDraw Overlay Test]\r\nTest executed: NO\r\n";

static const char *const machineBlock =
    "\r\n[Operating System Information]\r\n"
    "Operating system:        *\r\n"
    "System Default Language: *\r\n"
    "User Default Language:   *\r\n"
    "Common Control DLL:      Version *\r\n"
    "Shell DLL:               Version *\r\n"
    "Date:                    *\r\n"
    "\r\n[Soundcard Information]\r\n"
    "Number of audio mixer devices: *\r\n";

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectProductProfile("Mirel");
        DeleteHklmValue(mirelKey, "Install Version");
        DeleteHklmValue(mirelKey, "Language");
        ZeroMemory(&DiagnosticResults, sizeof(DiagnosticResults));
    }
    void TearDown() override
    {
        DeleteHklmValue(mirelKey, "Install Version");
        DeleteHklmValue(mirelKey, "Language");
        for (FileCheckRecord *list : { DiagnosticResults.softwareFiles, DiagnosticResults.directDrawFiles })
            while (list != NULL) {
                FileCheckRecord *next = list->next;
                delete list;
                list = next;
            }
        ZeroMemory(&DiagnosticResults, sizeof(DiagnosticResults));
    }

    static FileCheckRecord *Add(FileCheckRecord **head, const char *path, DWORD ms, DWORD ls, DWORD status)
    {
        FileCheckRecord *record = new FileCheckRecord();
        lstrcpynA(record->path, path, sizeof(record->path));
        record->versionMS = ms;
        record->versionLS = ls;
        record->status = status;
        while (*head != NULL)
            head = &(*head)->next;
        *head = record;
        return record;
    }
};

TEST_F(ReportTest, StraightAfterStartUp)
{
    std::string expected = std::string(
        "Tavolink TEST REPORT\r\n"
        "====================\r\n"
        "\r\n[Installation Information]\r\n"
        "Install Version: no version information found\r\n"
        "Language:        no language information found\r\n") +
        machineBlock +
        "\r\n[Display Information]\r\n"
        "Display resolution:   0 x 0 (invalid color format)\r\n"
        "Driver name:          \r\n"
        "Driver description:   \r\n"
        "Driver version:       0.00.00.0000\r\n"
        "Vendor identifier:    00000000\r\n"
        "Chipset identifier:   00000000\r\n"
        "Chipset revision:     00000000\r\n"
        "Overlay pixel format: invalid\r\n" +
        sectionsNotRun;
    EXPECT_EQ(expected, Masked(Composed()));
}

TEST_F(ReportTest, EveryTestExecutedWithBothFileListFormats)
{
    ASSERT_TRUE(WriteHklmString(mirelKey, "Install Version", "2.41 build 7"));
    ASSERT_TRUE(WriteHklmString(mirelKey, "Language", "049"));
    DiagnosticResultsRecord &r = DiagnosticResults;
    r.softwareInstallation = { 1, 12 };
    r.audioDriverAccess = { 1, 130 };
    r.kernelDriverAccess = { 1, 0 };
    r.boardHardwareWord = 0x1234;
    r.internationalBoard = 1;
    r.directDrawInstallation = { 1, 0 };
    r.directDrawPrimary = { 1, 50 };
    r.directDrawOverlay = { 1, 40 };
    r.overlayFormat = OVERLAY_FORMAT_YUY2;
    r.display.width = 1024;
    r.display.height = 768;
    r.display.colourClass = 3;
    DDDEVICEIDENTIFIER &id = r.display.deviceIdentifier;
    lstrcpyA(id.szDriver, "vga.dll");
    lstrcpyA(id.szDescription, "Generic Display");
    id.liDriverVersion.HighPart = (6 << 16) | 14;
    id.liDriverVersion.LowPart = (10 << 16) | 4005;
    id.dwVendorId = 0x5333;
    id.dwDeviceId = 0x5631;
    id.dwRevision = 0x1A;

    Add(&r.softwareFiles, "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\mirel.sys", 0x00010002, 15, FILE_STATUS_OK);
    Add(&r.softwareFiles, "C:\\WINDOWS\\SYSTEM32\\mirelcap.dll", 0x00050000, 0x00010000, FILE_STATUS_OUT_OF_DATE);
    Add(&r.softwareFiles, "D:\\Mirel\\averyveryverylongfilename.ax", 0x00020003, 7, FILE_STATUS_UPDATED);
    Add(&r.softwareFiles, "x.dll: Invalid location number in registry!", 0, 0, FILE_STATUS_MISSING);
    Add(&r.softwareFiles, "C:\\odd.dll", 0x00010000, 1, 64);
    Add(&r.directDrawFiles, "C:\\WINDOWS\\SYSTEM\\ddraw.dll", 0x00040007, 700, FILE_STATUS_NOT_RELEASED);
    Add(&r.directDrawFiles, "C:\\WINDOWS\\SYSTEM\\dd.dll", 0x00040007, 0x00010002, FILE_STATUS_CLSID_NOT_REGISTERED);

    std::string expected = std::string(
        "Tavolink TEST REPORT\r\n"
        "====================\r\n"
        "\r\n[Installation Information]\r\n"
        "Install Version: 2.41 build 7\r\n"
        "Language:        049 / German\r\n") +
        machineBlock +
        "\r\n[Display Information]\r\n"
        "Display resolution:   1024 x 768 High Color (16 Bit)\r\n"
        "Driver name:          vga.dll\r\n"
        "Driver description:   Generic Display\r\n"
        "Driver version:       6.14.10.4005\r\n"
        "Vendor identifier:    00005333\r\n"
        "Chipset identifier:   00005631\r\n"
        "Chipset revision:     0000001A\r\n"
        "Overlay pixel format: YUY2\r\n"
        "\r\n[Software Installation Test]\r\n"
        "Test executed: YES\r\n"
        "Test status:   FILE OUT OF DATE\r\n"
        "File C:\\WINDOWS\\SYSTEM32\\DRIVERS\\mirel.sys        - Version 1.02.015 (ok)\r\n"
        "File C:\\WINDOWS\\SYSTEM32\\mirelcap.dll     - Version 5.00.65536 (out of date)\r\n"
        "File D:\\Mirel\\averyveryverylongfilename.ax - Version 2.03.007 (updated)\r\n"
        "File x.dll: Invalid location number in registry! - Version 0.00.000 (missing)\r\n"
        "File C:\\odd.dll          - Version 1.00.001 ()\r\n"
        "\r\n[Audio driver access Test]\r\n"
        "Test executed: YES\r\n"
        "Test status:   Audio mixer failed\r\n"
        "\r\n[Kernelmode driver access Test]\r\n"
        "Test executed: YES\r\n"
        "Test status:   OK\r\n"
        "International board version - Hardware ID: 0x1234\r\n"
        "\r\n[DirectDraw Installation Test]\r\n"
        "Test executed: YES\r\n"
        "Test status:   OK\r\n"
        "File C:\\WINDOWS\\SYSTEM\\ddraw.dll    Version 4.07.00.0700 (not released)\r\n"
        "File C:\\WINDOWS\\SYSTEM\\dd.dll       Version 4.07.01.0002 (CLSID not registered)\r\n"
        "\r\n[DirectDraw Primary Test]\r\n"
        "Test executed: YES\r\n"
        "Test status:   TESTPICTURE NOT VISIBLE\r\n"
        "\r\n[DirectDraw Overlay Test]\r\n"
        "Test executed: YES\r\n"
        "Test status:   DDRAW NO OVERLAY SUPPORT\r\n";
    EXPECT_EQ(expected, Masked(Composed()));
}

TEST_F(ReportTest, NtscBoardLineShowsTheWholeWord)
{
    DiagnosticResults.kernelDriverAccess = { 1, 0 };
    DiagnosticResults.boardHardwareWord = 0x80000A5Cu;
    DiagnosticResults.internationalBoard = 0;
    std::string report = Composed();
    EXPECT_NE(std::string::npos, report.find("Test status:   OK\r\nNTSC only board version - Hardware ID: 0x80000A5C\r\n"));
    DiagnosticResults.boardHardwareWord = 0x5;
    EXPECT_NE(std::string::npos, Composed().find("NTSC only board version - Hardware ID: 0x0005\r\n"));
}

TEST_F(ReportTest, LanguageValuesAndPlaceholders)
{
    const char *cases[][2] = {
        { "001", "001 / English" }, { "031", "031 / Netherland" }, { "033", "033 / French" },
        { "034", "034 / Spanish" },  { "039", "039 / Italy" },      { "049", "049 / German" },
        { "055", "055 / Portuguese" }, { "044", "unknown language identifier found" },
        { "", "unknown language identifier found" }, { "0011", "unknown language identifier found" },
    };
    for (auto &c : cases) {
        ASSERT_TRUE(WriteHklmString(mirelKey, "Language", c[0]));
        EXPECT_NE(std::string::npos, Composed().find(std::string("Language:        ") + c[1] + "\r\n")) << c[0];
    }
    std::string huge(600, '7');
    ASSERT_TRUE(WriteHklmString(mirelKey, "Language", huge.c_str()));
    EXPECT_NE(std::string::npos, Composed().find("Language:        no language information found\r\n"));
    ASSERT_TRUE(WriteHklmString(mirelKey, "Install Version", huge.c_str()));
    EXPECT_NE(std::string::npos, Composed().find("Install Version: no version information found\r\n"));
}

TEST_F(ReportTest, MachineLinesHoldTheMachinesValues)
{
    std::string report = Composed();
    SYSTEMTIME today;
    GetLocalTime(&today);
    char line[128];
    wsprintfA(line, "Date:                    %02d.%02d.%04d\r\n", today.wDay, today.wMonth, today.wYear);
    EXPECT_NE(std::string::npos, report.find(line));
    wsprintfA(line, "System Default Language: 0x%04X\r\n", GetSystemDefaultLangID());
    EXPECT_NE(std::string::npos, report.find(line));
    wsprintfA(line, "Number of audio mixer devices: %u\r\n", mixerGetNumDevs());
    EXPECT_NE(std::string::npos, report.find(line));
    for (UINT i = 0; i < mixerGetNumDevs(); i++) {
        MIXERCAPSA caps = {};
        mixerGetDevCapsA(i, &caps, sizeof(caps));
        wsprintfA(line, "Name of audio mixer %u: %s\r\n", i, caps.szPname);
        EXPECT_NE(std::string::npos, report.find(line));
    }
    EXPECT_EQ(std::string::npos, report.find("Common Control DLL:      Version 0.0\r\n")) << "comctl32 answers";
}

TEST_F(ReportTest, TwoThousandFileLinesAreAllKept)
{
    DiagnosticResults.softwareInstallation = { 1, 10 };
    char path[64];
    for (int i = 0; i < 2000; i++) {
        wsprintfA(path, "C:\\WINDOWS\\SYSTEM32\\file%04d.dll", i);
        Add(&DiagnosticResults.softwareFiles, path, 0x00010000, (DWORD)i, FILE_STATUS_MISSING);
    }
    std::string report = Composed();
    EXPECT_GT(report.size(), (size_t)REPORT_INITIAL_SIZE * 3);
    EXPECT_NE(std::string::npos, report.find("File C:\\WINDOWS\\SYSTEM32\\file0000.dll     - Version 1.00.000 (missing)\r\n"));
    EXPECT_NE(std::string::npos, report.find("File C:\\WINDOWS\\SYSTEM32\\file1999.dll     - Version 1.00.1999 (missing)\r\n"));
    EXPECT_EQ(std::string::npos, report.find("cut here"));
    size_t last = report.rfind("[DirectDraw Overlay Test]\r\nTest executed: NO\r\n");
    EXPECT_EQ(report.size() - strlen("[DirectDraw Overlay Test]\r\nTest executed: NO\r\n"), last);
}

TEST_F(ReportTest, OverlongLineIsCutCleanly)
{
    DDDEVICEIDENTIFIER &id = DiagnosticResults.display.deviceIdentifier;
    memset(id.szDriver, 'D', sizeof(id.szDriver));     /* no terminating NUL at all */
    memset(id.szDescription, 'E', sizeof(id.szDescription) - 1);
    std::string report = Composed();
    for (const std::string &line : Lines(report)) {
        EXPECT_LE(line.size(), (size_t)REPORT_LINE_SIZE - 1);
        EXPECT_EQ("\r\n", line.substr(line.size() - 2));
    }
    size_t driver = report.find("Driver name:          DDDD");
    ASSERT_NE(std::string::npos, driver);
    size_t end = report.find("\r\n", driver);
    EXPECT_EQ("...", report.substr(end - 3, 3));
    EXPECT_NE(std::string::npos, report.find("\r\nDriver description:   EEE")) << "the next line follows whole";
    EXPECT_NE(std::string::npos, report.find("\r\nDriver version:       0.00.00.0000\r\n"));
}

TEST(SystemInfo, OperatingSystemNames)
{
    const struct {
        DWORD platform, major, minor, build;
        const char *name;
    } cases[] = {
        { VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x04000395, "Windows 95 Build 917" },
        { VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, "Windows 98 Build 2222" },
        { VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, "Windows 98 Build 3000" },
        { VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Windows NT 5.0 Build 2195" },
        { VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Windows NT 5.1 Build 2600" },
        { VER_PLATFORM_WIN32s, 3, 10, 0, "Unknown Operating System" },
    };
    for (auto &c : cases) {
        OSVERSIONINFOA version = {};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        version.dwBuildNumber = c.build;
        char name[64];
        DescribeOperatingSystem(&version, name, sizeof(name));
        EXPECT_STREQ(c.name, name);
    }
}

TEST(SystemInfo, LibraryVersions)
{
    EXPECT_NE(0u, LOWORD(QueryDllVersion("comctl32.dll")));
    EXPECT_EQ(0u, QueryDllVersion("kernel32.dll")) << "no DllGetVersion export";
    EXPECT_EQ(0u, QueryDllVersion("no_such_library_here.dll"));
    EXPECT_EQ(MAKELONG(5, 80), QueryDllVersion("version_fixture.dll"));
    EXPECT_EQ(0u, QueryDllVersion("version_fixture_failing.dll"));
}
