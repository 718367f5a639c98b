/* A session in one process: the real wizard walked to its last page and
   back five times, every page test running for real against Wine, and the
   page picture repainted on both paint paths. What the process holds
   afterwards must be what it held after the first walk. The display tests'
   pauses pass at once and their question is answered Yes. */
#include "sweep.h"

#include "main_window.h"
#include "platform.h"
#include "resource_ids.h"
#include "wizard.h"

/* GDI and USER objects, committed private bytes, busy heap bytes; what may
   come and go without anything being kept (caches of the system libraries). */
enum { GDI, USER, PRIVATE, HEAP };
static const SIZE_T slack[] = { 0, 0, 128 * 1024, 1024 };

/* Wine's GetGuiResources says 0: windows are enumerated, menus, icons and
   cursors probed in the USER handle table, memory walked. */
static std::vector<SIZE_T> Count()
{
    std::vector<SIZE_T> held = { (SIZE_T)CountGdiObjects(), (SIZE_T)CountWindows(), 0, 0 };
    for (ULONG_PTR slot = 0x20; slot < 0x10000; slot += 2) {
        ICONINFO icon;
        bool isIcon = GetIconInfo((HICON)slot, &icon);
        if (isIcon)
            DeleteObject(icon.hbmMask), DeleteObject(icon.hbmColor);
        held[USER] += isIcon || IsMenu((HMENU)slot);
    }
    MEMORY_BASIC_INFORMATION region;
    for (char *p = NULL; VirtualQuery(p, &region, sizeof(region)); p = (char *)region.BaseAddress + region.RegionSize)
        held[PRIVATE] += region.State == MEM_COMMIT && region.Type == MEM_PRIVATE ? region.RegionSize : 0;
    HANDLE heaps[64];
    for (DWORD i = 0, n = GetProcessHeaps(64, heaps); i < n && i < 64; i++) {
        PROCESS_HEAP_ENTRY entry = {};
        for (HeapLock(heaps[i]); HeapWalk(heaps[i], &entry);)
            held[HEAP] += entry.wFlags & PROCESS_HEAP_ENTRY_BUSY ? entry.cbData : 0;
        HeapUnlock(heaps[i]);
    }
    printf("GDI %zu, USER %zu, private %zu, heap %zu\n", held[GDI], held[USER], held[PRIVATE], held[HEAP]);
    return held;
}

static void WINAPI NoPause(DWORD) {}

static void Pump()
{
    for (MSG message; PeekMessageA(&message, NULL, 0, 0, PM_REMOVE);)
        DispatchMessageA(&message);
}

/* Next while it is enabled, up to the overlay page, then Back to the start;
   returns the questions asked. */
static int Walk()
{
    while (IsWindowEnabled(GetDlgItem(MainWindow, IDC_NEXT)) && NextPage())
        Pump();
    EXPECT_EQ(pageCount - 1, currentPage) << "a test failed on the way";
    while (PreviousPage())
        Pump();
    int questions = (int)RecordedBoxes.size();
    RecordedBoxes.clear();   /* the records are the test's, not the program's */
    return questions;
}

static void Repaint(int times)
{
    for (int i = 0; i < times; i++) {
        DiagnosticResults.display.colourClass = i % 2 ? 1 : 5;
        RedrawWindow(GetDlgItem(MainWindow, IDC_PAGE_BITMAP), NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

TEST(LeakCheck, WalksAndRepaintsKeepNothing)
{
    SelectProductProfile("Mirel");
    const char *lists[] = { Profile.fileCheckKey, DIRECTDRAW_LIST_W98, DIRECTDRAW_LIST_WIN2K, DIRECTDRAW_LIST_WINXP };
    for (const char *list : lists)   /* empty lists: both installation pages pass */
        MakeEmptyHklmKey(list);
    RecordMessageBoxes(IDYES);
    ReplaceImport("kernel32.dll", "Sleep", (void *)NoPause);
    PlatformClass = ClassifyPlatform();
    ProgramInstance = GetModuleHandleA(NULL);
    ASSERT_TRUE(LoadLanguageLibrary() && LoadBitmapLibrary() && RegisterMainWindowClass(ProgramInstance));
    MainWindow = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
    InitMainWindow(MainWindow, ProgramInstance, "", SW_SHOW);
    ShowWindow(MainWindow, SW_SHOW);
    Pump();   /* the first page comes through the posted Next */
    int questions = Walk();   /* the first walk and paints load what stays (DirectDraw, mixers) */
    Repaint(20);
    std::vector<SIZE_T> before = Count();
    for (int walk = 1; walk < 5; walk++)
        questions += Walk();
    Repaint(200);
    std::vector<SIZE_T> after = Count();
    EXPECT_EQ(5, questions) << "every walk ran the primary-surface test to its question";
    for (int kind : { GDI, USER, PRIVATE, HEAP })
        EXPECT_LE(after[kind], before[kind] + slack[kind]) << "GDI, USER, private, heap: " << kind;
    DestroyWindow(MainWindow);
    ShutDown();
    RestoreImports();
    for (const char *list : lists)
        DeleteHklmTree(list);
}

/* The counts see the least the walks could keep: a bitmap, a palette, a
   window, a few bytes on each of the walks' 95 page changes. */
TEST(LeakCheckMeasure, SeesOneBitmapPaletteWindowAndAFewKilobytes)
{
    std::vector<SIZE_T> before = Count();
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, NULL);
    LOGPALETTE entries = { 0x300, 1, { { 1, 2, 3, 0 } } };
    HPALETTE palette = CreatePalette(&entries);
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 8, 8, NULL, NULL, NULL, NULL);
    std::vector<std::string> blocks(95, std::string(24, 'x'));
    std::vector<SIZE_T> held = Count();
    EXPECT_TRUE(held[GDI] >= before[GDI] + 2 && held[USER] > before[USER] && held[HEAP] > before[HEAP] + slack[HEAP]);
    DestroyWindow(window), DeleteObject(palette), DeleteObject(bitmap);
}
