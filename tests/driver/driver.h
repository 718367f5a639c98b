// Automation driver: operates the real program from another process the way
// a person would (windows, texts, button presses, message boxes, keys, the
// screen). Every wait has a time limit, so a broken program fails a check
// instead of hanging the run.
#ifndef QUORVEX_TEST_DRIVER_H
#define QUORVEX_TEST_DRIVER_H

#include <windows.h>

#define DRIVER_MAIN_CLASS "Tavolink QuorvexClass"

// ---- processes
// Starts "exePath" commandTail in workDir (NULL: the current folder).
int StartProgram(const char *exePath, const char *commandTail, const char *workDir, PROCESS_INFORMATION *out);
// 1 and *exitCode once the program has ended; 0 while it runs.
int ProgramExitCode(const PROCESS_INFORMATION *process, DWORD *exitCode);
// Terminates the program if it still runs and closes the handles.
void EndProgram(PROCESS_INFORMATION *process);

// ---- windows
// Top-level windows of a process, topmost first, of a class (NULL: any),
// visible ones only when visibleOnly; returns the count.
int ProcessWindows(DWORD processId, const char *className, int visibleOnly, HWND *windows, int max);
HWND FindProcessWindow(DWORD processId, const char *className);
int IsClass(HWND window, const char *className);
// Text through WM_GETTEXT, which asks the window itself; "" on failure.
int GetWindowTextOf(HWND window, char *buffer, int size);
// Control id of the keyboard focus of the window's thread; 0 if outside it.
int GetFocusControlId(HWND window);
// Clicks a button as a person would. NULL when clicked, else why it could
// not be: "missing", "disabled" or "hidden".
const char *PressButton(HWND window, int controlId);
// Waits until the window's thread has handled everything sent to it so far
// and waits for input again (in its own loop or a modal one), dispatching
// this thread's messages and calling poll (may be NULL) every 20 ms
// meanwhile. 0 on timeout.
int WaitIdle(HWND window, DWORD timeoutMs, void (*poll)(void *), void *context);

// ---- message boxes (a dialog with an icon control and push buttons)
struct MessageBoxInfo
{
    HWND owner;
    char title[256], text[4096], buttons[4][32];  // button captions as shown
    const char *icon;  // "no icon", "error icon", "other icon" or "icon off the screen"
    int buttonCount;
};
int IsMessageBox(HWND window);
int ReadMessageBox(HWND box, MessageBoxInfo *info);

// ---- keys, sent with SendInput after making the window the foreground one
// Presses the keys in order, then releases them in reverse order.
int SendChord(HWND window, const WORD *keys, int count);
// Types the text key by key (letters, digits and what the layout maps).
int SendKeyText(HWND window, const char *text);

// ---- screen
// The pixels of a screen rectangle as 0x00RRGGBB, top row first; free() it.
DWORD *CaptureScreen(const RECT *rect);

#endif
