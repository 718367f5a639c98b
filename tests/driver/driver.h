// Automation driver for the black-box tests.
//
// The tests are ordinary Windows programs (GoogleTest, run under wine64) that
// start Quorvex.exe as a separate process and work it the way a person would:
// they find its windows, read texts and states, press buttons, answer message
// boxes, type keys and look at the screen. Everything here is plain Win32
// ANSI, and every wait has a time limit, so a broken product fails a test
// instead of hanging the run.
//
// Conventions: functions return 1 for success / 0 for failure, or a handle or
// count (NULL / 0 when nothing was found). Text buffers are always written
// zero-terminated within the size given (an empty string on failure).
#ifndef QUORVEX_TEST_DRIVER_H
#define QUORVEX_TEST_DRIVER_H

#include <windows.h>

// Window class of the product's main window.
#define DRIVER_MAIN_CLASS "Tavolink QuorvexClass"

// Time limits the tests can use when they have no better figure.
#define DRIVER_SHORT_WAIT_MS 5000
#define DRIVER_LONG_WAIT_MS 20000

// ---------------------------------------------------------------------------
// Processes

struct DriverProcess
{
    PROCESS_INFORMATION info;  // handles are 0 when not started
    int started;
};

// Starts exePath with the command line "exePath" commandTail (commandTail may
// be NULL or empty) in workDir (NULL: the current folder).
int StartProgram(const char *exePath, const char *commandTail, const char *workDir, DriverProcess *out);
// Waits for the program to end; fills *exitCode (may be NULL). 0 on timeout.
int WaitProgramExit(DriverProcess *proc, DWORD timeoutMs, DWORD *exitCode);
// 1 while the program has not ended.
int IsProgramRunning(const DriverProcess *proc);
// Terminates the program if it still runs (exit code 0xDEAD), closes the handles.
// Safe to call on a process that was never started or already ended.
void EndProgram(DriverProcess *proc);
DWORD ProgramId(const DriverProcess *proc);

// ---------------------------------------------------------------------------
// Top-level windows of a process

// First top-level window of processId (in z-order, topmost first) whose class
// (case-insensitive) and title (exact) match; NULL or "" for className/title
// matches any. visibleOnly skips hidden windows.
HWND FindProcessWindow(DWORD processId, const char *className, const char *title, int visibleOnly);
// The same, polling every 20 ms until timeoutMs has passed.
HWND WaitProcessWindow(DWORD processId, const char *className, const char *title, int visibleOnly,
                       DWORD timeoutMs);
// Number of matching top-level windows of processId.
int CountProcessWindows(DWORD processId, const char *className, int visibleOnly);
// Visible main window of the product (class DRIVER_MAIN_CLASS).
HWND WaitMainWindow(DWORD processId, DWORD timeoutMs);
// Waits until window is destroyed or hidden. 1 when it went away in time.
int WaitWindowGone(HWND window, DWORD timeoutMs);

// ---------------------------------------------------------------------------
// Message boxes

enum MessageBoxIconKind
{
    MBICON_NONE = 0,
    MBICON_ERROR,        // MB_ICONERROR / MB_ICONSTOP / MB_ICONHAND: red
    MBICON_WARNING,      // MB_ICONWARNING / MB_ICONEXCLAMATION: yellow
    MBICON_INFORMATION,  // MB_ICONINFORMATION / MB_ICONASTERISK: blue, narrow "i"
    MBICON_QUESTION,     // MB_ICONQUESTION: blue, wide "?"
    MBICON_UNKNOWN       // an icon is there but its colours fit none of the above
};

#define DRIVER_MAX_BUTTONS 8

struct MessageBoxInfo
{
    HWND window;
    HWND owner;                 // GetWindow(GW_OWNER); NULL for an unowned box
    char title[256];
    char text[4096];            // as shown, bytes as the program passed them (ANSI)
    int iconKind;               // MessageBoxIconKind
    int buttonCount;
    int buttonIds[DRIVER_MAX_BUTTONS];          // IDOK, IDCANCEL, IDYES, ... in window order
    char buttonTexts[DRIVER_MAX_BUTTONS][64];
    int defaultButtonId;        // button with BS_DEFPUSHBUTTON, 0 if none
    int focusButtonId;          // control id that has the keyboard focus, 0 if none
    int topmost;                // WS_EX_TOPMOST (MB_TOPMOST, MB_SYSTEMMODAL)
    RECT rect;
};

// 1 if window looks like a system message box: dialog class "#32770" holding
// only static controls and at least one push button.
int IsMessageBoxWindow(HWND window);
// Visible, enabled message box of processId (the newest, by z-order).
HWND FindMessageBox(DWORD processId);
HWND WaitMessageBox(DWORD processId, DWORD timeoutMs);
// Reads everything above. The icon kind is taken from the icon's pixels on
// the screen, so the box must be visible and not covered.
int ReadMessageBox(HWND box, MessageBoxInfo *info);
// 1 if the box (as read) has a button with that id.
int MessageBoxHasButton(const MessageBoxInfo *info, int buttonId);
// Clicks the button with that id and waits (bounded) until the box has gone.
int AnswerMessageBox(HWND box, int buttonId);
// "none", "error", "warning", "information", "question", "unknown".
const char *MessageBoxIconName(int iconKind);

// ---------------------------------------------------------------------------
// Controls of a window (any process)

HWND GetControl(HWND window, int controlId);
// Text of a control through WM_GETTEXT (works across processes, also for edit
// controls). 0 if there is no such control or it did not answer.
int GetControlText(HWND window, int controlId, char *buffer, int size);
// Sets an edit control's text as WM_SETTEXT would (no keyboard involved).
int SetControlText(HWND window, int controlId, const char *text);
int IsControlEnabled(HWND window, int controlId);
int IsControlVisible(HWND window, int controlId);
// Check state of a check box / radio button: BST_CHECKED etc., -1 on failure.
int GetButtonCheck(HWND window, int controlId);
// Keyboard focus of the thread that owns window (GetGUIThreadInfo).
HWND GetFocusWindowOf(HWND window);
// Control id of that focus window when it lies inside window (a child or a
// child's child); 0 otherwise.
int GetFocusControlId(HWND window);
// Clicks a push button, check box or radio button of another process by
// posting BM_CLICK to it, as a mouse click would; refuses (returns 0) when the
// control is missing, disabled or hidden, as a person could not click it.
int PressButton(HWND window, int controlId);
// Posts WM_COMMAND(id) as a menu item or accelerator would (no control check).
int PostCommand(HWND window, int commandId);
// Posts WM_SYSCOMMAND(cmd), e.g. SC_CLOSE, SC_MINIMIZE.
int PostSysCommand(HWND window, WPARAM command);
// Posts WM_CLOSE.
int PostCloseWindow(HWND window);
// Waits until a control's text equals text. 1 when it did in time.
int WaitControlText(HWND window, int controlId, const char *text, DWORD timeoutMs);
// Waits until a control's enabled state equals enabled (0/1).
int WaitControlEnabled(HWND window, int controlId, int enabled, DWORD timeoutMs);

// ---------------------------------------------------------------------------
// Window state

int GetWindowRectOf(HWND window, RECT *rect);
int GetClientRectOnScreen(HWND window, RECT *rect);
int IsWindowTopmost(HWND window);
// Visible and not minimized.
int IsWindowShown(HWND window);
int IsWindowMinimizedOf(HWND window);
// Caption through WM_GETTEXT (with a time limit).
int GetWindowTitle(HWND window, char *buffer, int size);
int GetClassNameOf(HWND window, char *buffer, int size);
LONG GetWindowStyleOf(HWND window);
LONG GetWindowExStyleOf(HWND window);

// ---------------------------------------------------------------------------
// Keyboard input (SendInput: real key presses and releases)

// Makes window the foreground window and waits (bounded) until it is.
int BringToForeground(HWND window);
// Brings window to the foreground and types text key by key: each character
// becomes its virtual key (with Shift where needed) pressed and released.
// '\n' is Enter, '\t' Tab, '\b' Backspace, '\x1b' Escape. 0 if a character has
// no key on the current layout or input could not be sent.
int SendKeyText(HWND window, const char *text);
// Brings window to the foreground and presses and releases one virtual key.
int SendKeyPress(HWND window, WORD virtualKey);
// The same with a modifier held (VK_MENU, VK_CONTROL, VK_SHIFT), e.g. Alt+F4.
int SendKeyChord(HWND window, WORD modifierKey, WORD virtualKey);

// ---------------------------------------------------------------------------
// Mouse input (SendInput)

// Moves the mouse to screen point x, y and clicks the left button there.
int ClickAt(int x, int y);
// Brings window to the foreground and clicks the middle of its control.
int ClickControl(HWND window, int controlId);

// ---------------------------------------------------------------------------
// Screen

struct ScreenCapture
{
    int left, top;        // screen position of pixel (0,0)
    int width, height;
    DWORD *pixels;        // 0x00RRGGBB, top row first; free with FreeScreenCapture
};

// Captures the whole screen (GetDC(NULL) + BitBlt into a 32-bit DIB section).
int CaptureScreen(ScreenCapture *capture);
// Captures one rectangle of the screen (screen coordinates).
int CaptureScreenRect(const RECT *rect, ScreenCapture *capture);
void FreeScreenCapture(ScreenCapture *capture);
// Pixel at screen coordinates x, y as COLORREF (0x00BBGGRR, like GetPixel);
// CLR_INVALID outside the capture.
COLORREF CapturePixel(const ScreenCapture *capture, int x, int y);
// Writes a 24-bit BMP file of the capture.
int SaveCaptureBmp(const ScreenCapture *capture, const char *path);
// Captures the screen and writes it as a BMP file.
int SaveScreenshotBmp(const char *path);
// One pixel of the screen, CLR_INVALID on failure.
COLORREF GetScreenPixel(int x, int y);

// ---------------------------------------------------------------------------
// This thread's messages

// Dispatches this thread's messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);

// A window of the test itself that records the messages sent or posted to it
// (for example WM_CLOSE from the product). It does not close on WM_CLOSE.
// The thread that made it must pump messages (PumpMessagesFor) for it to see
// anything. Up to 8 at a time.
HWND CreateRecorderWindow(const char *className, const char *title, int visible);
// How many times message arrived at the recorder window since it was made.
int RecorderMessageCount(HWND recorder, UINT message);
// Pumps messages until the recorder has seen message at least once.
int WaitRecorderMessage(HWND recorder, UINT message, DWORD timeoutMs);
void DestroyRecorderWindow(HWND recorder);

// ---------------------------------------------------------------------------
// Registry (paths like "Software\\Tavolink\\Quorvex" under root)

int SetRegString(HKEY root, const char *path, const char *name, const char *value);
int SetRegDword(HKEY root, const char *path, const char *name, DWORD value);
int SetRegBinary(HKEY root, const char *path, const char *name, const void *data, DWORD size);
int GetRegString(HKEY root, const char *path, const char *name, char *buffer, int size);
int GetRegDword(HKEY root, const char *path, const char *name, DWORD *value);
// Copies up to size bytes; *got receives the stored size (may be NULL).
int GetRegBinary(HKEY root, const char *path, const char *name, void *buffer, DWORD size, DWORD *got);
// Type of a value (REG_SZ, ...), or 0 if it does not exist.
DWORD GetRegValueType(HKEY root, const char *path, const char *name);
int RegValueExists(HKEY root, const char *path, const char *name);
int RegKeyExists(HKEY root, const char *path);
int DeleteRegValue(HKEY root, const char *path, const char *name);
// Deletes the key with all its subkeys; 1 also when it did not exist.
int DeleteRegTree(HKEY root, const char *path);

// ---------------------------------------------------------------------------
// Files

// Folder of the running test program (no trailing backslash).
int GetOwnDirectory(char *buffer, int size);
// dir + "\\" + name.
int JoinPath(const char *dir, const char *name, char *buffer, int size);
// A new empty folder under the temp folder, named prefix + unique suffix.
int MakeTempDir(const char *prefix, char *buffer, int size);
int FileExists(const char *path);
int DirectoryExists(const char *path);
int CopyFileTo(const char *source, const char *destination);
int WriteFileBytes(const char *path, const void *data, DWORD size);
// Reads up to size-1 bytes and zero-terminates; *got = bytes read (may be NULL).
int ReadFileBytes(const char *path, char *buffer, DWORD size, DWORD *got);
// Deletes a folder with everything in it; 1 also when it did not exist.
int DeleteDirTree(const char *path);

#endif
