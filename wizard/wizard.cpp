/* First stage of the wizard: the welcome page only. The page table with
   its test pages, the progress animation and Back arrive with the tests. */
#include <windows.h>
#include <commctrl.h>

#include "wizard.h"
#include "../app/language.h"
#include "../app/page_bitmap.h"
#include "../app/program.h"
#include "../resources/resource_ids.h"

int currentPage = -1;

int ShowPageBitmap(DWORD bitmapId)
{
    currentBitmap = bitmapId;
    InvalidateRect(GetDlgItem(MainWindow, IDC_PAGE_BITMAP), NULL, TRUE);
    return 1;
}

int BuildPageTable(void)
{
    currentPage = -1;
    SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 30));
    SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    return 1;
}

int NextPage(void)
{
    if (currentPage >= 0)
        return 1;
    currentPage = 0;
    SetDlgItemTextA(MainWindow, IDC_HEADLINE, LoadText(3000));
    SetDlgItemTextA(MainWindow, IDC_TEXT_WINDOW, LoadLongText(10000));
    ShowPageBitmap(IDB_PAGE_WELCOME);
    EnableWindow(GetDlgItem(MainWindow, IDC_BACK), FALSE);
    EnableWindow(GetDlgItem(MainWindow, IDC_NEXT), TRUE);
    EnableWindow(GetDlgItem(MainWindow, IDC_CLOSE), TRUE);
    SetFocus(GetDlgItem(MainWindow, IDC_NEXT));
    return 1;
}

int PreviousPage(void)
{
    return currentPage > 0;
}
