/* The least any Win32 wizard must do to start: create a dialog from a
   template, show it, let it paint, and end. The start-up benchmark measures
   this program as the floor the wizard's start-up is held against.
   Exit code 0 only when the dialog was really shown. */
#include <windows.h>

#define IDD_BARE_DIALOG 100

static INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)dialog;
    (void)wParam;
    (void)lParam;
    return message == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandTail, int showCommand)
{
    (void)previousInstance;
    (void)commandTail;
    (void)showCommand;
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_BARE_DIALOG), NULL, BareDialogProc, 0);
    if (dialog == NULL)
        return 1;
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    int shown = IsWindowVisible(dialog);
    DestroyWindow(dialog);
    return shown ? 0 : 2;
}
