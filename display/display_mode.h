/* The display mode as the results record keeps it, and the rules the display
   tests apply to it. */
#ifndef QUORVEX_DISPLAY_MODE_H
#define QUORVEX_DISPLAY_MODE_H

#include <windows.h>
#include <ddraw.h>

/* The current display settings into the results record; 0 when they cannot be read. */
int RecordDisplayMode(void);
/* 1 when the display has at least 8 bits per pixel. */
int CheckColourDepth(void);
/* A DirectDraw display mode into the results record; 0 (and LastResult 24) for one the tests cannot use. */
int ReadDisplayMode(const DDSURFACEDESC *mode);

#endif
