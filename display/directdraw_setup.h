/* DirectDraw objects shared by both display tests, their set-up and release. */
#ifndef QUORVEX_DIRECTDRAW_SETUP_H
#define QUORVEX_DIRECTDRAW_SETUP_H

#include <windows.h>
#include <ddraw.h>

#include "../checks/result_codes.h"
#include "../report/diagnostic_results.h"

#define RESULT_DDRAW_CREATE_FAILED         20
#define RESULT_DDRAW_INTERFACE_FAILED      21
#define RESULT_DDRAW_NOHARDWARE            22
#define RESULT_DDRAW_BANKSWITCHED          23
#define RESULT_DDRAW_PIXELFORMAT_INVALID   24
#define RESULT_DDRAW_CALL_FAILED           26
#define RESULT_DDRAW_NO_OVERLAY            40
#define RESULT_DDRAW_NO_YUV_OVERLAY        41
#define RESULT_DDRAW_NO_OVERLAYSTRETCH     42
#define RESULT_DDRAW_STRETCH_REQUIRED      43
#define RESULT_DDRAW_NO_OVERLAY_COLORKEY   44
#define RESULT_DDRAW_OVERLAY_OUT_OF_MEMORY 45
#define RESULT_DDRAW_OVERLAY_RESOLUTION    46
#define RESULT_TESTPICTURE_NOT_VISIBLE     50
#define RESULT_OVERLAY_NOT_VISIBLE         51
#define RESULT_DDRAW_OVERLAY_DISPLAY       52

/* Vendor whose drivers report bank-switched memory without needing it. */
#define DDRAW_VENDOR_S3        0x5333
#define DDRAW_S3_REPORTED_ID   0x5631

#define TEST_PICTURE_WIDTH  640
#define TEST_PICTURE_HEIGHT 480

struct DirectDrawStateRecord {
    IDirectDraw *directDraw;
    IDirectDraw2 *directDraw2;
    IDirectDrawSurface *primarySurface;
    IDirectDrawSurface *overlaySurface;
    BYTE *surfaceMemory;      /* valid only between a Lock and its Unlock */
    LONG surfacePitch;
};

extern DirectDrawStateRecord DirectDrawState;
extern const GUID DisplayIidDirectDraw2;
extern const GUID DisplayIidDirectDraw4;

int SetUpDirectDraw(void);
int ReleaseDirectDraw(void);

#endif
