/* QuorvexReport.exe run in this process: what it prints, its exit code, the
   report it writes or refuses to write, and that no path of it ever opens a
   window or a message box of its own. */
#include <gtest/gtest.h>

#include "language.h"
#include "report_tool.h"
#include "support.h"

#define KIRON_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Kiron\\Drivers"
#define MIREL_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\MirelMJPG\\Drivers"

static int windowsMade;
static HWND WINAPI RefuseWindow(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    windowsMade++;
    return NULL;
}
static INT_PTR WINAPI RefuseDialog(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    windowsMade++;
    return -1;
}

static BOOL WINAPI ConsoleMode(HANDLE, LPDWORD mode) { return *mode = ENABLE_PROCESSED_OUTPUT, TRUE; }

struct ToolRun {
    int exitCode;
    std::string out, err;
};

/* Runs the program with its standard output and error going to files. */
static ToolRun RunTool(std::vector<const char *> args)
{
    std::string outPath = TestDirectory() + "tool-out.txt", errPath = TestDirectory() + "tool-err.txt";
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    HANDLE oldOut = GetStdHandle(STD_OUTPUT_HANDLE), oldErr = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, err);
    args.insert(args.begin(), "QuorvexReport.exe");
    ToolRun run;
    run.exitCode = RunReportTool((int)args.size(), (char **)args.data());
    SetStdHandle(STD_OUTPUT_HANDLE, oldOut);
    SetStdHandle(STD_ERROR_HANDLE, oldErr);
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    return run;
}

class UnattendedReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        windowsMade = 0;
        RecordMessageBoxes(IDOK);
        ReplaceImport("user32.dll", "CreateWindowExA", (void *)RefuseWindow);
        ReplaceImport("user32.dll", "DialogBoxParamA", (void *)RefuseDialog);
        for (const char *list : { KIRON_LIST, MIREL_LIST, "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\W98",
                                  "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\Win2K",
                                  "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\WinXP" })
            MakeEmptyHklmKey(list);
        report = TestDirectory() + "unattended.txt";
        DeleteFileA(report.c_str());
    }
    void TearDown() override
    {
        EXPECT_EQ(0, windowsMade) << "a window of its own";
        EXPECT_EQ(0u, RecordedBoxes.size()) << (RecordedBoxes.empty() ? "" : RecordedBoxes[0].text);
        RestoreImports();
        PrintError = NULL;   /* the program sends errors to its standard error from then on */
        DeleteHklmTree("Software\\Tavolink Systems\\Quorvex\\FileCheck");
        DeleteFileA(report.c_str());
    }
    std::string report;
};

/* Under Wine there is no capture board: the driver test fails every time. */
TEST_F(UnattendedReport, PrintsOneLinePerTestAndCountsTheFailedOnes)
{
    ToolRun passing = RunTool({ "kiron", "/out", report.c_str() });
    EXPECT_EQ(1, passing.exitCode);
    EXPECT_EQ("Software installation test: OK\r\nAudio mixer test: OK\r\n"
              "Kernel-mode driver test: Kernelmode driver open failed\r\nDirectDraw installation test: OK\r\n"
              "Report: " + report + "\r\n", passing.out);
    EXPECT_EQ("", passing.err);
    std::string text = ReadWholeFile(report);
    EXPECT_EQ(0u, text.find("Tavolink TEST REPORT\r\n"));
    EXPECT_NE(std::string::npos, text.find("[DirectDraw Primary Test]\r\nTest executed: NO\r\n"));
    EXPECT_NE(std::string::npos, text.find("[DirectDraw Overlay Test]\r\nTest executed: NO\r\n"));

    /* An unknown ID is said on standard error, and the Mirel list is the one checked. */
    DWORD version = 0x00010000;
    BYTE location = 3, update = 1;
    ASSERT_TRUE(WriteFileCheckEntry(MIREL_LIST, "nowhere.dll", version, 0, location, update));
    ToolRun failing = RunTool({ "Bogus", "/out", report.c_str() });
    EXPECT_EQ(2, failing.exitCode);
    EXPECT_EQ(0u, failing.out.find("Software installation test: FILE NOT FOUND\r\n"));
    EXPECT_EQ("QuorvexReport: hardware ID \"Bogus\" not supported; assuming Mirel\r\n", failing.err);
    EXPECT_NE(std::string::npos, ReadWholeFile(report).find("File C:\\windows\\nowhere.dll"));
}

/* On a console, which shows the OEM code page, the text is written in it:
   "é" (0xE9 in Windows-1252) is 0x82 in code page 437; to a file it stays. */
TEST_F(UnattendedReport, ConsoleGetsTheOemCodePage)
{
    const char *id = "Vid\xE9o";
    EXPECT_EQ("QuorvexReport: hardware ID \"Vid\xE9o\" not supported; assuming Mirel\r\n",
              RunTool({ id, "/out", report.c_str() }).err);
    ReplaceImport("kernel32.dll", "GetConsoleMode", (void *)ConsoleMode);
    ToolRun console = RunTool({ id, "/out", report.c_str() });
    EXPECT_EQ("QuorvexReport: hardware ID \"Vid\x82o\" not supported; assuming Mirel\r\n", console.err);
    EXPECT_EQ(0u, console.out.find("Software installation test: OK\r\n"));
}

TEST_F(UnattendedReport, ReportThatCannotBeWrittenEndsWithOneHundred)
{
    /* A folder that does not exist, a file held open without sharing, a path
       too long, and arguments it does not know. */
    HANDLE held = CreateFileA(report.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(held, "held", 4, &written, NULL);
    std::string longPath = TestDirectory() + std::string(300, 'x') + ".txt";
    const struct {
        std::vector<const char *> args;
        const char *reason;
    } cases[] = {
        { { "/out", "Z:\\no such folder\\report.txt" }, "QuorvexReport: Could not create test report file! " },
        { { "ORSA", "/out", report.c_str() }, "QuorvexReport: Could not create test report file! " },
        { { "/out", longPath.c_str() }, "QuorvexReport: the report's path is too long\r\n" },
        { { "VELA", "Kiron" }, "usage: QuorvexReport [HARDWARE-ID] [/out FILE]\r\n" },
    };
    for (const auto &c : cases) {
        ToolRun run = RunTool(c.args);
        EXPECT_EQ(REPORT_TOOL_NOT_WRITTEN, run.exitCode) << c.reason;
        EXPECT_EQ(0u, run.err.find(c.reason)) << run.err;
        EXPECT_EQ(std::string::npos, run.out.find("Report: ")) << run.out;
    }
    CloseHandle(held);
    EXPECT_EQ("held", ReadWholeFile(report));
}
