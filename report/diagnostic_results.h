/* What every diagnostic test found; the report is composed from it. */
#ifndef QUORVEX_DIAGNOSTIC_RESULTS_H
#define QUORVEX_DIAGNOSTIC_RESULTS_H

#include <windows.h>
#include <ddraw.h>

#include "../checks/result_codes.h"

typedef DWORD FileStatus;
#define FILE_STATUS_OK                   0
#define FILE_STATUS_MISSING              1
#define FILE_STATUS_INVALID              2
#define FILE_STATUS_OUT_OF_DATE          4
#define FILE_STATUS_UPDATED              8
#define FILE_STATUS_NOT_RELEASED         16
#define FILE_STATUS_CLSID_NOT_REGISTERED 32

typedef DWORD OverlayFormat;
#define OVERLAY_FORMAT_NONE    0
#define OVERLAY_FORMAT_RGB555  2
#define OVERLAY_FORMAT_RGB565  3
#define OVERLAY_FORMAT_RGB24   4
#define OVERLAY_FORMAT_RGB32   5
#define OVERLAY_FORMAT_YUY2    6
#define OVERLAY_FORMAT_UYVY    7

struct TestOutcome {
    DWORD executed;
    ResultCode status;
};

struct FileCheckRecord {
    FileStatus status;
    char path[MAX_PATH];
    DWORD versionMS;
    DWORD versionLS;
    FileCheckRecord *next;
};

/* What a display's pixels are, as DisplayInfo's colourClass says. */
enum ColourClass {
    COLOUR_CLASS_INVALID = 0,
    COLOUR_CLASS_8 = 1,       /* 256 colours through a palette */
    COLOUR_CLASS_555 = 2,     /* high colour, 15 bits */
    COLOUR_CLASS_565 = 3,     /* high colour, 16 bits */
    COLOUR_CLASS_24 = 4,
    COLOUR_CLASS_32 = 5,
};

struct DisplayInfo {
    DWORD width;
    DWORD height;
    DWORD colourClass;
    DWORD bytesPerPixel;
    DDDEVICEIDENTIFIER deviceIdentifier;
};

struct DiagnosticResultsRecord {
    TestOutcome softwareInstallation;
    TestOutcome kernelDriverAccess;
    DWORD boardHardwareWord;
    DWORD internationalBoard;
    TestOutcome audioDriverAccess;
    TestOutcome directDrawInstallation;
    TestOutcome directDrawPrimary;
    TestOutcome directDrawOverlay;
    FileCheckRecord *softwareFiles;
    FileCheckRecord *directDrawFiles;
    DisplayInfo display;
    OverlayFormat overlayFormat;
};

extern DiagnosticResultsRecord DiagnosticResults;

#endif
