/* The report file of the real program: where it is written, when, what
   happens when it cannot be written, and Notepad opening it. */
#include "blackbox_fixture.h"

#define ID_NEXT 1000
#define ID_BACK 1001
#define ID_STATUS_REPORT 1004
#define ID_HEADLINE 1017

class ReportFileTest : public ProgramTest {
protected:
    std::string ReportPath() { return installation.directory + "Quorvex.txt"; }

    bool WaitReport(DWORD timeoutMs)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            if (FileExists(ReportPath().c_str()))
                return true;
            Sleep(20);
        }
        return false;
    }

    std::string ReadReport()
    {
        static char buffer[256 * 1024];
        DWORD got = 0;
        for (int attempt = 0; attempt < 50; attempt++) {
            if (ReadFileBytes(ReportPath().c_str(), buffer, sizeof(buffer), &got) && got > 0)
                return std::string(buffer, got);
            Sleep(20);
        }
        return "";
    }

    /* Presses a button and waits until the headline or text has changed. */
    void PressAndSettle(HWND window, int button)
    {
        char before[4096], now[4096];
        GetControlText(window, 1011, before, sizeof(before));
        ASSERT_TRUE(PressButton(window, button));
        DWORD start = GetTickCount();
        do {
            Sleep(20);
            GetControlText(window, 1011, now, sizeof(now));
        } while ((strcmp(before, now) == 0 || !IsControlEnabled(window, 1002)) &&
                 GetTickCount() - start < DRIVER_LONG_WAIT_MS);
        Sleep(100);
    }
};

TEST_F(ReportFileTest, WrittenBesideTheProgramAfterEveryNextButNotAfterBack)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitReport(DRIVER_SHORT_WAIT_MS)) << "written for the first page";
    std::string report = ReadReport();
    EXPECT_EQ(0u, report.find("Tavolink TEST REPORT\r\n====================\r\n\r\n[Installation Information]\r\n"));
    EXPECT_NE(std::string::npos, report.find("[Audio driver access Test]\r\nTest executed: NO\r\n"));
    EXPECT_EQ("\r\n", report.substr(report.size() - 2)) << "no NUL at the end";

    /* An information page rewrites it too. */
    ASSERT_TRUE(DeleteFileA(ReportPath().c_str()));
    PressAndSettle(window, ID_NEXT);
    EXPECT_TRUE(WaitReport(DRIVER_SHORT_WAIT_MS));

    ASSERT_TRUE(DeleteFileA(ReportPath().c_str()));
    PressAndSettle(window, ID_BACK);
    Sleep(500);
    EXPECT_FALSE(FileExists(ReportPath().c_str())) << "Back does not write the report";

    for (int page = 1; page <= 4; page++)
        PressAndSettle(window, ID_NEXT);
    report = ReadReport();
    EXPECT_NE(std::string::npos, report.find("[Audio driver access Test]\r\nTest executed: YES\r\nTest status:   OK\r\n"));
    EXPECT_NE(std::string::npos, report.find("Number of audio mixer devices: "));
    EXPECT_EQ(std::string::npos, report.find("Number of audio mixer devices: 0\r\n"));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

static HWND WaitNotepadOn(const char *fileName, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND notepad = NULL;
        while ((notepad = FindWindowExA(NULL, notepad, "Notepad", NULL)) != NULL) {
            char title[256];
            GetWindowTitle(notepad, title, sizeof(title));
            if (strstr(title, fileName) != NULL)
                return notepad;
        }
        Sleep(50);
    }
    return NULL;
}

TEST_F(ReportFileTest, StatusReportButtonAndSystemMenuOpenItInNotepad)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitReport(DRIVER_SHORT_WAIT_MS));

    ASSERT_TRUE(PressButton(window, ID_STATUS_REPORT));
    HWND notepad = WaitNotepadOn("Quorvex", DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, notepad) << "no Notepad window on the report";
    PostCloseWindow(notepad);
    EXPECT_TRUE(WaitWindowGone(notepad, DRIVER_LONG_WAIT_MS));

    ASSERT_TRUE(PostSysCommand(window, 40016));
    notepad = WaitNotepadOn("Quorvex", DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, notepad) << "the system menu entry opens it as well";
    PostCloseWindow(notepad);
    EXPECT_TRUE(WaitWindowGone(notepad, DRIVER_LONG_WAIT_MS));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(ReportFileTest, UnwritableReportIsReportedAfterEveryNextAndTheWizardGoesOn)
{
    Install();
    /* A folder in the report's place: the file cannot be created. */
    ASSERT_TRUE(CreateDirectoryA(ReportPath().c_str(), NULL));
    DriverProcess *process = Start("");
    for (int step = 0; step < 3; step++) {
        SCOPED_TRACE(step);
        MessageBoxInfo box = NextMessageBox(process);
        EXPECT_STREQ("Could not create test report file!", box.text);
        EXPECT_STREQ("Tavolink Quorvex", box.title);
        EXPECT_EQ(MBICON_ERROR, box.iconKind);
        HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
        EXPECT_EQ(window, box.owner);
        ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
        if (step < 2)
            ASSERT_TRUE(PressButton(window, ID_NEXT));
    }
    HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
    char headline[256];
    GetControlText(window, ID_HEADLINE, headline, sizeof(headline));
    EXPECT_STRNE("", headline);
    EXPECT_TRUE(IsControlEnabled(window, ID_NEXT));
    RemoveDirectoryA(ReportPath().c_str());
    EXPECT_EQ(0u, CloseWizard(process, window));
}

TEST_F(ReportFileTest, ReportHeldOpenByAnotherProgramIsReported)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitReport(DRIVER_SHORT_WAIT_MS));
    Sleep(200);
    HANDLE held = CreateFileA(ReportPath().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(PressButton(window, ID_NEXT));
    MessageBoxInfo box = NextMessageBox(&processes[0]);
    EXPECT_STREQ("Could not create test report file!", box.text);
    AnswerMessageBox(box.window, IDOK);
    CloseHandle(held);
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(ReportFileTest, OperatingSystemLineFollowsTheWindowsVersion)
{
    Install();
    const char *cases[][2] = {
        { "win98", "Operating system:        Windows 98 Build " },
        { "winxp", "Operating system:        Windows NT 5.1 Build 2600\r\n" },
        { "win2k", "Operating system:        Windows NT 5.0 Build 2195\r\n" },
        { "win10", "Operating system:        Windows NT 6.2 Build 9200\r\n" },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c[0]);
        ASSERT_TRUE(SetProgramWindowsVersion(c[0]));
        DeleteFileA(ReportPath().c_str());
        HWND window = StartToMainWindow("");
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(WaitReport(DRIVER_SHORT_WAIT_MS));
        EXPECT_NE(std::string::npos, ReadReport().find(c[1]));
        EXPECT_EQ(0u, CloseWizard(&processes[started - 1], window));
    }
}
