#include "report_tool.h"

int main(int argc, char **argv)
{
    return RunReportTool(argc, argv);
}
