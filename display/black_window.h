/* The black full-screen background of the display tests and the display-mode rules. */
#ifndef QUORVEX_BLACK_WINDOW_H
#define QUORVEX_BLACK_WINDOW_H

#include <windows.h>
#include <ddraw.h>

#define BLACK_WINDOW_CLASS "BlackWindowClass"

#define COLOUR_CLASS_INVALID 0
#define COLOUR_CLASS_8       1
#define COLOUR_CLASS_555     2
#define COLOUR_CLASS_565     3
#define COLOUR_CLASS_24      4
#define COLOUR_CLASS_32      5

extern int blackWindowClassRegistered;

HWND CreateBlackWindow(void);
LRESULT CALLBACK BlackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int RepaintDesktop(void);
void PresentBlackWindow(HWND window);
int CheckColourDepth(void);
int ReadDisplayMode(const DDSURFACEDESC *mode);

#endif
