#include <windows.h>

#include "report_file.h"
#include "report_compose.h"
#include "../app/bounded_text.h"
#include "../app/language.h"
#include "../app/program.h"
#include "../app/text_file.h"

/* The report lies beside the program. The file name is as long as the
   program's own, so it fits wherever the program's path does; a path that
   does not fit is refused, never cut into another directory's name. */
int GetTestReportPath(char *buffer, DWORD size)
{
    return GetProgramDirectory(buffer, size) && AppendText(buffer, size, REPORT_FILE_NAME);
}

int ShowTestReport(void)
{
    char path[MAX_PATH];
    char command[sizeof("notepad.exe ") + MAX_PATH];

    if (!GetTestReportPath(path, sizeof(path)))
        return 1;
    FormatText(command, sizeof(command), "notepad.exe %s", path);
    WinExec(command, SW_SHOWNORMAL);
    return 1;
}

int WriteTestReport(void)
{
    char path[MAX_PATH];
    if (!GetTestReportPath(path, sizeof(path))) {
        ShowError("Could not create test report file!");
        return 0;
    }
    return WriteTextFile(path, TestReport.text != NULL ? TestReport.text : "",
                         "Could not create test report file!", "Could not write test report file!");
}

int UpdateTestReport(void)
{
    ComposeTestReport();
    return WriteTestReport();
}
