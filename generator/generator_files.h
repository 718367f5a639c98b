/* The files dropped onto the developer dialog, one record per list item. */
#ifndef QUORVEX_GENERATOR_FILES_H
#define QUORVEX_GENERATOR_FILES_H

#include <windows.h>

#define DROPPED_PATH_SIZE 512

struct GeneratorFileRecord {
    char fileName[MAX_PATH];
    DWORD location;
    DWORD versionMS;
    DWORD versionLS;
    GUID clsid;
};

int AddDroppedFile(HWND dialog, const char *path);
int TryRegisterServer(const char *path);
int FindClsidForServer(const char *path, GUID *clsid);
int LocationDirectoryText(DWORD code, char *buffer, size_t size);
void FreeDroppedFiles(HWND dialog);

#endif
