// Automation driver: see driver.h.
#include "driver.h"

#include <stdio.h>
#include <stdlib.h>

int StartProgram(const char *exePath, const char *commandTail, const char *workDir, PROCESS_INFORMATION *out)
{
    static char commandLine[32768];
    _snprintf(commandLine, sizeof(commandLine) - 1, *commandTail ? "\"%s\" %s" : "\"%s\"", exePath, commandTail);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    ZeroMemory(out, sizeof(*out));
    return CreateProcessA(exePath, commandLine, NULL, NULL, FALSE, 0, NULL, workDir, &startup, out);
}

int ProgramExitCode(const PROCESS_INFORMATION *process, DWORD *exitCode)
{
    return process->hProcess && WaitForSingleObject(process->hProcess, 0) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process->hProcess, exitCode);
}

void EndProgram(PROCESS_INFORMATION *process)
{
    if (process->hProcess && WaitForSingleObject(process->hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process->hProcess, 0xDEAD), WaitForSingleObject(process->hProcess, 5000);
    if (process->hProcess)
        CloseHandle(process->hThread), CloseHandle(process->hProcess);
    ZeroMemory(process, sizeof(*process));
}

int IsClass(HWND window, const char *className)
{
    char name[128];
    return GetClassNameA(window, name, sizeof(name)) && lstrcmpiA(name, className) == 0;
}

int ProcessWindows(DWORD processId, const char *className, int visibleOnly, HWND *windows, int max)
{
    int count = 0;
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window && count < max;
         window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && (!visibleOnly || IsWindowVisible(window)) &&
            (!className || IsClass(window, className)))
            windows[count++] = window;
    }
    return count;
}

HWND FindProcessWindow(DWORD processId, const char *className)
{
    HWND window = NULL;
    return ProcessWindows(processId, className, 0, &window, 1), window;
}

int GetWindowTextOf(HWND window, char *buffer, int size)
{
    DWORD_PTR copied = 0;
    buffer[0] = '\0';
    if (!window || !SendMessageTimeoutA(window, WM_GETTEXT, size, (LPARAM)buffer, SMTO_ABORTIFHUNG, 3000, &copied))
        return 0;
    buffer[copied < (DWORD_PTR)size ? copied : size - 1] = '\0';
    return 1;
}

int GetFocusControlId(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info) || !IsChild(window, info.hwndFocus)) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

const char *PressButton(HWND window, int controlId)
{
    HWND button = GetDlgItem(window, controlId);
    const char *refused = !button || !IsClass(button, "Button") ? "missing" : !IsWindowVisible(button) ? "hidden"
                          : !IsWindowEnabled(button) ? "disabled" : NULL;
    // Sent without waiting: handled before anything posted later, and the
    // click may open a modal box in the program.
    if (!refused)
        SendNotifyMessageA(button, BM_CLICK, 0, 0);
    return refused;
}

static void CALLBACK IdleReached(HWND, UINT, ULONG_PTR reached, LRESULT) { *(int *)reached = 1; }

int WaitIdle(HWND window, DWORD timeoutMs, void (*poll)(void *), void *context)
{
    int reached = 0;
    DWORD start = GetTickCount();
    if (!SendMessageCallbackA(window, WM_NULL, 0, 0, IdleReached, (ULONG_PTR)&reached)) return 0;
    for (MSG message; !reached && IsWindow(window) && GetTickCount() - start < timeoutMs;) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (poll)
            poll(context);
    }
    return reached || !IsWindow(window);
}

// Wine's message box always has its icon control, hidden without an icon.
static HWND IconControl(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsClass(child, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
    return NULL;
}

int IsMessageBox(HWND window) { return IsClass(window, "#32770") && IconControl(window) != NULL; }

int ReadMessageBox(HWND box, MessageBoxInfo *info)
{
    ZeroMemory(info, sizeof(*info));
    info->owner = GetWindow(box, GW_OWNER);
    GetWindowTextOf(box, info->title, sizeof(info->title));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsClass(child, "Static") && child != IconControl(box))
            GetWindowTextOf(child, info->text, sizeof(info->text));
        else if (IsClass(child, "Button") && IsWindowVisible(child) && info->buttonCount < 4)
            GetWindowTextOf(child, info->buttons[info->buttonCount++], sizeof(info->buttons[0]));
    }
    // The icon's pixels tell its kind: the error icon is mostly red.
    RECT rect;
    HWND icon = IconControl(box);
    info->icon = IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) ? "other icon" : "no icon";
    if (info->icon[0] == 'o' && GetWindowRect(icon, &rect) && (rect.left < 0 || rect.top < 0))
        info->icon = "icon off the screen";
    for (int attempt = 0; attempt < 20 && info->icon[0] == 'o' && GetWindowRect(icon, &rect); attempt++, Sleep(25)) {
        DWORD *pixels = CaptureScreen(&rect);  // it may not be on the screen yet
        int total = (rect.right - rect.left) * (rect.bottom - rect.top), red = 0;
        for (int i = 0; pixels && i < total; i++)
            red += (pixels[i] >> 16 & 0xFF) > 150 && (pixels[i] >> 8 & 0xFF) < 110 && (pixels[i] & 0xFF) < 110;
        free(pixels);
        info->icon = red * 5 > total ? "error icon" : "other icon";
    }
    return info->buttonCount > 0;
}

int SendChord(HWND window, const WORD *keys, int count)
{
    INPUT inputs[8] = {};
    SetForegroundWindow(window);
    for (DWORD start = GetTickCount(); GetForegroundWindow() != window && GetTickCount() - start < 2000;)
        Sleep(20);
    WaitIdle(window, 5000, NULL, NULL);  // the program has taken its activation: the keys go to its focus
    for (int i = 0; i < 2 * count && count <= 4; i++) {  // pressed in order, released in reverse order
        WORD key = keys[i < count ? i : 2 * count - 1 - i];
        inputs[i].type = INPUT_KEYBOARD, inputs[i].ki.wVk = key, inputs[i].ki.wScan = (WORD)MapVirtualKeyA(key, 0);
        inputs[i].ki.dwFlags = i < count ? 0 : KEYEVENTF_KEYUP;
    }
    int sent = count <= 4 && GetForegroundWindow() == window &&
               SendInput(2 * count, inputs, sizeof(INPUT)) == (UINT)(2 * count);
    // The program takes what is sent to it before the keys in its queue, and
    // one queued message (a key, or the character made of it) per turn of
    // its loop: waiting for it to be idle once per message lets them through.
    for (int turn = 0; sent && turn < 4 * count + 2; turn++)
        WaitIdle(window, 5000, NULL, NULL);
    return sent;
}

int SendKeyText(HWND window, const char *text)
{
    for (; *text; text++) {
        SHORT key = VkKeyScanA(*text);
        WORD keys[2] = { VK_SHIFT, LOBYTE(key) };
        if (key == -1 || !SendChord(window, keys + !(HIBYTE(key) & 1), 1 + (HIBYTE(key) & 1))) return 0;
    }
    return 1;
}

DWORD *CaptureScreen(const RECT *rect)
{
    int width = rect->right - rect->left, height = rect->bottom - rect->top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    DWORD *pixels = NULL;
    if (bitmap && width > 0 && height > 0 && BitBlt(memory, 0, 0, width, height, screen, rect->left, rect->top, SRCCOPY)) {
        GdiFlush();
        pixels = (DWORD *)malloc((size_t)width * height * 4);
        for (int i = 0; pixels && i < width * height; i++)
            pixels[i] = ((DWORD *)bits)[i] & 0xFFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}
