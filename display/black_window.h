/* The black full-screen background of the display tests and the display-mode rules. */
#ifndef QUORVEX_BLACK_WINDOW_H
#define QUORVEX_BLACK_WINDOW_H

#include <windows.h>
#include <ddraw.h>

#include "display_mode.h"

#define BLACK_WINDOW_CLASS "BlackWindowClass"

extern int blackWindowClassRegistered;

HWND CreateBlackWindow(void);
LRESULT CALLBACK BlackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int RepaintDesktop(void);
void PresentBlackWindow(HWND window);

#endif
