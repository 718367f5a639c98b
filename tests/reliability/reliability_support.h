/* Helpers shared by the reliability sweeps: registry values of every type
   and size, what the registry itself hands back for them, and caller
   buffers with guard bytes on both sides. */
#ifndef QUORVEX_RELIABILITY_SUPPORT_H
#define QUORVEX_RELIABILITY_SUPPORT_H

#include <windows.h>
#include <string.h>
#include <string>
#include <vector>

#include "registry_scratch.h"

static const struct {
    DWORD type;
    const char *name;
} registryTypes[] = {
    { REG_SZ, "REG_SZ" },         { REG_EXPAND_SZ, "REG_EXPAND_SZ" }, { REG_MULTI_SZ, "REG_MULTI_SZ" },
    { REG_BINARY, "REG_BINARY" }, { REG_DWORD, "REG_DWORD" },         { REG_NONE, "REG_NONE" },
};
static const int REGISTRY_TYPE_COUNT = sizeof(registryTypes) / sizeof(registryTypes[0]);

/* size bytes that start with prefix and go on with printable characters;
   with terminated set, the last byte is NUL. */
inline std::vector<BYTE> ValueBytes(size_t size, bool terminated, const std::string &prefix = "")
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; i++)
        bytes[i] = i < prefix.size() ? (BYTE)prefix[i] : (BYTE)('a' + i % 26);
    if (terminated && size > 0)
        bytes[size - 1] = 0;
    return bytes;
}

/* What the registry gives back for a value when asked with room enough:
   its bytes (the stored size is bytes.size()). False when it cannot be read. */
inline bool StoredValue(const char *path, const char *name, std::vector<BYTE> *bytes)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> room(200000);
    DWORD size = (DWORD)room.size();
    LONG status = RegQueryValueExA(key, name, NULL, NULL, room.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    bytes->assign(room.begin(), room.begin() + size);
    return true;
}

/* Writes a value and reads back what the registry stores for it. */
inline std::vector<BYTE> PutValue(const char *path, const char *name, DWORD type, const std::vector<BYTE> &bytes)
{
    std::vector<BYTE> stored;
    if (!WriteHklmValue(path, name, type, bytes.data(), (DWORD)bytes.size()) ||
        !StoredValue(path, name, &stored))
        stored.assign(1, 0xEE);
    return stored;
}

/* The text a buffer of `room` bytes holds after the value's bytes were
   copied into a cleared buffer and the last byte was made NUL. */
inline std::string TextOf(const std::vector<BYTE> &bytes, size_t room)
{
    std::string text;
    for (size_t i = 0; i < bytes.size() && i + 1 < room && bytes[i] != 0; i++)
        text += (char)bytes[i];
    return text;
}

/* The value's bytes zero-extended to `width` bytes, little-endian. */
inline unsigned long long ZeroExtended(const std::vector<BYTE> &bytes, size_t width)
{
    unsigned long long value = 0;
    for (size_t i = 0; i < bytes.size() && i < width; i++)
        value |= (unsigned long long)bytes[i] << (8 * i);
    return value;
}

/* A caller buffer with GUARD_BYTES of a known pattern before and after it. */
#define GUARD_BYTES 64
#define GUARD_FILL  0xA5
#define BUFFER_FILL 0x5A

struct GuardedBuffer {
    std::vector<BYTE> block;
    size_t size;
    BYTE *data() { return block.data() + GUARD_BYTES; }
};

inline GuardedBuffer MakeGuardedBuffer(size_t size)
{
    GuardedBuffer buffer;
    buffer.size = size;
    buffer.block.assign(size + 2 * GUARD_BYTES, GUARD_FILL);
    memset(buffer.block.data() + GUARD_BYTES, BUFFER_FILL, size);
    return buffer;
}

/* True when neither guard was touched. */
inline bool GuardsIntact(const GuardedBuffer &buffer)
{
    for (size_t i = 0; i < GUARD_BYTES; i++)
        if (buffer.block[i] != GUARD_FILL || buffer.block[GUARD_BYTES + buffer.size + i] != GUARD_FILL)
            return false;
    return true;
}

#endif
