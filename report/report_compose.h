/* The plain-text test report, rebuilt from scratch after every forward step. */
#ifndef QUORVEX_REPORT_COMPOSE_H
#define QUORVEX_REPORT_COMPOSE_H

#include <windows.h>

#include "../app/growing_text.h"

#define REPORT_INITIAL_SIZE 32768
#define REPORT_LINE_SIZE    512
#define REPORT_VALUE_SIZE   512

/* The report text. It starts at 32,768 bytes and grows as needed, so that
   no line is ever lost; only when memory runs out is the rest cut, with a
   visible last line saying so. */
extern GrowingText TestReport;

int ComposeTestReport(void);

/* Appends one formatted line; a line longer than the line buffer is cut
   and ends in "...\r\n". Used by the composition, exposed for its tests. */
int AppendReportLine(const char *format, ...) __attribute__((format(ms_printf, 1, 2)));
void ClearTestReport(void);

const char *LanguageDescription(const char *code);
const char *FileStatusWord(DWORD status);

#endif
