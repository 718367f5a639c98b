/* Command lines of every length through the start-up, in this process:
   the profile choice for tails from empty up to past every buffer, and the
   whole start-up (RunProgram) for lengths around each buffer it uses, the
   Windows limit and beyond. The hardware-ID message must hold exactly the
   tail, cut only where its buffer ends; the tail itself is never written. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "message_box_catcher.h"
#include "product_profile.h"
#include "program.h"
#include "registry_scratch.h"
#include "reliability_support.h"

/* Lengths around the start-up's buffers (MAX_PATH, the 1,024 characters
   wsprintfA could make, the 1,100-byte message) and the Windows command-line
   limit of 32,767 characters, and far past it. */
static const size_t startupLengths[] = { 0, 1, 4, 5, 6, 259, 260, 261, 1023, 1024, 1025, 1055, 1056,
                                         1057, 1058, 1099, 1100, 2048, 32766, 32767, 32768, 100000 };

/* Tail characters that break code which treats the tail as a format or
   stops at a byte above 127. */
static std::string Tail(size_t length, const std::string &start = "")
{
    static const char pattern[] = "%s%n%x\xB4\xE9 Kiron";
    std::string tail = start.substr(0, length);
    while (tail.size() < length)
        tail += pattern[tail.size() % (sizeof(pattern) - 1)];
    return tail;
}

static const char *const hardwareIds[] = { "Kiron", "ORSA", "VELA", "Mirel" };
static const char *const bitmapLibraries[] = { "KironBitmap.dll", "OrsaBitmap.dll", "VelaBitmap.dll",
                                                "MirelBitmap.dll" };

/* Every length from 0 to past the message buffer, and a few far longer:
   only a whole hardware ID is recognised; a tail that merely starts with
   one, or holds one later, selects Mirel. */
TEST(CommandLineSweep, ProfileChoiceForEveryLength)
{
    int cases = 0;
    std::vector<size_t> lengths;
    for (size_t length = 0; length <= 1200; length++)
        lengths.push_back(length);
    for (size_t length : { 4095, 4096, 4097, 32767, 32768, 1000000 })
        lengths.push_back(length);
    for (size_t length : lengths)
        for (int id = 0; id < 4; id++) {
            std::string tail = Tail(length, hardwareIds[id]);
            bool whole = tail == hardwareIds[id];
            GuardedBuffer buffer = MakeGuardedBuffer(tail.size() + 1);
            memcpy(buffer.data(), tail.c_str(), tail.size() + 1);
            int recognised = SelectProductProfile((const char *)buffer.data());
            ASSERT_EQ(whole ? 1 : 0, recognised) << "length " << length << " starting " << hardwareIds[id];
            ASSERT_STREQ(whole ? bitmapLibraries[id] : "MirelBitmap.dll", Profile.bitmapLibrary);
            ASSERT_EQ(0, memcmp(buffer.data(), tail.c_str(), tail.size() + 1)) << "the tail is left alone";
            ASSERT_TRUE(GuardsIntact(buffer));
            cases++;
        }
    RecordProperty("cases", cases);
}

/* Closes the main window of this thread as soon as it is shown. */
static volatile LONG stopCloser;
static volatile LONG windowsClosed;

static DWORD WINAPI CloseMainWindowWhenShown(LPVOID)
{
    HWND closed = NULL;
    while (!stopCloser) {
        HWND window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
        if (window == NULL)
            closed = NULL;   /* gone: a new one may come back with the same handle */
        else if (window != closed && IsWindowVisible(window)) {
            Sleep(50);
            PostMessageA(window, WM_CLOSE, 0, 0);
            closed = window;
            InterlockedIncrement(&windowsClosed);
        }
        Sleep(10);
    }
    return 0;
}

class StartupSweep : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteHklmValue("Software\\Tavolink Systems\\MirelMJPG", "Language");
        stopCloser = 0;
        windowsClosed = 0;
        closer = CreateThread(NULL, 0, CloseMainWindowWhenShown, NULL, 0, NULL);
    }
    void TearDown() override
    {
        InterlockedExchange(&stopCloser, 1);
        WaitForSingleObject(closer, 5000);
        CloseHandle(closer);
    }

    /* The whole start-up with this tail; returns the exit code and the texts
       of the message boxes it showed. */
    int Run(const std::string &tail, std::vector<std::string> *boxes)
    {
        GuardedBuffer buffer = MakeGuardedBuffer(tail.size() + 1);
        memcpy(buffer.data(), tail.c_str(), tail.size() + 1);
        StartMessageBoxCatcher();
        int exitCode = RunProgram(GetModuleHandleA(NULL), (const char *)buffer.data());
        *boxes = StopMessageBoxCatcher();
        UnregisterClassA(MAIN_WINDOW_CLASS, GetModuleHandleA(NULL));
        EXPECT_EQ(0, memcmp(buffer.data(), tail.c_str(), tail.size() + 1)) << "the tail is left alone";
        EXPECT_TRUE(GuardsIntact(buffer));
        return exitCode;
    }

    HANDLE closer;
};

TEST_F(StartupSweep, HardwareIdMessageHoldsTheTailCutOnlyAtItsBuffer)
{
    const std::string before = "Hardware ID \xB4", after = "\xB4 not supported\nAssuming Mirel";
    int cases = 0;
    for (size_t length : startupLengths) {
        SCOPED_TRACE("command line of " + std::to_string(length) + " characters");
        std::string tail = Tail(length);
        std::vector<std::string> boxes;
        ASSERT_EQ(0, Run(tail, &boxes));
        ASSERT_EQ(length == 0 ? 0u : 1u, boxes.size());
        if (length > 0) {
            std::string expected = (before + tail + after).substr(0, 1099);
            EXPECT_EQ(expected.size(), boxes[0].size());
            EXPECT_EQ(expected, boxes[0]);
        }
        EXPECT_STREQ("MirelBitmap.dll", Profile.bitmapLibrary);
        cases++;
    }
    EXPECT_EQ(cases, (int)windowsClosed) << "every start-up reached its wizard";
    RecordProperty("cases", cases);
}

TEST_F(StartupSweep, KnownIdsStartSilentlyAndPaddedOnesAreNamed)
{
    int cases = 0;
    for (int id = 0; id < 4; id++) {
        std::vector<std::string> boxes;
        ASSERT_EQ(0, Run(hardwareIds[id], &boxes));
        EXPECT_EQ(0u, boxes.size()) << hardwareIds[id];
        EXPECT_STREQ(bitmapLibraries[id], Profile.bitmapLibrary);
        for (size_t length : { strlen(hardwareIds[id]) + 1, (size_t)1056, (size_t)1057 }) {
            std::string tail = Tail(length, hardwareIds[id]);
            ASSERT_EQ(0, Run(tail, &boxes));
            ASSERT_EQ(1u, boxes.size()) << tail.size();
            EXPECT_EQ(0u, boxes[0].find(std::string("Hardware ID \xB4") + hardwareIds[id]));
            EXPECT_STREQ("MirelBitmap.dll", Profile.bitmapLibrary);
            cases++;
        }
        cases++;
    }
    RecordProperty("cases", cases);
}
