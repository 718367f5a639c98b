#include "platform.h"

DWORD PlatformClass;

DWORD ClassifyVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion)
{
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (majorVersion > 4 || (majorVersion == 4 && minorVersion != 0))
            return PLATFORM_WIN98;
        return PLATFORM_WIN95;
    }
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (majorVersion < 4)
            return PLATFORM_NT3;
        if (majorVersion == 4)
            return PLATFORM_NT4;
        if (majorVersion == 5)
            return PLATFORM_NT5;
        return PLATFORM_NT6;
    }
    return PLATFORM_WIN95;
}

DWORD ClassifyPlatform(void)
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return ClassifyVersion(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

int IsSupportedPlatform(DWORD platformClass)
{
    return platformClass == PLATFORM_WIN98 || platformClass == PLATFORM_NT5 ||
           platformClass == PLATFORM_NT6;
}
