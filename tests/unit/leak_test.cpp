/* A long session in one process: the wizard walked to its last page and
   back fifty times with every page test really run, and the page picture
   repainted five hundred times on both paint paths. What the process holds
   afterwards must be what it held after the first walk.

   The display tests' pauses and their question are taken out of the way
   (their Sleep and MessageBoxA imports are replaced), so that a walk takes
   well under a second; everything else is the program's own code against
   Wine's registry, audio, SetupAPI and DirectDraw. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <stdio.h>

#include "bitmap_library.h"
#include "diagnostic_results.h"
#include "file_check.h"
#include "iat_patch.h"
#include "install_locations.h"
#include "keyboard_hook.h"
#include "language.h"
#include "main_window.h"
#include "platform.h"
#include "process_objects.h"
#include "product_profile.h"
#include "program.h"
#include "registry_scratch.h"
#include "resource_ids.h"
#include "test_paths.h"
#include "wizard.h"

static const int WALKS = 50;
static const int REPAINTS = 500;
/* Memory that may come and go between two counts without anything being
   kept: heap blocks cached by the system libraries, a page or two of commit. */
static const SIZE_T HEAP_SLACK = 16 * 1024;
static const SIZE_T PRIVATE_SLACK = 256 * 1024;

static DWORD wizardThread;
static int questionsAsked;
static VOID(WINAPI *realSleep)(DWORD);

/* The wizard's own pauses pass at once; other threads still sleep. */
static VOID WINAPI NoPauseOnTheWizardThread(DWORD milliseconds)
{
    if (GetCurrentThreadId() != wizardThread)
        realSleep(milliseconds);
}

/* The technician saw the picture. */
static int WINAPI AnswerYes(HWND, LPCSTR, LPCSTR, UINT)
{
    questionsAsked++;
    return IDYES;
}

static void Pump()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static const char *const directDrawLists[] = { DIRECTDRAW_LIST_W98, DIRECTDRAW_LIST_WIN2K, DIRECTDRAW_LIST_WINXP };

class LeakTest : public ::testing::Test {
protected:
    ImportPatch patch;

    void SetUp() override
    {
        wizardThread = GetCurrentThreadId();
        questionsAsked = 0;
        realSleep = (VOID(WINAPI *)(DWORD))patch.Replace("kernel32.dll", "Sleep", (void *)NoPauseOnTheWizardThread);
        ASSERT_NE(nullptr, (void *)realSleep);
        ASSERT_NE(nullptr, patch.Replace("user32.dll", "MessageBoxA", (void *)AnswerYes));

        /* An installation whose file lists are empty: both installation pages pass. */
        SelectProductProfile("Mirel");
        WriteHklmString(Profile.productKey, "Main path", TestProgramDirectory().c_str());
        MakeEmptyHklmKey(Profile.fileCheckKey);
        for (const char *list : directDrawLists)
            MakeEmptyHklmKey(list);

        PlatformClass = ClassifyPlatform();
        ProgramInstance = GetModuleHandleA(NULL);
        ASSERT_EQ(1, LoadLanguageLibrary());
        ASSERT_NE(nullptr, LoadBitmapLibrary());
        RegisterMainWindowClass(ProgramInstance);
        MainWindow = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
        ASSERT_NE(nullptr, MainWindow);
        InitMainWindow(MainWindow, ProgramInstance, "", SW_SHOW);
        ShowWindow(MainWindow, SW_SHOW);
        for (int i = 0; i < PAGE_SLOTS; i++)
            pageTable[i].flags &= ~PAGE_SLOW_PROGRESS;
        Pump();   /* the first page comes through the posted Next */
    }

    void TearDown() override
    {
        if (MainWindow != NULL)
            DestroyWindow(MainWindow);
        Pump();
        MainWindow = NULL;
        RemoveKeyboardHook();
        CoUninitialize();
        FreeBitmapLibrary();
        DeleteHklmTree(Profile.fileCheckKey);
        for (const char *list : directDrawLists)
            DeleteHklmTree(list);
        DeleteHklmValue(Profile.productKey, "Main path");
    }

    /* To the overlay page with Next, then back to the welcome page. */
    static void Walk(int walk)
    {
        while (NextPage())
            Pump();
        ASSERT_EQ(pageCount - 1, currentPage) << "walk " << walk;
        while (PreviousPage())
            Pump();
        ASSERT_EQ(0, currentPage) << "walk " << walk;
    }

    /* The page picture painted through WM_PAINT, alternately on the
       palette path and the DIB-section path. */
    static void Repaint(int times)
    {
        HWND picture = GetDlgItem(MainWindow, IDC_PAGE_BITMAP);
        DWORD shownClass = DiagnosticResults.display.colourClass;
        for (int i = 0; i < times; i++) {
            DiagnosticResults.display.colourClass = (i & 1) ? 1 : 5;
            RedrawWindow(picture, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        DiagnosticResults.display.colourClass = shownClass;
        Pump();
    }

    static void Print(const char *when, const ProcessObjects &objects)
    {
        printf("%-26s GDI %5lu  USER %4lu  private %9lu  heap %8lu\n", when, (unsigned long)objects.gdiObjects,
               (unsigned long)objects.userObjects, (unsigned long)objects.privateBytes,
               (unsigned long)objects.heapBytes);
    }
};

TEST_F(LeakTest, FiftyWalksAndFiveHundredRepaintsKeepNothing)
{
    /* The first walk and paints load what stays for the whole session
       (DirectDraw, the mixer driver, the pictures' caches). */
    Walk(0);
    Repaint(20);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(1, questionsAsked) << "the primary-surface test did not reach its question";
    ProcessObjects before = CountProcessObjects();
    Print("after the first walk", before);

    for (int walk = 1; walk <= WALKS; walk++) {
        Walk(walk);
        ASSERT_FALSE(HasFatalFailure());
    }
    ProcessObjects afterWalks = CountProcessObjects();
    Print("after fifty more walks", afterWalks);
    Repaint(REPAINTS);
    ProcessObjects after = CountProcessObjects();
    Print("after 500 repaints", after);

    /* Every walk ran every test: the primary-surface test asked each time. */
    EXPECT_EQ(WALKS + 1, questionsAsked);
    EXPECT_EQ(before.gdiObjects, afterWalks.gdiObjects);
    EXPECT_EQ(before.userObjects, afterWalks.userObjects);
    EXPECT_EQ(before.gdiObjects, after.gdiObjects);
    EXPECT_EQ(before.userObjects, after.userObjects);
    EXPECT_LE(after.heapBytes, before.heapBytes + HEAP_SLACK);
    EXPECT_LE(after.privateBytes, before.privateBytes + PRIVATE_SLACK);
}

/* The counts see the smallest leaks the walk would show: one bitmap or
   palette, a cursor, a menu, a window, a few bytes per page change. */
TEST(ProcessObjectCount, SeesEveryKindOfObjectThatCouldBeKept)
{
    DestroyWindow(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 8, 8, NULL, NULL, NULL, NULL));
    CountProcessObjects();   /* the first count and the first window set up what stays */
    ProcessObjects before = CountProcessObjects();
    HBITMAP bitmap = CreateBitmap(64, 64, 1, 1, NULL);
    LOGPALETTE palette = { 0x300, 1, { { 1, 2, 3, 0 } } };
    HPALETTE paletteHandle = CreatePalette(&palette);
    BYTE andMask[128], xorMask[128];
    FillMemory(andMask, sizeof(andMask), 0xFF);
    ZeroMemory(xorMask, sizeof(xorMask));
    HCURSOR cursor = CreateCursor(GetModuleHandleA(NULL), 0, 0, 32, 32, andMask, xorMask);
    HMENU menu = CreatePopupMenu();
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 8, 8, NULL, NULL, NULL, NULL);
    /* 20,800 bytes in small blocks: what 22 bytes kept on each of the 950
       page changes of the fifty walks (12 Next and 7 Back each) would add. */
    char *blocks[1300];
    for (char *&block : blocks) {
        block = (char *)HeapAlloc(GetProcessHeap(), 0, 16);
        FillMemory(block, 16, 0x5A);
    }
    void *pages = VirtualAlloc(NULL, PRIVATE_SLACK + 64 * 1024, MEM_COMMIT, PAGE_READWRITE);
    ProcessObjects held = CountProcessObjects();

    EXPECT_GE(held.gdiObjects, before.gdiObjects + 2);
    EXPECT_GE(held.userObjects, before.userObjects + 3);
    EXPECT_GT(held.heapBytes, before.heapBytes + HEAP_SLACK);
    EXPECT_GT(held.privateBytes, before.privateBytes + PRIVATE_SLACK);

    VirtualFree(pages, 0, MEM_RELEASE);
    for (char *block : blocks)
        HeapFree(GetProcessHeap(), 0, block);
    DestroyWindow(window);
    DestroyMenu(menu);
    DestroyCursor(cursor);
    DeleteObject(paletteHandle);
    DeleteObject(bitmap);
    ProcessObjects released = CountProcessObjects();
    EXPECT_EQ(before.gdiObjects, released.gdiObjects);
    EXPECT_EQ(before.userObjects, released.userObjects);
}
