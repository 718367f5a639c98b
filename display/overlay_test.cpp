#include "display_tests.h"
#include "double_precision.h"
#include "../app/bitmap_library.h"
#include "../app/language.h"
#include "../app/program.h"
#include "resource_ids.h"
#include "text_ids.h"
#include "../checks/test_outcome.h"

#define OVERLAY_HOLD_MS       2000

static int Fail(ResultCode code)
{
    LastResult = code;
    return 0;
}

int LoadOverlayPicture(IDirectDrawSurface *surface, DWORD bitmapId)
{
    if (surface == NULL)
        return 0;
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    if (FAILED(surface->GetSurfaceDesc(&description)))
        return 0;
    HBITMAP picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP,
                                          (int)description.dwWidth, (int)description.dwHeight,
                                          LR_CREATEDIBSECTION);
    if (picture == NULL)
        return 0;
    if (description.ddpfPixelFormat.dwFlags == DDPF_FOURCC) {
        int filled = FillYuvOverlay(surface, picture);
        DeleteObject(picture);
        return filled;
    }

    /* RGB overlays take the picture through GDI, which converts to the surface's format. */
    int result = 0;
    HDC memoryDc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memoryDc, picture);
    HDC surfaceDc = NULL;
    if (SUCCEEDED(surface->GetDC(&surfaceDc)) && surfaceDc != NULL)
        result = BitBlt(surfaceDc, 0, 0, (int)description.dwWidth, (int)description.dwHeight, memoryDc, 0, 0,
                        SRCCOPY) != 0;
    if (surfaceDc != NULL)
        surface->ReleaseDC(surfaceDc);
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    DeleteObject(picture);
    return result;
}

/* From 176 pixels wide to the screen's width in steps of 4, the height
   following the screen's aspect ratio. */
static int ZoomOverlayOpen(void)
{
    int screenWidth = (int)DiagnosticResults.display.width;
    int screenHeight = (int)DiagnosticResults.display.height;
    double ratio = screenWidth == 0 ? 1.0 : (double)screenHeight / (double)screenWidth;
    if (screenWidth < ZOOM_START_WIDTH)
        return 1;

    for (int w = ZOOM_START_WIDTH; w <= screenWidth; w += ZOOM_STEP_WIDTH) {
        int h = (int)(w * ratio + 0.5) & ~1;
        int sw = w < TEST_PICTURE_WIDTH ? w : TEST_PICTURE_WIDTH;
        int sh = h < TEST_PICTURE_HEIGHT ? h : TEST_PICTURE_HEIGHT;
        RECT source, destination;
        source.left = (TEST_PICTURE_WIDTH - sw) / 2;
        source.top = (TEST_PICTURE_HEIGHT - sh) / 2;
        source.right = source.left + sw;
        source.bottom = source.top + sh;
        destination.left = (screenWidth - w) / 2;
        destination.top = (screenHeight - h) / 2;
        destination.right = destination.left + w;
        destination.bottom = destination.top + h;
        if (FAILED(DirectDrawState.overlaySurface->UpdateOverlay(&source, DirectDrawState.primarySurface,
                                                                  &destination, DDOVER_SHOW, NULL)))
            return Fail(RESULT_DDRAW_OVERLAY_DISPLAY);
        Sleep(ZOOM_STEP_MS);
    }
    return 1;
}

int ShowOverlayZoom(void)
{
    if (!CreateOverlaySurface(DiagnosticResults.overlayFormat, TEST_PICTURE_WIDTH, TEST_PICTURE_HEIGHT))
        return Fail(RESULT_DDRAW_OVERLAY_DISPLAY);
    if (DirectDrawState.primarySurface == NULL || DirectDrawState.overlaySurface == NULL)
        return Fail(RESULT_DDRAW_OVERLAY_DISPLAY);
    if (!LoadOverlayPicture(DirectDrawState.overlaySurface, IDB_OVERLAY_PICTURE))
        return Fail(RESULT_DDRAW_OVERLAY_DISPLAY);

    unsigned short controlWord = UseDoublePrecision();
    int zoomed = ZoomOverlayOpen();
    RestorePrecision(controlWord);
    return zoomed;
}


static const ResultTextRow overlayTexts[] = {
    { RESULT_OK, TEXT_OVERLAY_OK, 1022 },
    { RESULT_DDRAW_CALL_FAILED, TEXT_OVERLAY_CALL_FAILED, 1024 },
    { RESULT_DDRAW_NO_OVERLAY, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_NO_YUV_OVERLAY, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_NO_OVERLAYSTRETCH, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_STRETCH_REQUIRED, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_NO_OVERLAY_COLORKEY, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_OVERLAY_OUT_OF_MEMORY, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_OVERLAY_RESOLUTION, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_OVERLAY_NOT_VISIBLE, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_DDRAW_OVERLAY_DISPLAY, TEXT_OVERLAY_FAILED, 1023 },
    { RESULT_ANY_OTHER, TEXT_UNEXPECTED_ERROR, 0 },
};

int DirectDrawOverlayTest(void)
{
    /* A failed set-up is not final here: the overlay steps find the objects missing
       and the set-up's own code is what gets recorded. */
    SetUpDirectDraw();
    if (SelectOverlayFormat()) {
        HWND blackWindow = CreateBlackWindow();
        if (!ShowOverlayZoom()) {
            if (blackWindow != NULL)
                DestroyWindow(blackWindow);
        } else {
            Sleep(OVERLAY_HOLD_MS);
            if (blackWindow != NULL)
                DestroyWindow(blackWindow);
            ReleaseDirectDraw();
            int answer = MessageBoxA(MainWindow, LoadText(TEXT_QUESTION_OVERLAY_SEEN), PROGRAM_TITLE, MB_YESNO);
            LastResult = answer == IDYES ? RESULT_OK : RESULT_OVERLAY_NOT_VISIBLE;
            SetFocus(GetDlgItem(MainWindow, IDC_NEXT));
        }
    }

    SetResultTextFor(overlayTexts);
    int passed = StoreTestOutcome(&DiagnosticResults.directDrawOverlay);
    ReleaseDirectDraw();
    return passed;
}
