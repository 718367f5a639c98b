/* How long composing and writing the report take with 0 to 10,000 file
   records. Prints the median and spread of repeated runs.
   usage: bench_report [RUNS] */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <vector>

#include "diagnostic_results.h"
#include "product_profile.h"
#include "report_compose.h"
#include "report_file.h"

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static double Median(std::vector<double> &times, double *low, double *high)
{
    std::sort(times.begin(), times.end());
    *low = times.front();
    *high = times[times.size() * 9 / 10];
    return times[times.size() / 2];
}

static void MakeRecords(int count)
{
    FileCheckRecord **tail = &DiagnosticResults.softwareFiles;
    for (int i = 0; i < count; i++) {
        FileCheckRecord *record = (FileCheckRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
        wsprintfA(record->path, "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\board%05d.sys", i);
        record->versionMS = 0x00010002;
        record->versionLS = (DWORD)i;
        record->status = (DWORD)(i % 3 == 0 ? FILE_STATUS_OK : FILE_STATUS_MISSING);
        *tail = record;
        tail = &record->next;
    }
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

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 21;
    SelectProductProfile("Mirel");
    DiagnosticResults.softwareInstallation.executed = 1;
    printf("%8s %14s %14s %14s %10s\n", "records", "compose ms", "write ms", "spread ms", "bytes");
    for (int count : { 0, 100, 1000, 10000 }) {
        MakeRecords(count);
        std::vector<double> compose, write;
        for (int i = 0; i < runs; i++) {
            double start = Now();
            ComposeTestReport();
            double composed = Now();
            WriteTestReport();
            double written = Now();
            compose.push_back(composed - start);
            write.push_back(written - composed);
        }
        double lowC, highC, lowW, highW;
        double c = Median(compose, &lowC, &highC);
        double w = Median(write, &lowW, &highW);
        printf("%8d %14.3f %14.3f %6.3f-%-7.3f %10lu\n", count, c, w, lowC, highC, TestReport.length);
        FreeRecords();
    }
    return 0;
}
