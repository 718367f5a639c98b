/* The two display pages of the real wizard on Wine's DirectDraw: the test
   card written into the primary surface, found on the screen while it is
   shown, both answers to the question, and the overlay page that Wine's
   driver cannot pass. */
#include "blackbox_fixture.h"

#include "screen_checks.h"

#define ID_NEXT 1000
#define ID_CLOSE 1002
#define ID_TEXT 1011
#define ID_PICTURE 1016

class DisplayPageTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Install();
        window = StartToMainWindow("");
        texts = LoadLibraryExA((installation.directory + "MirelQuor001.DLL").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        pictures = LoadLibraryA((installation.directory + "MirelBitmap.dll").c_str());
        WaitControlText(window, 1017, Text(3000).c_str(), DRIVER_SHORT_WAIT_MS);
    }

    void TearDown() override
    {
        FreeLibrary(texts);
        FreeLibrary(pictures);
        ProgramTest::TearDown();
    }

    std::string Text(UINT id)
    {
        char piece[256];
        return LoadStringA(texts, id, piece, sizeof(piece)) ? piece : "";
    }

    std::string LongText(UINT id)
    {
        std::string text;
        char piece[256];
        for (UINT n = 0; n < 100 && LoadStringA(texts, id + n, piece, sizeof(piece)); n++)
            text += piece;
        return text;
    }

    std::string ShownText()
    {
        char text[4096];
        GetControlText(window, ID_TEXT, text, sizeof(text));
        return text;
    }

    bool WaitSettled(const std::string &before)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < DRIVER_LONG_WAIT_MS) {
            if (IsControlEnabled(window, ID_CLOSE) && ShownText() != before)
                return true;
            Sleep(20);
        }
        return false;
    }

    /* Next from page 0 up to (not into) the page given. */
    void WalkTo(int page)
    {
        for (int p = 1; p <= page; p++) {
            std::string before = ShownText();
            ASSERT_TRUE(PressButton(window, ID_NEXT)) << "page " << p;
            ASSERT_TRUE(WaitSettled(before)) << "page " << p;
        }
    }

    /* Answers the display question with the button given and waits for the result text. */
    MessageBoxInfo AnswerQuestion(int button)
    {
        /* The box can be found while it is still being built: read it again until it is whole. */
        MessageBoxInfo info = {};
        DWORD start = GetTickCount();
        bool read = false;
        while (!read && GetTickCount() - start < DRIVER_LONG_WAIT_MS) {
            HWND box = WaitMessageBox(ProgramId(&processes[0]), DRIVER_LONG_WAIT_MS);
            read = box != NULL && ReadMessageBox(box, &info) && info.buttonCount == 2;
            if (!read)
                Sleep(100);
        }
        EXPECT_TRUE(read) << "no question asked";
        if (read)
            EXPECT_TRUE(AnswerMessageBox(info.window, button));
        return info;
    }

    std::string ReadReport()
    {
        static char buffer[256 * 1024];
        DWORD got = 0;
        for (int attempt = 0; attempt < 50; attempt++) {
            if (ReadFileBytes((installation.directory + "Quorvex.txt").c_str(), buffer, sizeof(buffer), &got) &&
                got > 0)
                return std::string(buffer, got);
            Sleep(20);
        }
        return "";
    }

    double PictureMatch(int id) { return ::PictureMatch(window, pictures, id, Tolerance()); }

    /* A 256-colour screen shows the system palette's nearest colours. */
    static int Tolerance() { return ScreenDepth() <= 8 ? 72 : 24; }

    HWND window = NULL;
    HMODULE texts = NULL, pictures = NULL;
};

/* Where the test card should stand on this screen: centred. */
static POINT CardOrigin()
{
    POINT origin = { (GetSystemMetrics(SM_CXSCREEN) - 640) / 2, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2 };
    return origin;
}

/* The card's white frame corners and the black ring just inside, at the origin given. */
static bool CardCornersAt(const ScreenCapture &capture, POINT o, int tolerance)
{
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    return NearColour(CapturePixel(&capture, o.x, o.y), white, tolerance) &&
           NearColour(CapturePixel(&capture, o.x + 639, o.y + 479), white, tolerance) &&
           NearColour(CapturePixel(&capture, o.x + 1, o.y + 1), black, tolerance) &&
           NearColour(CapturePixel(&capture, o.x + 638, o.y + 478), black, tolerance);
}

/* Share of grid points of the card on the screen that show the card's own colour, unscaled. */
static double CardMatch(const ScreenCapture &capture, POINT o, const BITMAPINFOHEADER *card, int tolerance)
{
    int points = 0, matches = 0;
    for (int y = 0; y < 480; y += 5)
        for (int x = 0; x < 640; x += 5) {
            points++;
            matches += NearColour(CapturePixel(&capture, o.x + x, o.y + y), DibPixel(card, x, y), tolerance);
        }
    return (double)matches / points;
}

TEST_F(DisplayPageTest, PrimaryShowsTheCardCentredOnBlackAndYesPasses)
{
    ASSERT_NE(nullptr, window);
    WalkTo(9);
    ASSERT_TRUE(PressButton(window, ID_NEXT));

    /* Catch the card during its four seconds on the screen. */
    POINT o = CardOrigin();
    if (GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 768) {
        EXPECT_EQ(192, o.x);
        EXPECT_EQ(144, o.y);
    }
    ScreenCapture capture = {};
    bool seen = false;
    DWORD start = GetTickCount();
    while (!seen && GetTickCount() - start < 15000) {
        Sleep(150);
        FreeScreenCapture(&capture);
        if (CaptureScreen(&capture))
            seen = CardCornersAt(capture, o, Tolerance());
        if (FindMessageBox(ProgramId(&processes[0])) != NULL)
            break;
    }
    ASSERT_TRUE(seen) << "the test card's frame never stood at (" << o.x << ", " << o.y << ")";
    /* On a 256-colour screen Wine shows a primary that has no DirectDraw
       palette of its own through a palette other than the system palette the
       program matched against, so only the frame's white and black come out
       as written; the colours are checked on the deeper screens. */
    if (ScreenDepth() > 8)
        EXPECT_GT(CardMatch(capture, o, FindDib(pictures, 114), Tolerance()), 0.95);
    /* One pixel further the frame would be off: the card is not shifted. */
    EXPECT_FALSE(CardCornersAt(capture, { o.x + 1, o.y }, Tolerance()));
    /* Around the card the black window covers the wizard. */
    int blackCorners = 0;
    POINT around[] = { { 2, 2 }, { o.x - 3, o.y - 3 }, { o.x + 643, o.y + 483 },
                       { GetSystemMetrics(SM_CXSCREEN) - 3, GetSystemMetrics(SM_CYSCREEN) - 3 } };
    for (POINT p : around)
        blackCorners += NearColour(CapturePixel(&capture, p.x, p.y), RGB(0, 0, 0), 8);
    EXPECT_EQ(4, blackCorners);
    FreeScreenCapture(&capture);

    MessageBoxInfo question = AnswerQuestion(IDYES);
    EXPECT_EQ(Text(1000), question.text);
    EXPECT_STREQ("Tavolink Quorvex", question.title);
    EXPECT_EQ(window, question.owner);
    EXPECT_EQ(MBICON_NONE, question.iconKind);
    ASSERT_EQ(2, question.buttonCount);
    EXPECT_EQ(IDYES, question.buttonIds[0]);
    EXPECT_EQ(IDNO, question.buttonIds[1]);
    /* The black window is gone before the question. */
    EXPECT_EQ(0, CountProcessWindows(ProgramId(&processes[0]), "BlackWindowClass", 1));

    ASSERT_TRUE(WaitControlText(window, ID_TEXT, LongText(13100).c_str(), DRIVER_LONG_WAIT_MS));
    Sleep(200);
    EXPECT_GT(PictureMatch(130), 0.6);
    EXPECT_TRUE(IsControlEnabled(window, ID_NEXT));
    EXPECT_EQ(ID_NEXT, GetFocusControlId(window));

    std::string report = ReadReport();
    EXPECT_NE(std::string::npos, report.find("[DirectDraw Primary Test]\r\nTest executed: YES\r\nTest status:   OK\r\n"));
    char resolution[64];
    snprintf(resolution, sizeof(resolution), "Display resolution:   %d x %d ", GetSystemMetrics(SM_CXSCREEN),
             GetSystemMetrics(SM_CYSCREEN));
    EXPECT_NE(std::string::npos, report.find(resolution)) << report;
    /* The driver's identification is in: its name line is no longer empty. */
    EXPECT_EQ(std::string::npos, report.find("Driver name:          \r\n")) << report;
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(DisplayPageTest, PrimaryAnsweredNoFailsAndStopsTheWizard)
{
    ASSERT_NE(nullptr, window);
    WalkTo(9);
    ASSERT_TRUE(PressButton(window, ID_NEXT));
    AnswerQuestion(IDNO);
    ASSERT_TRUE(WaitControlText(window, ID_TEXT, LongText(13200).c_str(), DRIVER_LONG_WAIT_MS));
    Sleep(200);
    EXPECT_GT(PictureMatch(127), 0.6);
    EXPECT_FALSE(IsControlEnabled(window, ID_NEXT));
    EXPECT_NE(std::string::npos,
              ReadReport().find("[DirectDraw Primary Test]\r\nTest executed: YES\r\nTest status:   TESTPICTURE NOT VISIBLE\r\n"));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}

TEST_F(DisplayPageTest, OverlayFailsWithoutHardwareOverlayAndAsksNothing)
{
    ASSERT_NE(nullptr, window);
    WalkTo(9);
    ASSERT_TRUE(PressButton(window, ID_NEXT));
    AnswerQuestion(IDYES);
    ASSERT_TRUE(WaitControlText(window, ID_TEXT, LongText(13100).c_str(), DRIVER_LONG_WAIT_MS));
    std::string before = ShownText();
    ASSERT_TRUE(PressButton(window, ID_NEXT));
    ASSERT_TRUE(WaitSettled(before));
    ASSERT_TRUE(PressButton(window, ID_NEXT));
    ASSERT_TRUE(WaitControlText(window, ID_TEXT, LongText(14200).c_str(), DRIVER_LONG_WAIT_MS));
    EXPECT_EQ(nullptr, FindMessageBox(ProgramId(&processes[0]))) << "no question without an overlay";
    Sleep(200);
    EXPECT_GT(PictureMatch(127), 0.6);
    EXPECT_FALSE(IsControlEnabled(window, ID_NEXT));
    std::string report = ReadReport();
    EXPECT_NE(std::string::npos,
              report.find("[DirectDraw Overlay Test]\r\nTest executed: YES\r\nTest status:   DDRAW NO OVERLAY SUPPORT\r\n"))
        << report;
    EXPECT_NE(std::string::npos, report.find("Overlay pixel format: invalid\r\n"));
    EXPECT_EQ(0u, CloseWizard(&processes[0], window));
}
