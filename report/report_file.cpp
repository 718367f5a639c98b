#include <windows.h>

#include "report_file.h"
#include "report_compose.h"
#include "../app/bounded_text.h"
#include "../app/text_file.h"

int GetTestReportPath(char *buffer, DWORD size)
{
    const DWORD nameRoom = sizeof(REPORT_FILE_NAME);   /* the name and its NUL */
    if (buffer == NULL || size <= nameRoom)
        return 0;

    /* Leave room for the file name, so it always fits after the directory. */
    DWORD length = GetModuleFileNameA(NULL, buffer, size - nameRoom);
    if (length >= size - nameRoom)
        length = size - nameRoom - 1;
    buffer[length] = '\0';

    DWORD cut = 1;
    for (DWORD i = length; i > 0; i--) {
        if (buffer[i] == '\\') {
            cut = i + 1;
            break;
        }
    }
    if (cut > length)
        cut = length;
    buffer[cut] = '\0';
    AppendText(buffer, size, REPORT_FILE_NAME);
    return 1;
}

int ShowTestReport(void)
{
    char path[MAX_PATH];
    char command[sizeof("notepad.exe ") + MAX_PATH];

    GetTestReportPath(path, sizeof(path));
    FormatText(command, sizeof(command), "notepad.exe %s", path);
    WinExec(command, SW_SHOWNORMAL);
    return 1;
}

int WriteTestReport(void)
{
    char path[MAX_PATH];
    GetTestReportPath(path, sizeof(path));
    return WriteTextFile(path, TestReport.text != NULL ? TestReport.text : "",
                         "Could not create test report file!", "Could not write test report file!");
}

int UpdateTestReport(void)
{
    ComposeTestReport();
    return WriteTestReport();
}
