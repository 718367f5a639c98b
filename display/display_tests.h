/* The two DirectDraw display pages, and the operations they are built from. */
#ifndef QUORVEX_DISPLAY_TESTS_H
#define QUORVEX_DISPLAY_TESTS_H

#include "black_window.h"
#include "directdraw_setup.h"

int DirectDrawPrimaryTest(void);
int DirectDrawOverlayTest(void);

/* Primary surface test */
int PutScreenPixel(int x, int y, DWORD value);
int DrawTestPicture(void);

/* Overlay test */
int CheckOverlayCaps(void);
int CreateOverlaySurface(OverlayFormat format, DWORD width, DWORD height);
int DestroyOverlaySurface(void);
int SelectOverlayFormat(void);
int ShowOverlayZoom(void);
int LoadOverlayPicture(IDirectDrawSurface *surface, DWORD bitmapId);
int FillYuvOverlay(IDirectDrawSurface *surface, HBITMAP picture);

#define ZOOM_START_WIDTH 176
#define ZOOM_STEP_WIDTH  4
#define ZOOM_STEP_MS     8

#endif
