// Automation driver for the black-box tests: see driver.h.
#ifndef STRSAFE_NO_DEPRECATE
#define STRSAFE_NO_DEPRECATE
#endif
#include "driver.h"

#include <stdlib.h>
#include <string.h>
#include <strsafe.h>

// Time limit for one message sent to a window of another process.
#define SEND_TIMEOUT_MS 3000
#define POLL_MS 20

// ---------------------------------------------------------------------------
// Small helpers

static void ClearText(char *buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = '\0';
}

static DWORD ElapsedSince(DWORD start)
{
    return GetTickCount() - start;
}

// SendMessageTimeoutA with our limit; 1 when the window answered.
static int SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR *result)
{
    DWORD_PTR value = 0;
    if (!window || !IsWindow(window))
        return 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, SEND_TIMEOUT_MS,
                             &value))
        return 0;
    if (result)
        *result = value;
    return 1;
}

static int ClassIs(HWND window, const char *className)
{
    char name[128];
    if (!GetClassNameA(window, name, (int)sizeof(name)))
        return 0;
    return lstrcmpiA(name, className) == 0;
}

// ---------------------------------------------------------------------------
// Processes

int StartProgram(const char *exePath, const char *commandTail, const char *workDir, DriverProcess *out)
{
    char commandLine[8192];
    STARTUPINFOA startup;
    HRESULT hr;

    if (!out)
        return 0;
    ZeroMemory(out, sizeof(*out));
    if (!exePath || !exePath[0])
        return 0;
    if (commandTail && commandTail[0])
        hr = StringCchPrintfA(commandLine, sizeof(commandLine), "\"%s\" %s", exePath, commandTail);
    else
        hr = StringCchPrintfA(commandLine, sizeof(commandLine), "\"%s\"", exePath);
    if (FAILED(hr))
        return 0;

    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(exePath, commandLine, NULL, NULL, FALSE, 0, NULL,
                        (workDir && workDir[0]) ? workDir : NULL, &startup, &out->info))
    {
        ZeroMemory(out, sizeof(*out));
        return 0;
    }
    out->started = 1;
    // Let the program get as far as its message loop before a test looks for
    // its windows; bounded, and harmless for programs without one.
    WaitForInputIdle(out->info.hProcess, 5000);
    return 1;
}

int WaitProgramExit(DriverProcess *proc, DWORD timeoutMs, DWORD *exitCode)
{
    DWORD code = 0;
    if (!proc || !proc->started || !proc->info.hProcess)
        return 0;
    if (WaitForSingleObject(proc->info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return 0;
    if (!GetExitCodeProcess(proc->info.hProcess, &code))
        return 0;
    if (exitCode)
        *exitCode = code;
    return 1;
}

int IsProgramRunning(const DriverProcess *proc)
{
    if (!proc || !proc->started || !proc->info.hProcess)
        return 0;
    return WaitForSingleObject(proc->info.hProcess, 0) == WAIT_TIMEOUT;
}

void EndProgram(DriverProcess *proc)
{
    if (!proc)
        return;
    if (proc->started && proc->info.hProcess)
    {
        if (WaitForSingleObject(proc->info.hProcess, 0) == WAIT_TIMEOUT)
        {
            TerminateProcess(proc->info.hProcess, 0xDEAD);
            WaitForSingleObject(proc->info.hProcess, 5000);
        }
    }
    if (proc->info.hThread)
        CloseHandle(proc->info.hThread);
    if (proc->info.hProcess)
        CloseHandle(proc->info.hProcess);
    ZeroMemory(proc, sizeof(*proc));
}

DWORD ProgramId(const DriverProcess *proc)
{
    return (proc && proc->started) ? proc->info.dwProcessId : 0;
}

// ---------------------------------------------------------------------------
// Top-level windows

struct WindowSearch
{
    DWORD processId;
    const char *className;
    const char *title;
    int visibleOnly;
    HWND found;
    int count;
    int countAll;  // 1: count every match instead of stopping at the first
};

static int WindowMatches(HWND window, const WindowSearch *search)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId)
        return 0;
    if (search->visibleOnly && !IsWindowVisible(window))
        return 0;
    if (search->className && search->className[0] && !ClassIs(window, search->className))
        return 0;
    if (search->title && search->title[0])
    {
        char title[512];
        if (!GetWindowTitle(window, title, (int)sizeof(title)))
            return 0;
        if (strcmp(title, search->title) != 0)
            return 0;
    }
    return 1;
}

static BOOL CALLBACK SearchTopLevel(HWND window, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    if (!WindowMatches(window, search))
        return TRUE;
    if (!search->found)
        search->found = window;
    search->count++;
    return search->countAll ? TRUE : FALSE;
}

HWND FindProcessWindow(DWORD processId, const char *className, const char *title, int visibleOnly)
{
    WindowSearch search;
    ZeroMemory(&search, sizeof(search));
    search.processId = processId;
    search.className = className;
    search.title = title;
    search.visibleOnly = visibleOnly;
    if (!processId)
        return NULL;
    EnumWindows(SearchTopLevel, (LPARAM)&search);
    return search.found;
}

HWND WaitProcessWindow(DWORD processId, const char *className, const char *title, int visibleOnly,
                       DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        HWND window = FindProcessWindow(processId, className, title, visibleOnly);
        if (window)
            return window;
        if (ElapsedSince(start) >= timeoutMs)
            return NULL;
        Sleep(POLL_MS);
    }
}

int CountProcessWindows(DWORD processId, const char *className, int visibleOnly)
{
    WindowSearch search;
    ZeroMemory(&search, sizeof(search));
    search.processId = processId;
    search.className = className;
    search.visibleOnly = visibleOnly;
    search.countAll = 1;
    if (!processId)
        return 0;
    EnumWindows(SearchTopLevel, (LPARAM)&search);
    return search.count;
}

HWND WaitMainWindow(DWORD processId, DWORD timeoutMs)
{
    return WaitProcessWindow(processId, DRIVER_MAIN_CLASS, NULL, 1, timeoutMs);
}

int WaitWindowGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return 1;
        if (ElapsedSince(start) >= timeoutMs)
            return 0;
        Sleep(POLL_MS);
    }
}

// ---------------------------------------------------------------------------
// Message boxes
//
// Wine builds its message box from a dialog template: the text is a static
// control with id 0xFFFF (as on Windows), the icon a static SS_ICON control
// with id 0x440 (Windows uses 20). The icon control is there even without an
// icon; STM_GETICON then answers 0. Controls are told apart by class and
// style here, not by id, so the same code serves both systems.

static int ButtonType(HWND button)
{
    return (int)(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK);
}

static int IsStaticIcon(HWND control)
{
    return (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

int IsMessageBoxWindow(HWND window)
{
    HWND child;
    int buttons = 0;
    int texts = 0;

    if (!window || !IsWindow(window) || !ClassIs(window, "#32770"))
        return 0;
    for (child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (ClassIs(child, "Button"))
        {
            int type = ButtonType(child);
            if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
                return 0;
            if (IsWindowVisible(child))
                buttons++;
        }
        else if (ClassIs(child, "Static"))
        {
            if (!IsStaticIcon(child))
                texts++;
        }
        else
        {
            return 0;
        }
    }
    return buttons > 0 && texts > 0;
}

struct BoxSearch
{
    DWORD processId;
    HWND found;
};

static BOOL CALLBACK SearchMessageBox(HWND window, LPARAM param)
{
    BoxSearch *search = (BoxSearch *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    if (!IsMessageBoxWindow(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindMessageBox(DWORD processId)
{
    BoxSearch search;
    search.processId = processId;
    search.found = NULL;
    if (!processId)
        return NULL;
    EnumWindows(SearchMessageBox, (LPARAM)&search);
    return search.found;
}

HWND WaitMessageBox(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        HWND box = FindMessageBox(processId);
        if (box)
            return box;
        if (ElapsedSince(start) >= timeoutMs)
            return NULL;
        Sleep(POLL_MS);
    }
}

// Colour classes of the icon pixels.
static int IsRedPixel(int r, int g, int b)
{
    return r > 150 && g < 110 && b < 110;
}

static int IsYellowPixel(int r, int g, int b)
{
    return r > 170 && g > 140 && b < 110;
}

// On a 256-colour screen the blue body is shown in the palette's teal
// (0x008080), so green may equal blue here.
static int IsBluePixel(int r, int g, int b)
{
    return b >= 100 && r < 100 && b >= g && b - r >= 60;
}

static int IsLightPixel(int r, int g, int b)
{
    return r > 170 && g > 170 && b > 170;
}

// Blue icons: information carries a narrow "i", question a wide "?". The glyph
// is the light pixels lying between blue pixels of the same row; its
// bounding box is about a quarter as wide as high for "i" and over half for
// "?".
static int ClassifyBlueGlyph(const ScreenCapture *capture)
{
    int glyphLeft = capture->width, glyphRight = -1, glyphTop = capture->height, glyphBottom = -1;
    int x, y;

    for (y = 0; y < capture->height; y++)
    {
        const DWORD *row = capture->pixels + (size_t)y * capture->width;
        int first = -1, last = -1;
        for (x = 0; x < capture->width; x++)
        {
            int r = (row[x] >> 16) & 0xFF, g = (row[x] >> 8) & 0xFF, b = row[x] & 0xFF;
            if (IsBluePixel(r, g, b))
            {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        for (x = first + 1; first >= 0 && x < last; x++)
        {
            int r = (row[x] >> 16) & 0xFF, g = (row[x] >> 8) & 0xFF, b = row[x] & 0xFF;
            if (!IsLightPixel(r, g, b))
                continue;
            if (x < glyphLeft)
                glyphLeft = x;
            if (x > glyphRight)
                glyphRight = x;
            if (y < glyphTop)
                glyphTop = y;
            if (y > glyphBottom)
                glyphBottom = y;
        }
    }
    if (glyphRight < 0)
        return MBICON_UNKNOWN;
    // width / height < 0.45, in integers.
    if ((glyphRight - glyphLeft + 1) * 100 < (glyphBottom - glyphTop + 1) * 45)
        return MBICON_INFORMATION;
    return MBICON_QUESTION;
}

static int ClassifyIconCapture(const ScreenCapture *capture)
{
    int red = 0, yellow = 0, blue = 0, total, best;
    int i;

    total = capture->width * capture->height;
    if (total <= 0)
        return MBICON_UNKNOWN;
    for (i = 0; i < total; i++)
    {
        DWORD p = capture->pixels[i];
        int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (IsRedPixel(r, g, b))
            red++;
        else if (IsYellowPixel(r, g, b))
            yellow++;
        else if (IsBluePixel(r, g, b))
            blue++;
    }
    best = red;
    if (yellow > best)
        best = yellow;
    if (blue > best)
        best = blue;
    // The coloured body of an icon covers well over a tenth of its square.
    if (best * 10 < total)
        return MBICON_UNKNOWN;
    if (best == red)
        return MBICON_ERROR;
    if (best == yellow)
        return MBICON_WARNING;
    return ClassifyBlueGlyph(capture);
}

static int ReadIconKind(HWND iconControl)
{
    DWORD_PTR icon = 0;
    RECT rect;
    int attempt;
    int kind = MBICON_UNKNOWN;

    if (!iconControl || !IsWindowVisible(iconControl))
        return MBICON_NONE;
    if (!SendBounded(iconControl, STM_GETICON, 0, 0, &icon) || !icon)
        return MBICON_NONE;
    // The handle belongs to the other process; look at the screen instead.
    // Retry for a moment in case the box has not been painted yet.
    for (attempt = 0; attempt < 25; attempt++)
    {
        ScreenCapture capture;
        if (GetWindowRect(iconControl, &rect) && CaptureScreenRect(&rect, &capture))
        {
            kind = ClassifyIconCapture(&capture);
            FreeScreenCapture(&capture);
            if (kind != MBICON_UNKNOWN)
                return kind;
        }
        Sleep(POLL_MS * 2);
    }
    return kind;
}

int ReadMessageBox(HWND box, MessageBoxInfo *info)
{
    HWND child;
    HWND iconControl = NULL;
    HWND textControl = NULL;
    HWND focus;

    if (!info)
        return 0;
    ZeroMemory(info, sizeof(*info));
    if (!IsMessageBoxWindow(box))
        return 0;
    info->window = box;
    info->owner = GetWindow(box, GW_OWNER);
    info->topmost = IsWindowTopmost(box);
    GetWindowRect(box, &info->rect);
    if (!GetWindowTitle(box, info->title, (int)sizeof(info->title)))
        return 0;

    for (child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (ClassIs(child, "Static"))
        {
            if (IsStaticIcon(child))
            {
                if (!iconControl)
                    iconControl = child;
            }
            else if (!textControl || GetDlgCtrlID(child) == 0xFFFF)
            {
                textControl = child;
            }
        }
        else if (ClassIs(child, "Button") && IsWindowVisible(child))
        {
            int n = info->buttonCount;
            if (n >= DRIVER_MAX_BUTTONS)
                continue;
            info->buttonIds[n] = GetDlgCtrlID(child);
            GetWindowTitle(child, info->buttonTexts[n], (int)sizeof(info->buttonTexts[n]));
            if (ButtonType(child) == BS_DEFPUSHBUTTON && !info->defaultButtonId)
                info->defaultButtonId = info->buttonIds[n];
            info->buttonCount = n + 1;
        }
    }
    if (!textControl || !GetWindowTitle(textControl, info->text, (int)sizeof(info->text)))
        return 0;

    focus = GetFocusWindowOf(box);
    if (focus && IsChild(box, focus))
        info->focusButtonId = GetDlgCtrlID(focus);

    info->iconKind = ReadIconKind(iconControl);
    return 1;
}

int MessageBoxHasButton(const MessageBoxInfo *info, int buttonId)
{
    int i;
    if (!info)
        return 0;
    for (i = 0; i < info->buttonCount; i++)
        if (info->buttonIds[i] == buttonId)
            return 1;
    return 0;
}

int AnswerMessageBox(HWND box, int buttonId)
{
    if (!IsMessageBoxWindow(box))
        return 0;
    if (!PressButton(box, buttonId))
        return 0;
    return WaitWindowGone(box, DRIVER_SHORT_WAIT_MS);
}

const char *MessageBoxIconName(int iconKind)
{
    switch (iconKind)
    {
    case MBICON_NONE: return "none";
    case MBICON_ERROR: return "error";
    case MBICON_WARNING: return "warning";
    case MBICON_INFORMATION: return "information";
    case MBICON_QUESTION: return "question";
    default: return "unknown";
    }
}

// ---------------------------------------------------------------------------
// Controls

HWND GetControl(HWND window, int controlId)
{
    if (!window || !IsWindow(window))
        return NULL;
    return GetDlgItem(window, controlId);
}

int GetControlText(HWND window, int controlId, char *buffer, int size)
{
    ClearText(buffer, size);
    return GetWindowTitle(GetControl(window, controlId), buffer, size);
}

int SetControlText(HWND window, int controlId, const char *text)
{
    DWORD_PTR result = 0;
    HWND control = GetControl(window, controlId);
    if (!control || !text)
        return 0;
    return SendBounded(control, WM_SETTEXT, 0, (LPARAM)text, &result) && result;
}

int IsControlEnabled(HWND window, int controlId)
{
    HWND control = GetControl(window, controlId);
    return control && IsWindowEnabled(control) ? 1 : 0;
}

int IsControlVisible(HWND window, int controlId)
{
    HWND control = GetControl(window, controlId);
    return control && IsWindowVisible(control) ? 1 : 0;
}

int GetButtonCheck(HWND window, int controlId)
{
    DWORD_PTR state = 0;
    HWND control = GetControl(window, controlId);
    if (!control || !SendBounded(control, BM_GETCHECK, 0, 0, &state))
        return -1;
    return (int)state;
}

HWND GetFocusWindowOf(HWND window)
{
    GUITHREADINFO info;
    DWORD thread;
    if (!window || !IsWindow(window))
        return NULL;
    thread = GetWindowThreadProcessId(window, NULL);
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(thread, &info))
        return NULL;
    return info.hwndFocus;
}

int GetFocusControlId(HWND window)
{
    HWND focus = GetFocusWindowOf(window);
    if (!focus || !IsChild(window, focus))
        return 0;
    return GetDlgCtrlID(focus);
}

int PressButton(HWND window, int controlId)
{
    HWND button = GetControl(window, controlId);
    if (!button || !ClassIs(button, "Button"))
        return 0;
    if (!IsWindowEnabled(button) || !IsWindowVisible(button))
        return 0;
    // Posted, not sent: the click may open a modal box in the other process,
    // and a sent message would only return when that box closes.
    return PostMessageA(button, BM_CLICK, 0, 0) ? 1 : 0;
}

int PostCommand(HWND window, int commandId)
{
    if (!window || !IsWindow(window))
        return 0;
    return PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0) ? 1 : 0;
}

int PostSysCommand(HWND window, WPARAM command)
{
    if (!window || !IsWindow(window))
        return 0;
    return PostMessageA(window, WM_SYSCOMMAND, command, 0) ? 1 : 0;
}

int PostCloseWindow(HWND window)
{
    if (!window || !IsWindow(window))
        return 0;
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 1 : 0;
}

int WaitControlText(HWND window, int controlId, const char *text, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    char current[4096];
    if (!text)
        return 0;
    for (;;)
    {
        if (GetControlText(window, controlId, current, (int)sizeof(current)) && strcmp(current, text) == 0)
            return 1;
        if (ElapsedSince(start) >= timeoutMs)
            return 0;
        Sleep(POLL_MS);
    }
}

int WaitControlEnabled(HWND window, int controlId, int enabled, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        if (GetControl(window, controlId) && IsControlEnabled(window, controlId) == (enabled ? 1 : 0))
            return 1;
        if (ElapsedSince(start) >= timeoutMs)
            return 0;
        Sleep(POLL_MS);
    }
}

// ---------------------------------------------------------------------------
// Window state

int GetWindowRectOf(HWND window, RECT *rect)
{
    if (!rect)
        return 0;
    SetRectEmpty(rect);
    if (!window || !IsWindow(window))
        return 0;
    return GetWindowRect(window, rect) ? 1 : 0;
}

int GetClientRectOnScreen(HWND window, RECT *rect)
{
    POINT corner;
    if (!rect)
        return 0;
    SetRectEmpty(rect);
    if (!window || !IsWindow(window) || !GetClientRect(window, rect))
        return 0;
    corner.x = 0;
    corner.y = 0;
    if (!ClientToScreen(window, &corner))
        return 0;
    OffsetRect(rect, corner.x, corner.y);
    return 1;
}

int IsWindowTopmost(HWND window)
{
    return (GetWindowExStyleOf(window) & WS_EX_TOPMOST) ? 1 : 0;
}

int IsWindowShown(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window) && !IsIconic(window) ? 1 : 0;
}

int IsWindowMinimizedOf(HWND window)
{
    return window && IsWindow(window) && IsIconic(window) ? 1 : 0;
}

int GetWindowTitle(HWND window, char *buffer, int size)
{
    DWORD_PTR copied = 0;
    if (!buffer || size <= 0)
        return 0;
    ClearText(buffer, size);
    // WM_GETTEXT rather than GetWindowTextA: for a window of another process
    // the latter does not ask the window, so edit controls would read empty.
    if (!SendBounded(window, WM_GETTEXT, (WPARAM)size, (LPARAM)buffer, &copied))
    {
        ClearText(buffer, size);
        return 0;
    }
    if (copied < (DWORD_PTR)size)
        buffer[copied] = '\0';
    buffer[size - 1] = '\0';
    return 1;
}

int GetClassNameOf(HWND window, char *buffer, int size)
{
    ClearText(buffer, size);
    if (!buffer || size <= 0 || !window || !IsWindow(window))
        return 0;
    return GetClassNameA(window, buffer, size) > 0;
}

LONG GetWindowStyleOf(HWND window)
{
    if (!window || !IsWindow(window))
        return 0;
    return GetWindowLongA(window, GWL_STYLE);
}

LONG GetWindowExStyleOf(HWND window)
{
    if (!window || !IsWindow(window))
        return 0;
    return GetWindowLongA(window, GWL_EXSTYLE);
}

// ---------------------------------------------------------------------------
// Keyboard

static int IsForegroundOf(HWND window)
{
    HWND foreground = GetForegroundWindow();
    if (!foreground)
        return 0;
    return foreground == window || IsChild(window, foreground) || GetAncestor(foreground, GA_ROOTOWNER) == window;
}

int BringToForeground(HWND window)
{
    HWND top;
    DWORD start;
    int attached = 0;
    DWORD ownThread = GetCurrentThreadId();
    DWORD theirThread;

    if (!window || !IsWindow(window))
        return 0;
    top = GetAncestor(window, GA_ROOT);
    if (!top)
        top = window;
    if (IsForegroundOf(top))
        return 1;

    theirThread = GetWindowThreadProcessId(top, NULL);
    SetForegroundWindow(top);
    start = GetTickCount();
    while (ElapsedSince(start) < 1000)
    {
        if (IsForegroundOf(top))
            return 1;
        Sleep(POLL_MS);
    }
    // Windows may refuse a foreground change from a background process;
    // sharing the input state with the target thread lifts that.
    if (theirThread && theirThread != ownThread)
        attached = AttachThreadInput(ownThread, theirThread, TRUE) ? 1 : 0;
    BringWindowToTop(top);
    SetForegroundWindow(top);
    if (attached)
        AttachThreadInput(ownThread, theirThread, FALSE);
    start = GetTickCount();
    while (ElapsedSince(start) < 2000)
    {
        if (IsForegroundOf(top))
            return 1;
        Sleep(POLL_MS);
    }
    return 0;
}

static int IsExtendedKey(WORD vk)
{
    switch (vk)
    {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE: case VK_RMENU: case VK_RCONTROL:
    case VK_DIVIDE: case VK_NUMLOCK: case VK_LWIN: case VK_RWIN: case VK_APPS:
        return 1;
    default:
        return 0;
    }
}

static void FillKey(INPUT *input, WORD vk, int release)
{
    ZeroMemory(input, sizeof(*input));
    input->type = INPUT_KEYBOARD;
    input->ki.wVk = vk;
    input->ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
    input->ki.dwFlags = (release ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
}

// Presses the modifiers, then key, releases them in reverse order.
static int SendKeyStroke(const WORD *modifiers, int modifierCount, WORD vk)
{
    INPUT inputs[10];
    int n = 0;
    int i;
    if (modifierCount > 4)
        return 0;
    for (i = 0; i < modifierCount; i++)
        FillKey(&inputs[n++], modifiers[i], 0);
    FillKey(&inputs[n++], vk, 0);
    FillKey(&inputs[n++], vk, 1);
    for (i = modifierCount - 1; i >= 0; i--)
        FillKey(&inputs[n++], modifiers[i], 1);
    if (SendInput((UINT)n, inputs, sizeof(INPUT)) != (UINT)n)
        return 0;
    // A short gap between strokes keeps the target's input queue in order
    // with whatever it does in response.
    Sleep(10);
    return 1;
}

static int CharacterKey(char c, WORD *vk, WORD *modifiers, int *modifierCount)
{
    SHORT scan;
    *modifierCount = 0;
    switch (c)
    {
    case '\n': *vk = VK_RETURN; return 1;
    case '\t': *vk = VK_TAB; return 1;
    case '\b': *vk = VK_BACK; return 1;
    case '\x1b': *vk = VK_ESCAPE; return 1;
    default: break;
    }
    scan = VkKeyScanA(c);
    if (scan == -1 || LOBYTE(scan) == 0xFF)
        return 0;
    *vk = LOBYTE(scan);
    if (HIBYTE(scan) & 1)
        modifiers[(*modifierCount)++] = VK_SHIFT;
    if (HIBYTE(scan) & 2)
        modifiers[(*modifierCount)++] = VK_CONTROL;
    if (HIBYTE(scan) & 4)
        modifiers[(*modifierCount)++] = VK_MENU;
    return 1;
}

int SendKeyText(HWND window, const char *text)
{
    const char *p;
    if (!text)
        return 0;
    if (!BringToForeground(window))
        return 0;
    for (p = text; *p; p++)
    {
        WORD vk = 0;
        WORD modifiers[4];
        int modifierCount = 0;
        if (!CharacterKey(*p, &vk, modifiers, &modifierCount))
            return 0;
        if (!SendKeyStroke(modifiers, modifierCount, vk))
            return 0;
    }
    return 1;
}

int SendKeyPress(HWND window, WORD virtualKey)
{
    if (!BringToForeground(window))
        return 0;
    return SendKeyStroke(NULL, 0, virtualKey);
}

int SendKeyChord(HWND window, WORD modifierKey, WORD virtualKey)
{
    if (!BringToForeground(window))
        return 0;
    return SendKeyStroke(&modifierKey, 1, virtualKey);
}

// ---------------------------------------------------------------------------
// Mouse

int ClickAt(int x, int y)
{
    INPUT inputs[3];
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 1 || height <= 1 || x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    ZeroMemory(inputs, sizeof(inputs));
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dx = (LONG)(((LONGLONG)x * 65535 + (width - 1) / 2) / (width - 1));
    inputs[0].mi.dy = (LONG)(((LONGLONG)y * 65535 + (height - 1) / 2) / (height - 1));
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].type = INPUT_MOUSE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (SendInput(3, inputs, sizeof(INPUT)) != 3)
        return 0;
    Sleep(10);
    return 1;
}

int ClickControl(HWND window, int controlId)
{
    RECT rect;
    HWND control = GetControl(window, controlId);
    if (!control || !IsWindowVisible(control))
        return 0;
    if (!BringToForeground(window))
        return 0;
    if (!GetWindowRect(control, &rect))
        return 0;
    return ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// ---------------------------------------------------------------------------
// Screen

int CaptureScreenRect(const RECT *rect, ScreenCapture *capture)
{
    BITMAPINFO info;
    void *bits = NULL;
    HDC screen, memory;
    HBITMAP bitmap, old;
    int width, height, ok;

    if (!capture)
        return 0;
    ZeroMemory(capture, sizeof(*capture));
    if (!rect)
        return 0;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return 0;

    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    screen = GetDC(NULL);
    if (!screen)
        return 0;
    memory = CreateCompatibleDC(screen);
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!memory || !bitmap || !bits)
    {
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        ReleaseDC(NULL, screen);
        return 0;
    }
    old = (HBITMAP)SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, rect->left, rect->top, SRCCOPY | CAPTUREBLT) ? 1 : 0;
    GdiFlush();
    if (ok)
    {
        size_t bytes = (size_t)width * (size_t)height * sizeof(DWORD);
        capture->pixels = (DWORD *)malloc(bytes);
        if (capture->pixels)
        {
            int i;
            memcpy(capture->pixels, bits, bytes);
            // Leave only the colour; the unused byte may hold anything.
            for (i = 0; i < width * height; i++)
                capture->pixels[i] &= 0x00FFFFFF;
            capture->left = rect->left;
            capture->top = rect->top;
            capture->width = width;
            capture->height = height;
        }
        else
        {
            ok = 0;
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

int CaptureScreen(ScreenCapture *capture)
{
    RECT rect;
    rect.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    rect.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    rect.right = rect.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    rect.bottom = rect.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (rect.right <= rect.left || rect.bottom <= rect.top)
    {
        rect.left = 0;
        rect.top = 0;
        rect.right = GetSystemMetrics(SM_CXSCREEN);
        rect.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    return CaptureScreenRect(&rect, capture);
}

void FreeScreenCapture(ScreenCapture *capture)
{
    if (!capture)
        return;
    free(capture->pixels);
    ZeroMemory(capture, sizeof(*capture));
}

COLORREF CapturePixel(const ScreenCapture *capture, int x, int y)
{
    DWORD p;
    if (!capture || !capture->pixels)
        return CLR_INVALID;
    x -= capture->left;
    y -= capture->top;
    if (x < 0 || y < 0 || x >= capture->width || y >= capture->height)
        return CLR_INVALID;
    p = capture->pixels[(size_t)y * capture->width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int SaveCaptureBmp(const ScreenCapture *capture, const char *path)
{
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER infoHeader;
    DWORD rowBytes, written;
    unsigned char *row;
    HANDLE file;
    int x, y, ok = 1;

    if (!capture || !capture->pixels || !path)
        return 0;
    rowBytes = ((DWORD)capture->width * 3 + 3) & ~3u;
    row = (unsigned char *)calloc(rowBytes, 1);
    if (!row)
        return 0;

    ZeroMemory(&fileHeader, sizeof(fileHeader));
    ZeroMemory(&infoHeader, sizeof(infoHeader));
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(infoHeader);
    fileHeader.bfSize = fileHeader.bfOffBits + rowBytes * (DWORD)capture->height;
    infoHeader.biSize = sizeof(infoHeader);
    infoHeader.biWidth = capture->width;
    infoHeader.biHeight = capture->height;  // bottom row first
    infoHeader.biPlanes = 1;
    infoHeader.biBitCount = 24;
    infoHeader.biCompression = BI_RGB;
    infoHeader.biSizeImage = rowBytes * (DWORD)capture->height;

    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
    {
        free(row);
        return 0;
    }
    if (!WriteFile(file, &fileHeader, sizeof(fileHeader), &written, NULL) || written != sizeof(fileHeader))
        ok = 0;
    if (ok && (!WriteFile(file, &infoHeader, sizeof(infoHeader), &written, NULL) || written != sizeof(infoHeader)))
        ok = 0;
    for (y = capture->height - 1; ok && y >= 0; y--)
    {
        const DWORD *source = capture->pixels + (size_t)y * capture->width;
        for (x = 0; x < capture->width; x++)
        {
            row[x * 3 + 0] = (unsigned char)(source[x] & 0xFF);
            row[x * 3 + 1] = (unsigned char)((source[x] >> 8) & 0xFF);
            row[x * 3 + 2] = (unsigned char)((source[x] >> 16) & 0xFF);
        }
        if (!WriteFile(file, row, rowBytes, &written, NULL) || written != rowBytes)
            ok = 0;
    }
    CloseHandle(file);
    free(row);
    if (!ok)
        DeleteFileA(path);
    return ok;
}

int SaveScreenshotBmp(const char *path)
{
    ScreenCapture capture;
    int ok;
    if (!CaptureScreen(&capture))
        return 0;
    ok = SaveCaptureBmp(&capture, path);
    FreeScreenCapture(&capture);
    return ok;
}

COLORREF GetScreenPixel(int x, int y)
{
    COLORREF color;
    HDC screen = GetDC(NULL);
    if (!screen)
        return CLR_INVALID;
    color = GetPixel(screen, x, y);
    ReleaseDC(NULL, screen);
    return color;
}

// ---------------------------------------------------------------------------
// Message pump and recorder windows

void PumpMessagesFor(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        MSG msg;
        DWORD elapsed;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        elapsed = ElapsedSince(start);
        if (elapsed >= ms)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

#define MAX_RECORDERS 8
#define MAX_RECORDED_KINDS 128

struct RecordedMessage
{
    UINT message;
    int count;
};

struct Recorder
{
    HWND window;
    int kinds;
    RecordedMessage seen[MAX_RECORDED_KINDS];
};

static Recorder g_recorders[MAX_RECORDERS];

static Recorder *FindRecorder(HWND window)
{
    int i;
    if (!window)
        return NULL;
    for (i = 0; i < MAX_RECORDERS; i++)
        if (g_recorders[i].window == window)
            return &g_recorders[i];
    return NULL;
}

static void RecordMessage(Recorder *recorder, UINT message)
{
    int i;
    for (i = 0; i < recorder->kinds; i++)
    {
        if (recorder->seen[i].message == message)
        {
            recorder->seen[i].count++;
            return;
        }
    }
    if (recorder->kinds < MAX_RECORDED_KINDS)
    {
        recorder->seen[recorder->kinds].message = message;
        recorder->seen[recorder->kinds].count = 1;
        recorder->kinds++;
    }
}

static LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recorder *recorder = FindRecorder(window);
    if (!recorder && (message == WM_NCCREATE || message == WM_CREATE))
    {
        // Claim a free slot while the window is being made, so that the
        // creation messages are recorded too.
        int i;
        for (i = 0; i < MAX_RECORDERS && !recorder; i++)
        {
            if (!g_recorders[i].window)
            {
                recorder = &g_recorders[i];
                ZeroMemory(recorder, sizeof(*recorder));
                recorder->window = window;
            }
        }
    }
    if (recorder)
        RecordMessage(recorder, message);
    if (message == WM_CLOSE)
        return 0;  // recorded; the test decides when the window goes
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecorderWindow(const char *className, const char *title, int visible)
{
    WNDCLASSA wc;
    HWND window;
    HINSTANCE instance = GetModuleHandleA(NULL);
    int i, freeSlots = 0;

    if (!className || !className[0])
        return NULL;
    for (i = 0; i < MAX_RECORDERS; i++)
        if (!g_recorders[i].window)
            freeSlots++;
    if (!freeSlots)
        return NULL;

    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return NULL;
    window = CreateWindowExA(0, className, title ? title : "", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                             20, 20, 240, 120, NULL, NULL, instance, NULL);
    if (window && !FindRecorder(window))
    {
        DestroyWindow(window);
        return NULL;
    }
    return window;
}

int RecorderMessageCount(HWND recorder, UINT message)
{
    Recorder *r = FindRecorder(recorder);
    int i;
    if (!r)
        return 0;
    for (i = 0; i < r->kinds; i++)
        if (r->seen[i].message == message)
            return r->seen[i].count;
    return 0;
}

int WaitRecorderMessage(HWND recorder, UINT message, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        if (RecorderMessageCount(recorder, message) > 0)
            return 1;
        if (ElapsedSince(start) >= timeoutMs)
            return 0;
        PumpMessagesFor(POLL_MS);
    }
}

void DestroyRecorderWindow(HWND recorder)
{
    Recorder *r = FindRecorder(recorder);
    if (IsWindow(recorder))
        DestroyWindow(recorder);
    if (r)
        ZeroMemory(r, sizeof(*r));
}

// ---------------------------------------------------------------------------
// Registry

static int OpenKeyForWrite(HKEY root, const char *path, HKEY *key)
{
    return RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | KEY_QUERY_VALUE, NULL,
                           key, NULL) == ERROR_SUCCESS;
}

static int SetValue(HKEY root, const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    LONG status;
    if (!path)
        return 0;
    if (!OpenKeyForWrite(root, path, &key))
        return 0;
    status = RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int SetRegString(HKEY root, const char *path, const char *name, const char *value)
{
    if (!value)
        return 0;
    return SetValue(root, path, name, REG_SZ, value, (DWORD)strlen(value) + 1);
}

int SetRegDword(HKEY root, const char *path, const char *name, DWORD value)
{
    return SetValue(root, path, name, REG_DWORD, &value, sizeof(value));
}

int SetRegBinary(HKEY root, const char *path, const char *name, const void *data, DWORD size)
{
    if (!data && size)
        return 0;
    return SetValue(root, path, name, REG_BINARY, data, size);
}

// Reads a value into buffer (size bytes); *type and *stored receive its type
// and stored size. 1 if the value exists (even when larger than buffer:
// then the buffer is left untouched and *stored tells the size needed).
static int QueryValue(HKEY root, const char *path, const char *name, void *buffer, DWORD size, DWORD *type,
                      DWORD *stored)
{
    HKEY key;
    LONG status;
    DWORD valueType = 0, valueSize = size;
    if (!path)
        return 0;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    status = RegQueryValueExA(key, name, NULL, &valueType, (BYTE *)buffer, buffer ? &valueSize : NULL);
    if (status == ERROR_MORE_DATA || (!buffer && status == ERROR_SUCCESS))
    {
        valueSize = 0;
        status = RegQueryValueExA(key, name, NULL, &valueType, NULL, &valueSize);
        if (status == ERROR_SUCCESS && buffer)
            status = ERROR_MORE_DATA;
    }
    RegCloseKey(key);
    if (type)
        *type = valueType;
    if (stored)
        *stored = valueSize;
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

int GetRegString(HKEY root, const char *path, const char *name, char *buffer, int size)
{
    DWORD type = 0, stored = 0;
    ClearText(buffer, size);
    if (!buffer || size <= 1)
        return 0;
    if (!QueryValue(root, path, name, buffer, (DWORD)size - 1, &type, &stored))
    {
        ClearText(buffer, size);
        return 0;
    }
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || stored > (DWORD)size - 1)
    {
        ClearText(buffer, size);
        return 0;
    }
    buffer[stored] = '\0';  // the stored string may lack its terminator
    return 1;
}

int GetRegDword(HKEY root, const char *path, const char *name, DWORD *value)
{
    DWORD data = 0, type = 0, stored = 0;
    if (!QueryValue(root, path, name, &data, sizeof(data), &type, &stored))
        return 0;
    if (type != REG_DWORD || stored != sizeof(data))
        return 0;
    if (value)
        *value = data;
    return 1;
}

int GetRegBinary(HKEY root, const char *path, const char *name, void *buffer, DWORD size, DWORD *got)
{
    DWORD type = 0, stored = 0;
    if (got)
        *got = 0;
    if (!buffer)
        return 0;
    if (!QueryValue(root, path, name, buffer, size, &type, &stored))
        return 0;
    if (got)
        *got = stored;
    return stored <= size;
}

DWORD GetRegValueType(HKEY root, const char *path, const char *name)
{
    DWORD type = 0, stored = 0;
    if (!QueryValue(root, path, name, NULL, 0, &type, &stored))
        return 0;
    return type;
}

int RegValueExists(HKEY root, const char *path, const char *name)
{
    DWORD type = 0, stored = 0;
    return QueryValue(root, path, name, NULL, 0, &type, &stored);
}

int RegKeyExists(HKEY root, const char *path)
{
    HKEY key;
    if (!path)
        return 0;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

int DeleteRegValue(HKEY root, const char *path, const char *name)
{
    HKEY key;
    LONG status;
    if (!path)
        return 0;
    if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

static int DeleteRegTreeAt(HKEY root, const char *path, int depth)
{
    HKEY key;
    LONG status;
    char child[256];
    char childPath[1024];

    if (depth > 32)
        return 0;
    status = RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return 1;
    if (status != ERROR_SUCCESS)
        return 0;
    for (;;)
    {
        DWORD length = sizeof(child);
        // Always the first subkey: the previous one has just been deleted.
        status = RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL);
        if (status != ERROR_SUCCESS)
            break;
        if (FAILED(StringCchPrintfA(childPath, sizeof(childPath), "%s\\%s", path, child)) ||
            !DeleteRegTreeAt(root, childPath, depth + 1))
        {
            RegCloseKey(key);
            return 0;
        }
    }
    RegCloseKey(key);
    status = RegDeleteKeyA(root, path);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

int DeleteRegTree(HKEY root, const char *path)
{
    // An empty path would mean the root itself.
    if (!path || !path[0])
        return 0;
    return DeleteRegTreeAt(root, path, 0);
}

// ---------------------------------------------------------------------------
// Files

int GetOwnDirectory(char *buffer, int size)
{
    DWORD length;
    char *slash;
    ClearText(buffer, size);
    if (!buffer || size <= 0)
        return 0;
    length = GetModuleFileNameA(NULL, buffer, (DWORD)size);
    if (length == 0 || length >= (DWORD)size)
    {
        ClearText(buffer, size);
        return 0;
    }
    slash = strrchr(buffer, '\\');
    if (!slash)
        slash = strrchr(buffer, '/');
    if (!slash)
    {
        ClearText(buffer, size);
        return 0;
    }
    *slash = '\0';
    return 1;
}

int JoinPath(const char *dir, const char *name, char *buffer, int size)
{
    size_t length;
    HRESULT hr;
    ClearText(buffer, size);
    if (!dir || !name || !buffer || size <= 0)
        return 0;
    length = strlen(dir);
    if (length > 0 && (dir[length - 1] == '\\' || dir[length - 1] == '/'))
        hr = StringCchPrintfA(buffer, (size_t)size, "%s%s", dir, name);
    else
        hr = StringCchPrintfA(buffer, (size_t)size, "%s\\%s", dir, name);
    if (FAILED(hr))
    {
        ClearText(buffer, size);  // no cut path: it would name another file
        return 0;
    }
    return 1;
}

int MakeTempDir(const char *prefix, char *buffer, int size)
{
    static LONG counter = 0;
    char temp[MAX_PATH];
    DWORD length;
    int attempt;

    ClearText(buffer, size);
    if (!buffer || size <= 0)
        return 0;
    length = GetTempPathA(sizeof(temp), temp);
    if (length == 0 || length >= sizeof(temp))
        return 0;
    for (attempt = 0; attempt < 100; attempt++)
    {
        LONG n = InterlockedIncrement(&counter);
        if (FAILED(StringCchPrintfA(buffer, (size_t)size, "%s%s%lu_%lu_%ld", temp, prefix ? prefix : "qvx",
                                    GetCurrentProcessId(), GetTickCount(), n)))
        {
            ClearText(buffer, size);
            return 0;
        }
        if (CreateDirectoryA(buffer, NULL))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    ClearText(buffer, size);
    return 0;
}

int FileExists(const char *path)
{
    DWORD attributes;
    if (!path)
        return 0;
    attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DirectoryExists(const char *path)
{
    DWORD attributes;
    if (!path)
        return 0;
    attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CopyFileTo(const char *source, const char *destination)
{
    if (!source || !destination)
        return 0;
    if (!CopyFileA(source, destination, FALSE))
        return 0;
    // A copy of a read-only file stays read-only; tests want to change it.
    SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
    return 1;
}

int WriteFileBytes(const char *path, const void *data, DWORD size)
{
    HANDLE file;
    DWORD written = 0;
    int ok;
    if (!path || (!data && size))
        return 0;
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    ok = size == 0 || (WriteFile(file, data, size, &written, NULL) && written == size);
    CloseHandle(file);
    return ok ? 1 : 0;
}

int ReadFileBytes(const char *path, char *buffer, DWORD size, DWORD *got)
{
    HANDLE file;
    DWORD read = 0;
    BOOL ok;
    if (got)
        *got = 0;
    if (!path || !buffer || size == 0)
        return 0;
    buffer[0] = '\0';
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    ok = ReadFile(file, buffer, size - 1, &read, NULL);
    CloseHandle(file);
    if (!ok)
    {
        buffer[0] = '\0';
        return 0;
    }
    buffer[read] = '\0';
    if (got)
        *got = read;
    return 1;
}

static int DeleteDirTreeAt(const char *path, int depth)
{
    char pattern[MAX_PATH * 2];
    char child[MAX_PATH * 2];
    WIN32_FIND_DATAA found;
    HANDLE search;
    int ok = 1;

    if (depth > 32)
        return 0;
    if (FAILED(StringCchPrintfA(pattern, sizeof(pattern), "%s\\*", path)))
        return 0;
    search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
                continue;
            if (FAILED(StringCchPrintfA(child, sizeof(child), "%s\\%s", path, found.cFileName)))
            {
                ok = 0;
                continue;
            }
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            {
                if (!DeleteDirTreeAt(child, depth + 1))
                    ok = 0;
            }
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                // A link to a folder: remove the link, never what it points at.
                if (!RemoveDirectoryA(child))
                    ok = 0;
            }
            else
            {
                SetFileAttributesA(child, FILE_ATTRIBUTE_NORMAL);
                if (!DeleteFileA(child))
                    ok = 0;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryA(path))
        ok = 0;
    return ok;
}

int DeleteDirTree(const char *path)
{
    size_t length;
    if (!path)
        return 0;
    length = strlen(path);
    // Refuse drive roots and other very short paths.
    if (length <= 3)
        return 0;
    if (!DirectoryExists(path))
        return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
    return DeleteDirTreeAt(path, 0);
}
