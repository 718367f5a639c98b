/* ddraw.dll, bound when a display test first needs it: a PC whose DirectDraw
   is missing or broken still starts the wizard, and the display tests fail
   with "DDRAW CREATE FAILED" instead. */
#ifndef QUORVEX_DIRECTDRAW_LIBRARY_H
#define QUORVEX_DIRECTDRAW_LIBRARY_H

#include <windows.h>
#include <ddraw.h>

typedef HRESULT(WINAPI *DirectDrawCreateFunction)(GUID *driver, IDirectDraw **directDraw, IUnknown *outer);

/* The bound DirectDrawCreate; null until bound, or when ddraw.dll lacks it. */
extern DirectDrawCreateFunction DirectDrawCreateEntry;

/* Loads ddraw.dll on the first call; returns the entry, or null. */
DirectDrawCreateFunction BindDirectDraw(void);

#endif
