/* The main window made in this process from the program's own template. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <string>

#include "keyboard_hook.h"
#include "language.h"
#include "main_window.h"
#include "diagnostic_results.h"
#include "product_profile.h"
#include "program.h"
#include "registry_scratch.h"
#include "resource_ids.h"
#include "window_position.h"

static void PumpPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static std::string WindowText(HWND window)
{
    char text[512];
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ProgramInstance = GetModuleHandleA(NULL);
        SelectProductProfile("Mirel");
        DeleteHklmValue("Software\\Tavolink Systems\\MirelMJPG", "Language");
        ASSERT_EQ(1, LoadLanguageLibrary());
        ASSERT_TRUE(RegisterMainWindowClass(ProgramInstance));
    }

    void SetUp() override
    {
        MainWindow = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
        ASSERT_NE(nullptr, MainWindow);
        ASSERT_EQ(1, InitMainWindow(MainWindow, ProgramInstance, "", SW_SHOW));
        ShowWindow(MainWindow, SW_SHOW);
        PumpPendingMessages();
    }

    void TearDown() override
    {
        DestroyWindow(MainWindow);
        PumpPendingMessages();
        MainWindow = NULL;
        RemoveKeyboardHook();
        CoUninitialize();
    }

    HWND Control(int id) { return GetDlgItem(MainWindow, id); }
};

TEST_F(MainWindowTest, TitleAndCaptionsComeFromProfileAndLanguageLibrary)
{
    EXPECT_EQ("Tavolink Quorvex Cinora Mirel Nova", WindowText(MainWindow));
    EXPECT_EQ(std::string(LoadText(1)), WindowText(Control(IDC_BACK)));
    EXPECT_EQ(std::string(LoadText(2)), WindowText(Control(IDC_NEXT)));
    EXPECT_EQ(std::string(LoadText(4)), WindowText(Control(IDC_CLOSE)));
    EXPECT_EQ(std::string(LoadText(6)), WindowText(Control(IDC_PROGRESS_LABEL)));
    EXPECT_EQ("Status Report", WindowText(Control(IDC_STATUS_REPORT)));
    EXPECT_NE("Back", WindowText(Control(IDC_BACK)));
}

static LOGFONTA FontOf(HWND control)
{
    LOGFONTA font = {};
    HFONT handle = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    EXPECT_NE(nullptr, handle);
    GetObjectA(handle, sizeof(font), &font);
    return font;
}

TEST_F(MainWindowTest, TextAndHeadlineHaveTheirOwnFonts)
{
    LOGFONTA text = FontOf(Control(IDC_TEXT_WINDOW));
    EXPECT_EQ(16, text.lfHeight);
    EXPECT_EQ(FW_DONTCARE, text.lfWeight);
    EXPECT_STREQ("MS Sans Serif", text.lfFaceName);
    EXPECT_EQ(VARIABLE_PITCH | FF_SWISS, text.lfPitchAndFamily);

    LOGFONTA headline = FontOf(Control(IDC_HEADLINE));
    EXPECT_EQ(18, headline.lfHeight);
    EXPECT_EQ(FW_BOLD, headline.lfWeight);
    EXPECT_STREQ("MS Sans Serif", headline.lfFaceName);
    EXPECT_FALSE(headline.lfItalic || headline.lfUnderline || headline.lfStrikeOut);
}

TEST_F(MainWindowTest, SystemMenuEndsWithReportAndAbout)
{
    HMENU menu = GetSystemMenu(MainWindow, FALSE);
    int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 4);
    char text[64];

    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoA(menu, count - 3, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

    EXPECT_EQ((UINT)IDM_TEST_REPORT, GetMenuItemID(menu, count - 2));
    GetMenuStringA(menu, count - 2, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("Test Report...", text);
    EXPECT_EQ((UINT)IDM_ABOUT, GetMenuItemID(menu, count - 1));
    GetMenuStringA(menu, count - 1, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("About...", text);
}

struct TemplateControl {
    int id;
    const char *className;
    DWORD style;        /* style bits that must be set */
    RECT units;         /* x, y, width, height in dialog units */
};

TEST_F(MainWindowTest, ControlsSitWhereTheTemplatePutsThem)
{
    const TemplateControl controls[] = {
        { IDC_BACK, "Button", BS_PUSHBUTTON | WS_TABSTOP, { 181, 212, 50, 14 } },
        { IDC_NEXT, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, { 248, 212, 50, 14 } },
        { IDC_CLOSE, "Button", BS_PUSHBUTTON | WS_TABSTOP, { 314, 212, 50, 14 } },
        { IDC_SEPARATOR, "Static", SS_SUNKEN | WS_GROUP, { 11, 201, 353, 1 } },
        { IDC_TEXT_WINDOW, "Static", SS_LEFT | WS_GROUP, { 159, 25, 205, 145 } },
        /* The progress bar trades its border for a static edge when it is created. */
        { IDC_PROGRESS, "msctls_progress32", 0, { 12, 183, 352, 11 } },
        { IDC_PROGRESS_LABEL, "Static", SS_LEFT | WS_GROUP, { 13, 173, 83, 8 } },
        { IDC_PAGE_BITMAP, "Button", BS_OWNERDRAW | BS_BITMAP | WS_DISABLED, { 12, 8, 136, 162 } },
        { IDC_HEADLINE, "Static", SS_CENTER | WS_GROUP, { 159, 9, 205, 12 } },
        { IDC_STATUS_REPORT, "Button", BS_PUSHBUTTON, { 12, 212, 98, 14 } },
    };
    HWND previous = NULL;
    for (const TemplateControl &expected : controls) {
        SCOPED_TRACE(expected.id);
        HWND control = Control(expected.id);
        ASSERT_NE(nullptr, control);
        char className[64];
        GetClassNameA(control, className, sizeof(className));
        EXPECT_EQ(0, lstrcmpiA(expected.className, className));
        DWORD style = (DWORD)GetWindowLongPtrA(control, GWL_STYLE);
        EXPECT_EQ(expected.style | WS_CHILD | WS_VISIBLE, style & (expected.style | WS_CHILD | WS_VISIBLE));
        if (expected.id == IDC_STATUS_REPORT) {
            EXPECT_FALSE(style & WS_TABSTOP);
        }

        /* Position and size are converted separately, as the dialog manager does. */
        RECT position = { expected.units.left, expected.units.top, 0, 0 };
        RECT size = { 0, 0, expected.units.right, expected.units.bottom };
        MapDialogRect(MainWindow, &position);
        MapDialogRect(MainWindow, &size);
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(NULL, MainWindow, (POINT *)&actual, 2);
        EXPECT_EQ(position.left, actual.left);
        EXPECT_EQ(position.top, actual.top);
        EXPECT_EQ(size.right, actual.right - actual.left);
        EXPECT_EQ(size.bottom, actual.bottom - actual.top);

        /* Template order is the z-order, and so the tab order. */
        EXPECT_EQ(previous, GetWindow(control, GW_HWNDPREV));
        previous = control;
    }
    EXPECT_TRUE(GetWindowLongPtrA(Control(IDC_PAGE_BITMAP), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(Control(IDC_NEXT), GetNextDlgTabItem(MainWindow, Control(IDC_BACK), FALSE));
    EXPECT_EQ(Control(IDC_CLOSE), GetNextDlgTabItem(MainWindow, Control(IDC_NEXT), FALSE));
}

TEST_F(MainWindowTest, WindowStyleAndClassFollowTheTemplate)
{
    char className[64];
    GetClassNameA(MainWindow, className, sizeof(className));
    EXPECT_STREQ(MAIN_WINDOW_CLASS, className);
    DWORD style = (DWORD)GetWindowLongPtrA(MainWindow, GWL_STYLE);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU), style & (WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_TRUE(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);

    /* The class keeps dialog data in its window bytes. */
    WNDCLASSA windowClass;
    ASSERT_TRUE(GetClassInfoA(ProgramInstance, MAIN_WINDOW_CLASS, &windowClass));
    EXPECT_EQ(DLGWINDOWEXTRA, windowClass.cbWndExtra);
    EXPECT_EQ((HBRUSH)(COLOR_BTNFACE + 1), windowClass.hbrBackground);
    EXPECT_NE(nullptr, windowClass.hIcon);
}

TEST_F(MainWindowTest, CentredOnTheScreen)
{
    RECT window, desktop;
    GetWindowRect(MainWindow, &window);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ((desktop.right - (window.right - window.left)) / 2, window.left);
    EXPECT_EQ((desktop.bottom - (window.bottom - window.top)) / 2, window.top);
}

TEST_F(MainWindowTest, TopmostUntilItsTimerFires)
{
    EXPECT_TRUE(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageA(MainWindow, WM_TIMER, 7, 0);   /* another timer changes nothing */
    EXPECT_TRUE(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageA(MainWindow, WM_TIMER, TOPMOST_TIMER_ID, 0);
    EXPECT_FALSE(GetWindowLongPtrA(MainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(KillTimer(MainWindow, TOPMOST_TIMER_ID)) << "the timer was already stopped";
}

TEST_F(MainWindowTest, FirstPageShownWithFocusOnNext)
{
    EXPECT_EQ(Control(IDC_NEXT), GetFocus());
    EXPECT_EQ(std::string(LoadText(3000)), WindowText(Control(IDC_HEADLINE)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_BACK)));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_NEXT)));
}

TEST_F(MainWindowTest, MessagesAnsweredAsADialogWindow)
{
    EXPECT_EQ(1, SendMessageA(MainWindow, WM_INITDIALOG, 0, 0));
    DRAWITEMSTRUCT item = {};
    item.CtlID = IDC_PAGE_BITMAP;
    item.hwndItem = Control(IDC_PAGE_BITMAP);
    item.itemAction = ODA_FOCUS;
    EXPECT_EQ(1, SendMessageA(MainWindow, WM_DRAWITEM, IDC_PAGE_BITMAP, (LPARAM)&item));
    EXPECT_EQ(1, SendMessageA(MainWindow, WM_QUERYNEWPALETTE, 0, 0));
    EXPECT_EQ(0, SendMessageA(MainWindow, WM_PALETTECHANGED, (WPARAM)Control(IDC_PAGE_BITMAP), 0));
    EXPECT_EQ(1, SendMessageA(MainWindow, WM_PALETTECHANGED, (WPARAM)GetDesktopWindow(), 0));

    /* Escape arrives as command 2 and must not close the wizard. */
    SendMessageA(MainWindow, WM_COMMAND, IDCANCEL, 0);
    PumpPendingMessages();
    EXPECT_TRUE(IsWindow(MainWindow));
}

TEST_F(MainWindowTest, CloseButtonDestroysTheWindowAndEndsTheLoop)
{
    SendMessageA(MainWindow, WM_COMMAND, IDC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(MainWindow));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

TEST(DisplayMode, RecordedFromTheCurrentSettings)
{
    ZeroMemory(&DiagnosticResults.display, sizeof(DiagnosticResults.display));
    ASSERT_EQ(1, RecordDisplayMode());
    HDC screen = GetDC(NULL);
    DWORD bits = (DWORD)GetDeviceCaps(screen, BITSPIXEL);
    DWORD width = (DWORD)GetDeviceCaps(screen, HORZRES);
    DWORD height = (DWORD)GetDeviceCaps(screen, VERTRES);
    ReleaseDC(NULL, screen);

    const DisplayInfo &display = DiagnosticResults.display;
    EXPECT_EQ(width, display.width);
    EXPECT_EQ(height, display.height);
    EXPECT_EQ((bits + 7) / 8, display.bytesPerPixel);
    const DWORD classOfDepth[][2] = { { 8, 1 }, { 16, 3 }, { 24, 4 }, { 32, 5 } };
    for (auto &row : classOfDepth) {
        if (row[0] == bits) {
            EXPECT_EQ(row[1], display.colourClass);
        }
    }
    EXPECT_NE(0u, display.colourClass) << "a real depth is seen only when dmSize is set";
}

/* The busy cursor is the animated one beside the program, or the wait cursor without it. */
TEST_F(MainWindowTest, BusyCursorIsTheAnimatedCursorBesideTheProgram)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    std::string directory(path);
    directory = directory.substr(0, directory.find_last_of('\\') + 1);
    std::string cursor = directory + "quorcur.ani", hidden = directory + "quorcur.ani.away";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(cursor.c_str())) << "the build puts it there";
    HCURSOR wait = LoadCursorA(NULL, (LPCSTR)IDC_WAIT);
    EXPECT_NE(nullptr, busyCursor);
    EXPECT_NE(wait, busyCursor);

    ASSERT_TRUE(MoveFileA(cursor.c_str(), hidden.c_str()));
    HWND second = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), NULL, NULL, 0);
    InitMainWindow(second, ProgramInstance, "", SW_SHOW);
    EXPECT_EQ(wait, busyCursor);
    MoveFileA(hidden.c_str(), cursor.c_str());
    DestroyWindow(second);
    RemoveKeyboardHook();
    CoUninitialize();
}
