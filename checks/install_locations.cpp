#include <windows.h>

#include "install_locations.h"
#include "registry_read.h"
#include "../app/bounded_text.h"
#include "../app/product_profile.h"

InstallLocationsRecord InstallLocations;

int InitInstallLocations(void)
{
    InstallLocationsRecord *loc = &InstallLocations;
    char programFiles[MAX_PATH];

    UINT length = GetWindowsDirectoryA(loc->windowsDir, sizeof(loc->windowsDir));
    if (length == 0 || length >= sizeof(loc->windowsDir))
        loc->windowsDir[0] = '\0';
    FormatText(loc->systemDir, sizeof(loc->systemDir), "%s\\SYSTEM", loc->windowsDir);
    FormatText(loc->system32Dir, sizeof(loc->system32Dir), "%s\\SYSTEM32", loc->windowsDir);
    FormatText(loc->driversDir, sizeof(loc->driversDir), "%s\\SYSTEM32\\DRIVERS", loc->windowsDir);

    ZeroMemory(loc->mainPath, sizeof(loc->mainPath));   /* a short value must not pick up an older path */
    if (!ReadRegistryValue(Profile.productKey, "Main path", loc->mainPath, sizeof(loc->mainPath)))
        loc->mainPath[0] = '\0';
    loc->mainPath[sizeof(loc->mainPath) - 1] = '\0';   /* a value stored without its NUL */

    ZeroMemory(programFiles, sizeof(programFiles));
    if (!ReadRegistryValue("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                           programFiles, sizeof(programFiles))) {
        loc->sharedFilesDir[0] = '\0';
        loc->filterDir[0] = '\0';
        loc->binDir[0] = '\0';
        return 0;
    }
    programFiles[sizeof(programFiles) - 1] = '\0';
    FormatText(loc->sharedFilesDir, sizeof(loc->sharedFilesDir), "%s\\Tavolink\\Shared Files", programFiles);
    FormatText(loc->filterDir, sizeof(loc->filterDir), "%s\\Filter", loc->sharedFilesDir);
    FormatText(loc->binDir, sizeof(loc->binDir), "%s\\Bin", loc->sharedFilesDir);
    return 1;
}

const char *LocationDirectory(DWORD code)
{
    switch (code) {
    case 0: return InstallLocations.systemDir;
    case 1: return InstallLocations.system32Dir;
    case 2: return InstallLocations.driversDir;
    case 3: return InstallLocations.windowsDir;
    case 5: return InstallLocations.mainPath;
    case 6: return InstallLocations.sharedFilesDir;
    case 7: return InstallLocations.filterDir;
    case 8: return InstallLocations.binDir;
    default: return NULL;
    }
}
