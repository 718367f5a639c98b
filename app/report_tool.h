/* QuorvexReport.exe: the unattended report (report_tool.cpp says what it does). */
#ifndef QUORVEX_REPORT_TOOL_H
#define QUORVEX_REPORT_TOOL_H

#define REPORT_TOOL_NOT_WRITTEN 100

/* Runs the whole program on its arguments; returns the exit code. */
int RunReportTool(int argc, char **argv);

#endif
