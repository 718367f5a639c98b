#include "black_window.h"
#include "directdraw_setup.h"
#include "../app/program.h"
#include "../report/diagnostic_results.h"

int blackWindowClassRegistered = 0;

LRESULT CALLBACK BlackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_ERASEBKGND)
        return DefWindowProcA(window, message, wParam, lParam);
    /* The window's own DC: the one in wParam may be clipped to the update region only. */
    HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &client, black);
    DeleteObject(black);
    ReleaseDC(window, dc);
    return 1;
}

HWND CreateBlackWindow(void)
{
    if (!blackWindowClassRegistered) {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof(windowClass));
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = BlackWindowProc;
        windowClass.hInstance = ProgramInstance;
        windowClass.hbrBackground = (HBRUSH)(INT_PTR)COLOR_WINDOW;
        windowClass.lpszClassName = BLACK_WINDOW_CLASS;
        if (!RegisterClassA(&windowClass))
            return NULL;
        blackWindowClassRegistered = 1;
    }
    HWND window = CreateWindowExA(0, BLACK_WINDOW_CLASS, NULL, WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, NULL, NULL, ProgramInstance, NULL);
    if (window != NULL) {
        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, desktop.right, desktop.bottom, SWP_FRAMECHANGED);
        ShowWindow(window, SW_SHOW);
        PresentBlackWindow(window);
    }
    return window;
}

/* Window systems that compose off screen (Wine among them) pass a window's
   pixels, and what a test wrote into the primary, to the display only when a
   window finishes painting; the thread sleeps meanwhile and never goes idle.
   A paint of the black window, which draws nothing itself, pushes both out
   without dispatching any message. */
void PresentBlackWindow(HWND window)
{
    if (window != NULL)
        RedrawWindow(window, NULL, NULL, RDW_INTERNALPAINT | RDW_UPDATENOW);
}

int RepaintDesktop(void)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    InvalidateRect(NULL, &desktop, TRUE);
    return 1;
}
