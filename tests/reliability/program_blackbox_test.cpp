/* The real program given bad inputs from outside: command lines around the
   message buffer and at the Windows limit, language libraries without
   texts, a report file it may not write, and a merge file held open. */
#include "blackbox_fixture.h"

#include <string>

#define ID_NEXT 1000
#define ID_TEXT 1011
#define ID_HEADLINE 1017

static bool SetImmutable(const std::string &windowsPath, bool immutable);

class BadInputProgramTest : public ProgramTest {
protected:
    /* An immutable directory would outlive the test and the prefix: always undone. */
    void TearDown() override
    {
        if (!immutableDirectory.empty())
            SetImmutable(immutableDirectory, false);
        ProgramTest::TearDown();
    }
    std::string immutableDirectory;

    /* Starts the program with a command line of any length (up to what
       Windows takes), which the driver's own buffer would not hold. */
    DriverProcess *StartWithTail(const std::string &tail)
    {
        DriverProcess *process = &processes[started++];
        std::string command = "\"" + installation.program + "\" " + tail;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        ZeroMemory(process, sizeof(*process));
        EXPECT_TRUE(CreateProcessA(installation.program.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL,
                                   installation.directory.c_str(), &startup, &process->info))
            << GetLastError();
        process->started = 1;
        WaitForInputIdle(process->info.hProcess, 5000);
        return process;
    }

    void ReplaceLanguageLibrary(const char *fixture)
    {
        std::string target = installation.directory + "MirelQuor001.DLL";
        ASSERT_TRUE(CopyFileA((BuildDirectory() + "reliability\\" + fixture).c_str(), target.c_str(), FALSE));
    }

    std::string ControlText(HWND window, int id)
    {
        char text[4096];
        GetControlText(window, id, text, sizeof(text));
        return text;
    }
};

TEST_F(BadInputProgramTest, CommandLinesAroundTheMessageBufferAndAtTheWindowsLimit)
{
    Install();
    const std::string before = "Hardware ID \xB4", after = "\xB4 not supported\nAssuming Mirel";
    /* Windows takes at most 32,767 characters with the terminating NUL. */
    size_t limit = 32767 - 1 - (installation.program.size() + 3);
    for (size_t length : { (size_t)1056, (size_t)1057, (size_t)9000, limit }) {
        SCOPED_TRACE("command line of " + std::to_string(length) + " characters");
        std::string tail;
        while (tail.size() < length)
            tail += "%s%n\xB4Kiron "[tail.size() % 11];
        DriverProcess *process = StartWithTail(tail);
        MessageBoxInfo box = NextMessageBox(process);
        EXPECT_EQ((before + tail + after).substr(0, 1099), std::string(box.text));
        EXPECT_STREQ("Tavolink Systems Quorvex", box.title);
        ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
        HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ("Tavolink Quorvex Cinora Mirel Nova", Title(window));
        EXPECT_EQ(0u, CloseWizard(process, window));
    }
}

/* Without texts every caption, headline and page text is empty, and the
   wizard still walks, runs its tests and writes its report. */
TEST_F(BadInputProgramTest, LanguageLibrariesWithoutTextsStillWalkTheWizard)
{
    for (const char *library : { "no_strings.dll", "empty_strings.dll" }) {
        SCOPED_TRACE(library);
        Install();
        ReplaceLanguageLibrary(library);
        DriverProcess *process = Start("");
        HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
        ASSERT_NE(nullptr, window);
        for (int id : { 1000, 1001, 1002, 1015, ID_HEADLINE, ID_TEXT })
            EXPECT_EQ("", ControlText(window, id)) << "control " << id;
        /* Next is briefly disabled while a page is being shown: press it once it takes the press. */
        for (int page = 1; page <= 2; page++) {
            bool pressed = false;
            for (int attempt = 0; attempt < 200 && !pressed; attempt++) {
                WaitControlEnabled(window, ID_NEXT, 1, DRIVER_LONG_WAIT_MS);
                pressed = PressButton(window, ID_NEXT) != 0;
                Sleep(pressed ? 300 : 20);
            }
            ASSERT_TRUE(pressed) << "page " << page;
        }
        /* The software page has run its test once the report says so. */
        const std::string ran = "[Software Installation Test]\r\nTest executed: YES\r\nTest status:   OK\r\n";
        std::string report;
        DWORD start = GetTickCount();
        while (report.find(ran) == std::string::npos && GetTickCount() - start < DRIVER_LONG_WAIT_MS) {
            Sleep(50);
            char bytes[8192];
            DWORD got = 0;
            if (ReadFileBytes((installation.directory + "Quorvex.txt").c_str(), bytes, sizeof(bytes), &got))
                report.assign(bytes, got);
        }
        EXPECT_NE(std::string::npos, report.find(ran));
        ASSERT_TRUE(WaitControlEnabled(window, 1002, 1, DRIVER_LONG_WAIT_MS));
        EXPECT_EQ("", ControlText(window, ID_TEXT)) << "the result text is empty too";
        EXPECT_EQ(0u, CloseWizard(process, window));
        RemoveInstallation(&installation);
    }
}

/* A read-only program directory. Wine lets root write past read-only
   attributes, so the directory is made immutable on the Unix side, which
   stops root as well: no file can be created in it. Every forward step says
   the report could not be written, and the wizard goes on. */
static bool SetImmutable(const std::string &windowsPath, bool immutable)
{
    typedef char *(CDECL * UnixNameProc)(LPCWSTR);
    UnixNameProc unixName = (UnixNameProc)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                 "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (unixName == NULL || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
        return false;
    char *path = unixName(wide);
    if (path == NULL)
        return false;
    std::string command = std::string("/bin/sh -c \"/usr/bin/chattr ") + (immutable ? "+i '" : "-i '") + path + "'\"";
    HeapFree(GetProcessHeap(), 0, path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA("Z:\\bin\\sh", &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    /* Wine tells neither when a Unix program ends nor how: the directory
       itself shows when the change has been made. */
    std::string probe = windowsPath + "\\immutable-probe";
    DWORD start = GetTickCount();
    while (GetTickCount() - start < DRIVER_LONG_WAIT_MS) {
        HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        bool created = file != INVALID_HANDLE_VALUE;
        if (created) {
            CloseHandle(file);
            DeleteFileA(probe.c_str());
        }
        if (created != immutable)
            return true;
        Sleep(50);
    }
    return false;
}

TEST_F(BadInputProgramTest, ReadOnlyProgramDirectoryIsReportedAfterEveryNext)
{
    Install();
    std::string directory = installation.directory.substr(0, installation.directory.size() - 1);
    immutableDirectory = directory;
    /* A machine whose file system or privileges refuse chattr cannot make
       the directory read-only for root at all. */
    if (!SetImmutable(directory, true))
        GTEST_SKIP() << "chattr +i refused here: no read-only directory to test against";
    std::string probe = installation.directory + "probe.txt";
    ASSERT_FALSE(WriteFileBytes(probe.c_str(), "x", 1)) << "the directory takes no new file";
    DriverProcess *process = Start("");
    for (int step = 0; step < 3; step++) {
        SCOPED_TRACE(step);
        MessageBoxInfo box = NextMessageBox(process);
        EXPECT_STREQ("Could not create test report file!", box.text);
        ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
        HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
        ASSERT_NE(nullptr, window);
        if (step < 2) {
            ASSERT_TRUE(WaitControlEnabled(window, ID_NEXT, 1, DRIVER_LONG_WAIT_MS));
            ASSERT_TRUE(PressButton(window, ID_NEXT));
        }
    }
    EXPECT_FALSE(FileExists((installation.directory + "Quorvex.txt").c_str()));
    HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
    EXPECT_EQ(0u, CloseWizard(process, window));
    EXPECT_TRUE(SetImmutable(directory, false));
    immutableDirectory.clear();
    EXPECT_TRUE(WriteFileBytes(probe.c_str(), "x", 1)) << "writable again";
}

/* The developer dialog's OK while this process holds the merge file open
   without sharing: the program says so and the held file keeps its bytes. */
TEST_F(BadInputProgramTest, MergeFileHeldOpenIsReported)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    DWORD id = ProgramId(&processes[0]);
    std::string merge = installation.directory + "QuorvexToMerge.reg";
    const char old[] = "held\r\n";
    ASSERT_TRUE(WriteFileBytes(merge.c_str(), old, sizeof(old) - 1));
    HANDLE held = CreateFileA(merge.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    ASSERT_TRUE(SendKeyText(window, "quilmora"));
    HWND dialog = WaitProcessWindow(id, "#32770", "Dialog", 1, DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    MessageBoxInfo box = NextMessageBox(&processes[0]);
    EXPECT_STREQ("Could not create registry file!", box.text);
    EXPECT_STREQ("Tavolink Quorvex", box.title);
    ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
    EXPECT_TRUE(WaitWindowGone(dialog, DRIVER_SHORT_WAIT_MS));
    CloseHandle(held);
    char bytes[64];
    DWORD got = 0;
    ASSERT_TRUE(ReadFileBytes(merge.c_str(), bytes, sizeof(bytes), &got));
    EXPECT_EQ(std::string(old), std::string(bytes, got));
    for (int i = 0; i < 100 && !IsWindowShown(window); i++)
        Sleep(20);
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}
