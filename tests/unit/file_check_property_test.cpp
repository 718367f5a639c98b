/* Seeded random cases checked against a small independent model of the
   engine: version blocks for the signature scan, whole FileCheck lists for
   the verdicts, the run result and LastResult, and lists whose values come
   in every type and size, with every location, update flag and class ID.
   Set QUORVEX_SEED to replay a run; a failing case prints its seed and
   number. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <random>
#include <string>
#include <vector>

#include "file_check.h"
#include "install_locations.h"
#include "language.h"
#include "product_profile.h"
#include "random_cases.h"
#include "registry_scratch.h"
#include "result_codes.h"
#include "test_paths.h"

#define PROPERTY_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Property\\Drivers"

static unsigned Seed()
{
    return RandomSeed();
}

/* The scan as plainly as it can be said. */
static bool ModelFixedInfo(const std::vector<BYTE> &block, DWORD *ms, DWORD *ls)
{
    for (size_t o = 0; o + 52 < block.size(); o++) {
        if (block[o] == 0xBD && block[o + 1] == 0x04 && block[o + 2] == 0xEF && block[o + 3] == 0xFE) {
            *ms = block[o + 8] | block[o + 9] << 8 | block[o + 10] << 16 | (DWORD)block[o + 11] << 24;
            *ls = block[o + 12] | block[o + 13] << 8 | block[o + 14] << 16 | (DWORD)block[o + 15] << 24;
            return true;
        }
    }
    return false;
}

TEST(FileCheckProperty, SignatureScanMatchesTheModel)
{
    std::mt19937 random(Seed());
    const BYTE signature[4] = { 0xBD, 0x04, 0xEF, 0xFE };
    for (int n = 0; n < RandomCases(5000); n++) {
        std::vector<BYTE> block(random() % 320);
        for (BYTE &b : block)
            b = (BYTE)(random() % 4 == 0 ? signature[random() % 4] : random());
        int inserts = random() % 4;
        for (int i = 0; i < inserts && block.size() >= 4; i++)
            memcpy(&block[random() % (block.size() - 3)], signature, 4);
        DWORD modelMs = 0, modelLs = 0, version[2] = { 0, 0 };
        bool expected = ModelFixedInfo(block, &modelMs, &modelLs);
        /* A copy on the heap of exactly the block's size: reading past it is caught by heap checks. */
        BYTE *copy = (BYTE *)HeapAlloc(GetProcessHeap(), 0, block.size() + 1);
        if (!block.empty())
            memcpy(copy, block.data(), block.size());
        int found = FindFixedFileInfo(copy, (DWORD)block.size(), version);
        HeapFree(GetProcessHeap(), 0, copy);
        ASSERT_EQ(expected, found == 1) << "seed " << Seed() << " case " << n;
        if (expected) {
            ASSERT_EQ(modelMs, version[0]) << "seed " << Seed() << " case " << n;
            ASSERT_EQ(modelLs, version[1]) << "seed " << Seed() << " case " << n;
        }
    }
}

/* Files the random lists may name, with the versions they really have. */
struct Candidate {
    const char *fixture;   /* NULL: the file is not there */
    DWORD ms, ls;
    bool hasVersion;
};
static const Candidate candidates[] = {
    { "v4_2_3_1234.dll", 0x00040002, 0x000304D2, true },
    { "v4_3_0_0.dll", 0x00040003, 0, true },
    { "v1_2_0_15.dll", 0x00010002, 15, true },
    { "v5_1_0_7.dll", 0x00050001, 7, true },
    { "v32768_0_0_0.dll", 0x80000000, 0, true },
    { "noversion.dll", 0, 0, false },
    { NULL, 0, 0, false },
};

struct RandomEntry {
    std::string name;
    const Candidate *file;
    DWORD listedMs, listedLs;
    BYTE location, updateAllowed;
};

static int Order(DWORD ms, DWORD ls, DWORD listedMs, DWORD listedLs)
{
    if ((LONG)ms != (LONG)listedMs)
        return (LONG)ms < (LONG)listedMs ? -1 : 1;
    return ls == listedLs ? 0 : (ls < listedLs ? -1 : 1);
}

TEST(FileCheckProperty, RandomListsMatchTheModel)
{
    CoInitialize(NULL);
    SelectProductProfile("Mirel");
    std::string dir = TestProgramDirectory() + "filecheck\\property";
    CreateDirectoryA(dir.c_str(), NULL);
    WriteHklmString(Profile.productKey, "Main path", dir.c_str());
    InitInstallLocations();
    std::mt19937 random(Seed() + 1);
    FileCheckRecord *list = NULL;

    for (int n = 0; n < RandomCases(1500); n++) {
        SCOPED_TRACE(testing::Message() << "seed " << Seed() << " case " << n);
        MakeEmptyHklmKey(PROPERTY_LIST);

        std::vector<RandomEntry> entries(random() % 7);
        for (size_t i = 0; i < entries.size(); i++) {
            RandomEntry &e = entries[i];
            char name[16];
            wsprintfA(name, "e%02u.dll", (unsigned)i);
            e.name = name;
            e.file = &candidates[random() % (sizeof(candidates) / sizeof(candidates[0]))];
            /* Listed versions near the real one, so that every order comes up. */
            int shape = random() % 5;
            e.listedMs = e.file->ms + (shape == 1 ? 1 : shape == 2 ? -1 : 0);
            e.listedLs = e.file->ls + (shape == 3 ? 1 : shape == 4 ? -1 : 0);
            e.location = random() % 8 == 0 ? (BYTE)(random() % 2 ? 4 : 9 + random() % 200) : 5;
            e.updateAllowed = (BYTE)(random() % 2);
            std::string path = dir + "\\" + e.name;
            if (e.file->fixture != NULL)
                CopyFileA((TestProgramDirectory() + "filecheck\\" + e.file->fixture).c_str(), path.c_str(), FALSE);
            else
                DeleteFileA(path.c_str());
            WriteFileCheckEntry(PROPERTY_LIST, e.name.c_str(), e.listedMs, e.listedLs, e.location, e.updateAllowed);
        }

        /* The model: verdicts in order, the run result, and what LastResult ends as. */
        ResultCode modelLast = 77, recent = 0;
        int modelResult = 1;
        std::vector<DWORD> modelStatus;
        for (const RandomEntry &e : entries) {
            bool present = e.file->fixture != NULL && e.location == 5;
            ResultCode code;
            if (!present)
                code = 10;
            else if (!e.file->hasVersion)
                code = 11;
            else {
                int order = Order(e.file->ms, e.file->ls, e.listedMs, e.listedLs);
                code = order == 0 ? 0 : order < 0 ? 12 : 13;
            }
            DWORD status = code == 0 ? 0 : code == 10 ? 1 : code == 11 ? 2 : code == 12 ? 4 : e.updateAllowed ? 8 : 16;
            modelStatus.push_back(status);
            if (status == 8) {
                modelLast = recent;
            } else if (code != 0) {
                modelLast = recent = code;
                modelResult = 0;
            }
        }

        LastResult = 77;
        int result = CheckFileList(&list, PROPERTY_LIST);
        ASSERT_EQ(modelResult, result);
        ASSERT_EQ(modelLast, LastResult);
        size_t i = 0;
        for (FileCheckRecord *r = list; r != NULL; r = r->next, i++) {
            ASSERT_LT(i, entries.size());
            ASSERT_EQ(modelStatus[i], r->status) << entries[i].name;
            bool read = modelStatus[i] != 1 && modelStatus[i] != 2;
            ASSERT_EQ(read ? entries[i].file->ms : 0u, r->versionMS);
            ASSERT_EQ(read ? entries[i].file->ls : 0u, r->versionLS);
        }
        ASSERT_EQ(entries.size(), i);
    }
    FreeFileCheckList(&list);
    DeleteHklmTree("Software\\Tavolink Systems\\Quorvex\\FileCheck\\Property");
    DeleteHklmValue(Profile.productKey, "Main path");
    CoUninitialize();
}

/* ---- Values of every type and size, every location, flag and class ID. ---- */

#define SHAPES_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Shapes\\Drivers"
#define SHAPES_POOL 28   /* files p00.dll ... p27.dll; file i is candidates[i % 7] */

static const GUID shellLinkClass = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID neverRegistered = { 0x6B1F2C3A, 0x0D4E, 0x4F5A, { 0x9B, 0x8C, 0x7D, 0x6E, 0x5F, 0x4A, 0x3B, 0x22 } };

/* One stored value: absent, or its type and bytes. */
struct StoredValue {
    bool present;
    DWORD type;
    std::vector<BYTE> bytes;
};

struct ShapedEntry {
    unsigned file;   /* index into the pool */
    StoredValue major, minor, location, update, guid;
};

static StoredValue Stored(DWORD type, const void *data, size_t size)
{
    const BYTE *bytes = (const BYTE *)data;
    return { true, type, std::vector<BYTE>(bytes, bytes + size) };
}

/* A required value of `size` bytes, usually well formed: now and then
   missing, too long (the run stops) or too short (read zero-extended). */
static StoredValue RandomRequired(std::mt19937 &random, DWORD value, size_t size, DWORD type)
{
    BYTE bytes[8];
    for (int i = 0; i < 8; i++)
        bytes[i] = i < 4 ? (BYTE)(value >> (8 * i)) : (BYTE)random();
    switch (random() % 40) {
    case 0: return { false, 0, {} };
    case 1: return Stored(random() % 2 ? REG_QWORD : REG_BINARY, bytes, size + 1 + random() % (8 - size));
    case 2: return Stored(REG_BINARY, bytes, random() % size);
    case 3: return Stored(REG_DWORD, bytes, 4);   /* a byte value stored as a DWORD: too long for one byte */
    default: return Stored(type, bytes, size);
    }
}

static DWORD ValueOf(const StoredValue &v)
{
    DWORD value = 0;
    for (size_t i = 0; i < v.bytes.size() && i < 4; i++)
        value |= (DWORD)v.bytes[i] << (8 * i);
    return value;
}

static void Store(const char *key, const char *name, const StoredValue &v)
{
    if (v.present)
        WriteHklmValue(key, name, v.type, v.bytes.empty() ? NULL : v.bytes.data(), (DWORD)v.bytes.size());
}

/* The directory each location code names, worked out here on its own. */
static std::string ModelDirectory(BYTE code, const std::string &mainPath)
{
    char windows[MAX_PATH] = "", programFiles[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof(windows));
    DWORD size = sizeof(programFiles);
    RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", RRF_RT_REG_SZ,
                 NULL, programFiles, &size);
    std::string win = windows, shared = std::string(programFiles) + "\\Tavolink\\Shared Files";
    switch (code) {
    case 0: return win + "\\SYSTEM";
    case 1: return win + "\\SYSTEM32";
    case 2: return win + "\\SYSTEM32\\DRIVERS";
    case 3: return win;
    case 5: return mainPath;
    case 6: return shared;
    case 7: return shared + "\\Filter";
    case 8: return shared + "\\Bin";
    }
    return "";
}

TEST(FileCheckProperty, RandomValueShapesMatchTheModel)
{
    CoInitialize(NULL);
    SelectProductProfile("Mirel");
    std::string dir = TestProgramDirectory() + "filecheck\\shapes";
    CreateDirectoryA(dir.c_str(), NULL);
    WriteHklmString(Profile.productKey, "Main path", dir.c_str());
    InitInstallLocations();
    const size_t candidateCount = sizeof(candidates) / sizeof(candidates[0]);
    char name[16];
    for (unsigned i = 0; i < SHAPES_POOL; i++) {
        wsprintfA(name, "p%02u.dll", i);
        const Candidate &c = candidates[i % candidateCount];
        std::string path = dir + "\\" + name;
        if (c.fixture != NULL)
            CopyFileA((TestProgramDirectory() + "filecheck\\" + c.fixture).c_str(), path.c_str(), FALSE);
        else
            DeleteFileA(path.c_str());
    }
    /* Whether Wine can create the shell link class decides what its entries should say. */
    IUnknown *object = NULL;
    bool shellLinkCreatable = SUCCEEDED(CoCreateInstance(shellLinkClass, NULL, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                                         IID_IUnknown, (void **)&object)) && object != NULL;
    if (object != NULL)
        object->Release();

    std::mt19937 random(Seed() + 4);
    FileCheckRecord *list = NULL;
    for (int n = 0; n < RandomCases(400); n++) {
        SCOPED_TRACE(testing::Message() << "seed " << Seed() << " case " << n);
        MakeEmptyHklmKey(SHAPES_LIST);

        /* Distinct pool files in name order, which is the order the registry lists them in. */
        std::vector<unsigned> files;
        for (unsigned i = 0; i < SHAPES_POOL; i++)
            if (random() % 6 == 0)
                files.push_back(i);
        std::vector<ShapedEntry> entries;
        for (unsigned file : files) {
            const Candidate &c = candidates[file % candidateCount];
            ShapedEntry e;
            e.file = file;
            int shape = random() % 5;
            e.major = RandomRequired(random, c.ms + (shape == 1 ? 1 : shape == 2 ? -1 : 0), 4, REG_DWORD);
            e.minor = RandomRequired(random, c.ls + (shape == 3 ? 1 : shape == 4 ? -1 : 0), 4,
                                     random() % 4 ? REG_DWORD : REG_BINARY);
            BYTE location = random() % 3 ? 5 : (BYTE)(random() % 2 ? random() % 9 : 9 + random() % 247);
            e.location = RandomRequired(random, location, 1, REG_BINARY);
            BYTE flag = random() % 2 ? 0 : (BYTE)(random() % 3 ? 1 : 1 + random() % 255);
            e.update = RandomRequired(random, flag, 1, REG_BINARY);
            const GUID *guid = random() % 2 ? &shellLinkClass : &neverRegistered;
            switch (random() % 6) {
            case 0: e.guid = Stored(REG_BINARY, guid, 16); break;
            case 1: e.guid = Stored(REG_BINARY, guid, 1 + random() % 15); break;   /* short: zero-extended */
            case 2: {   /* longer than a GUID: counts as absent */
                BYTE longer[20] = { 0 };
                memcpy(longer, guid, 16);
                e.guid = Stored(REG_BINARY, longer, 17 + random() % 4);
                break;
            }
            default: e.guid = { false, 0, {} };
            }
            wsprintfA(name, "p%02u.dll", file);
            std::string entryKey = std::string(SHAPES_LIST) + "\\" + name;
            Store(entryKey.c_str(), "MajorVersion", e.major);
            Store(entryKey.c_str(), "MinorVersion", e.minor);
            Store(entryKey.c_str(), "Location", e.location);
            Store(entryKey.c_str(), "UpdateAllowed", e.update);
            Store(entryKey.c_str(), "Guid", e.guid);
            if (!e.major.present && !e.minor.present && !e.location.present && !e.update.present && !e.guid.present)
                MakeEmptyHklmKey(entryKey.c_str());   /* an entry with no values at all */
            entries.push_back(e);
        }

        /* The model. */
        ResultCode modelLast = 77, recent = 0;
        int modelResult = 1;
        struct Expected {
            DWORD status, ms, ls;
            std::string path;
        };
        std::vector<Expected> expected;
        for (const ShapedEntry &e : entries) {
            bool readable = e.major.present && e.major.bytes.size() <= 4 && e.minor.present &&
                            e.minor.bytes.size() <= 4 && e.location.present && e.location.bytes.size() <= 1 &&
                            e.update.present && e.update.bytes.size() <= 1;
            if (!readable) {
                modelResult = 0;
                modelLast = 3;
                break;
            }
            const Candidate &c = candidates[e.file % candidateCount];
            wsprintfA(name, "p%02u.dll", e.file);
            BYTE location = (BYTE)ValueOf(e.location);
            bool known = location <= 8 && location != 4;
            Expected x;
            x.path = known ? ModelDirectory(location, dir) + "\\" + name
                           : std::string(name) + ": Invalid location number in registry!";
            bool present = c.fixture != NULL && location == 5;
            ResultCode code;
            if (!present)
                code = 10;
            else if (!c.hasVersion)
                code = 11;
            else {
                int order = Order(c.ms, c.ls, ValueOf(e.major), ValueOf(e.minor));
                code = order == 0 ? 0 : order < 0 ? 12 : 13;
            }
            bool versionRead = present && c.hasVersion;
            x.ms = versionRead ? c.ms : 0;
            x.ls = versionRead ? c.ls : 0;
            if (code == 0 && e.guid.present && e.guid.bytes.size() <= 16) {
                bool creatable = e.guid.bytes.size() == 16 && memcmp(e.guid.bytes.data(), &shellLinkClass, 16) == 0 &&
                                 shellLinkCreatable;
                if (!creatable)
                    code = 32;   /* stands for "CLSID not registered", LastResult 11 */
            }
            x.status = code == 0 ? 0 : code == 10 ? 1 : code == 11 ? 2 : code == 12 ? 4 : code == 32 ? 32
                       : ValueOf(e.update) ? 8 : 16;
            expected.push_back(x);
            if (x.status == 8) {
                modelLast = recent;
            } else if (code != 0) {
                modelLast = recent = code == 32 ? 11 : code;
                modelResult = 0;
            }
        }

        LastResult = 77;
        int result = CheckFileList(&list, SHAPES_LIST);
        ASSERT_EQ(modelResult, result);
        ASSERT_EQ(modelLast, LastResult);
        size_t i = 0;
        for (FileCheckRecord *r = list; r != NULL; r = r->next, i++) {
            ASSERT_LT(i, expected.size());
            ASSERT_EQ(expected[i].path, r->path);
            ASSERT_EQ(expected[i].status, r->status) << r->path;
            ASSERT_EQ(expected[i].ms, r->versionMS) << r->path;
            ASSERT_EQ(expected[i].ls, r->versionLS) << r->path;
        }
        ASSERT_EQ(expected.size(), i);
    }
    FreeFileCheckList(&list);
    DeleteHklmTree("Software\\Tavolink Systems\\Quorvex\\FileCheck\\Shapes");
    DeleteHklmValue(Profile.productKey, "Main path");
    CoUninitialize();
}
