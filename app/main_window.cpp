#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "main_window.h"
#include "bounded_text.h"
#include "keyboard_hook.h"
#include "language.h"
#include "page_bitmap.h"
#include "product_profile.h"
#include "program.h"
#include "resource_ids.h"
#include "text_ids.h"
#include "window_position.h"
#include "../checks/install_locations.h"
#include "../generator/generator_dialog.h"
#include "../report/diagnostic_results.h"
#include "../report/report_file.h"
#include "../wizard/wizard.h"

HCURSOR busyCursor;
static HFONT textFont;
static HFONT headlineFont;

/* Captions the language library gives the main window's controls. */
static const struct {
    int controlId;
    UINT stringId;
} controlCaptions[] = {
    { IDC_BACK, TEXT_BACK },
    { IDC_NEXT, TEXT_NEXT },
    { IDC_HELP_BUTTON, TEXT_HELP },
    { IDC_CLOSE, TEXT_CLOSE },
    { IDC_PROGRESS_LABEL, TEXT_PROGRESS_LABEL },
};

static HFONT CreateControlFont(int height, int weight)
{
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
}

static HCURSOR LoadBusyCursor(void)
{
    char path[MAX_PATH];
    HCURSOR cursor = NULL;

    if (GetProgramDirectory(path, 248) && AppendText(path, sizeof(path), "quorcur.ani"))
        cursor = LoadCursorFromFileA(path);
    return cursor != NULL ? cursor : LoadCursorA(NULL, (LPCSTR)IDC_WAIT);
}

int InitMainWindow(HWND window, HINSTANCE instance, const char *commandTail, int showCommand)
{
    char title[128];
    (void)commandTail;
    (void)showCommand;

    CoInitialize(NULL);
    InitInstallLocations();
    ClearKeySequence();
    InstallKeyboardHook(instance);
    RecordDisplayMode();
    InitCommonControls();

    FormatText(title, sizeof(title), "%s %s", PROGRAM_TITLE, Profile.displayName);
    SetWindowTextA(window, title);
    CentreOnScreen(window);

    HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(systemMenu, MF_STRING, IDM_TEST_REPORT, "Test Report...");
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, "About...");

    for (size_t i = 0; i < sizeof(controlCaptions) / sizeof(controlCaptions[0]); i++)
        SetDlgItemTextA(window, controlCaptions[i].controlId, LoadText(controlCaptions[i].stringId));

    textFont = CreateControlFont(16, FW_DONTCARE);
    headlineFont = CreateControlFont(18, FW_BOLD);
    SendDlgItemMessageA(window, IDC_TEXT_WINDOW, WM_SETFONT, (WPARAM)textFont, TRUE);
    SendDlgItemMessageA(window, IDC_HEADLINE, WM_SETFONT, (WPARAM)headlineFont, TRUE);

    busyCursor = LoadBusyCursor();
    SetFocus(GetDlgItem(window, IDC_NEXT));
    BuildPageTable();
    PostMessageA(window, WM_COMMAND, IDC_NEXT, 0);

    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(window, TOPMOST_TIMER_ID, TOPMOST_MILLISECONDS, NULL);
    CloseWebServerWindow();
    return 1;
}

int CloseWebServerWindow(void)
{
    HWND webServer = FindWindowA(WEB_SERVER_CLASS, NULL);
    if (webServer == NULL)
        return 0;
    SendMessageA(webServer, WM_CLOSE, 0, 0);
    return 1;
}

int RemoveStartupEntry(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, STARTUP_RUN_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    LONG status = RegDeleteValueA(key, STARTUP_VALUE_NAME);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        CentreOverWindow(dialog, MainWindow);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

static LRESULT HandleCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_NEXT:
        NextPage();
        return 0;
    case IDC_BACK:
        PreviousPage();
        return 0;
    case IDC_CLOSE:
        SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case IDC_HELP_BUTTON:
        ShowHelp();
        return 0;
    case IDC_STATUS_REPORT:
        ShowTestReport();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT HandleSystemCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (wParam & 0xFFF0) {
    case IDM_ABOUT:
        DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ABOUT_BOX), window, AboutDialogProc, 0);
        return 0;
    case IDM_TEST_REPORT:
        ShowTestReport();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_INITDIALOG:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        return HandleCommand(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        return HandleSystemCommand(window, message, wParam, lParam);
    case WM_TIMER:
        if (wParam == TOPMOST_TIMER_ID) {
            SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            KillTimer(window, TOPMOST_TIMER_ID);
        }
        return 0;
    case WM_DRAWITEM:
        if (wParam == IDC_PAGE_BITMAP) {
            const DRAWITEMSTRUCT *item = (const DRAWITEMSTRUCT *)lParam;
            if (item->itemAction == ODA_DRAWENTIRE)
                PaintPageBitmap(item->hwndItem, item->hDC, currentBitmap);
            return 1;
        }
        break;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        return RepaintForPalette(window, wParam);
    case WM_OPEN_GENERATOR:
        OpenGeneratorDialog();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
