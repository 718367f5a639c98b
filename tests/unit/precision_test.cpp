/* The 32-bit release computes the overlay's colours and zoom steps on the
   x87 unit, under a 53-bit mantissa so that they come out as the double
   formulas (the display tables hold colours and zoom steps on a rounding
   edge, run by both builds). Here: that word is in force whenever the
   overlay code works, and the caller's word is put back after it. */
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
    UseDisplayCase(ReadDoubleCases("display_overlay.txt")[0]);   /* shown on 1024 x 768 and seen */
    doubleSleep = (void(WINAPI *)(DWORD))ReplaceImport("kernel32.dll", "Sleep", (void *)WatchedSleep);
    DirectDrawOverlayTest();
    std::vector<unsigned short> zoom(213, programs);
    zoom.push_back(0);   /* the hold of two seconds, after the zoom */
    EXPECT_EQ(zoom, seenControlWords);
    EXPECT_EQ(X87_START_UP_CONTROL_WORD, CurrentControlWord());
    SetControlWord(previous);
}
