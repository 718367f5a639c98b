/* Readers of single registry values under HKEY_LOCAL_MACHINE. */
#ifndef QUORVEX_REGISTRY_READ_H
#define QUORVEX_REGISTRY_READ_H

#include <windows.h>

int ReadRegistryValue(const char *subkey, const char *valueName, void *buffer, DWORD size);
/* ReadRegistryValue that also says how many bytes the value held. */
int ReadRegistryValueBytes(const char *subkey, const char *valueName, void *buffer, DWORD size, DWORD *bytesRead);
int ProbeRegistryValue(const char *subkey, const char *valueName, void *buffer, DWORD size);
int ReadRegistryDword(const char *subkey, const char *valueName, void *buffer);
int ReadRegistryByte(const char *subkey, const char *valueName, void *buffer);

#endif
