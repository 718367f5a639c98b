/* The wizard window of the real program: its first seconds on top, the
   About box, the developer key sequence and the ways to close it. */
#include "blackbox_fixture.h"

TEST_F(ProgramTest, TopmostForTheFirstFiveSecondsOnly)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    DWORD seen = GetTickCount();
    EXPECT_TRUE(IsWindowTopmost(window));
    while (IsWindowTopmost(window) && GetTickCount() - seen < 9000)
        Sleep(50);
    DWORD topmostFor = GetTickCount() - seen;
    EXPECT_FALSE(IsWindowTopmost(window));
    /* The timer started before the window was first seen, so a little less
       than five seconds may remain; never much more. */
    EXPECT_GE(topmostFor, 3500u);
    EXPECT_LE(topmostFor, 7000u);
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

static RECT WorkArea()
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

static HWND OpenAboutBox(DriverProcess *process, HWND window)
{
    EXPECT_TRUE(PostSysCommand(window, 40000));
    return WaitProcessWindow(ProgramId(process), "#32770", "About", 1, DRIVER_LONG_WAIT_MS);
}

TEST_F(ProgramTest, AboutBoxCentredOverTheWizardAndKeptOnScreen)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);

    HWND about = OpenAboutBox(&processes[0], window);
    ASSERT_NE(nullptr, about);
    RECT wizard, box;
    GetWindowRectOf(window, &wizard);
    GetWindowRectOf(about, &box);
    int w = box.right - box.left, h = box.bottom - box.top;
    EXPECT_EQ(wizard.left + ((wizard.right - wizard.left) - w) / 2, box.left);
    EXPECT_EQ(wizard.top + ((wizard.bottom - wizard.top) - h) / 2, box.top);
    EXPECT_EQ(window, GetWindow(about, GW_OWNER));
    ASSERT_TRUE(PressButton(about, IDOK));
    ASSERT_TRUE(WaitWindowGone(about, DRIVER_SHORT_WAIT_MS));

    /* With the wizard pushed into the lower right corner the box stays inside the work area. */
    RECT area = WorkArea();
    SetWindowPos(window, NULL, area.right - 120, area.bottom - 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    about = OpenAboutBox(&processes[0], window);
    ASSERT_NE(nullptr, about);
    GetWindowRectOf(about, &box);
    EXPECT_EQ(area.right, box.right);
    EXPECT_EQ(area.bottom, box.bottom);

    /* And in the upper left corner. */
    ASSERT_TRUE(PostSysCommand(about, SC_CLOSE));
    ASSERT_TRUE(WaitWindowGone(about, DRIVER_SHORT_WAIT_MS));
    SetWindowPos(window, NULL, area.left - 500, area.top - 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    about = OpenAboutBox(&processes[0], window);
    ASSERT_NE(nullptr, about);
    GetWindowRectOf(about, &box);
    EXPECT_EQ(area.left, box.left);
    EXPECT_EQ(area.top, box.top);
    ASSERT_TRUE(PressButton(about, IDOK));
    ASSERT_TRUE(WaitWindowGone(about, DRIVER_SHORT_WAIT_MS));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(ProgramTest, KeySequenceOpensTheDeveloperDialogOverAHiddenWizard)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    DWORD id = ProgramId(&processes[0]);

    /* Another key between the letters breaks the sequence. */
    ASSERT_TRUE(SendKeyText(window, "quilxmora"));
    Sleep(700);
    EXPECT_EQ(nullptr, FindProcessWindow(id, "#32770", "Dialog", 1));
    EXPECT_TRUE(IsWindowShown(window));

    ASSERT_TRUE(SendKeyText(window, "quilmora"));
    HWND dialog = WaitProcessWindow(id, "#32770", "Dialog", 1, DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowShown(window)) << "the wizard hides while the dialog is open";
    RECT box;
    GetWindowRectOf(dialog, &box);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left)) / 2, box.left) << "centred on the screen";
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitWindowGone(dialog, DRIVER_SHORT_WAIT_MS));
    for (int i = 0; i < 100 && !IsWindowShown(window); i++)
        Sleep(20);
    EXPECT_TRUE(IsWindowShown(window));
    std::string mergeFile = installation.directory + "QuorvexToMerge.reg";
    EXPECT_FALSE(FileExists(mergeFile.c_str())) << "Cancel writes nothing";

    /* OK with nothing dropped writes the header alone into the current directory. */
    ASSERT_TRUE(SendKeyText(window, "quilmora"));
    dialog = WaitProcessWindow(id, "#32770", "Dialog", 1, DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitWindowGone(dialog, DRIVER_SHORT_WAIT_MS));
    char bytes[64];
    DWORD got = 0;
    for (int i = 0; i < 100 && !FileExists(mergeFile.c_str()); i++)
        Sleep(20);
    ASSERT_TRUE(ReadFileBytes(mergeFile.c_str(), bytes, sizeof(bytes), &got));
    EXPECT_EQ(std::string("REGEDIT4\r\n\r\n"), std::string(bytes, got));
    for (int i = 0; i < 100 && !IsWindowShown(window); i++)
        Sleep(20);
    EXPECT_TRUE(IsWindowShown(window)) << "the wizard comes back after OK too";
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(ProgramTest, EscapeKeepsTheWizardAltF4ClosesIt)
{
    Install();
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(SendKeyPress(window, VK_ESCAPE));
    Sleep(500);
    EXPECT_TRUE(IsProgramRunning(&processes[0]));
    EXPECT_TRUE(IsWindowShown(window));
    ASSERT_TRUE(SendKeyChord(window, VK_MENU, VK_F4));
    EXPECT_EQ(0u, ExitCode(&processes[0]));
}

TEST_F(ProgramTest, CloseBoxEndsTheProgramNormally)
{
    Install();
    HWND window = StartToMainWindow("Kiron");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(PostSysCommand(window, SC_CLOSE));
    EXPECT_EQ(0u, ExitCode(&processes[0]));
}
