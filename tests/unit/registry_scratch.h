/* Small registry writers for in-process tests: each test sets up the HKLM
   values it needs in the throw-away prefix and removes them afterwards. */
#ifndef QUORVEX_TEST_REGISTRY_SCRATCH_H
#define QUORVEX_TEST_REGISTRY_SCRATCH_H

#include <windows.h>

inline bool WriteHklmValue(const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline bool WriteHklmString(const char *path, const char *name, const char *text)
{
    return WriteHklmValue(path, name, REG_SZ, text, (DWORD)lstrlenA(text) + 1);
}

inline bool DeleteHklmValue(const char *path, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    LONG status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline bool HklmValueExists(const char *path, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    LONG status = RegQueryValueExA(key, name, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

/* One FileCheck entry as the installer or the merge file writes it; the
   class ID is left out when clsid is NULL. */
inline bool WriteFileCheckEntry(const char *listKey, const char *name, DWORD ms, DWORD ls, BYTE location,
                                BYTE updateAllowed, const GUID *clsid = NULL)
{
    char key[1024];
    wsprintfA(key, "%.500s\\%.255s", listKey, name);
    return WriteHklmValue(key, "MajorVersion", REG_DWORD, &ms, 4) &&
           WriteHklmValue(key, "MinorVersion", REG_DWORD, &ls, 4) &&
           WriteHklmValue(key, "Location", REG_BINARY, &location, 1) &&
           WriteHklmValue(key, "UpdateAllowed", REG_BINARY, &updateAllowed, 1) &&
           (clsid == NULL || WriteHklmValue(key, "Guid", REG_BINARY, clsid, sizeof(GUID)));
}

inline void DeleteHklmTree(const char *path)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
}

/* The key at path, emptied: whatever it held is deleted, the key itself stays. */
inline bool MakeEmptyHklmKey(const char *path)
{
    DeleteHklmTree(path);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

#endif
