#include "display_tests.h"
#include "black_window.h"

/* One picture pixel into the locked primary, centred on the screen. On a
   display smaller than the picture the centring offsets turn negative: the
   pixels that would fall outside the display are dropped, so no write ever
   leaves the locked surface. */
int PutScreenPixel(int x, int y, DWORD value)
{
    const DisplayInfo *display = &DiagnosticResults.display;
    int width = (int)display->width, height = (int)display->height;
    int column = x + (width - TEST_PICTURE_WIDTH) / 2;
    int row = y + (height - TEST_PICTURE_HEIGHT) / 2;
    if (DirectDrawState.surfaceMemory == NULL || column < 0 || row < 0 || column >= width || row >= height)
        return 0;

    BYTE *target = DirectDrawState.surfaceMemory + (INT_PTR)column * display->bytesPerPixel +
                   (INT_PTR)row * DirectDrawState.surfacePitch;
    DWORD red = value & 0xFF, green = (value >> 8) & 0xFF, blue = (value >> 16) & 0xFF;
    WORD word;
    switch (display->colourClass) {
    case COLOUR_CLASS_8:
        target[0] = (BYTE)value;
        break;
    case COLOUR_CLASS_555:
        word = (WORD)(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
        target[0] = (BYTE)word;
        target[1] = (BYTE)(word >> 8);
        break;
    case COLOUR_CLASS_565:
        word = (WORD)(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
        target[0] = (BYTE)word;
        target[1] = (BYTE)(word >> 8);
        break;
    case COLOUR_CLASS_24:
        target[0] = (BYTE)blue;
        target[1] = (BYTE)green;
        target[2] = (BYTE)red;
        break;
    case COLOUR_CLASS_32:
        target[0] = (BYTE)blue;
        target[1] = (BYTE)green;
        target[2] = (BYTE)red;
        target[3] = (BYTE)(value >> 24);
        break;
    default:
        return 0;
    }
    return 1;
}
