/* How long composing and writing the report take with 0 to 10,000 file
   records, against the 100 ms a page change can spare (a tenth of the test
   pages' one-second animation); then the cost per record from each size to
   the next, which stays flat when the report grows linearly. The report is
   written beside this program, as the wizard writes it beside itself.
   usage: bench_report [RUNS]   (default 21) */
#include <windows.h>
#include <stdio.h>
#include <vector>

#include "bench_common.h"
#include "diagnostic_results.h"
#include "product_profile.h"
#include "report_compose.h"
#include "report_file.h"

#define BUDGET_MS       100.0
#define BUDGET_RECORDS  1000
#define GROWTH_GOAL     1.5

static const int recordCounts[] = { 0, 100, 1000, 10000 };
#define COUNT_SIZES ((int)(sizeof(recordCounts) / sizeof(recordCounts[0])))

static int MakeRecords(int count)
{
    FileCheckRecord **tail = &DiagnosticResults.softwareFiles;
    for (int i = 0; i < count; i++) {
        FileCheckRecord *record = (FileCheckRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
        if (record == NULL)
            return 0;
        snprintf(record->path, sizeof(record->path), "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\board%05d.sys", i);
        record->versionMS = 0x00010002;
        record->versionLS = (DWORD)i;
        record->status = (DWORD)(i % 3 == 0 ? FILE_STATUS_OK : FILE_STATUS_MISSING);
        *tail = record;
        tail = &record->next;
    }
    return 1;
}

static void FreeRecords()
{
    FileCheckRecord *record = DiagnosticResults.softwareFiles;
    while (record != NULL) {
        FileCheckRecord *next = record->next;
        HeapFree(GetProcessHeap(), 0, record);
        record = next;
    }
    DiagnosticResults.softwareFiles = NULL;
}

/* One file line per record must be in the text, or less work was measured. */
static int CountFileLines(const char *text)
{
    int lines = 0;
    for (const char *p = text; p != NULL && (p = strstr(p, "\r\nFile ")) != NULL; p += 7)
        lines++;
    return lines;
}

int main(int argc, char **argv)
{
    int runs = RunsArgument(argc, argv, 1, 21);
    SelectProductProfile("Mirel");
    DiagnosticResults.softwareInstallation.executed = 1;

    std::vector<double> total[COUNT_SIZES];
    for (int s = 0; s < COUNT_SIZES; s++) {
        int count = recordCounts[s];
        if (!MakeRecords(count)) {
            fprintf(stderr, "bench_report: out of memory at %d records\n", count);
            return 1;
        }
        /* One untimed pass: the first composition loads the system probes' libraries. */
        if (!UpdateTestReport() || CountFileLines(TestReport.text) != count) {
            fprintf(stderr, "bench_report: %d records gave %d file lines\n", count, CountFileLines(TestReport.text));
            return 1;
        }
        std::vector<double> compose, write;
        for (int i = 0; i < runs; i++) {
            double start = BenchNow();
            ComposeTestReport();
            double composed = BenchNow();
            WriteTestReport();
            double written = BenchNow();
            compose.push_back(composed - start);
            write.push_back(written - composed);
            total[s].push_back(written - start);
        }
        printf("# %5d records: compose %.3f ms, write %.3f ms, %lu bytes\n", count, Summarise(compose).median,
               Summarise(write).median, (unsigned long)TestReport.length);
        char key[32], parameter[32];
        snprintf(key, sizeof(key), "report.%d", count);
        snprintf(parameter, sizeof(parameter), "%d records", count);
        PrintBenchRow(key, "report compose+write vs 100 ms", parameter, "ms", Summarise(total[s]).median, BUDGET_MS,
                      Summarise(ScaleSample(total[s], BUDGET_MS)), count == BUDGET_RECORDS ? 1.0 : BENCH_NO_GOAL);
        FreeRecords();
    }

    /* Per record: what the records add over the empty report, divided by
       their number. At 100 records that is within the noise of the empty
       report, so growth is judged from 1,000 to 10,000. */
    double empty = Summarise(total[0]).median;
    std::vector<double> perRecord[COUNT_SIZES];
    for (int s = 2; s < COUNT_SIZES; s++)
        for (double t : total[s])
            perRecord[s].push_back((t - empty) * 1000.0 / recordCounts[s]);
    char key[40], parameter[48];
    snprintf(key, sizeof(key), "report.per_record.%d", recordCounts[3]);
    snprintf(parameter, sizeof(parameter), "%d vs %d records", recordCounts[3], recordCounts[2]);
    PrintGrowthRow(key, "report time per record", parameter, perRecord[3], perRecord[2], GROWTH_GOAL);
    return 0;
}
