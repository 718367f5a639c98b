/* What the screen shows: the depth of the display and how well the wizard's
   picture control shows a picture of the library. */
#ifndef QUORVEX_TEST_SCREEN_CHECKS_H
#define QUORVEX_TEST_SCREEN_CHECKS_H

#include <windows.h>

#include "driver.h"
#include "picture_match.h"

#define ID_PICTURE_CONTROL 1016

inline int ScreenDepth()
{
    HDC screen = GetDC(NULL);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(NULL, screen);
    return bits;
}

/* How well the picture control on the screen shows picture id scaled to fill it. */
inline double PictureMatch(HWND window, HMODULE pictures, int id, int tolerance)
{
    RECT client;
    if (!GetClientRectOnScreen(GetControl(window, ID_PICTURE_CONTROL), &client))
        return 0.0;
    ScreenCapture capture = {};
    if (!CaptureScreenRect(&client, &capture))
        return 0.0;
    double match = ScaledMatch(capture.width, capture.height, FindDib(pictures, id), [&](int x, int y) {
        return CapturePixel(&capture, client.left + x, client.top + y);
    }, tolerance);
    FreeScreenCapture(&capture);
    return match;
}

#endif
