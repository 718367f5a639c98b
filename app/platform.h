/* Operating-system classification made once at start. */
#ifndef QUORVEX_PLATFORM_H
#define QUORVEX_PLATFORM_H

#include <windows.h>

#define PLATFORM_WIN95 0x10000
#define PLATFORM_WIN98 0x20000
#define PLATFORM_NT3   0x30000
#define PLATFORM_NT4   0x40000
#define PLATFORM_NT5   0x50000
#define PLATFORM_NT6   0x60000

extern DWORD PlatformClass;

DWORD ClassifyPlatform(void);
DWORD ClassifyVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion);
int IsSupportedPlatform(DWORD platformClass);

#endif
