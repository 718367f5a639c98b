/* The eight directories that the FileCheck lists name by location code. */
#ifndef QUORVEX_INSTALL_LOCATIONS_H
#define QUORVEX_INSTALL_LOCATIONS_H

#include <windows.h>

typedef BYTE LocationCode;

struct InstallLocationsRecord {
    char windowsDir[MAX_PATH];
    char systemDir[MAX_PATH];
    char system32Dir[MAX_PATH];
    char driversDir[MAX_PATH];
    char mainPath[MAX_PATH];
    char sharedFilesDir[MAX_PATH];
    char filterDir[MAX_PATH];
    char binDir[MAX_PATH];
};

extern InstallLocationsRecord InstallLocations;

int InitInstallLocations(void);
const char *LocationDirectory(DWORD code);

#endif
