#include <windows.h>

#include "window_position.h"

int CentreOnScreen(HWND window)
{
    RECT windowRect, desktopRect;
    GetWindowRect(window, &windowRect);
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    int w = windowRect.right - windowRect.left;
    int h = windowRect.bottom - windowRect.top;
    int screenW = desktopRect.right - desktopRect.left;
    int screenH = desktopRect.bottom - desktopRect.top;
    return MoveWindow(window, (screenW - w) / 2, (screenH - h) / 2, w, h, FALSE);
}

/* One axis: centred over [overStart, overEnd), then pushed back inside the area. */
static LONG CentreOnAxis(LONG size, LONG overStart, LONG overEnd, LONG areaStart, LONG areaEnd)
{
    LONG position = overStart + ((overEnd - overStart) - size) / 2;
    if (position < areaStart)
        position = areaStart;
    else if (position + size > areaEnd)
        position = areaEnd - size;
    return position;
}

POINT CentredInsideArea(SIZE windowSize, const RECT *over, const RECT *workArea)
{
    POINT position;
    position.x = CentreOnAxis(windowSize.cx, over->left, over->right, workArea->left, workArea->right);
    position.y = CentreOnAxis(windowSize.cy, over->top, over->bottom, workArea->top, workArea->bottom);
    return position;
}

int CentreOverWindow(HWND window, HWND otherWindow)
{
    RECT windowRect, otherRect, workArea;
    GetWindowRect(window, &windowRect);
    GetWindowRect(otherWindow, &otherRect);
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        SetRect(&workArea, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    SIZE size = { windowRect.right - windowRect.left, windowRect.bottom - windowRect.top };
    POINT position = CentredInsideArea(size, &otherRect, &workArea);
    return SetWindowPos(window, NULL, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
