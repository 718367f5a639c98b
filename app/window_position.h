/* Placing windows on the screen. */
#ifndef QUORVEX_WINDOW_POSITION_H
#define QUORVEX_WINDOW_POSITION_H

#include <windows.h>

int CentreOnScreen(HWND window);
int CentreOverWindow(HWND window, HWND otherWindow);
/* Position of a window of the given size centred over another rectangle and kept inside the work area. */
POINT CentredInsideArea(SIZE windowSize, const RECT *over, const RECT *workArea);

#endif
