/* QuorvexReport.exe: the checks that need nobody at the screen, and the
   wizard's report, for a technician on the phone, an installer or a script.

     QuorvexReport.exe [HARDWARE-ID] [/out FILE]

   Runs the software installation, audio mixer, kernel-mode driver and
   DirectDraw installation tests in the wizard's order, sets DirectDraw up and
   releases it so that the display driver's lines are filled, and writes the
   report in the wizard's format to Quorvex.txt beside itself or to FILE. One
   line per test and the report's path go to standard output, every error to
   standard error; no window and no message box on any path. Exit code: the
   number of failed tests (0 when all passed), or 100 when no report was
   written. */
#include <windows.h>
#include <objbase.h>

#include "bounded_text.h"
#include "language.h"
#include "platform.h"
#include "product_profile.h"
#include "report_tool.h"
#include "text_file.h"
#include "../checks/audio_mixer_test.h"
#include "../checks/install_locations.h"
#include "../checks/installation_tests.h"
#include "../checks/kernel_driver_test.h"
#include "../display/directdraw_setup.h"
#include "../display/display_mode.h"
#include "../report/report_compose.h"
#include "../report/report_file.h"

static void Print(DWORD stream, const char *format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    FormatTextV(line, sizeof(line), format, args);
    va_end(args);
    DWORD mode, written;
    HANDLE handle = GetStdHandle(stream);
    /* A console shows the OEM code page; a file or a pipe gets the ANSI
       text, as the report has it. */
    if (GetConsoleMode(handle, &mode))
        CharToOemBuffA(line, line, (DWORD)lstrlenA(line));
    WriteFile(handle, line, (DWORD)lstrlenA(line), &written, NULL);
}

/* Where the shared code's error boxes go: standard error, with the system's
   reason when there is one. */
static int PrintErrorLine(const char *text)
{
    DWORD error = GetLastError();
    char reason[512] = "";
    if (error != 0)
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, reason,
                       sizeof(reason), NULL);
    Print(STD_ERROR_HANDLE, "QuorvexReport: %s %s%s", text, reason, reason[0] != '\0' ? "" : "\r\n");
    return IDOK;
}

static const struct {
    const char *name;
    int (*run)(void);
    const TestOutcome *outcome;
} unattendedTests[] = {
    { "Software installation test", SoftwareInstallationTest, &DiagnosticResults.softwareInstallation },
    { "Audio mixer test", AudioMixerTest, &DiagnosticResults.audioDriverAccess },
    { "Kernel-mode driver test", KernelDriverTest, &DiagnosticResults.kernelDriverAccess },
    { "DirectDraw installation test", DirectDrawInstallationTest, &DiagnosticResults.directDrawInstallation },
};

static int RunTests(void)
{
    int failed = 0;
    for (size_t i = 0; i < sizeof(unattendedTests) / sizeof(unattendedTests[0]); i++) {
        if (!unattendedTests[i].run())
            failed++;
        Print(STD_OUTPUT_HANDLE, "%s: %s\r\n", unattendedTests[i].name,
              ResultCodeName(unattendedTests[i].outcome->status));
    }
    /* Only so that the display driver's identification is in the report. */
    SetUpDirectDraw();
    ReleaseDirectDraw();
    return failed;
}

int RunReportTool(int argc, char **argv)
{
    const char *hardwareId = "", *out = NULL;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    PrintError = PrintErrorLine;

    for (int i = 1; i < argc; i++) {
        if (lstrcmpiA(argv[i], "/out") == 0 && i + 1 < argc && out == NULL)
            out = argv[++i];
        else if (hardwareId[0] == '\0' && argv[i][0] != '/')
            hardwareId = argv[i];
        else {
            Print(STD_ERROR_HANDLE, "usage: QuorvexReport [HARDWARE-ID] [/out FILE]\r\n");
            return REPORT_TOOL_NOT_WRITTEN;
        }
    }

    PlatformClass = ClassifyPlatform();
    if (!IsSupportedPlatform(PlatformClass)) {
        Print(STD_ERROR_HANDLE, "QuorvexReport: Unsupported Operation System (Only Win98,WinME,Win2000,WinXP)\r\n");
        return REPORT_TOOL_NOT_WRITTEN;
    }
    if (!SelectProductProfile(hardwareId) && hardwareId[0] != '\0')
        Print(STD_ERROR_HANDLE, "QuorvexReport: hardware ID \"%s\" not supported; assuming Mirel\r\n", hardwareId);

    CoInitialize(NULL);
    InitInstallLocations();
    RecordDisplayMode();
    int failed = RunTests();
    ComposeTestReport();
    CoUninitialize();

    char path[MAX_PATH];
    if (out != NULL ? !CopyText(path, sizeof(path), out) : !GetTestReportPath(path, sizeof(path))) {
        Print(STD_ERROR_HANDLE, "QuorvexReport: the report's path is too long\r\n");
        return REPORT_TOOL_NOT_WRITTEN;
    }
    if (!WriteTextFile(path, TestReport.text != NULL ? TestReport.text : "", "Could not create test report file!",
                       "Could not write test report file!")) {
        Print(STD_ERROR_HANDLE, "QuorvexReport: no report written to %s\r\n", path);
        return REPORT_TOOL_NOT_WRITTEN;
    }
    Print(STD_OUTPUT_HANDLE, "Report: %s\r\n", path);
    return failed;
}
