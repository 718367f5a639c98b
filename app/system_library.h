/* Libraries of the system folder, loaded by their full path. */
#ifndef QUORVEX_SYSTEM_LIBRARY_H
#define QUORVEX_SYSTEM_LIBRARY_H

#include <windows.h>

/* Loads NAME (e.g. "ddraw.dll") from the system folder; null when it is not
   there or the path does not fit. */
HMODULE LoadSystemLibrary(const char *name);

#endif
