#include <windows.h>

#include "registry_read.h"
#include "result_codes.h"

ResultCode LastResult;

/* The raw bytes of the value are copied whatever its type; a value larger
   than the buffer is refused by the registry and counts as unreadable. */
int ProbeRegistryValue(const char *subkey, const char *valueName, void *buffer, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD dataSize = size;
    LONG status = RegQueryValueExA(key, valueName, NULL, NULL, (BYTE *)buffer, &dataSize);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int ReadRegistryValue(const char *subkey, const char *valueName, void *buffer, DWORD size)
{
    if (ProbeRegistryValue(subkey, valueName, buffer, size))
        return 1;
    LastResult = RESULT_REGISTRY_ACCESS_FAILED;
    return 0;
}

int ReadRegistryDword(const char *subkey, const char *valueName, void *buffer)
{
    return ReadRegistryValue(subkey, valueName, buffer, 4);
}

int ReadRegistryByte(const char *subkey, const char *valueName, void *buffer)
{
    return ReadRegistryValue(subkey, valueName, buffer, 1);
}
