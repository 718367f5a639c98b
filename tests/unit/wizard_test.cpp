/* Next and Back over the page table, with the page tests replaced by
   doubles that record how and when they were run. */
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <string>
#include <vector>

#include "keyboard_hook.h"
#include "language.h"
#include "main_window.h"
#include "page_bitmap.h"
#include "product_profile.h"
#include "program.h"
#include "resource_ids.h"
#include "wizard.h"

/* What the test doubles saw while they ran. */
struct TestRun {
    int page;
    bool capturedByWizard;
    bool busyCursorShown;
    bool buttonsDisabled;
    int progressAtStart;
};
static std::vector<TestRun> runs;
static bool verdicts[PAGE_SLOTS];

static std::vector<std::pair<int, DWORD>> progressLog;   /* position, tick */
static WNDPROC progressProc;

static LRESULT CALLBACK RecordingProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS)
        progressLog.push_back(std::make_pair((int)wParam, GetTickCount()));
    return CallWindowProcA(progressProc, window, message, wParam, lParam);
}

static int ProgressPosition()
{
    return (int)SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_GETPOS, 0, 0);
}

static int DoubleTest()
{
    TestRun run;
    run.page = currentPage;
    run.capturedByWizard = GetCapture() == MainWindow;
    run.busyCursorShown = GetCursor() == busyCursor;
    run.buttonsDisabled = !IsWindowEnabled(GetDlgItem(MainWindow, IDC_NEXT)) &&
                          !IsWindowEnabled(GetDlgItem(MainWindow, IDC_BACK)) &&
                          !IsWindowEnabled(GetDlgItem(MainWindow, IDC_CLOSE));
    run.progressAtStart = ProgressPosition();
    runs.push_back(run);
    SetResultText(verdicts[currentPage] ? 22100 : 22200);
    return verdicts[currentPage];
}

class WizardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ProgramInstance = GetModuleHandleA(NULL);
        SelectProductProfile("Mirel");
        ASSERT_EQ(1, LoadLanguageLibrary());
        RegisterMainWindowClass(ProgramInstance);
    }

    void SetUp() override
    {
        MainWindow = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
        ASSERT_NE(nullptr, MainWindow);
        InitMainWindow(MainWindow, ProgramInstance, "", SW_SHOW);
        ShowWindow(MainWindow, SW_SHOW);
        /* Without the pauses the walks stay quick; the animation test puts them back. */
        for (int i = 0; i < PAGE_SLOTS; i++) {
            if (pageTable[i].test != NULL)
                pageTable[i].test = DoubleTest;
            pageTable[i].flags &= ~PAGE_SLOW_PROGRESS;
            verdicts[i] = true;
        }
        runs.clear();
        progressLog.clear();
        progressProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(MainWindow, IDC_PROGRESS), GWLP_WNDPROC,
                                                  (LONG_PTR)RecordingProgressProc);
        Pump();   /* the first page comes through the posted Next */
    }

    void TearDown() override
    {
        DestroyWindow(MainWindow);
        Pump();
        MainWindow = NULL;
        RemoveKeyboardHook();
        CoUninitialize();
    }

    static void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void GoTo(int page)
    {
        while (currentPage < page)
            ASSERT_EQ(1, NextPage());
    }

    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(MainWindow, id)) != FALSE; }
    HWND Control(int id) { return GetDlgItem(MainWindow, id); }
    std::string Text(int id)
    {
        char text[4096];
        GetDlgItemTextA(MainWindow, id, text, sizeof(text));
        return text;
    }
};

TEST_F(WizardTest, TableHasThirteenPagesAndSixTests)
{
    EXPECT_EQ(13, pageCount);
    EXPECT_EQ(nullptr, pageTable[13].test);
    EXPECT_EQ(0u, pageTable[13].headlineText);
    int tests = 0;
    for (int i = 0; i < PAGE_SLOTS; i++)
        tests += pageTable[i].test != NULL;
    EXPECT_EQ(6, tests);
    PBRANGE range;
    SendMessageA(Control(IDC_PROGRESS), PBM_GETRANGE, FALSE, (LPARAM)&range);
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(30, range.iHigh);
    EXPECT_EQ(0, currentPage);
    EXPECT_EQ(0, ProgressPosition());

    BuildPageTable();
    EXPECT_EQ(-1, currentPage);
    const DWORD flags[] = { 0x01, 0, 0x14, 0, 0x14, 0, 0x10, 0, 0x14, 0, 0x14, 0, 0x16 };
    for (int page = 0; page < 13; page++)
        EXPECT_EQ(flags[page], pageTable[page].flags) << page;
}

TEST_F(WizardTest, TestPageAnimatesFiveStepsThenRunsItsTestUnderTheBusyCursor)
{
    pageTable[2].flags |= PAGE_SLOW_PROGRESS;
    GoTo(1);
    progressLog.clear();
    ASSERT_EQ(1, NextPage());
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(2, runs[0].page);
    EXPECT_TRUE(runs[0].capturedByWizard);
    EXPECT_TRUE(runs[0].busyCursorShown);
    EXPECT_TRUE(runs[0].buttonsDisabled);
    EXPECT_EQ(5, runs[0].progressAtStart) << "the whole animation comes before the test";

    ASSERT_EQ(5u, progressLog.size());
    for (int step = 0; step < 5; step++)
        EXPECT_EQ(step + 1, progressLog[step].first);
    /* Slow pages pause after each step: four pauses lie between the five steps. */
    EXPECT_GE(progressLog[4].second - progressLog[0].second, 4u * PROGRESS_PAUSE_MS - 40);

    EXPECT_EQ(nullptr, GetCapture()) << "capture released after the test";
    EXPECT_NE(busyCursor, GetCursor());
    EXPECT_EQ((DWORD)IDB_TEST_PASSED, currentBitmap);
    EXPECT_EQ(std::string(LoadLongText(22100)), Text(IDC_TEXT_WINDOW));
}

TEST_F(WizardTest, PageWithoutSlowProgressDoesNotPause)
{
    GoTo(1);
    progressLog.clear();
    DWORD start = GetTickCount();
    ASSERT_EQ(1, NextPage());
    EXPECT_LT(GetTickCount() - start, 4u * PROGRESS_PAUSE_MS);
    EXPECT_EQ(5u, progressLog.size());
}

TEST_F(WizardTest, FailedTestStopsTheWizardOnlyWhereThePageSaysSo)
{
    verdicts[2] = false;
    GoTo(2);
    EXPECT_EQ((DWORD)IDB_TEST_FAILED, currentBitmap);
    EXPECT_FALSE(Enabled(IDC_NEXT));
    EXPECT_TRUE(Enabled(IDC_BACK));
    EXPECT_TRUE(Enabled(IDC_CLOSE));
    EXPECT_EQ(Control(IDC_CLOSE), GetFocus());

    /* The kernel-mode driver page lets the user go on after a failure. */
    verdicts[2] = true;
    verdicts[6] = false;
    ASSERT_EQ(1, PreviousPage());
    GoTo(6);
    EXPECT_EQ((DWORD)IDB_TEST_FAILED, currentBitmap);
    EXPECT_TRUE(Enabled(IDC_NEXT));
    EXPECT_EQ(Control(IDC_NEXT), GetFocus());
}

TEST_F(WizardTest, BackWalksToTheInformationPageWithoutRunningTests)
{
    GoTo(4);
    EXPECT_EQ(2, testsDone);
    EXPECT_EQ(10, ProgressPosition());
    size_t runsBefore = runs.size();

    ASSERT_EQ(1, PreviousPage());
    EXPECT_EQ(3, currentPage);
    EXPECT_EQ(1, testsDone);
    EXPECT_EQ(5, ProgressPosition());
    ASSERT_EQ(1, PreviousPage());
    EXPECT_EQ(1, currentPage);
    EXPECT_EQ(0, testsDone);
    EXPECT_EQ(0, ProgressPosition());
    EXPECT_EQ(runsBefore, runs.size()) << "Back never runs a test";
    EXPECT_EQ((DWORD)IDB_PAGE_CHECKS, currentBitmap);
    EXPECT_EQ(std::string(LoadLongText(11000)), Text(IDC_TEXT_WINDOW));
    EXPECT_EQ(Control(IDC_BACK), GetFocus());

    /* Going forward again runs the test again. */
    ASSERT_EQ(1, NextPage());
    EXPECT_EQ(runsBefore + 1, runs.size());
    EXPECT_EQ(2, runs.back().page);
}

TEST_F(WizardTest, LastPageNeverOffersNextAndBothEndsAreNoOps)
{
    EXPECT_EQ(0, PreviousPage()) << "nothing before the first page";
    EXPECT_EQ(0, currentPage);
    GoTo(12);
    EXPECT_EQ(30, ProgressPosition());
    EXPECT_EQ(6, testsDone);
    EXPECT_FALSE(Enabled(IDC_NEXT));
    EXPECT_EQ(Control(IDC_CLOSE), GetFocus());
    size_t runsBefore = runs.size();
    EXPECT_EQ(0, NextPage());
    EXPECT_EQ(12, currentPage);
    EXPECT_EQ(runsBefore, runs.size());

    ASSERT_EQ(1, PreviousPage());
    EXPECT_EQ(11, currentPage);
    EXPECT_EQ(5, testsDone);
    EXPECT_EQ(25, ProgressPosition());
    EXPECT_TRUE(Enabled(IDC_NEXT));
}

TEST_F(WizardTest, HelpContextFollowsPagesAndTests)
{
    const DWORD expected[] = { 1000, 1001, 0, 1200, 0, 1100, 0, 1007, 0, 1012, 0, 1021, 0 };
    for (int page = 0; page < 13; page++)
        EXPECT_EQ(expected[page], pageTable[page].helpContext) << page;
    EXPECT_EQ(1000u, HelpContext);
    GoTo(1);
    EXPECT_EQ(1001u, HelpContext);
    GoTo(3);
    EXPECT_EQ(1200u, HelpContext);
    ASSERT_EQ(1, PreviousPage());
    EXPECT_EQ(1001u, HelpContext);
}
