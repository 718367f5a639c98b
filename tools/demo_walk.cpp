/* Walks the wizard by itself for the demo: starts the program, saves a
   screenshot of every page it reaches, presses Next until Next stays
   disabled, answers the display tests' questions with Yes, then closes it.
   usage: demo_walk PROGRAM OUTPUT-FOLDER [HARDWARE-ID] */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "driver.h"

/* The whole screen as a 32-bit top-down BMP file. */
static int SaveScreenshotBmp(const char *path)
{
    RECT rect = { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    DWORD *pixels = CaptureScreen(&rect);
    FILE *file = pixels ? fopen(path, "wb") : NULL;
    if (file) {
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof(header);
        header.biWidth = rect.right;
        header.biHeight = -rect.bottom;
        header.biPlanes = 1;
        header.biBitCount = 32;
        DWORD size = rect.right * rect.bottom * 4, offset = sizeof(BITMAPFILEHEADER) + sizeof(header);
        BITMAPFILEHEADER fileHeader = { 0x4D42, offset + size, 0, 0, offset };
        fwrite(&fileHeader, sizeof(fileHeader), 1, file);
        fwrite(&header, sizeof(header), 1, file);
        fwrite(pixels, size, 1, file);
        fclose(file);
    }
    free(pixels);
    return file != NULL;
}

#define ID_NEXT     1000
#define ID_CLOSE    1002
#define ID_TEXT     1011
#define ID_HEADLINE 1017
#define MAX_PAGES   13
#define STEP_LIMIT_MS 60000
#define START_LIMIT_MS 20000
#define BLACK_WINDOW_CLASS "BlackWindowClass"  /* the display tests' full-screen window */

static HWND FindMessageBox(DWORD processId)
{
    HWND windows[16];
    int count = ProcessWindows(processId, "#32770", 1, windows, 16);
    for (int i = 0; i < count; i++)
        if (IsMessageBox(windows[i]))
            return windows[i];
    return NULL;
}

static void PageSignature(HWND window, char *buffer, int size)
{
    char headline[256], text[4096];
    GetWindowTextOf(GetDlgItem(window, ID_HEADLINE), headline, sizeof(headline));
    GetWindowTextOf(GetDlgItem(window, ID_TEXT), text, sizeof(text));
    _snprintf(buffer, size, "%s|%s", headline, text);
    buffer[size - 1] = '\0';
}

static int SaveShot(const char *folder, int page)
{
    char path[MAX_PATH];
    _snprintf(path, sizeof(path), "%s\\page-%02d.bmp", folder, page);
    path[sizeof(path) - 1] = '\0';
    return SaveScreenshotBmp(path);
}

/* Whether the screen shows more than a black test screen: the test picture
   has been drawn on it. */
static int ScreenShowsPicture(void)
{
    RECT rect = { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    DWORD *pixels = CaptureScreen(&rect);
    int lit = 0;
    for (int i = 0; pixels != NULL && i < rect.right * rect.bottom; i++)
        lit += (pixels[i] & 0xE0E0E0) != 0;
    free(pixels);
    return lit > 1000;
}

struct TestShot
{
    DWORD processId;
    char path[MAX_PATH];
    int taken;
};

/* Called while waiting for the wizard: once the black test window is up and
   the test picture is on the screen, that moment is saved. */
static void LookForTestPicture(void *context)
{
    TestShot *shot = (TestShot *)context;
    HWND black = FindProcessWindow(shot->processId, BLACK_WINDOW_CLASS);
    if (!shot->taken && black != NULL && IsWindowVisible(black) && ScreenShowsPicture())
        shot->taken = SaveScreenshotBmp(shot->path);
}

/* Waits until the page after a Next press has settled: its test finished
   (Close enabled again) and its text differs from the page before. While a
   test runs, the wizard's thread answers no message (it holds the test
   picture in a pause), so the walk first waits until the wizard is idle
   again, looking at the screen meanwhile (page-NN-test.bmp): idle means the
   click has been handled, or a question waits in its message box, which is
   answered Yes. */
static int WaitNextPage(DWORD processId, HWND window, const char *before, const char *folder, int page)
{
    char now[4352];
    TestShot shot = { processId, "", 0 };
    _snprintf(shot.path, sizeof(shot.path), "%s\\page-%02d-test.bmp", folder, page);
    shot.path[sizeof(shot.path) - 1] = '\0';
    DWORD start = GetTickCount();
    while (GetTickCount() - start < STEP_LIMIT_MS) {
        WaitIdle(window, STEP_LIMIT_MS, LookForTestPicture, &shot);
        HWND box = FindMessageBox(processId);
        if (box != NULL) {
            if (PressButton(box, IDYES) != NULL)
                PressButton(box, IDOK);
            continue;
        }
        PageSignature(window, now, sizeof(now));
        if (IsWindowEnabled(GetDlgItem(window, ID_CLOSE)) && lstrcmpA(now, before) != 0)
            return 1;
        Sleep(100);
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: demo_walk PROGRAM OUTPUT-FOLDER [HARDWARE-ID]\n");
        return 2;
    }
    const char *program = argv[1];
    const char *folder = argv[2];
    const char *hardwareId = argc > 3 ? argv[3] : "";

    char workDir[MAX_PATH];
    lstrcpynA(workDir, program, sizeof(workDir));
    char *slash = strrchr(workDir, '\\');
    if (slash != NULL)
        *slash = '\0';

    PROCESS_INFORMATION process;
    if (!StartProgram(program, hardwareId, workDir, &process)) {
        fprintf(stderr, "demo_walk: cannot start %s\n", program);
        return 1;
    }
    HWND window = NULL;
    for (DWORD start = GetTickCount(); (window == NULL || !IsWindowVisible(window)) &&
                                       GetTickCount() - start < START_LIMIT_MS; Sleep(50))
        window = FindProcessWindow(process.dwProcessId, DRIVER_MAIN_CLASS);
    if (window == NULL || !IsWindowVisible(window)) {
        fprintf(stderr, "demo_walk: the wizard did not open\n");
        EndProgram(&process);
        return 1;
    }

    char before[4352];
    int pages = 0;
    /* The first page is shown by a command the wizard posts itself: idle
       twice, and it has been handled and painted. */
    WaitIdle(window, STEP_LIMIT_MS, NULL, NULL);
    WaitIdle(window, STEP_LIMIT_MS, NULL, NULL);
    while (pages < MAX_PAGES) {
        SaveShot(folder, pages);
        pages++;
        if (!IsWindowEnabled(GetDlgItem(window, ID_NEXT)))
            break;
        PageSignature(window, before, sizeof(before));
        PressButton(window, ID_NEXT);
        if (!WaitNextPage(process.dwProcessId, window, before, folder, pages))
            break;
        WaitIdle(window, STEP_LIMIT_MS, NULL, NULL);
    }
    printf("demo_walk: %d page(s) shown\n", pages);

    PressButton(window, ID_CLOSE);
    DWORD exitCode = 1;
    WaitForSingleObject(process.hProcess, START_LIMIT_MS);
    ProgramExitCode(&process, &exitCode);
    EndProgram(&process);
    return exitCode == 0 ? 0 : 1;
}
