#include <windows.h>

#include "registry_read.h"
#include "result_codes.h"

/* The raw bytes of the value are copied whatever its type; a value larger
   than the buffer is refused by the registry and counts as unreadable. */
static int QueryValue(const char *subkey, const char *valueName, void *buffer, DWORD size, DWORD *bytesRead)
{
    HKEY key;
    DWORD dataSize = size;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    LONG status = RegQueryValueExA(key, valueName, NULL, NULL, (BYTE *)buffer, &dataSize);
    RegCloseKey(key);
    if (bytesRead != NULL)
        *bytesRead = status == ERROR_SUCCESS ? dataSize : 0;
    return status == ERROR_SUCCESS;
}

int ProbeRegistryValue(const char *subkey, const char *valueName, void *buffer, DWORD size)
{
    return QueryValue(subkey, valueName, buffer, size, NULL);
}

int ReadRegistryValueBytes(const char *subkey, const char *valueName, void *buffer, DWORD size, DWORD *bytesRead)
{
    if (QueryValue(subkey, valueName, buffer, size, bytesRead))
        return 1;
    LastResult = RESULT_REGISTRY_ACCESS_FAILED;
    return 0;
}

int ReadRegistryValue(const char *subkey, const char *valueName, void *buffer, DWORD size)
{
    return ReadRegistryValueBytes(subkey, valueName, buffer, size, NULL);
}

int ReadRegistryDword(const char *subkey, const char *valueName, void *buffer)
{
    return ReadRegistryValue(subkey, valueName, buffer, 4);
}

int ReadRegistryByte(const char *subkey, const char *valueName, void *buffer)
{
    return ReadRegistryValue(subkey, valueName, buffer, 1);
}
