/* Walks the wizard by itself for the demo: starts the program, saves a
   screenshot of every page it reaches, presses Next until Next stays
   disabled, answers the display tests' questions with Yes, then closes it.
   usage: demo_walk PROGRAM OUTPUT-FOLDER [HARDWARE-ID] */
#include <windows.h>
#include <stdio.h>

#include "driver.h"

#define ID_NEXT     1000
#define ID_CLOSE    1002
#define ID_TEXT     1011
#define ID_HEADLINE 1017
#define MAX_PAGES   13
#define STEP_LIMIT_MS 60000

static void PageSignature(HWND window, char *buffer, int size)
{
    char headline[256], text[4096];
    GetControlText(window, ID_HEADLINE, headline, sizeof(headline));
    GetControlText(window, ID_TEXT, text, sizeof(text));
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

/* Waits until the page after a Next press has settled: its test finished
   (Close enabled again) and its text differs from the page before. Message
   boxes on the way (the display tests' questions) are answered Yes. A test
   still running after 2.5 s is showing its picture on the screen: that
   moment is saved too, as page-NN-test.bmp. */
static int WaitNextPage(DWORD processId, HWND window, const char *before, const char *folder, int page)
{
    char now[4352];
    DWORD start = GetTickCount();
    int shotDuringTest = 0;
    while (GetTickCount() - start < STEP_LIMIT_MS) {
        if (!shotDuringTest && GetTickCount() - start >= 2500 && !IsControlEnabled(window, ID_CLOSE) &&
            FindMessageBox(processId) == NULL) {
            char path[MAX_PATH];
            _snprintf(path, sizeof(path), "%s\\page-%02d-test.bmp", folder, page);
            path[sizeof(path) - 1] = '\0';
            SaveScreenshotBmp(path);
            shotDuringTest = 1;
        }
        HWND box = FindMessageBox(processId);
        if (box != NULL) {
            MessageBoxInfo info;
            if (ReadMessageBox(box, &info))
                AnswerMessageBox(box, MessageBoxHasButton(&info, IDYES) ? IDYES : IDOK);
        }
        PageSignature(window, now, sizeof(now));
        if (IsControlEnabled(window, ID_CLOSE) && lstrcmpA(now, before) != 0)
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

    DriverProcess process = {};
    if (!StartProgram(program, hardwareId, workDir, &process)) {
        fprintf(stderr, "demo_walk: cannot start %s\n", program);
        return 1;
    }
    HWND window = WaitMainWindow(ProgramId(&process), DRIVER_LONG_WAIT_MS);
    if (window == NULL) {
        fprintf(stderr, "demo_walk: the wizard did not open\n");
        EndProgram(&process);
        return 1;
    }

    char before[4352];
    int pages = 0;
    Sleep(500);
    while (pages < MAX_PAGES) {
        SaveShot(folder, pages);
        pages++;
        if (!IsControlEnabled(window, ID_NEXT))
            break;
        PageSignature(window, before, sizeof(before));
        PressButton(window, ID_NEXT);
        if (!WaitNextPage(ProgramId(&process), window, before, folder, pages))
            break;
        Sleep(300);
    }
    printf("demo_walk: %d page(s) shown\n", pages);

    PressButton(window, ID_CLOSE);
    DWORD exitCode = 1;
    WaitProgramExit(&process, DRIVER_LONG_WAIT_MS, &exitCode);
    EndProgram(&process);
    return exitCode == 0 ? 0 : 1;
}
