/* The dialog's frame: opening over a hidden wizard, OK and Cancel.
   Dropping files and writing the merge file come with the generator. */
#include <windows.h>

#include "generator_dialog.h"
#include "../app/program.h"
#include "../app/window_position.h"
#include "../resources/resource_ids.h"

int OpenGeneratorDialog(void)
{
    ShowWindow(MainWindow, SW_HIDE);
    DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_GENERATOR), MainWindow, GeneratorDialogProc, 0);
    ShowWindow(MainWindow, SW_SHOW);
    return 1;
}

INT_PTR CALLBACK GeneratorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        CentreOnScreen(dialog);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 1);
        break;
    }
    return 0;
}
