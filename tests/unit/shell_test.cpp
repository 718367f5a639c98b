/* The key sequence, window placement, start-up value and foreign window. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "keyboard_hook.h"
#include "main_window.h"
#include "registry_scratch.h"
#include "window_position.h"

static int TypeSequence(const std::string &keys)
{
    int matches = 0;
    for (char key : keys)
        matches += PushKeySequenceCharacter(key);
    return matches;
}

TEST(KeySequence, EightLettersInAnyCaseMatch)
{
    ClearKeySequence();
    EXPECT_EQ(0, TypeSequence("QUILMOR"));
    EXPECT_EQ(1, TypeSequence("A"));
    ClearKeySequence();
    EXPECT_EQ(1, TypeSequence("xyzquilmora"));
    ClearKeySequence();
    EXPECT_EQ(1, TypeSequence("QuIlMoRa"));
}

TEST(KeySequence, AnyOtherKeyInBetweenBreaksIt)
{
    ClearKeySequence();
    EXPECT_EQ(0, TypeSequence("quilxmora"));
    ClearKeySequence();
    EXPECT_EQ(0, TypeSequence(std::string("quil") + '\0' + "mora"));   /* a key without a character */
    ClearKeySequence();
    TypeSequence("quilmora");
    EXPECT_EQ(0, TypeSequence(std::string(1, '\0') + "quilmor"));
}

TEST(KeySequence, NotClearedAfterAMatchAndBounded)
{
    ClearKeySequence();
    EXPECT_EQ(2, TypeSequence("quilmoraquilmora"));
    EXPECT_EQ(0, TypeSequence("q"));
    EXPECT_EQ(8u, strlen(keySequence));
    EXPECT_EQ(0, keySequence[8]);
    EXPECT_EQ(0, TypeSequence(std::string(5000, 'z')));
    EXPECT_STREQ("zzzzzzzz", keySequence);
}

static POINT Centred(int w, int h, RECT over, RECT area)
{
    SIZE size = { w, h };
    return CentredInsideArea(size, &over, &area);
}

TEST(CentreOverWindow, CentredWhenThereIsRoom)
{
    RECT area = { 0, 0, 1024, 738 };
    POINT p = Centred(300, 160, RECT{ 200, 100, 766, 510 }, area);
    EXPECT_EQ(200 + (566 - 300) / 2, p.x);
    EXPECT_EQ(100 + (410 - 160) / 2, p.y);
}

TEST(CentreOverWindow, KeptInsideTheWorkArea)
{
    RECT area = { 0, 0, 1024, 738 };
    POINT right = Centred(300, 160, RECT{ 900, 650, 1466, 1060 }, area);
    EXPECT_EQ(1024 - 300, right.x);
    EXPECT_EQ(738 - 160, right.y);
    POINT left = Centred(300, 160, RECT{ -560, -400, 6, 10 }, area);
    EXPECT_EQ(0, left.x);
    EXPECT_EQ(0, left.y);
    RECT shifted = { 100, 50, 1124, 788 };
    POINT inOffsetArea = Centred(300, 160, RECT{ -200, -200, 0, 0 }, shifted);
    EXPECT_EQ(100, inOffsetArea.x);
    EXPECT_EQ(50, inOffsetArea.y);
}

TEST(CentreOverWindow, MovesARealWindow)
{
    HWND anchor = CreateWindowExA(0, "STATIC", "anchor", WS_POPUP, 100, 120, 400, 300, NULL, NULL, NULL, NULL);
    HWND box = CreateWindowExA(0, "STATIC", "box", WS_POPUP, 0, 0, 200, 100, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(anchor && box);
    ASSERT_TRUE(CentreOverWindow(box, anchor));
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(220, r.top);
    EXPECT_EQ(200, r.right - r.left);
    DestroyWindow(box);
    DestroyWindow(anchor);
}

TEST(StartupEntry, OnlyTheProgramsValueIsRemoved)
{
    ASSERT_TRUE(WriteHklmString(STARTUP_RUN_KEY, STARTUP_VALUE_NAME, "C:\\Quorvex\\Quorvex.exe"));
    ASSERT_TRUE(WriteHklmString(STARTUP_RUN_KEY, "Other Tool", "C:\\other.exe"));
    EXPECT_EQ(1, RemoveStartupEntry());
    EXPECT_FALSE(HklmValueExists(STARTUP_RUN_KEY, STARTUP_VALUE_NAME));
    EXPECT_TRUE(HklmValueExists(STARTUP_RUN_KEY, "Other Tool"));
    EXPECT_EQ(0, RemoveStartupEntry()) << "nothing left to delete";
    DeleteHklmValue(STARTUP_RUN_KEY, "Other Tool");
}

static int closeMessages;

static LRESULT CALLBACK WebServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        closeMessages++;
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WebServerWindow, ToldToCloseWhenPresent)
{
    EXPECT_EQ(0, CloseWebServerWindow());

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WebServerProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = WEB_SERVER_CLASS;
    ASSERT_TRUE(RegisterClassA(&windowClass));
    HWND server = CreateWindowExA(0, WEB_SERVER_CLASS, "web server", WS_OVERLAPPED, 0, 0, 10, 10,
                                  NULL, NULL, windowClass.hInstance, NULL);
    ASSERT_NE(nullptr, server);
    closeMessages = 0;
    EXPECT_EQ(1, CloseWebServerWindow());
    EXPECT_EQ(1, closeMessages);
    EXPECT_FALSE(IsWindow(server));
    UnregisterClassA(WEB_SERVER_CLASS, windowClass.hInstance);
}
