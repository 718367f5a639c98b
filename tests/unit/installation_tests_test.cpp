/* The software and DirectDraw installation pages: their text and status
   for each outcome of the file check, and the different view of a newer file. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <string>

#include "diagnostic_results.h"
#include "file_check.h"
#include "install_locations.h"
#include "installation_tests.h"
#include "language.h"
#include "platform.h"
#include "product_profile.h"
#include "registry_scratch.h"
#include "report_compose.h"
#include "result_codes.h"
#include "test_paths.h"

static DWORD MS(int major, int minor) { return ((DWORD)major << 16) | (DWORD)minor; }

/* Entries at the main path, where the fixtures are. */
static void WriteEntry(const char *listKey, const char *name, DWORD ms, DWORD ls, BYTE updateAllowed)
{
    WriteFileCheckEntry(listKey, name, ms, ls, 5, updateAllowed);
}

class InstallationPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(NULL);
        SelectProductProfile("Mirel");
        LoadLanguageLibrary();
    }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override
    {
        PlatformClass = PLATFORM_NT6;
        WriteHklmString(Profile.productKey, "Main path", (TestProgramDirectory() + "filecheck").c_str());
        InitInstallLocations();
        MakeEmptyHklmKey(Profile.fileCheckKey);
        MakeEmptyHklmKey(DIRECTDRAW_LIST_WINXP);
    }
    void TearDown() override
    {
        DeleteHklmTree(Profile.fileCheckKey);
        DeleteHklmTree(DIRECTDRAW_LIST_WINXP);
        DeleteHklmTree(DIRECTDRAW_LIST_WIN2K);
        DeleteHklmValue(Profile.productKey, "Main path");
    }
    static std::string Text(UINT id) { return LoadLongText(id); }
};

TEST_F(InstallationPagesTest, EmptyListsPassBothPages)
{
    LastResult = 3;
    EXPECT_EQ(1, SoftwareInstallationTest());
    EXPECT_EQ(Text(11100), ResultText);
    EXPECT_EQ(1u, DiagnosticResults.softwareInstallation.executed);
    EXPECT_EQ(0u, DiagnosticResults.softwareInstallation.status);
    EXPECT_EQ(1002u, HelpContext);
    EXPECT_EQ(1, DirectDrawInstallationTest());
    EXPECT_EQ(Text(12100), ResultText);
    EXPECT_EQ(0u, DiagnosticResults.directDrawInstallation.status);
    EXPECT_EQ(1008u, HelpContext);
}

TEST_F(InstallationPagesTest, SoftwarePageTextPerFailure)
{
    struct {
        const char *name;
        DWORD ms, ls;
        BYTE updateAllowed;
        ResultCode status;
        UINT text;
        DWORD help;
    } cases[] = {
        { "absent.sys", MS(1, 0), 0, 1, 10, 11200, 1003 },
        { "noversion.dll", MS(1, 0), 0, 1, 11, 11300, 1004 },
        { "v4_2_3_1234.dll", MS(4, 3), 0, 1, 12, 11400, 1005 },
        { "v4_2_3_1234.dll", MS(4, 1), 0, 0, 13, 11500, 1006 },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.status);
        MakeEmptyHklmKey(Profile.fileCheckKey);
        WriteEntry(Profile.fileCheckKey, c.name, c.ms, c.ls, c.updateAllowed);
        EXPECT_EQ(0, SoftwareInstallationTest());
        EXPECT_EQ(c.status, DiagnosticResults.softwareInstallation.status);
        EXPECT_EQ(Text(c.text), ResultText);
        EXPECT_EQ(c.help, HelpContext);
    }
    DeleteHklmTree(Profile.fileCheckKey);
    EXPECT_EQ(0, SoftwareInstallationTest());
    EXPECT_EQ(3u, DiagnosticResults.softwareInstallation.status);
    EXPECT_EQ(Text(5000), ResultText);
}

TEST_F(InstallationPagesTest, OutOfDateThenNotReleasedFailsWithTheLater)
{
    WriteEntry(Profile.fileCheckKey, "a_v1_2_0_15.dll", MS(1, 3), 0, 1);
    WriteEntry(Profile.fileCheckKey, "b_v4_2_3_1234.dll", MS(4, 1), 0, 0);
    std::string dir = TestProgramDirectory() + "filecheck\\";
    CopyFileA((dir + "v1_2_0_15.dll").c_str(), (dir + "a_v1_2_0_15.dll").c_str(), FALSE);
    CopyFileA((dir + "v4_2_3_1234.dll").c_str(), (dir + "b_v4_2_3_1234.dll").c_str(), FALSE);
    EXPECT_EQ(0, SoftwareInstallationTest());
    EXPECT_EQ(13u, DiagnosticResults.softwareInstallation.status);
    EXPECT_EQ(Text(11500), ResultText);
    DeleteFileA((dir + "a_v1_2_0_15.dll").c_str());
    DeleteFileA((dir + "b_v4_2_3_1234.dll").c_str());
}

TEST_F(InstallationPagesTest, DirectDrawPageTextPerFailure)
{
    struct {
        const char *name;
        DWORD ms;
        ResultCode status;
        UINT text;
    } cases[] = {
        { "absent.dll", MS(1, 0), 10, 12200 },
        { "noversion.dll", MS(1, 0), 11, 12300 },
        { "v4_2_3_1234.dll", MS(4, 3), 12, 12400 },
    };
    for (auto &c : cases) {
        MakeEmptyHklmKey(DIRECTDRAW_LIST_WINXP);
        WriteEntry(DIRECTDRAW_LIST_WINXP, c.name, c.ms, 0, 1);
        EXPECT_EQ(0, DirectDrawInstallationTest());
        EXPECT_EQ(c.status, DiagnosticResults.directDrawInstallation.status);
        EXPECT_EQ(Text(c.text), ResultText);
    }
    DeleteHklmTree(DIRECTDRAW_LIST_WINXP);
    EXPECT_EQ(0, DirectDrawInstallationTest());
    EXPECT_EQ(3u, DiagnosticResults.directDrawInstallation.status);
    EXPECT_EQ(Text(5000), ResultText);
}

TEST_F(InstallationPagesTest, DirectDrawPagePassesANotReleasedFileThatTheReportStillNames)
{
    WriteEntry(DIRECTDRAW_LIST_WINXP, "a_absent.dll", MS(1, 0), 0, 1);
    WriteEntry(DIRECTDRAW_LIST_WINXP, "v4_2_3_1234.dll", MS(4, 1), 0, 0);
    EXPECT_EQ(1, DirectDrawInstallationTest());
    EXPECT_EQ(0u, DiagnosticResults.directDrawInstallation.status);
    EXPECT_EQ(Text(12100), ResultText);
    ComposeTestReport();
    std::string report(TestReport.text);
    EXPECT_NE(std::string::npos, report.find("a_absent.dll Version 0.00.00.0000 (missing)\r\n"));
    EXPECT_NE(std::string::npos, report.find("v4_2_3_1234.dll Version 4.02.03.1234 (not released)\r\n"));
}

TEST_F(InstallationPagesTest, DirectDrawListFollowsThePlatform)
{
    WriteEntry(DIRECTDRAW_LIST_WIN2K, "absent.dll", MS(1, 0), 0, 1);
    PlatformClass = PLATFORM_NT5;
    EXPECT_EQ(0, DirectDrawInstallationTest()) << "Windows 2000 and XP read the Win2K list";
    EXPECT_EQ(10u, DiagnosticResults.directDrawInstallation.status);
    PlatformClass = PLATFORM_NT6;
    EXPECT_EQ(1, DirectDrawInstallationTest()) << "the WinXP list is empty";
    PlatformClass = PLATFORM_NT4;
    LastResult = 0;
    FileCheckRecord *before = DiagnosticResults.directDrawFiles;
    EXPECT_EQ(0, CheckDirectDrawFiles());
    EXPECT_EQ(0u, LastResult);
    EXPECT_EQ(before, DiagnosticResults.directDrawFiles);
}
