/* How long a page change and a picture paint take, in this process on the
   real main window. Prints the median and spread of many runs.
   usage: bench_wizard [RUNS] */
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <vector>

#include "bitmap_library.h"
#include "diagnostic_results.h"
#include "language.h"
#include "main_window.h"
#include "page_bitmap.h"
#include "product_profile.h"
#include "program.h"
#include "resource_ids.h"
#include "wizard.h"

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static void Report(const char *what, std::vector<double> &times)
{
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    printf("%-40s median %8.3f ms   min %8.3f   p90 %8.3f   max %8.3f   (%u runs)\n", what, times[n / 2],
           times[0], times[n * 9 / 10], times[n - 1], (unsigned)n);
}

static void Pump()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 200;
    ProgramInstance = GetModuleHandleA(NULL);
    SelectProductProfile("Mirel");
    if (!LoadLanguageLibrary() || LoadBitmapLibrary() == NULL || !RegisterMainWindowClass(ProgramInstance))
        return 1;
    MainWindow = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
    InitMainWindow(MainWindow, ProgramInstance, "", SW_SHOW);
    ShowWindow(MainWindow, SW_SHOW);
    Pump();

    /* Next from the welcome page to the first information page, repaint included. */
    std::vector<double> next;
    for (int i = 0; i < runs; i++) {
        currentPage = 0;
        double start = Now();
        NextPage();
        UpdateWindow(MainWindow);
        next.push_back(Now() - start);
        Pump();
    }
    Report("NextPage on an information page", next);

    HWND control = GetDlgItem(MainWindow, IDC_PAGE_BITMAP);
    HDC dc = GetDC(control);
    for (DWORD colourClass : { 5u, 1u }) {
        std::vector<double> paint;
        DiagnosticResults.display.colourClass = colourClass;
        for (int i = 0; i < runs; i++) {
            double start = Now();
            PaintPageBitmap(control, dc, IDB_PAGE_WELCOME);
            GdiFlush();
            paint.push_back(Now() - start);
        }
        Report(colourClass == 1 ? "PaintPageBitmap, palette path" : "PaintPageBitmap, DIB-section path", paint);
    }
    ReleaseDC(control, dc);
    DestroyWindow(MainWindow);
    CoUninitialize();
    return 0;
}
