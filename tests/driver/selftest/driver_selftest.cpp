// Proves the automation driver on driver_target.exe, a small program whose
// behaviour is known: message boxes of each kind, a window with buttons, an
// edit box and a keyboard hook, and a helper that closes a window by title.
#ifndef STRSAFE_NO_DEPRECATE
#define STRSAFE_NO_DEPRECATE
#endif
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <strsafe.h>

#include "driver.h"
#include "driver_target_ids.h"

static const char *TargetPath()
{
    static char path[MAX_PATH];
    if (!path[0])
    {
        char dir[MAX_PATH];
        if (!GetOwnDirectory(dir, sizeof(dir)) || !JoinPath(dir, "driver_target.exe", path, sizeof(path)))
            path[0] = '\0';
    }
    return path;
}

static int StartTarget(const char *tail, DriverProcess *proc)
{
    return StartProgram(TargetPath(), tail, NULL, proc);
}

static int StartMessageBoxTarget(UINT style, int owned, DriverProcess *proc)
{
    char tail[64];
    StringCchPrintfA(tail, sizeof(tail), "msgbox 0x%X%s", style, owned ? " owned" : "");
    return StartTarget(tail, proc);
}

// Ends the target and returns its exit code, or 0xFFFFFFFF if it had to be
// terminated.
static DWORD FinishTarget(DriverProcess *proc, DWORD timeoutMs)
{
    DWORD code = 0xFFFFFFFF;
    if (!WaitProgramExit(proc, timeoutMs, &code))
        code = 0xFFFFFFFF;
    EndProgram(proc);
    return code;
}

// ---------------------------------------------------------------------------
// Message boxes

TEST(DriverMessageBox, ReadsTitleTextButtonsAndAnswers)
{
    DriverProcess proc;
    ASSERT_TRUE(StartMessageBoxTarget(MB_OK | MB_ICONERROR, 0, &proc)) << TargetPath();
    HWND box = WaitMessageBox(ProgramId(&proc), DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(box != NULL);
    MessageBoxInfo info;
    if (box && ReadMessageBox(box, &info))
    {
        EXPECT_STREQ(TARGET_BOX_TITLE, info.title);
        // Byte for byte, including \n, \r\n and the byte 0xB4.
        EXPECT_EQ(strlen(TARGET_BOX_TEXT), strlen(info.text));
        EXPECT_EQ(0, memcmp(TARGET_BOX_TEXT, info.text, strlen(TARGET_BOX_TEXT) + 1)) << info.text;
        EXPECT_EQ(MBICON_ERROR, info.iconKind) << MessageBoxIconName(info.iconKind);
        EXPECT_EQ(1, info.buttonCount);
        EXPECT_TRUE(MessageBoxHasButton(&info, IDOK));
        EXPECT_FALSE(MessageBoxHasButton(&info, IDCANCEL));
        EXPECT_TRUE(info.owner == NULL);
        EXPECT_FALSE(info.topmost);
        EXPECT_EQ(box, info.window);
        // A button the box does not have cannot be pressed, and the box stays.
        EXPECT_FALSE(AnswerMessageBox(box, IDCANCEL));
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_TRUE(AnswerMessageBox(box, IDOK));
    }
    else
    {
        ADD_FAILURE() << "message box not read";
    }
    EXPECT_EQ((DWORD)IDOK, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
}

struct IconCase
{
    UINT style;
    int expected;
};

TEST(DriverMessageBox, ClassifiesEveryIconKind)
{
    static const IconCase cases[] = {
        {MB_ICONERROR, MBICON_ERROR},
        {MB_ICONWARNING, MBICON_WARNING},
        {MB_ICONINFORMATION, MBICON_INFORMATION},
        {MB_ICONQUESTION, MBICON_QUESTION},
        {0, MBICON_NONE},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); i++)
    {
        SCOPED_TRACE(MessageBoxIconName(cases[i].expected));
        DriverProcess proc;
        ASSERT_TRUE(StartMessageBoxTarget(MB_OK | cases[i].style, 0, &proc));
        HWND box = WaitMessageBox(ProgramId(&proc), DRIVER_LONG_WAIT_MS);
        MessageBoxInfo info;
        EXPECT_TRUE(box && ReadMessageBox(box, &info));
        if (box)
        {
            EXPECT_EQ(cases[i].expected, info.iconKind) << "read as " << MessageBoxIconName(info.iconKind);
            EXPECT_TRUE(AnswerMessageBox(box, IDOK));
        }
        EXPECT_EQ((DWORD)IDOK, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
    }
}

static void AnswerYesNo(UINT defaultButton, int expectedDefault, int answer)
{
    DriverProcess proc;
    ASSERT_TRUE(StartMessageBoxTarget(MB_YESNO | MB_ICONQUESTION | defaultButton, 0, &proc));
    HWND box = WaitMessageBox(ProgramId(&proc), DRIVER_LONG_WAIT_MS);
    MessageBoxInfo info;
    EXPECT_TRUE(box && ReadMessageBox(box, &info));
    if (box)
    {
        EXPECT_EQ(2, info.buttonCount);
        EXPECT_TRUE(MessageBoxHasButton(&info, IDYES));
        EXPECT_TRUE(MessageBoxHasButton(&info, IDNO));
        EXPECT_FALSE(MessageBoxHasButton(&info, IDOK));
        EXPECT_EQ(expectedDefault, info.defaultButtonId);
        EXPECT_EQ(expectedDefault, info.focusButtonId);
        EXPECT_EQ(MBICON_QUESTION, info.iconKind);
        EXPECT_TRUE(AnswerMessageBox(box, answer));
    }
    EXPECT_EQ((DWORD)answer, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
}

TEST(DriverMessageBox, AnswersYesAndNoAndSeesTheDefaultButton)
{
    AnswerYesNo(MB_DEFBUTTON1, IDYES, IDNO);
    AnswerYesNo(MB_DEFBUTTON2, IDNO, IDYES);
}

TEST(DriverMessageBox, ReadsOwnerAndTopmost)
{
    DriverProcess proc;
    ASSERT_TRUE(StartMessageBoxTarget(MB_OKCANCEL | MB_ICONWARNING, 1, &proc));
    DWORD pid = ProgramId(&proc);
    HWND box = WaitMessageBox(pid, DRIVER_LONG_WAIT_MS);
    HWND owner = FindProcessWindow(pid, TARGET_OWNER_CLASS, NULL, 1);
    MessageBoxInfo info;
    EXPECT_TRUE(owner != NULL);
    EXPECT_TRUE(box && ReadMessageBox(box, &info));
    if (box)
    {
        EXPECT_EQ(owner, info.owner);
        EXPECT_FALSE(info.topmost);
        EXPECT_EQ(MBICON_WARNING, info.iconKind);
        EXPECT_TRUE(AnswerMessageBox(box, IDCANCEL));
    }
    EXPECT_EQ((DWORD)IDCANCEL, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));

    // MB_SYSTEMMODAL makes the box topmost (Wine 8 ignores MB_TOPMOST).
    ASSERT_TRUE(StartMessageBoxTarget(MB_OK | MB_SYSTEMMODAL, 0, &proc));
    box = WaitMessageBox(ProgramId(&proc), DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(box && ReadMessageBox(box, &info));
    if (box)
    {
        EXPECT_TRUE(info.topmost);
        EXPECT_TRUE(IsWindowTopmost(box));
        EXPECT_EQ(MBICON_NONE, info.iconKind);
        EXPECT_TRUE(AnswerMessageBox(box, IDOK));
    }
    EXPECT_EQ((DWORD)IDOK, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
}

TEST(DriverMessageBox, WaitGivesUpWhenThereIsNone)
{
    DriverProcess proc;
    ASSERT_TRUE(StartTarget("window NONE", &proc));
    HWND main = WaitProcessWindow(ProgramId(&proc), TARGET_WINDOW_CLASS, NULL, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(main != NULL);
    DWORD start = GetTickCount();
    EXPECT_TRUE(WaitMessageBox(ProgramId(&proc), 300) == NULL);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 280u);
    EXPECT_LT(elapsed, 3000u);
    // The target window is no message box.
    EXPECT_FALSE(IsMessageBoxWindow(main));
    MessageBoxInfo info;
    EXPECT_FALSE(ReadMessageBox(main, &info));
    EndProgram(&proc);
}

// ---------------------------------------------------------------------------
// Windows and controls

TEST(DriverControls, FindsWindowAndReadsState)
{
    DriverProcess proc;
    ASSERT_TRUE(StartTarget("window NONE", &proc));
    DWORD pid = ProgramId(&proc);
    HWND main = WaitProcessWindow(pid, TARGET_WINDOW_CLASS, TARGET_WINDOW_TITLE, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(main != NULL);
    if (main)
    {
        char text[256];
        EXPECT_EQ(main, FindProcessWindow(pid, NULL, TARGET_WINDOW_TITLE, 1));
        EXPECT_EQ(main, FindProcessWindow(pid, "drivertargetclass", NULL, 1));  // class case-insensitive
        EXPECT_TRUE(FindProcessWindow(pid, TARGET_WINDOW_CLASS, "Another title", 0) == NULL);
        EXPECT_TRUE(FindProcessWindow(GetCurrentProcessId(), TARGET_WINDOW_CLASS, NULL, 0) == NULL);
        EXPECT_EQ(1, CountProcessWindows(pid, TARGET_WINDOW_CLASS, 1));
        EXPECT_TRUE(WaitMainWindow(pid, 100) == NULL);  // not the product's class

        EXPECT_TRUE(GetWindowTitle(main, text, sizeof(text)));
        EXPECT_STREQ(TARGET_WINDOW_TITLE, text);
        EXPECT_TRUE(GetClassNameOf(main, text, sizeof(text)));
        EXPECT_STREQ(TARGET_WINDOW_CLASS, text);
        EXPECT_FALSE(IsWindowTopmost(main));
        EXPECT_TRUE(IsWindowShown(main));
        RECT rect;
        EXPECT_TRUE(GetWindowRectOf(main, &rect));
        EXPECT_EQ(420, rect.right - rect.left);
        EXPECT_EQ(260, rect.bottom - rect.top);

        EXPECT_TRUE(IsControlEnabled(main, TARGET_ID_PRESS));
        EXPECT_FALSE(IsControlEnabled(main, TARGET_ID_DISABLED));
        EXPECT_TRUE(IsControlVisible(main, TARGET_ID_DISABLED));
        EXPECT_FALSE(IsControlVisible(main, TARGET_ID_HIDDEN));
        EXPECT_FALSE(IsControlEnabled(main, 9999));
        EXPECT_FALSE(IsControlVisible(main, 9999));
        EXPECT_TRUE(GetControlText(main, TARGET_ID_PRESS, text, sizeof(text)));
        EXPECT_STREQ("Press", text);
        EXPECT_TRUE(GetControlText(main, TARGET_ID_STATUS, text, sizeof(text)));
        EXPECT_STREQ("idle", text);
        EXPECT_FALSE(GetControlText(main, 9999, text, sizeof(text)));
        EXPECT_STREQ("", text);

        // A small buffer gets a cut, terminated text.
        char small[4];
        memset(small, 'x', sizeof(small));
        EXPECT_TRUE(GetControlText(main, TARGET_ID_PRESS, small, sizeof(small)));
        EXPECT_STREQ("Pre", small);

        EXPECT_EQ(TARGET_ID_EDIT, GetFocusControlId(main));
        EXPECT_EQ(GetControl(main, TARGET_ID_EDIT), GetFocusWindowOf(main));

        // Edit text of another process, set and read back through messages.
        EXPECT_TRUE(SetControlText(main, TARGET_ID_EDIT, "set from outside"));
        EXPECT_TRUE(GetControlText(main, TARGET_ID_EDIT, text, sizeof(text)));
        EXPECT_STREQ("set from outside", text);
    }
    EndProgram(&proc);
    EXPECT_FALSE(IsProgramRunning(&proc));
}

TEST(DriverControls, PressesOnlyButtonsAPersonCouldPress)
{
    DriverProcess proc;
    ASSERT_TRUE(StartTarget("window NONE", &proc));
    HWND main = WaitProcessWindow(ProgramId(&proc), TARGET_WINDOW_CLASS, NULL, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(main != NULL);
    if (main)
    {
        EXPECT_TRUE(PressButton(main, TARGET_ID_PRESS));
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_STATUS, "pressed 1", DRIVER_SHORT_WAIT_MS));
        EXPECT_TRUE(PressButton(main, TARGET_ID_PRESS));
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_STATUS, "pressed 2", DRIVER_SHORT_WAIT_MS));

        EXPECT_FALSE(PressButton(main, TARGET_ID_DISABLED));
        EXPECT_FALSE(PressButton(main, TARGET_ID_HIDDEN));
        EXPECT_FALSE(PressButton(main, TARGET_ID_EDIT));  // not a button
        EXPECT_FALSE(PressButton(main, 9999));
        Sleep(200);
        char text[64];
        EXPECT_TRUE(GetControlText(main, TARGET_ID_STATUS, text, sizeof(text)));
        EXPECT_STREQ("pressed 2", text);

        // A real mouse click on the button works the same way.
        EXPECT_TRUE(ClickControl(main, TARGET_ID_PRESS));
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_STATUS, "pressed 3", DRIVER_SHORT_WAIT_MS));

        EXPECT_TRUE(PressButton(main, TARGET_ID_QUIT));
    }
    EXPECT_EQ(2u, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
}

TEST(DriverControls, MinimizesRestoresAndCloses)
{
    DriverProcess proc;
    ASSERT_TRUE(StartTarget("window NONE", &proc));
    HWND main = WaitProcessWindow(ProgramId(&proc), TARGET_WINDOW_CLASS, NULL, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(main != NULL);
    if (main)
    {
        DWORD start = GetTickCount();
        EXPECT_TRUE(PostSysCommand(main, SC_MINIMIZE));
        while (!IsWindowMinimizedOf(main) && GetTickCount() - start < DRIVER_SHORT_WAIT_MS)
            Sleep(20);
        EXPECT_TRUE(IsWindowMinimizedOf(main));
        EXPECT_FALSE(IsWindowShown(main));
        EXPECT_TRUE(PostSysCommand(main, SC_RESTORE));
        start = GetTickCount();
        while (!IsWindowShown(main) && GetTickCount() - start < DRIVER_SHORT_WAIT_MS)
            Sleep(20);
        EXPECT_TRUE(IsWindowShown(main));
        EXPECT_TRUE(PostCloseWindow(main));
        EXPECT_TRUE(WaitWindowGone(main, DRIVER_SHORT_WAIT_MS));
    }
    EXPECT_EQ(0u, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
}

TEST(DriverKeyboard, TypedKeysArriveWithTheirReleases)
{
    DriverProcess typed, other;
    ASSERT_TRUE(StartTarget("window QUORVEX", &typed));
    HWND main = WaitProcessWindow(ProgramId(&typed), TARGET_WINDOW_CLASS, NULL, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(main != NULL);
    // A second window that takes the foreground when it opens: typing must
    // first bring the first window back.
    EXPECT_TRUE(StartTarget("window NONE", &other));
    HWND front = WaitProcessWindow(ProgramId(&other), TARGET_WINDOW_CLASS, NULL, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(front != NULL);
    DWORD start = GetTickCount();
    while (GetForegroundWindow() != front && GetTickCount() - start < DRIVER_SHORT_WAIT_MS)
        Sleep(20);
    EXPECT_TRUE(GetForegroundWindow() == front);
    if (main && front)
    {
        // Shift for the capital: the edit shows it, the hook sees letters.
        EXPECT_TRUE(SendKeyText(main, "Quorvex"));
        EXPECT_TRUE(GetForegroundWindow() == main);
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_STATUS, "seen", DRIVER_SHORT_WAIT_MS));
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_EDIT, "Quorvex", DRIVER_SHORT_WAIT_MS));
        // Seven letters and one Shift: eight presses, eight releases.
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_KEYS, "down=8 up=8", DRIVER_SHORT_WAIT_MS));

        EXPECT_TRUE(SendKeyPress(main, VK_BACK));
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_EDIT, "Quorve", DRIVER_SHORT_WAIT_MS));
        EXPECT_TRUE(SendKeyText(main, "x 1!"));
        EXPECT_TRUE(WaitControlText(main, TARGET_ID_EDIT, "Quorvex 1!", DRIVER_SHORT_WAIT_MS));

        // Nothing reached the other window.
        char text[64];
        EXPECT_TRUE(GetControlText(front, TARGET_ID_EDIT, text, sizeof(text)));
        EXPECT_STREQ("", text);
        EXPECT_TRUE(GetControlText(front, TARGET_ID_KEYS, text, sizeof(text)));
        EXPECT_STREQ("down=0 up=0", text);

        // Alt+F4 closes the other window once it is in front.
        EXPECT_TRUE(SendKeyChord(front, VK_MENU, VK_F4));
        EXPECT_TRUE(WaitWindowGone(front, DRIVER_SHORT_WAIT_MS));

        EXPECT_TRUE(PressButton(main, TARGET_ID_QUIT));
    }
    // 3: the hook saw the word spelled by key releases.
    EXPECT_EQ(3u, FinishTarget(&typed, DRIVER_SHORT_WAIT_MS));
    EXPECT_EQ(0u, FinishTarget(&other, DRIVER_SHORT_WAIT_MS));
}

// ---------------------------------------------------------------------------
// Screen

TEST(DriverScreen, CapturesWhatIsShown)
{
    DriverProcess proc;
    ASSERT_TRUE(StartTarget("window NONE", &proc));
    HWND main = WaitProcessWindow(ProgramId(&proc), TARGET_WINDOW_CLASS, NULL, 1, DRIVER_LONG_WAIT_MS);
    EXPECT_TRUE(main != NULL);
    if (main)
    {
        EXPECT_TRUE(BringToForeground(main));
        RECT client;
        EXPECT_TRUE(GetClientRectOnScreen(main, &client));
        // Below the controls and right of them: plain background.
        int x = client.right - 20;
        int y = client.bottom - 20;
        DWORD start = GetTickCount();
        while (GetScreenPixel(x, y) != TARGET_BACKGROUND && GetTickCount() - start < DRIVER_SHORT_WAIT_MS)
            Sleep(20);
        EXPECT_EQ(TARGET_BACKGROUND, GetScreenPixel(x, y));

        ScreenCapture capture;
        EXPECT_TRUE(CaptureScreen(&capture));
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), capture.width);
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), capture.height);
        EXPECT_EQ(TARGET_BACKGROUND, CapturePixel(&capture, x, y));
        // The edit box is white, not the background.
        HWND edit = GetControl(main, TARGET_ID_EDIT);
        RECT editRect;
        EXPECT_TRUE(GetWindowRectOf(edit, &editRect));
        EXPECT_EQ(RGB(255, 255, 255),
                  CapturePixel(&capture, (editRect.left + editRect.right) / 2, (editRect.top + editRect.bottom) / 2));
        EXPECT_EQ(CLR_INVALID, CapturePixel(&capture, -1, 0));
        EXPECT_EQ(CLR_INVALID, CapturePixel(&capture, capture.width, 0));

        // A rectangle capture keeps screen coordinates.
        RECT part = {x - 5, y - 5, x + 5, y + 5};
        ScreenCapture small;
        EXPECT_TRUE(CaptureScreenRect(&part, &small));
        EXPECT_EQ(10, small.width);
        EXPECT_EQ(TARGET_BACKGROUND, CapturePixel(&small, x, y));
        EXPECT_EQ(CLR_INVALID, CapturePixel(&small, x + 5, y));
        FreeScreenCapture(&small);

        char dir[MAX_PATH], path[MAX_PATH];
        EXPECT_TRUE(MakeTempDir("qvxshot", dir, sizeof(dir)));
        EXPECT_TRUE(JoinPath(dir, "screen.bmp", path, sizeof(path)));
        EXPECT_TRUE(SaveCaptureBmp(&capture, path));
        char header[64];
        DWORD got = 0;
        EXPECT_TRUE(ReadFileBytes(path, header, sizeof(header), &got));
        EXPECT_EQ(sizeof(header) - 1, got);
        EXPECT_EQ('B', header[0]);
        EXPECT_EQ('M', header[1]);
        WIN32_FILE_ATTRIBUTE_DATA data;
        EXPECT_TRUE(GetFileAttributesExA(path, GetFileExInfoStandard, &data));
        DWORD rowBytes = ((DWORD)capture.width * 3 + 3) & ~3u;
        EXPECT_EQ(54 + rowBytes * (DWORD)capture.height, data.nFileSizeLow);
        EXPECT_TRUE(SaveScreenshotBmp(path));
        EXPECT_TRUE(FileExists(path));
        EXPECT_TRUE(DeleteDirTree(dir));
        FreeScreenCapture(&capture);
        EXPECT_TRUE(capture.pixels == NULL);
    }
    EndProgram(&proc);
}

// ---------------------------------------------------------------------------
// Windows of the test itself

TEST(DriverRecorder, SeesCloseSentByAnotherProcess)
{
    char title[128];
    StringCchPrintfA(title, sizeof(title), "Driver recorder %lu", GetCurrentProcessId());
    HWND recorder = CreateRecorderWindow("DriverSelftestRecorder", title, 1);
    ASSERT_TRUE(recorder != NULL);
    EXPECT_EQ(0, RecorderMessageCount(recorder, WM_CLOSE));
    EXPECT_GT(RecorderMessageCount(recorder, WM_CREATE), 0);

    char tail[160];
    StringCchPrintfA(tail, sizeof(tail), "close %s", title);
    DriverProcess proc;
    EXPECT_TRUE(StartTarget(tail, &proc));
    EXPECT_TRUE(WaitRecorderMessage(recorder, WM_CLOSE, DRIVER_SHORT_WAIT_MS));
    EXPECT_EQ(1, RecorderMessageCount(recorder, WM_CLOSE));
    EXPECT_TRUE(IsWindow(recorder));  // recorded, not closed
    EXPECT_EQ(0u, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
    DestroyRecorderWindow(recorder);
    EXPECT_FALSE(IsWindow(recorder));
    EXPECT_EQ(0, RecorderMessageCount(recorder, WM_CLOSE));

    // Nothing to close: the helper says so, and nothing arrives here.
    recorder = CreateRecorderWindow("DriverSelftestRecorder", "Driver recorder other", 0);
    ASSERT_TRUE(recorder != NULL);
    EXPECT_TRUE(StartTarget("close No such window title", &proc));
    EXPECT_EQ(1u, FinishTarget(&proc, DRIVER_SHORT_WAIT_MS));
    PumpMessagesFor(200);
    EXPECT_EQ(0, RecorderMessageCount(recorder, WM_CLOSE));
    DestroyRecorderWindow(recorder);
}

// ---------------------------------------------------------------------------
// Processes

TEST(DriverProcesses, StartWaitAndEnd)
{
    DriverProcess proc;
    EXPECT_FALSE(StartProgram("C:\\no\\such\\program.exe", NULL, NULL, &proc));
    EXPECT_FALSE(IsProgramRunning(&proc));
    EndProgram(&proc);  // harmless on a process that never started

    ASSERT_TRUE(StartTarget("window NONE", &proc));
    EXPECT_TRUE(IsProgramRunning(&proc));
    DWORD code = 12345;
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitProgramExit(&proc, 200, &code));
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(12345u, code);
    EndProgram(&proc);
    EXPECT_FALSE(IsProgramRunning(&proc));
    EndProgram(&proc);

    // An unknown mode ends at once with 99.
    ASSERT_TRUE(StartTarget("nonsense", &proc));
    EXPECT_EQ(99u, FinishTarget(&proc, DRIVER_LONG_WAIT_MS));
}

// ---------------------------------------------------------------------------
// Registry

TEST(DriverRegistry, WritesReadsAndDeletes)
{
    char key[128], sub[160], text[64];
    StringCchPrintfA(key, sizeof(key), "Software\\QuorvexDriverSelftest\\%lu", GetCurrentProcessId());
    StringCchPrintfA(sub, sizeof(sub), "%s\\Inner\\Deeper", key);
    DeleteRegTree(HKEY_CURRENT_USER, key);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key));

    EXPECT_TRUE(SetRegString(HKEY_CURRENT_USER, key, "Name", "Value \xB4 here"));
    EXPECT_TRUE(GetRegString(HKEY_CURRENT_USER, key, "Name", text, sizeof(text)));
    EXPECT_STREQ("Value \xB4 here", text);
    EXPECT_EQ((DWORD)REG_SZ, GetRegValueType(HKEY_CURRENT_USER, key, "Name"));
    char tiny[4];
    EXPECT_FALSE(GetRegString(HKEY_CURRENT_USER, key, "Name", tiny, sizeof(tiny)));
    EXPECT_STREQ("", tiny);
    EXPECT_TRUE(SetRegString(HKEY_CURRENT_USER, key, "Empty", ""));
    EXPECT_TRUE(GetRegString(HKEY_CURRENT_USER, key, "Empty", text, sizeof(text)));
    EXPECT_STREQ("", text);

    DWORD number = 0;
    EXPECT_TRUE(SetRegDword(HKEY_CURRENT_USER, key, "Number", 0xDEADBEEF));
    EXPECT_TRUE(GetRegDword(HKEY_CURRENT_USER, key, "Number", &number));
    EXPECT_EQ(0xDEADBEEFu, number);
    EXPECT_FALSE(GetRegString(HKEY_CURRENT_USER, key, "Number", text, sizeof(text)));
    EXPECT_FALSE(GetRegDword(HKEY_CURRENT_USER, key, "Name", &number));

    const unsigned char bytes[] = {0x00, 0x01, 0xFF, 0x00, 0x7F};
    unsigned char back[16];
    DWORD got = 0;
    EXPECT_TRUE(SetRegBinary(HKEY_CURRENT_USER, sub, "Bytes", bytes, sizeof(bytes)));
    EXPECT_TRUE(GetRegBinary(HKEY_CURRENT_USER, sub, "Bytes", back, sizeof(back), &got));
    EXPECT_EQ(sizeof(bytes), got);
    EXPECT_EQ(0, memcmp(bytes, back, sizeof(bytes)));
    EXPECT_FALSE(GetRegBinary(HKEY_CURRENT_USER, sub, "Bytes", back, 2, &got));
    EXPECT_EQ(sizeof(bytes), got);  // tells the size needed
    EXPECT_EQ((DWORD)REG_BINARY, GetRegValueType(HKEY_CURRENT_USER, sub, "Bytes"));

    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, key, "Number"));
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, key, "Number"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key, "Number"));
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, key, "Number"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key, "Never written"));
    EXPECT_EQ(0u, GetRegValueType(HKEY_CURRENT_USER, key, "Never written"));

    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, sub));
    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, key));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, sub));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key));
    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, key));  // gone already
    EXPECT_FALSE(DeleteRegTree(HKEY_CURRENT_USER, ""));  // never the root
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\QuorvexDriverSelftest");
}

// ---------------------------------------------------------------------------
// Files

TEST(DriverFiles, TempFoldersCopiesAndTrees)
{
    char own[MAX_PATH], path[MAX_PATH];
    EXPECT_TRUE(GetOwnDirectory(own, sizeof(own)));
    EXPECT_TRUE(FileExists(TargetPath()));
    EXPECT_TRUE(DirectoryExists(own));

    EXPECT_TRUE(JoinPath("C:\\a", "b.txt", path, sizeof(path)));
    EXPECT_STREQ("C:\\a\\b.txt", path);
    EXPECT_TRUE(JoinPath("C:\\a\\", "b.txt", path, sizeof(path)));
    EXPECT_STREQ("C:\\a\\b.txt", path);
    char shortBuffer[8];
    EXPECT_FALSE(JoinPath("C:\\long folder", "name", shortBuffer, sizeof(shortBuffer)));
    EXPECT_STREQ("", shortBuffer);

    char first[MAX_PATH], second[MAX_PATH];
    ASSERT_TRUE(MakeTempDir("qvxdrv", first, sizeof(first)));
    ASSERT_TRUE(MakeTempDir("qvxdrv", second, sizeof(second)));
    EXPECT_STRNE(first, second);
    EXPECT_TRUE(DirectoryExists(first));
    EXPECT_TRUE(DirectoryExists(second));

    char file[MAX_PATH], copy[MAX_PATH], nested[MAX_PATH], deep[MAX_PATH];
    const char content[] = "line one\r\nline two\n\xB4";
    EXPECT_TRUE(JoinPath(first, "data.txt", file, sizeof(file)));
    EXPECT_TRUE(WriteFileBytes(file, content, sizeof(content) - 1));
    char back[64];
    DWORD got = 0;
    EXPECT_TRUE(ReadFileBytes(file, back, sizeof(back), &got));
    EXPECT_EQ(sizeof(content) - 1, got);
    EXPECT_STREQ(content, back);
    // A buffer too small gets what fits, terminated.
    char cut[5];
    EXPECT_TRUE(ReadFileBytes(file, cut, sizeof(cut), &got));
    EXPECT_STREQ("line", cut);

    EXPECT_TRUE(JoinPath(second, "copy.txt", copy, sizeof(copy)));
    SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(CopyFileTo(file, copy));
    EXPECT_TRUE(ReadFileBytes(copy, back, sizeof(back), &got));
    EXPECT_STREQ(content, back);
    SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(CopyFileTo("C:\\no\\such\\file", copy));

    EXPECT_TRUE(JoinPath(first, "sub", nested, sizeof(nested)));
    EXPECT_TRUE(CreateDirectoryA(nested, NULL));
    EXPECT_TRUE(JoinPath(nested, "deep.bin", deep, sizeof(deep)));
    EXPECT_TRUE(WriteFileBytes(deep, "", 0));
    SetFileAttributesA(deep, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(FileExists(deep));

    EXPECT_TRUE(DeleteDirTree(first));
    EXPECT_FALSE(DirectoryExists(first));
    EXPECT_FALSE(FileExists(deep));
    EXPECT_TRUE(DeleteDirTree(first));  // gone already
    EXPECT_TRUE(DeleteDirTree(second));
    EXPECT_FALSE(DirectoryExists(second));
    EXPECT_FALSE(DeleteDirTree("C:\\"));
    EXPECT_FALSE(ReadFileBytes(file, back, sizeof(back), &got));
}
