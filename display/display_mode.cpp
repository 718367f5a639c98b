#include "display_mode.h"
#include "directdraw_setup.h"

static DWORD ColourClassOfDepth(DWORD bitsPerPixel)
{
    static const struct {
        DWORD bits;
        DWORD colourClass;
    } depths[] = {
        { 8, COLOUR_CLASS_8 }, { 15, COLOUR_CLASS_555 }, { 16, COLOUR_CLASS_565 },
        { 24, COLOUR_CLASS_24 }, { 32, COLOUR_CLASS_32 },
    };
    for (size_t i = 0; i < sizeof(depths) / sizeof(depths[0]); i++)
        if (depths[i].bits == bitsPerPixel)
            return depths[i].colourClass;
    return COLOUR_CLASS_INVALID;
}

int RecordDisplayMode(void)
{
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof(mode));
    mode.dmSize = sizeof(mode);   /* without it some systems refuse the query */
    if (!EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode))
        return 0;
    DiagnosticResults.display.width = mode.dmPelsWidth;
    DiagnosticResults.display.height = mode.dmPelsHeight;
    DiagnosticResults.display.bytesPerPixel = (mode.dmBitsPerPel + 7) / 8;
    DiagnosticResults.display.colourClass = ColourClassOfDepth(mode.dmBitsPerPel);
    return 1;
}

int CheckColourDepth(void)
{
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof(mode));
    /* Without dmSize the NT family refuses the query and the depth reads as 0. */
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode);
    return mode.dmBitsPerPel >= 8;
}

int ReadDisplayMode(const DDSURFACEDESC *mode)
{
    DisplayInfo *display = &DiagnosticResults.display;
    const DDPIXELFORMAT *format = &mode->ddpfPixelFormat;
    if (!(format->dwFlags & DDPF_RGB)) {
        LastResult = RESULT_DDRAW_PIXELFORMAT_INVALID;
        return 0;
    }
    switch (format->dwRGBBitCount) {
    case 8:
        display->colourClass = COLOUR_CLASS_8;
        break;
    case 16:
        display->colourClass = format->dwRBitMask == 0x7C00 ? COLOUR_CLASS_555 : COLOUR_CLASS_565;
        break;
    case 24:
        display->colourClass = COLOUR_CLASS_24;
        break;
    case 32:
        display->colourClass = COLOUR_CLASS_32;
        break;
    default:
        display->colourClass = COLOUR_CLASS_INVALID;
        LastResult = RESULT_DDRAW_PIXELFORMAT_INVALID;
        return 0;
    }
    display->width = mode->dwWidth;
    display->height = mode->dwHeight;
    display->bytesPerPixel = (format->dwRGBBitCount + 7) / 8;
    return 1;
}
