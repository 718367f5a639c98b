/* Version blocks cut at every length. The signature scan is fed a real
   version block cut to each length, lying right before memory that cannot
   be read, so one byte read past the block ends the test; and the whole
   version reader is given copies of a versioned library cut at every length
   through its resource section. Either the real version comes back or
   "invalid" with no version, and the caller's pair is never overrun. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "file_check.h"
#include "fixture_ids.h"
#include "result_codes.h"
#include "test_paths.h"

static std::string Fixture(const char *name) { return TestProgramDirectory() + FILECHECK_FIXTURE_DIR "\\" + name; }

static const DWORD realMS = 0x00040002, realLS = 0x000304D2;   /* 4.2.3.1234 */

static std::vector<BYTE> VersionBlock(const std::string &path)
{
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

/* Two pages, the second unreadable; a block of n bytes is copied so that it
   ends exactly where the readable page ends. */
struct FencedMemory {
    BYTE *base;
    SIZE_T page;
};

static FencedMemory MakeFence(SIZE_T bytes)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    FencedMemory fence;
    fence.page = ((bytes + info.dwPageSize - 1) / info.dwPageSize) * info.dwPageSize;
    if (fence.page == 0)
        fence.page = info.dwPageSize;
    fence.base = (BYTE *)VirtualAlloc(NULL, fence.page + info.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(fence.base + fence.page, info.dwPageSize, PAGE_NOACCESS, &old);
    return fence;
}

TEST(VersionBlockSweep, SignatureScanOfABlockCutAtEveryLength)
{
    std::vector<BYTE> block = VersionBlock(Fixture("v4_2_3_1234.dll"));
    ASSERT_GT(block.size(), (size_t)FIXED_FILE_INFO_SIZE);
    size_t signature = 0;
    while (signature + 4 <= block.size() && *(const DWORD *)&block[signature] != FIXED_FILE_SIGNATURE)
        signature++;
    ASSERT_LT(signature + FIXED_FILE_INFO_SIZE, block.size()) << "the real block holds its fixed info";

    FencedMemory fence = MakeFence(block.size());
    ASSERT_NE(nullptr, fence.base);
    int found = 0;
    for (size_t length = 0; length <= block.size(); length++) {
        BYTE *copy = fence.base + fence.page - length;
        memcpy(copy, block.data(), length);
        DWORD pair[4] = { 0xCCCCCCCC, 0xEEEEEEEE, 0xEEEEEEEE, 0xCCCCCCCC };
        int result = FindFixedFileInfo(copy, (DWORD)length, pair + 1);
        /* The fixed info counts once the block reaches past it by a byte. */
        bool whole = length > signature + FIXED_FILE_INFO_SIZE;
        ASSERT_EQ(whole ? 1 : 0, result) << "block of " << length << " bytes";
        if (whole) {
            ASSERT_EQ(realMS, pair[1]);
            ASSERT_EQ(realLS, pair[2]);
            found++;
        }
        ASSERT_EQ(0xCCCCCCCCu, pair[0]);
        ASSERT_EQ(0xCCCCCCCCu, pair[3]);
    }
    EXPECT_EQ((int)(block.size() - signature - FIXED_FILE_INFO_SIZE), found);
    VirtualFree(fence.base, 0, MEM_RELEASE);
    RecordProperty("lengths", (int)block.size() + 1);
}

/* The raw offset of the resource section in a PE file's bytes. */
static size_t ResourceSectionOffset(const std::vector<BYTE> &file)
{
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)file.data();
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(file.data() + dos->e_lfanew);
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; i++)
        if (memcmp(section[i].Name, ".rsrc", 5) == 0)
            return section[i].PointerToRawData;
    return 0;
}

static std::vector<BYTE> FileBytes(const std::string &path)
{
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, NULL));
    DWORD got = 0;
    ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, NULL);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

TEST(VersionBlockSweep, LibraryCutAtEveryLengthOfItsResources)
{
    std::vector<BYTE> library = FileBytes(Fixture("v4_2_3_1234.dll"));
    size_t resources = ResourceSectionOffset(library);
    ASSERT_GT(resources, 0u);
    ASSERT_LT(resources, library.size());
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string path = std::string(temp) + "quorvex-rel-cut-" + std::to_string(GetCurrentProcessId()) + ".dll";

    /* Every length through the resource section; before it, every 64th. */
    std::vector<size_t> lengths;
    for (size_t length = 0; length < resources; length += 64)
        lengths.push_back(length);
    for (size_t length = resources; length <= library.size(); length++)
        lengths.push_back(length);
    int versions = 0;
    for (size_t length : lengths) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, library.data(), (DWORD)length, &written, NULL);
        CloseHandle(file);

        DWORD pair[4] = { 0xCCCCCCCC, 0xEEEEEEEE, 0xEEEEEEEE, 0xCCCCCCCC };
        LastResult = 0;
        int result = ReadFileVersion(path.c_str(), pair + 1);
        if (result) {
            ASSERT_EQ(realMS, pair[1]) << "cut at " << length;
            ASSERT_EQ(realLS, pair[2]) << "cut at " << length;
            versions++;
        } else {
            ASSERT_EQ((DWORD)RESULT_FILE_VERSIONINFO_FAILED, LastResult) << "cut at " << length;
            ASSERT_EQ(0u, pair[1]);
            ASSERT_EQ(0u, pair[2]);
        }
        ASSERT_EQ(0xCCCCCCCCu, pair[0]);
        ASSERT_EQ(0xCCCCCCCCu, pair[3]);
    }
    EXPECT_GE(versions, 1) << "the whole file has its version";
    DeleteFileA(path.c_str());
    RecordProperty("lengths", (int)lengths.size());
    RecordProperty("with_version", versions);
}
