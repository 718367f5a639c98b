#include "display_tests.h"
#include "../app/platform.h"

#define PROBE_SIZE 80
#define OVERLAY_STRETCH_ONE    1000
#define OVERLAY_STRETCH_NEEDED 1500

static int Fail(ResultCode code)
{
    LastResult = code;
    return 0;
}

static int IsNtFamily(void)
{
    return PlatformClass == PLATFORM_NT4 || PlatformClass == PLATFORM_NT5 || PlatformClass == PLATFORM_NT6;
}

int CheckOverlayCaps(void)
{
    if (DirectDrawState.directDraw2 == NULL)
        return 0;
    DDCAPS caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.dwSize = sizeof(caps);
    if (FAILED(DirectDrawState.directDraw2->GetCaps(&caps, NULL)))
        return Fail(RESULT_DDRAW_CALL_FAILED);
    if (!(caps.dwCaps & DDCAPS_OVERLAY))
        return Fail(RESULT_DDRAW_NO_OVERLAY);
    /* Before the NT family the board's video reaches the screen as YUV only. */
    if (!IsNtFamily() && !(caps.dwCaps & DDCAPS_OVERLAYFOURCC))
        return Fail(RESULT_DDRAW_NO_YUV_OVERLAY);

    if (caps.dwCaps & DDCAPS_OVERLAYSTRETCH) {
        if (caps.dwMinOverlayStretch > OVERLAY_STRETCH_ONE)
            return Fail(RESULT_DDRAW_STRETCH_REQUIRED);
        if (caps.dwMaxOverlayStretch != 0 && caps.dwMaxOverlayStretch < OVERLAY_STRETCH_NEEDED)
            return Fail(RESULT_DDRAW_NO_OVERLAYSTRETCH);
    } else if ((caps.dwFXCaps & (DDFXCAPS_OVERLAYSTRETCHX | DDFXCAPS_OVERLAYSTRETCHY)) !=
               (DDFXCAPS_OVERLAYSTRETCHX | DDFXCAPS_OVERLAYSTRETCHY)) {
        return Fail(RESULT_DDRAW_NO_OVERLAYSTRETCH);
    }

    if (!(caps.dwCaps & DDCAPS_COLORKEY) || !(caps.dwCKeyCaps & DDCKEYCAPS_DESTOVERLAY))
        return Fail(RESULT_DDRAW_NO_OVERLAY_COLORKEY);
    return 1;
}

/* The pixel format each overlay code asks for. */
static const struct {
    OverlayFormat format;
    DWORD flags;
    DWORD fourCC;
    DWORD bitCount;   /* RGB bits, or YUV bits for the FOURCC formats */
    DWORD redMask, greenMask, blueMask;
} overlayFormats[] = {
    { OVERLAY_FORMAT_RGB555, DDPF_RGB, 0, 16, 0x7C00, 0x03E0, 0x001F },
    { OVERLAY_FORMAT_RGB565, DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F },
    { OVERLAY_FORMAT_RGB24, DDPF_RGB, 0, 24, 0xFF0000, 0x00FF00, 0x0000FF },
    { OVERLAY_FORMAT_RGB32, DDPF_RGB, 0, 32, 0xFF0000, 0x00FF00, 0x0000FF },
    { OVERLAY_FORMAT_YUY2, DDPF_FOURCC, MAKEFOURCC('Y', 'U', 'Y', '2'), 16, 0, 0, 0 },
    { OVERLAY_FORMAT_UYVY, DDPF_FOURCC, MAKEFOURCC('U', 'Y', 'V', 'Y'), 16, 0, 0, 0 },
};

/* The pixel format an overlay of that code asks for; 0 for codes without a surface. */
static int DescribeOverlayFormat(OverlayFormat format, DDPIXELFORMAT *pixelFormat)
{
    for (size_t i = 0; i < sizeof(overlayFormats) / sizeof(overlayFormats[0]); i++) {
        if (overlayFormats[i].format != format)
            continue;
        pixelFormat->dwSize = sizeof(*pixelFormat);
        pixelFormat->dwFlags = overlayFormats[i].flags;
        pixelFormat->dwFourCC = overlayFormats[i].fourCC;
        pixelFormat->dwRGBBitCount = overlayFormats[i].bitCount;
        pixelFormat->dwRBitMask = overlayFormats[i].redMask;
        pixelFormat->dwGBitMask = overlayFormats[i].greenMask;
        pixelFormat->dwBBitMask = overlayFormats[i].blueMask;
        return 1;
    }
    return 0;
}

int CreateOverlaySurface(OverlayFormat format, DWORD width, DWORD height)
{
    if (DirectDrawState.directDraw2 == NULL)
        return 0;
    if (DirectDrawState.overlaySurface != NULL)
        DestroyOverlaySurface();

    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
    description.dwWidth = width;
    description.dwHeight = height;
    if (!DescribeOverlayFormat(format, &description.ddpfPixelFormat))
        return 0;
    HRESULT result = DirectDrawState.directDraw2->CreateSurface(&description, &DirectDrawState.overlaySurface, NULL);
    return SUCCEEDED(result) && DirectDrawState.overlaySurface != NULL;
}

int DestroyOverlaySurface(void)
{
    if (DirectDrawState.overlaySurface != NULL) {
        DirectDrawState.overlaySurface->UpdateOverlay(NULL, DirectDrawState.primarySurface, NULL, DDOVER_HIDE, NULL);
        DirectDrawState.overlaySurface->Release();
        DirectDrawState.overlaySurface = NULL;
    }
    return 1;
}

static const OverlayFormat ntCandidates[] = { OVERLAY_FORMAT_YUY2, OVERLAY_FORMAT_RGB555, OVERLAY_FORMAT_RGB24,
                                              OVERLAY_FORMAT_RGB32 };
static const OverlayFormat win98Candidates[] = { OVERLAY_FORMAT_YUY2 };
static const OverlayFormat rgbProbes[] = { OVERLAY_FORMAT_RGB555, OVERLAY_FORMAT_RGB565, OVERLAY_FORMAT_RGB24,
                                           OVERLAY_FORMAT_RGB32 };

int SelectOverlayFormat(void)
{
    DiagnosticResults.overlayFormat = OVERLAY_FORMAT_NONE;
    if (!CheckOverlayCaps())
        return 0;
    DWORD width = DiagnosticResults.display.width < TEST_PICTURE_WIDTH ? DiagnosticResults.display.width
                                                                         : TEST_PICTURE_WIDTH;
    DWORD height = DiagnosticResults.display.height < TEST_PICTURE_HEIGHT ? DiagnosticResults.display.height
                                                                            : TEST_PICTURE_HEIGHT;

    const OverlayFormat *candidates = IsNtFamily() ? ntCandidates : win98Candidates;
    size_t count = IsNtFamily() ? sizeof(ntCandidates) / sizeof(ntCandidates[0])
                                : sizeof(win98Candidates) / sizeof(win98Candidates[0]);
    for (size_t i = 0; i < count; i++) {
        if (!CreateOverlaySurface(candidates[i], PROBE_SIZE, PROBE_SIZE))
            continue;
        /* The format works; not fitting at display size means video memory is short. */
        if (!CreateOverlaySurface(candidates[i], width, height))
            return Fail(RESULT_DDRAW_OVERLAY_OUT_OF_MEMORY);
        DiagnosticResults.overlayFormat = candidates[i];
        return 1;
    }

    /* Tell an RGB-only overlay apart from none at all. */
    for (size_t i = 0; i < sizeof(rgbProbes) / sizeof(rgbProbes[0]); i++) {
        if (CreateOverlaySurface(rgbProbes[i], PROBE_SIZE, PROBE_SIZE))
            return Fail(RESULT_DDRAW_NO_YUV_OVERLAY);
    }
    return Fail(RESULT_DDRAW_OVERLAY_RESOLUTION);
}
