/* What the sweeps share: caller buffers with guard bytes, registry values of
   every size and type, and a count of the process's GDI objects. */
#ifndef QUORVEX_SWEEP_H
#define QUORVEX_SWEEP_H

#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>

#include "bitmap_library.h"
#include "file_check.h"
#include "install_locations.h"
#include "language.h"
#include "page_bitmap.h"
#include "product_profile.h"
#include "program.h"
#include "registry_read.h"
#include "report_compose.h"
#include "report_file.h"
#include "support.h"

/* Under the heap check every heap call walks the heap: take every n-th case. */
inline size_t Stride(size_t n) { return getenv("QUORVEX_HEAP_CHECK") ? n : 1; }

/* A buffer of `size` bytes of 0x5A between two runs of 32 guard bytes 0xA5. */
struct Guarded {
    std::vector<BYTE> block;
    explicit Guarded(size_t size) : block(size + 64, 0xA5) { std::fill(block.begin() + 32, block.end() - 32, 0x5A); }
    BYTE *data() { return block.data() + 32; }
    bool Intact() const
    {
        return std::count(block.begin(), block.begin() + 32, 0xA5) + std::count(block.end() - 32, block.end(), 0xA5) == 64;
    }
};

/* Writes a value; returns the bytes the registry gives back for it when asked
   with room to spare (a string may come back with a NUL added). */
inline std::vector<BYTE> PutValue(const char *key, const char *name, DWORD type, const std::vector<BYTE> &bytes)
{
    std::vector<BYTE> stored(4096);
    DWORD size = (DWORD)stored.size();
    HKEY handle;
    EXPECT_TRUE(WriteHklmValue(key, name, type, bytes.data(), (DWORD)bytes.size()));
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(handle, name, NULL, NULL, stored.data(), &size));
    RegCloseKey(handle);
    return std::vector<BYTE>(stored.begin(), stored.begin() + size);
}

/* The text a cleared buffer of `room` bytes holds after those bytes. */
inline std::string TextOf(const std::vector<BYTE> &bytes, size_t room)
{
    std::string text(bytes.begin(), bytes.begin() + std::min(bytes.size(), room - 1));
    return text.substr(0, text.find('\0'));
}

/* Each size as six types, with and without a final NUL: `check` gets the type
   and the bytes (the prefix, then letters). */
template <typename Check> void SweepValues(std::initializer_list<size_t> sizes, const std::string &prefix, Check check)
{
    size_t n = 0;
    for (DWORD type : { REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_NONE })
        for (size_t size : sizes)
            for (int nul = 0; nul < 2 && n++ % Stride(5) == 0; nul += size ? 1 : 2) {
                std::vector<BYTE> bytes(size);
                for (size_t i = 0; i < size; i++)
                    bytes[i] = i + nul == size ? 0 : i < prefix.size() ? prefix[i] : 'a' + i % 26;
                SCOPED_TRACE(std::to_string(size) + " bytes of type " + std::to_string(type) + ", NUL " + std::to_string(nul));
                check(type, bytes);
            }
}

#endif
