/* A display driver for DirectDraw as the display tests use it, and the
   scenario tables that the tests of both doubles read.

   The double: IDirectDraw, IDirectDraw2, IDirectDraw4 and IDirectDrawSurface
   with only the methods the program calls, surfaces in plain memory, guard
   bytes round the primary. It takes DirectDrawCreateEntry, the screen depth
   and Sleep for the length of a test and notes arguments other than the
   fixed ones in `complaints`. */
#ifndef QUORVEX_DISPLAY_DOUBLE_H
#define QUORVEX_DISPLAY_DOUBLE_H

#include <windows.h>
#include <ddraw.h>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "diagnostic_results.h"

struct DisplayDouble {
    std::string fail;                      /* calls that fail by their names in `calls`: "lock", or "lock#2" the 2nd */
    DWORD screenBits;                      /* depth the display settings report */
    DDDEVICEIDENTIFIER identifier;
    DDCAPS caps;
    DDSURFACEDESC mode;
    std::string overlays;                  /* overlay format codes a surface can be made in */
    DWORD overlayMax;                      /* widest and highest overlay that fits */

    std::vector<std::string> calls, complaints, shown;   /* shown: "source>destination" per zoom step */
    std::string asked;                     /* overlay surfaces asked for: "format@WxH,..." */
    int references;                        /* held by the program */
    DWORD slept;
    std::vector<BYTE> primary, overlay;    /* the primary's pixels start after `guard` bytes */
    bool surfaceDc;                        /* the overlay surface hands out a DC (RGB overlays) */
    HDC openDc;                            /* handed out and not yet given back */
    int gdiObjects, windows;               /* held by the process when the case began */
    LONG primaryPitch, overlayPitch;
    static const size_t guard = 1 << 18;
};
extern DisplayDouble Ddraw;

/* A case starts with a line "@ name key=value ..." and is followed by the
   lines it expects; blank lines and lines starting with '#' are left out. */
struct DoubleCase {
    std::string name, expected;            /* expected: its lines joined with '\n' */
    std::map<std::string, std::string> keys;
    bool Has(const char *key) const { return keys.count(key) != 0; }
    std::string Text(const char *key, const char *otherwise = "") const { return Has(key) ? keys.at(key) : otherwise; }
    DWORD Number(const char *key, DWORD otherwise = 0) const   /* decimal or 0x hex */
    {
        return Has(key) ? strtoul(keys.at(key).c_str(), NULL, 0) : otherwise;
    }
};
std::vector<DoubleCase> ReadDoubleCases(const char *file);   /* block "=== cases" of expected/<file> */
std::vector<std::string> SplitCaseText(const std::string &text, char separator = ' ');

/* The report composed now: the sections whose headings appear in `expected`
   ("[Display Information]" ...), each from its heading to its last line. */
std::string ComposedSections(const std::string &expected);

/* What every page test is judged by: its result, status, result text (the
   long text from string `text` on) and the report, which shows the outcome
   it stored. */
void ExpectPageOutcome(const DoubleCase &c, int returned);

/* A fresh double (for a Mirel program with a main window, and results that
   hold an earlier display: "earlier.drv", 800 x 600 at 16 bits, overlay
   format 7) as a case's keys say: fail, bits, vendor, caps, fx, ckey, min,
   max, overlays, overlaymax, mode WxHxBITS, masks, flags, platform=98,
   noddraw; "no" answers the question No. Then what the double saw: no
   complaint, no reference left, the question of string `question` asked
   when the case has one, the time `slept`. */
void UseDisplayCase(const DoubleCase &c);
void ExpectDisplaySeen(const DoubleCase &c);
void InstallDisplayDouble();
void RemoveDisplayDouble();                /* puts back what Install took */
IDirectDrawSurface *NewDoubleSurface(const DDSURFACEDESC &description);   /* memory in Ddraw.overlay */

struct DisplayPages : ::testing::Test {
    void SetUp() override { InstallDisplayDouble(); }
    void TearDown() override { RemoveDisplayDouble(); }
};

#endif
