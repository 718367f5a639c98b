/* The real program started from another process: how it starts, refuses
   to start, and ends, with the message boxes a technician sees. */
#include "blackbox_fixture.h"

#define HARDWARE_ID_TITLE "Tavolink Systems Quorvex"

TEST_F(ProgramTest, EachFamilyNamesItsBoardInTheTitle)
{
    Install();
    const char *cases[][2] = {
        { "", "Tavolink Quorvex Cinora Mirel Nova" },
        { "Kiron", "Tavolink Quorvex Kiron" },
        { "orsa", "Tavolink Quorvex Cinora Orsa Duo" },
        { "VeLa", "Tavolink Quorvex Vela Prime" },
        { "MIREL", "Tavolink Quorvex Cinora Mirel Nova" },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c[0]);
        HWND window = StartToMainWindow(c[0]);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(c[1], Title(window));
        EXPECT_EQ(nullptr, FindMessageBox(ProgramId(&processes[started - 1]))) << "no message for a known ID";
        EXPECT_EQ(0u, CloseWizard(&processes[started - 1], window));
    }
}

TEST_F(ProgramTest, UnknownHardwareIdIsNamedThenMirelIsUsed)
{
    Install();
    DriverProcess *process = Start("VELA ");
    MessageBoxInfo box = NextMessageBox(process);
    EXPECT_STREQ("Hardware ID \xB4VELA \xB4 not supported\nAssuming Mirel", box.text);
    EXPECT_STREQ(HARDWARE_ID_TITLE, box.title);
    EXPECT_EQ(MBICON_ERROR, box.iconKind);
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(nullptr, FindProcessWindow(ProgramId(process), DRIVER_MAIN_CLASS, NULL, 1))
        << "the message comes before the wizard";
    ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));

    HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Tavolink Quorvex Cinora Mirel Nova", Title(window));
    EXPECT_EQ(0u, CloseWizard(process, window));
}

TEST_F(ProgramTest, CommandLineOfThousandsOfCharactersIsCutInTheMessage)
{
    Install();
    std::string tail(6000, 'A');
    DriverProcess *process = Start(tail.c_str());
    MessageBoxInfo box = NextMessageBox(process);
    std::string text = box.text;
    EXPECT_EQ(0u, text.find("Hardware ID \xB4" "AAAAAAAAAA"));
    EXPECT_LT(text.size(), 1100u);
    EXPECT_GT(text.size(), 1000u);
    ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
    HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, CloseWizard(process, window));
}

TEST_F(ProgramTest, CaptionsComeFromTheLanguageLibrary)
{
    Install();
    HWND window = StartToMainWindow("Kiron");
    ASSERT_NE(nullptr, window);
    HMODULE texts = LoadLibraryExA((installation.directory + "KironQuor001.DLL").c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, texts);
    const int captions[][2] = { { 1001, 1 }, { 1000, 2 }, { 1002, 4 }, { 1015, 6 } };
    for (auto &caption : captions) {
        char expected[256], shown[256];
        LoadStringA(texts, caption[1], expected, sizeof(expected));
        GetControlText(window, caption[0], shown, sizeof(shown));
        EXPECT_STRNE("", shown);
        EXPECT_STREQ(expected, shown) << "control " << caption[0];
    }
    FreeLibrary(texts);
    char report[64];
    GetControlText(window, 1004, report, sizeof(report));
    EXPECT_STREQ("Status Report", report);
    EXPECT_FALSE(IsControlEnabled(window, 1001));
    EXPECT_TRUE(IsControlEnabled(window, 1000));
    EXPECT_EQ(1000, GetFocusControlId(window));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(ProgramTest, UnsupportedWindowsIsRefusedBeforeAnyLibraryIsLoaded)
{
    /* Without the language library a supported system would end with code 2. */
    Install(INSTALL_WITHOUT_LANGUAGE_LIBRARY);
    for (const char *version : { "nt40", "win95" }) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(SetProgramWindowsVersion(version));
        DriverProcess *process = Start("bogus");
        MessageBoxInfo box = NextMessageBox(process);
        EXPECT_STREQ("Unsupported Operation System \n\n(Only Win98,WinME,Win2000,WinXP)", box.text);
        EXPECT_STREQ("Cinora Orsa Duo Quorvex", box.title);
        EXPECT_EQ(MBICON_NONE, box.iconKind);
        EXPECT_EQ(1, box.buttonCount);
        EXPECT_EQ(nullptr, box.owner);
        ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
        EXPECT_EQ(0u, ExitCode(process));
    }
}

TEST_F(ProgramTest, SupportedWindowsVersionsOpenTheWizard)
{
    Install();
    for (const char *version : { "win98", "winxp", "win2k", "win10" }) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(SetProgramWindowsVersion(version));
        HWND window = StartToMainWindow("Mirel");
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(0u, CloseWizard(&processes[started - 1], window));
    }
}

TEST_F(ProgramTest, MissingLanguageLibraryEndsWithCodeTwo)
{
    Install(INSTALL_WITHOUT_LANGUAGE_LIBRARY);
    DriverProcess *process = Start("");
    MessageBoxInfo box = NextMessageBox(process);
    std::string expected = "Language " + installation.directory +
                           "MirelQuor001.DLL not found !\r\n\r\nPlease re-install the software.";
    EXPECT_EQ(expected, box.text);
    EXPECT_STREQ("Tavolink Quorvex", box.title);
    EXPECT_EQ(MBICON_ERROR, box.iconKind);
    EXPECT_EQ(nullptr, box.owner);
    ASSERT_TRUE(AnswerMessageBox(box.window, IDOK));
    EXPECT_EQ(2u, ExitCode(process));
}

TEST_F(ProgramTest, LanguageValueChoosesTheLibraryOrFallsBack)
{
    Install();
    /* A three-character code names its own library, which this installation lacks. */
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Language", "003"));
    DriverProcess *process = Start("");
    MessageBoxInfo box = NextMessageBox(process);
    EXPECT_NE(std::string::npos, std::string(box.text).find(installation.directory + "MirelQuor003.DLL not found"));
    AnswerMessageBox(box.window, IDOK);
    EXPECT_EQ(2u, ExitCode(process));

    /* Values that do not fit in three characters fall back to English. */
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Language", "0031"));
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, CloseWizard(&processes[started - 1], window));

    std::string longValue(5000, '9');
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Language", longValue.c_str()));
    window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, CloseWizard(&processes[started - 1], window));
}

TEST_F(ProgramTest, MissingBitmapLibraryEndsWithCodeThreeAfterTheIdMessage)
{
    Install(INSTALL_WITHOUT_BITMAP_LIBRARY);
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, RUN_KEY, "Tavolink Quorvex", "C:\\Quorvex.exe"));
    DriverProcess *process = Start("Vela2");
    MessageBoxInfo first = NextMessageBox(process);
    EXPECT_STREQ("Hardware ID \xB4Vela2\xB4 not supported\nAssuming Mirel", first.text);
    ASSERT_TRUE(AnswerMessageBox(first.window, IDOK));

    MessageBoxInfo second = NextMessageBox(process);
    EXPECT_STREQ("Bitmap DLL not found", second.text);
    EXPECT_STREQ(HARDWARE_ID_TITLE, second.title);
    EXPECT_EQ(MBICON_ERROR, second.iconKind);
    EXPECT_EQ(0, CountProcessWindows(ProgramId(process), DRIVER_MAIN_CLASS, 0)) << "no window is made";
    ASSERT_TRUE(AnswerMessageBox(second.window, IDOK));
    EXPECT_EQ(3u, ExitCode(process));
    /* An early end leaves the start-up value alone. */
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, RUN_KEY, "Tavolink Quorvex"));
    DeleteRegValue(HKEY_LOCAL_MACHINE, RUN_KEY, "Tavolink Quorvex");
}

TEST_F(ProgramTest, NormalEndRemovesOnlyTheProgramsStartupValue)
{
    Install();
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, RUN_KEY, "Tavolink Quorvex", "C:\\Quorvex.exe"));
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, RUN_KEY, "Other Tool", "C:\\Other.exe"));
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, RUN_KEY, "Tavolink Quorvex")) << "removed only at the end";
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, RUN_KEY, "Tavolink Quorvex"));
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, RUN_KEY, "Other Tool"));
    DeleteRegValue(HKEY_LOCAL_MACHINE, RUN_KEY, "Other Tool");
}

TEST_F(ProgramTest, SecondStartBringsTheFirstForward)
{
    Install();
    HWND first = StartToMainWindow("");
    ASSERT_NE(nullptr, first);
    ASSERT_TRUE(PostSysCommand(first, SC_MINIMIZE));
    for (int i = 0; i < 100 && !IsWindowMinimizedOf(first); i++)
        Sleep(20);
    ASSERT_TRUE(IsWindowMinimizedOf(first));

    /* An unrecognised ID is still reported before the running copy is found. */
    DriverProcess *second = Start("Orca");
    MessageBoxInfo box = NextMessageBox(second);
    EXPECT_STREQ("Hardware ID \xB4Orca\xB4 not supported\nAssuming Mirel", box.text);
    AnswerMessageBox(box.window, IDOK);
    EXPECT_EQ(0u, ExitCode(second));
    EXPECT_EQ(0, CountProcessWindows(ProgramId(second), DRIVER_MAIN_CLASS, 0));

    for (int i = 0; i < 100 && IsWindowMinimizedOf(first); i++)
        Sleep(20);
    EXPECT_FALSE(IsWindowMinimizedOf(first)) << "restored";
    EXPECT_EQ(first, GetForegroundWindow());
    EXPECT_TRUE(IsProgramRunning(&processes[0]));
    EXPECT_EQ(0u, CloseWizard(&processes[0], first));
}

TEST_F(ProgramTest, ForeignWebServerWindowIsClosedAtStart)
{
    Install();
    HWND server = CreateRecorderWindow("Tavolink Systems Tunex WebServer Class", "Tunex Web Server", 0);
    ASSERT_NE(nullptr, server);
    DriverProcess *process = Start("");
    EXPECT_TRUE(WaitRecorderMessage(server, WM_CLOSE, DRIVER_LONG_WAIT_MS));
    EXPECT_EQ(1, RecorderMessageCount(server, WM_CLOSE));
    HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, CloseWizard(process, window));
    DestroyRecorderWindow(server);
}

TEST_F(ProgramTest, ProgramDirectoryNearMaxPath)
{
    /* Here the language library's full name still fits in MAX_PATH. */
    Install(0, MAX_PATH - 1 - sizeof("MirelQuor001.DLL") + 1);
    HWND window = StartToMainWindow("");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
    RemoveInstallation(&installation);

    /* Here it does not: a clear message and code 2, never a cut name loaded. */
    Install(0, 246);
    ASSERT_LE(installation.program.size(), (size_t)MAX_PATH - 1);
    DriverProcess *process = Start("");
    MessageBoxInfo box = NextMessageBox(process);
    std::string text = box.text;
    EXPECT_EQ(0u, text.find("Language " + installation.directory.substr(0, 200)));
    EXPECT_NE(std::string::npos, text.find(" not found !\r\n\r\nPlease re-install the software."));
    AnswerMessageBox(box.window, IDOK);
    EXPECT_EQ(2u, ExitCode(process));
}
