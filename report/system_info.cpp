#include <windows.h>
#include <shlwapi.h>

#include "system_info.h"
#include "../app/bounded_text.h"

void DescribeOperatingSystem(const OSVERSIONINFOA *version, char *name, size_t size)
{
    switch (version->dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        /* Windows ME (4.90) counts as Windows 98 here. */
        if (version->dwMajorVersion > 4 || (version->dwMajorVersion == 4 && version->dwMinorVersion > 0))
            FormatText(name, size, "Windows 98 Build %d", (int)LOWORD(version->dwBuildNumber));
        else
            FormatText(name, size, "Windows 95 Build %d", (int)LOWORD(version->dwBuildNumber));
        break;
    case VER_PLATFORM_WIN32_NT:
        FormatText(name, size, "Windows NT %d.%d Build %d", (int)version->dwMajorVersion,
                   (int)version->dwMinorVersion, (int)version->dwBuildNumber);
        break;
    default:
        CopyText(name, size, "Unknown Operating System");
        break;
    }
}

DWORD QueryDllVersion(const char *libraryName)
{
    HMODULE library = LoadLibraryA(libraryName);
    if (library == NULL)
        return 0;
    DWORD packed = 0;
    DLLGETVERSIONPROC getVersion = (DLLGETVERSIONPROC)(void *)GetProcAddress(library, "DllGetVersion");
    if (getVersion != NULL) {
        DLLVERSIONINFO version;
        ZeroMemory(&version, sizeof(version));
        version.cbSize = sizeof(version);
        if (SUCCEEDED(getVersion(&version)))
            packed = ((version.dwMinorVersion & 0xFFFF) << 16) | (version.dwMajorVersion & 0xFFFF);
    }
    FreeLibrary(library);
    return packed;
}

int CollectSystemInfo(SystemInfo *info)
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    DescribeOperatingSystem(&version, info->osName, sizeof(info->osName));
    info->comctlVersion = QueryDllVersion("comctl32.dll");
    info->shellVersion = QueryDllVersion("shell32.dll");
    return 1;
}
