#include <windows.h>
#include <commctrl.h>

#include "wizard.h"
#include "../app/language.h"
#include "../app/main_window.h"
#include "../app/page_bitmap.h"
#include "../app/program.h"
#include "../checks/audio_mixer_test.h"
#include "../checks/installation_tests.h"
#include "../checks/kernel_driver_test.h"
#include "../display/display_tests.h"
#include "../report/report_file.h"
#include "../resources/resource_ids.h"
#include "text_ids.h"

WizardPage pageTable[PAGE_SLOTS];
int pageCount;
int currentPage = -1;
int testsDone;

/* Each information page introduces the test on the page after it. */
static const WizardPage pages[] = {
    { TEXT_HEADLINE_WELCOME, TEXT_PAGE_WELCOME, IDB_PAGE_WELCOME, NULL, PAGE_NO_BACK, 1000 },
    { TEXT_HEADLINE_SOFTWARE, TEXT_PAGE_SOFTWARE, IDB_PAGE_CHECKS, NULL, 0, 1001 },
    { 0, 0, 0, SoftwareInstallationTest, PAGE_STOP_ON_FAIL | PAGE_SLOW_PROGRESS, 0 },
    { TEXT_HEADLINE_AUDIO, TEXT_PAGE_AUDIO, IDB_PAGE_CHECKS, NULL, 0, 1200 },
    { 0, 0, 0, AudioMixerTest, PAGE_STOP_ON_FAIL | PAGE_SLOW_PROGRESS, 0 },
    { TEXT_HEADLINE_DRIVER, TEXT_PAGE_DRIVER, IDB_PAGE_CHECKS, NULL, 0, 1100 },
    { 0, 0, 0, KernelDriverTest, PAGE_SLOW_PROGRESS, 0 },
    { TEXT_HEADLINE_DDRAW_FILES, TEXT_PAGE_DDRAW_FILES, IDB_PAGE_DDRAW_FILES, NULL, 0, 1007 },
    { 0, 0, 0, DirectDrawInstallationTest, PAGE_STOP_ON_FAIL | PAGE_SLOW_PROGRESS, 0 },
    { TEXT_HEADLINE_PRIMARY, TEXT_PAGE_PRIMARY, IDB_PAGE_PRIMARY, NULL, 0, 1012 },
    { 0, 0, 0, DirectDrawPrimaryTest, PAGE_STOP_ON_FAIL | PAGE_SLOW_PROGRESS, 0 },
    { TEXT_HEADLINE_OVERLAY, TEXT_PAGE_OVERLAY, IDB_PAGE_OVERLAY, NULL, 0, 1021 },
    { 0, 0, 0, DirectDrawOverlayTest, PAGE_NO_NEXT | PAGE_STOP_ON_FAIL | PAGE_SLOW_PROGRESS, 0 },
};

static HWND Control(int id)
{
    return GetDlgItem(MainWindow, id);
}

static void SetProgress(int position)
{
    SendMessageA(Control(IDC_PROGRESS), PBM_SETPOS, (WPARAM)position, 0);
}

int ShowPageBitmap(DWORD bitmapId)
{
    currentBitmap = bitmapId;
    InvalidateRect(Control(IDC_PAGE_BITMAP), NULL, TRUE);
    return 1;
}

int BuildPageTable(void)
{
    currentPage = -1;
    ZeroMemory(pageTable, sizeof(pageTable));
    CopyMemory(pageTable, pages, sizeof(pages));
    pageCount = sizeof(pages) / sizeof(pages[0]);
    testsDone = 0;

    int testPages = 0;
    for (int i = 0; i < PAGE_SLOTS; i++)
        if (pageTable[i].test != NULL)
            testPages++;
    SendMessageA(Control(IDC_PROGRESS), PBM_SETRANGE, 0, MAKELPARAM(0, testPages * PROGRESS_STEPS));
    SetProgress(0);
    return 1;
}

static void ShowPageContents(const WizardPage *page)
{
    if (page->headlineText != 0)
        SetWindowTextA(Control(IDC_HEADLINE), LoadText(page->headlineText));
    if (page->bodyText != 0)
        SetWindowTextA(Control(IDC_TEXT_WINDOW), LoadLongText(page->bodyText));
    if (page->bitmap != 0)
        ShowPageBitmap(page->bitmap);
}

/* Runs the page's test under the busy cursor with the mouse captured, after
   the progress animation; returns the test's verdict. */
static int RunPageTest(const WizardPage *page)
{
    HCURSOR previousCursor = SetCursor(busyCursor);
    SetCapture(MainWindow);

    for (int step = 1; step <= PROGRESS_STEPS; step++) {
        SetProgress(testsDone * PROGRESS_STEPS + step);
        if (page->flags & PAGE_SLOW_PROGRESS)
            Sleep(PROGRESS_PAUSE_MS);
    }
    testsDone++;

    int passed = page->test();
    ShowPageBitmap(passed ? IDB_TEST_PASSED : IDB_TEST_FAILED);
    SetWindowTextA(Control(IDC_TEXT_WINDOW), ResultText);

    SetCursor(previousCursor);
    ReleaseCapture();
    return passed;
}

int NextPage(void)
{
    if (currentPage >= pageCount - 1)
        return 0;
    currentPage++;
    const WizardPage *page = &pageTable[currentPage];

    EnableWindow(Control(IDC_NEXT), FALSE);
    EnableWindow(Control(IDC_BACK), FALSE);
    EnableWindow(Control(IDC_CLOSE), FALSE);
    EnableWindow(Control(IDC_HELP_BUTTON), FALSE);
    BOOL nextEnabled = !(page->flags & PAGE_NO_NEXT);
    BOOL backEnabled = !(page->flags & PAGE_NO_BACK);
    HelpContext = page->helpContext;

    ShowPageContents(page);
    if (page->test != NULL) {
        if (!RunPageTest(page) && (page->flags & PAGE_STOP_ON_FAIL))
            nextEnabled = FALSE;
    }

    EnableWindow(Control(IDC_NEXT), nextEnabled);
    EnableWindow(Control(IDC_BACK), backEnabled);
    EnableWindow(Control(IDC_CLOSE), TRUE);
    EnableWindow(Control(IDC_HELP_BUTTON), TRUE);

    UpdateTestReport();

    SetFocus(Control(nextEnabled ? IDC_NEXT : IDC_CLOSE));
    return 1;
}

int PreviousPage(void)
{
    if (currentPage <= 0)
        return 0;

    /* Walk back over test pages to the information page before them. */
    int page = currentPage;
    int done = testsDone;
    if (pageTable[page].test != NULL)
        done--;
    page--;
    while (page > 0 && pageTable[page].test != NULL) {
        done--;
        page--;
    }
    currentPage = page;
    testsDone = done;
    SetProgress(testsDone * PROGRESS_STEPS);

    const WizardPage *shown = &pageTable[currentPage];
    BOOL nextEnabled = !(shown->flags & PAGE_NO_NEXT);
    BOOL backEnabled = !(shown->flags & PAGE_NO_BACK);
    EnableWindow(Control(IDC_NEXT), nextEnabled);
    EnableWindow(Control(IDC_BACK), backEnabled);
    EnableWindow(Control(IDC_HELP_BUTTON), TRUE);
    HelpContext = shown->helpContext;

    ShowPageContents(shown);
    SetFocus(Control(backEnabled ? IDC_BACK : IDC_NEXT));
    return 1;
}
