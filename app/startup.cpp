#include <windows.h>
#include <objbase.h>

#include "program.h"
#include "bitmap_library.h"
#include "bounded_text.h"
#include "keyboard_hook.h"
#include "language.h"
#include "main_window.h"
#include "platform.h"
#include "product_profile.h"
#include "resource_ids.h"

static void ShowHardwareIdNotSupported(const char *commandTail)
{
    /* wsprintfA makes at most 1,023 characters: a longer command line is cut
       there, as the message has always been. */
    char message[1024];
    FormatText(message, sizeof(message), "Hardware ID \xB4%s\xB4 not supported\nAssuming Mirel",
               commandTail);
    MessageBoxA(NULL, message, "Tavolink Systems Quorvex", MB_ICONERROR);
}

int RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;   /* the window is a dialog made from a template */
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0;
}

static int RunMessageLoop(void)
{
    MSG message;
    ZeroMemory(&message, sizeof(message));
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (IsDialogMessageA(MainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}

int RunProgram(HINSTANCE instance, const char *commandTail)
{
    const char *tail = commandTail ? commandTail : "";

    PlatformClass = ClassifyPlatform();
    if (!IsSupportedPlatform(PlatformClass)) {
        MessageBoxA(NULL, "Unsupported Operation System \n\n(Only Win98,WinME,Win2000,WinXP)",
                    "Cinora Orsa Duo Quorvex", MB_OK);
        return 0;
    }

    if (!SelectProductProfile(tail) && tail[0] != '\0')
        ShowHardwareIdNotSupported(tail);

    if (!LoadLanguageLibrary())
        return 2;

    if (LoadBitmapLibrary() == NULL) {
        MessageBoxA(NULL, "Bitmap DLL not found", "Tavolink Systems Quorvex", MB_ICONERROR);
        return 3;
    }

    HWND running = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    if (running != NULL) {
        if (IsIconic(running))
            ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        FreeBitmapLibrary();
        return 0;
    }

    if (!RegisterMainWindowClass(instance)) {
        FreeBitmapLibrary();
        return 0;
    }

    ProgramInstance = instance;
    MainWindow = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
    if (MainWindow == NULL) {
        FreeBitmapLibrary();
        return 0;
    }

    InitMainWindow(MainWindow, instance, tail, SW_SHOW);
    ShowWindow(MainWindow, SW_SHOW);

    int exitCode = RunMessageLoop();
    ShutDown();
    FreeBitmapLibrary();
    return exitCode;
}

int ShutDown(void)
{
    RemoveStartupEntry();
    CoUninitialize();
    RemoveKeyboardHook();
    return 1;
}
