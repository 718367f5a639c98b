/* The operating system's name and the versions of two system libraries. */
#ifndef QUORVEX_SYSTEM_INFO_H
#define QUORVEX_SYSTEM_INFO_H

#include <windows.h>

struct SystemInfo {
    char osName[64];
    DWORD comctlVersion;   /* major in the low word, minor in the high word */
    DWORD shellVersion;
};

int CollectSystemInfo(SystemInfo *info);
DWORD QueryDllVersion(const char *libraryName);
void DescribeOperatingSystem(const OSVERSIONINFOA *version, char *name, size_t size);

#endif
