/* The report file beside the program and the viewer that opens it. */
#ifndef QUORVEX_REPORT_FILE_H
#define QUORVEX_REPORT_FILE_H

#include <windows.h>

#define REPORT_FILE_NAME "Quorvex.txt"

int GetTestReportPath(char *buffer, DWORD size);
int WriteTestReport(void);
int ShowTestReport(void);
/* Recomposes the report and rewrites the file; the wizard calls it after every Next. */
int UpdateTestReport(void);

#endif
