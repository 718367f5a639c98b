/* The 32-bit release computes the overlay's colours and zoom steps on the
   x87 unit. These tests evaluate the formulas the way that code does (long
   double arithmetic under a given x87 control word, cut toward zero) and
   compare every input with the double formula that the 64-bit build
   computes on SSE2: under the control word the program sets they must agree
   everywhere; under the start-up's 64-bit mantissa they do not. */
#include <gtest/gtest.h>

#include "display_double.h"
#include "display_tests.h"
#include "double_precision.h"
#include "support.h"

#define X87_START_UP_CONTROL_WORD 0x037F   /* 64-bit mantissa: what MinGW's 32-bit start-up leaves */

static unsigned short SetControlWord(unsigned short word)
{
    unsigned short previous;
    __asm__ __volatile__("fnstcw %0" : "=m"(previous) : : "memory");
    __asm__ __volatile__("fldcw %0" : : "m"(word) : "memory");
    return previous;
}

struct Yuv {
    int y, u, v;
};

/* The conversion formulas, as written: left to right, cut toward zero (before clamping). */
static Yuv InDouble(double r, double g, double b)
{
    return { (int)(0.587 * g + 0.299 * r + 0.114 * b), (int)(128.0 - 0.146 * r - 0.288 * g + 0.434 * b),
             (int)(0.617 * r + 128.0 - 0.517 * g - 0.1 * b) };
}

static Yuv OnX87(long double r, long double g, long double b)
{
    return { (int)((long double)0.587 * g + (long double)0.299 * r + (long double)0.114 * b),
             (int)((long double)128.0 - (long double)0.146 * r - (long double)0.288 * g + (long double)0.434 * b),
             (int)((long double)0.617 * r + (long double)128.0 - (long double)0.517 * g - (long double)0.1 * b) };
}

/* How many of the 16.7 million colours give other bytes on the x87 unit. */
static int ColoursThatDiffer(unsigned short controlWord)
{
    int differing = 0;
    unsigned short previous = SetControlWord(controlWord);
    for (int r = 0; r < 256; r++)
        for (int g = 0; g < 256; g++)
            for (int b = 0; b < 256; b++) {
                Yuv x87 = OnX87(r, g, b), sse = InDouble(r, g, b);
                differing += x87.y != sse.y || x87.u != sse.u || x87.v != sse.v;
            }
    SetControlWord(previous);
    return differing;
}

/* Zoom heights on displays up to 1600 x 1200 that differ on the x87 unit. */
static int ZoomStepsThatDiffer(unsigned short controlWord)
{
    int differing = 0;
    unsigned short previous = SetControlWord(controlWord);
    for (int width = 176; width <= 1600; width += 8)
        for (int height = 120; height <= 1200; height++) {
            double ratio = (double)height / (double)width;
            long double x87Ratio = (long double)height / (long double)width;
            for (int w = 176; w <= width; w += 4)
                differing += ((int)(w * ratio + 0.5) & ~1) != ((int)(w * x87Ratio + (long double)0.5) & ~1);
        }
    SetControlWord(previous);
    return differing;
}

TEST(DoublePrecision, ProgramsControlWordGivesTheDoubleFormulaForEveryColourAndZoomStep)
{
    unsigned short previous = SetControlWord(X87_START_UP_CONTROL_WORD);
    unsigned short replaced = UseDoublePrecision();
    unsigned short programs = SetControlWord(previous);
    EXPECT_EQ(X87_START_UP_CONTROL_WORD, replaced);

    EXPECT_EQ(0, ColoursThatDiffer(programs));
    EXPECT_EQ(0, ZoomStepsThatDiffer(programs));
    /* The start-up's word would give other bytes: RGB(0, 0, 10) as the odd
       pixel has V 127 in double (0.1 * 10 rounds to 1.0) and 126 there. */
    EXPECT_EQ(127, InDouble(0, 0, 10).v);
    EXPECT_GT(ColoursThatDiffer(X87_START_UP_CONTROL_WORD), 20000);
    EXPECT_GT(ZoomStepsThatDiffer(X87_START_UP_CONTROL_WORD), 10000);
}

/* The control word in force whenever the overlay code calls out: GetPixel
   inside the YUV fill, Sleep between the zoom steps and during the hold. */
static std::vector<unsigned short> seenControlWords;
static unsigned short CurrentControlWord()
{
    unsigned short word;
    __asm__ __volatile__("fnstcw %0" : "=m"(word));
    return word;
}
static bool watchingPixels;
static COLORREF(WINAPI *realGetPixel)(HDC, int, int);
static COLORREF WINAPI WatchedGetPixel(HDC dc, int x, int y)
{
    if (watchingPixels)
        seenControlWords.push_back(CurrentControlWord());
    return realGetPixel(dc, x, y);
}
static void(WINAPI *doubleSleep)(DWORD);
static void WINAPI WatchedSleep(DWORD milliseconds)
{
    seenControlWords.push_back(milliseconds == 8 ? CurrentControlWord() : 0);
    doubleSleep(milliseconds);
}

static const char overlayCases[] =
#include "expected/display_overlay.txt"
    ;

TEST_F(DisplayPages, OverlayComputesUnderThatControlWordAndPutsTheOldOneBack)
{
    unsigned short programs = (X87_START_UP_CONTROL_WORD & ~X87_PRECISION_MASK) | X87_PRECISION_53;
    unsigned short previous = SetControlWord(X87_START_UP_CONTROL_WORD);
    realGetPixel = (COLORREF(WINAPI *)(HDC, int, int))ReplaceImport("gdi32.dll", "GetPixel", (void *)WatchedGetPixel);
    DDSURFACEDESC description = { sizeof(DDSURFACEDESC), DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, 2, 4 };
    description.ddpfPixelFormat = { 32, DDPF_FOURCC, MAKEFOURCC('Y', 'U', 'Y', '2'), { 16 } };
    HBITMAP picture = CreateBitmap(4, 2, 1, 32, NULL);
    watchingPixels = true;
    FillYuvOverlay(NewDoubleSurface(description), picture);
    watchingPixels = false;
    DeleteObject(picture);
    EXPECT_EQ(std::vector<unsigned short>(8, programs), seenControlWords);
    EXPECT_EQ(X87_START_UP_CONTROL_WORD, CurrentControlWord());

    seenControlWords.clear();
    UseDisplayCase(ReadDoubleCases(overlayCases)[0]);   /* shown on 1024 x 768 and seen */
    doubleSleep = (void(WINAPI *)(DWORD))ReplaceImport("kernel32.dll", "Sleep", (void *)WatchedSleep);
    DirectDrawOverlayTest();
    std::vector<unsigned short> zoom(213, programs);
    zoom.push_back(0);   /* the hold of two seconds, after the zoom */
    EXPECT_EQ(zoom, seenControlWords);
    EXPECT_EQ(X87_START_UP_CONTROL_WORD, CurrentControlWord());
    SetControlWord(previous);
}
