/* The wizard's one window: set-up, messages, About box and start-up entry. */
#ifndef QUORVEX_MAIN_WINDOW_H
#define QUORVEX_MAIN_WINDOW_H

#include <windows.h>

#include "../display/display_mode.h"

#define TOPMOST_TIMER_ID      1
#define TOPMOST_MILLISECONDS  5000
#define WEB_SERVER_CLASS      "Tavolink Systems Tunex WebServer Class"
#define STARTUP_RUN_KEY       "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
#define STARTUP_VALUE_NAME    "Tavolink Quorvex"

extern HCURSOR busyCursor;

int InitMainWindow(HWND window, HINSTANCE instance, const char *commandTail, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int RemoveStartupEntry(void);
int CloseWebServerWindow(void);

#endif
