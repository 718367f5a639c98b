#include <windows.h>
#include <shellapi.h>

#include "generator_dialog.h"
#include "generator_files.h"
#include "guid_text.h"
#include "merge_file.h"
#include "../app/bounded_text.h"
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

/* Each name is taken whole, however long: a cut one would name another file.
   AddDroppedFile refuses what does not fit its records. */
static void HandleDrop(HWND dialog, HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, NULL, 0);
    for (UINT i = 0; i < count; i++) {
        UINT length = DragQueryFileA(drop, i, NULL, 0);
        char *path = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length + 1);
        if (path == NULL)
            continue;
        if (length != 0 && DragQueryFileA(drop, i, path, length + 1) == length)
            AddDroppedFile(dialog, path);
        HeapFree(GetProcessHeap(), 0, path);
    }
    DragFinish(drop);
}

static void ShowSelection(HWND dialog)
{
    LRESULT selected = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    LRESULT data = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETITEMDATA, (WPARAM)selected, 0);
    if (data == LB_ERR || data == 0)
        return;
    const GeneratorFileRecord *record = (const GeneratorFileRecord *)data;
    char text[MAX_PATH];
    SetDlgItemTextA(dialog, IDC_GEN_FILE_NAME, record->fileName);
    LocationDirectoryText(record->location, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_GEN_DIRECTORY, text);
    FormatText(text, sizeof(text), "%d.%02d.%03d", (int)HIWORD(record->versionMS), (int)LOWORD(record->versionMS),
               (int)record->versionLS);
    SetDlgItemTextA(dialog, IDC_GEN_FILE_VERSION, text);
    if (IsNullGuid(&record->clsid))
        text[0] = '\0';
    else
        FormatGuidText(&record->clsid, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_GEN_CLASS_ID, text);
}

INT_PTR CALLBACK GeneratorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        CentreOnScreen(dialog);
        break;
    case WM_DROPFILES:
        HandleDrop(dialog, (HDROP)wParam);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_GEN_FILE_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
            ShowSelection(dialog);
        } else if (LOWORD(wParam) == IDOK) {
            WriteMergeFile(dialog);   /* the dialog closes whether or not it was written */
            EndDialog(dialog, 1);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
        }
        break;
    case WM_DESTROY:
        FreeDroppedFiles(dialog);
        break;
    }
    return 0;
}
