#include "display_tests.h"
#include "../app/bitmap_library.h"
#include "../app/language.h"
#include "../app/page_bitmap.h"
#include "../app/program.h"
#include "resource_ids.h"
#include "text_ids.h"
#include "../checks/test_outcome.h"

#define PICTURE_HOLD_MS       4000

/* The test picture selected into a memory DC, with what the palette path needs. */
struct TestPictureSource {
    HDC memoryDc;
    HBITMAP picture;
    HGDIOBJ previousBitmap;
    HDC windowDc;
    HPALETTE picturePalette;
    HPALETTE systemPalette;
};

static int OpenTestPicture(TestPictureSource *source, int palettised)
{
    ZeroMemory(source, sizeof(*source));
    if (palettised) {
        source->picture = LoadDibWithPalette(BitmapLibrary, IDB_TEST_PICTURE, &source->picturePalette);
        if (source->picture == NULL)
            return 0;
        source->windowDc = GetDC(MainWindow);
        source->memoryDc = CreateCompatibleDC(source->windowDc);
        source->previousBitmap = SelectObject(source->memoryDc, source->picture);
        if (source->picturePalette != NULL) {
            SelectPalette(source->memoryDc, source->picturePalette, FALSE);
            RealizePalette(source->memoryDc);
        }
        source->systemPalette = CreateSystemPalette(source->memoryDc);
        return 1;
    }
    source->picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(IDB_TEST_PICTURE), IMAGE_BITMAP,
                                          TEST_PICTURE_WIDTH, TEST_PICTURE_HEIGHT, LR_CREATEDIBSECTION);
    if (source->picture == NULL)
        return 0;
    source->memoryDc = CreateCompatibleDC(NULL);
    source->previousBitmap = SelectObject(source->memoryDc, source->picture);
    return 1;
}

static void CloseTestPicture(TestPictureSource *source)
{
    if (source->memoryDc != NULL) {
        SelectObject(source->memoryDc, source->previousBitmap);
        DeleteDC(source->memoryDc);
    }
    if (source->picture != NULL)
        DeleteObject(source->picture);
    if (source->windowDc != NULL)
        ReleaseDC(MainWindow, source->windowDc);
    if (source->picturePalette != NULL)
        DeleteObject(source->picturePalette);
    if (source->systemPalette != NULL)
        DeleteObject(source->systemPalette);
}

int DrawTestPicture(void)
{
    if (DirectDrawState.primarySurface == NULL)
        return 0;
    int palettised = DiagnosticResults.display.colourClass == COLOUR_CLASS_8;
    TestPictureSource source;
    if (!OpenTestPicture(&source, palettised)) {
        /* A library without the test card cannot show anything: counted as a
           failed DirectDraw step rather than left to an earlier test's code. */
        CloseTestPicture(&source);
        LastResult = RESULT_DDRAW_CALL_FAILED;
        return 0;
    }

    int result = 0;
    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    if (FAILED(DirectDrawState.primarySurface->Lock(NULL, &description, DDLOCK_WAIT, NULL))) {
        LastResult = RESULT_DDRAW_CALL_FAILED;
    } else {
        DirectDrawState.surfacePitch = description.lPitch;
        DirectDrawState.surfaceMemory = (BYTE *)description.lpSurface;
        for (int y = 0; y < TEST_PICTURE_HEIGHT; y++) {
            for (int x = 0; x < TEST_PICTURE_WIDTH; x++) {
                COLORREF colour = GetPixel(source.memoryDc, x, y);
                if (palettised)
                    colour = GetNearestPaletteIndex(source.systemPalette, colour);
                PutScreenPixel(x, y, colour);
            }
        }
        if (FAILED(DirectDrawState.primarySurface->Unlock(NULL)))
            LastResult = RESULT_DDRAW_CALL_FAILED;
        else
            result = 1;
    }
    CloseTestPicture(&source);
    return result;
}

/* Takes the black window away, or has every window repaint over the picture when there was none. */
static void UncoverDesktop(HWND blackWindow)
{
    if (blackWindow != NULL)
        DestroyWindow(blackWindow);
    else
        RepaintDesktop();
}

static const ResultTextRow primaryTexts[] = {
    { RESULT_OK, TEXT_PRIMARY_OK, 1013 },
    { RESULT_TESTPICTURE_NOT_VISIBLE, TEXT_PRIMARY_NOT_VISIBLE, 1014 },
    { RESULT_DDRAW_CREATE_FAILED, TEXT_PRIMARY_CREATE_FAILED, 1015 },
    { RESULT_DDRAW_INTERFACE_FAILED, TEXT_PRIMARY_INTERFACE_FAILED, 1016 },
    { RESULT_DDRAW_NOHARDWARE, TEXT_PRIMARY_NO_HARDWARE, 1017 },
    { RESULT_DDRAW_BANKSWITCHED, TEXT_PRIMARY_BANKSWITCHED, 1018 },
    { RESULT_DDRAW_PIXELFORMAT_INVALID, TEXT_PRIMARY_PIXEL_FORMAT, 1019 },
    { RESULT_DDRAW_CALL_FAILED, TEXT_PRIMARY_CALL_FAILED, 1020 },
    { RESULT_ANY_OTHER, TEXT_UNEXPECTED_ERROR, 0 },
};

int DirectDrawPrimaryTest(void)
{
    if (SetUpDirectDraw()) {
        HWND blackWindow = CreateBlackWindow();
        if (!DrawTestPicture()) {
            UncoverDesktop(blackWindow);
        } else {
            PresentBlackWindow(blackWindow);
            Sleep(PICTURE_HOLD_MS);
            UncoverDesktop(blackWindow);
            int answer = MessageBoxA(MainWindow, LoadText(TEXT_QUESTION_PICTURE_SEEN), PROGRAM_TITLE, MB_YESNO);
            LastResult = answer == IDYES ? RESULT_OK : RESULT_TESTPICTURE_NOT_VISIBLE;
            SetFocus(GetDlgItem(MainWindow, IDC_NEXT));
        }
    }

    SetResultTextFor(primaryTexts);
    int passed = StoreTestOutcome(&DiagnosticResults.directDrawPrimary);
    ReleaseDirectDraw();
    return passed;
}
