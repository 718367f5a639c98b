// Small Windows program that driver_selftest works with in place of the
// product. What it does depends on its command line:
//
//   msgbox STYLE [owned]  shows a message box with style STYLE (hex or
//                         decimal MB_* flags) and the fixed title and text
//                         below, optionally owned by a window of its own;
//                         exits with the button pressed (IDOK, IDYES, ...).
//   window WORD           opens a window with buttons, an edit box and two
//                         labels; a thread keyboard hook records key releases
//                         and shows "seen" once the released keys spell WORD.
//                         Quit exits with 3 if the word was seen, else 2;
//                         closing the window exits with 0.
//   close TITLE           posts WM_CLOSE to the top-level window TITLE and
//                         exits with 0 (1 if there is no such window).
#ifndef STRSAFE_NO_DEPRECATE
#define STRSAFE_NO_DEPRECATE
#endif
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <strsafe.h>

#include "driver_target_ids.h"

static HWND g_main;
static HHOOK g_hook;
static char g_word[64];
static char g_released[64];  // the last released letters, oldest first
static int g_pressCount;
static int g_releaseCount;
static int g_wordSeen;
static int g_pressedCount;
static HWND g_savedFocus;

static void UpdateKeyLabel(void)
{
    char text[128];
    StringCchPrintfA(text, sizeof(text), "down=%d up=%d", g_pressCount, g_releaseCount);
    SetDlgItemTextA(g_main, TARGET_ID_KEYS, text);
}

static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
    {
        if (lParam & 0x80000000)
        {
            g_releaseCount++;
            // Only letters and digits count toward the word.
            if ((wParam >= 'A' && wParam <= 'Z') || (wParam >= '0' && wParam <= '9'))
            {
                size_t length = strlen(g_released);
                if (length + 1 >= sizeof(g_released))
                {
                    memmove(g_released, g_released + 1, length);
                    length--;
                }
                g_released[length] = (char)wParam;
                g_released[length + 1] = '\0';
                length++;
                size_t wordLength = strlen(g_word);
                if (wordLength && length >= wordLength &&
                    strcmp(g_released + length - wordLength, g_word) == 0)
                {
                    g_wordSeen = 1;
                    SetDlgItemTextA(g_main, TARGET_ID_STATUS, "seen");
                }
            }
        }
        else
        {
            g_pressCount++;
        }
        UpdateKeyLabel();
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == TARGET_ID_PRESS && HIWORD(wParam) == BN_CLICKED)
        {
            char text[64];
            g_pressedCount++;
            StringCchPrintfA(text, sizeof(text), "pressed %d", g_pressedCount);
            SetDlgItemTextA(window, TARGET_ID_STATUS, text);
            return 0;
        }
        if (LOWORD(wParam) == TARGET_ID_DISABLED)
        {
            // Must never happen: the button is disabled.
            SetDlgItemTextA(window, TARGET_ID_STATUS, "disabled pressed");
            return 0;
        }
        if (LOWORD(wParam) == TARGET_ID_QUIT)
        {
            DestroyWindow(window);
            PostQuitMessage(g_wordSeen ? 3 : 2);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // Like a dialog: keep the focused control across deactivation (the
        // default would put the focus on the window itself).
        if (LOWORD(wParam) == WA_INACTIVE)
        {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus))
                g_savedFocus = focus;
        }
        else if (g_savedFocus && IsWindow(g_savedFocus))
        {
            SetFocus(g_savedFocus);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
    {
        // A solid colour that the screen capture test looks for.
        RECT rect;
        HBRUSH brush = CreateSolidBrush(TARGET_BACKGROUND);
        GetClientRect(window, &rect);
        FillRect((HDC)wParam, &rect, brush);
        DeleteObject(brush);
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RunWindow(const char *word)
{
    WNDCLASSA wc;
    HINSTANCE instance = GetModuleHandleA(NULL);
    MSG msg;

    StringCchCopyA(g_word, sizeof(g_word), word ? word : "");
    CharUpperA(g_word);

    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = TARGET_WINDOW_CLASS;
    if (!RegisterClassA(&wc))
        return 90;
    g_main = CreateWindowExA(0, TARGET_WINDOW_CLASS, TARGET_WINDOW_TITLE, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                             WS_MINIMIZEBOX | WS_CLIPCHILDREN, 100, 100, 420, 260, NULL, NULL, instance, NULL);
    if (!g_main)
        return 91;
    CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 90, 26, g_main,
                    (HMENU)TARGET_ID_PRESS, instance, NULL);
    HWND disabled = CreateWindowExA(0, "BUTTON", "Disabled", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 110,
                                    10, 90, 26, g_main, (HMENU)TARGET_ID_DISABLED, instance, NULL);
    EnableWindow(disabled, FALSE);
    CreateWindowExA(0, "BUTTON", "Quit", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 210, 10, 90, 26, g_main,
                    (HMENU)TARGET_ID_QUIT, instance, NULL);
    CreateWindowExA(0, "BUTTON", "Hidden", WS_CHILD | BS_PUSHBUTTON, 310, 10, 90, 26, g_main,
                    (HMENU)TARGET_ID_HIDDEN, instance, NULL);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10,
                                50, 290, 24, g_main, (HMENU)TARGET_ID_EDIT, instance, NULL);
    CreateWindowExA(0, "STATIC", "idle", WS_CHILD | WS_VISIBLE, 10, 90, 290, 20, g_main, (HMENU)TARGET_ID_STATUS,
                    instance, NULL);
    CreateWindowExA(0, "STATIC", "down=0 up=0", WS_CHILD | WS_VISIBLE, 10, 115, 290, 20, g_main,
                    (HMENU)TARGET_ID_KEYS, instance, NULL);

    g_hook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHook, NULL, GetCurrentThreadId());
    if (!g_hook)
        return 92;

    ShowWindow(g_main, SW_SHOWNORMAL);
    UpdateWindow(g_main);
    SetForegroundWindow(g_main);
    SetFocus(edit);
    g_savedFocus = edit;

    while (GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnhookWindowsHookEx(g_hook);
    return (int)msg.wParam;
}

static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RunMessageBox(const char *styleText, int owned)
{
    UINT style = (UINT)strtoul(styleText ? styleText : "0", NULL, 0);
    HWND owner = NULL;
    if (owned)
    {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = TARGET_OWNER_CLASS;
        if (!RegisterClassA(&wc))
            return 90;
        owner = CreateWindowExA(0, TARGET_OWNER_CLASS, "Driver target owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                40, 300, 200, NULL, NULL, wc.hInstance, NULL);
        if (!owner)
            return 91;
    }
    return MessageBoxA(owner, TARGET_BOX_TEXT, TARGET_BOX_TITLE, style);
}

static int RunClose(const char *title)
{
    HWND window = FindWindowA(NULL, title);
    if (!window)
        return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

// Splits off the next word of *cursor (blank-separated); NULL at the end.
static char *NextWord(char **cursor)
{
    char *p = *cursor;
    char *word;
    while (*p == ' ' || *p == '\t')
        p++;
    if (!*p)
        return NULL;
    word = p;
    while (*p && *p != ' ' && *p != '\t')
        p++;
    if (*p)
        *p++ = '\0';
    *cursor = p;
    return word;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char args[1024];
    char *cursor = args;
    char *mode, *first, *second;
    (void)instance;
    (void)previous;
    (void)show;

    StringCchCopyA(args, sizeof(args), commandLine ? commandLine : "");
    mode = NextWord(&cursor);
    if (!mode)
        return 99;
    if (strcmp(mode, "close") == 0)
    {
        // The title is everything after the mode and may hold blanks.
        while (*cursor == ' ')
            cursor++;
        return RunClose(cursor);
    }
    first = NextWord(&cursor);
    second = NextWord(&cursor);
    if (strcmp(mode, "msgbox") == 0)
        return RunMessageBox(first, second && strcmp(second, "owned") == 0);
    if (strcmp(mode, "window") == 0)
        return RunWindow(first);
    return 99;
}
