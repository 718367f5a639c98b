/* Seeded random cases checked against a small independent model of the
   engine: version blocks for the signature scan, and whole FileCheck lists
   for the verdicts, the run result and LastResult. Set QUORVEX_SEED to
   replay a run; a failing case prints its seed and number. */
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
#include "registry_scratch.h"
#include "result_codes.h"
#include "test_paths.h"

#define PROPERTY_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Property\\Drivers"

static unsigned Seed()
{
    char text[32] = "";
    GetEnvironmentVariableA("QUORVEX_SEED", text, sizeof(text));
    return text[0] ? (unsigned)strtoul(text, NULL, 10) : 20261206u;
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
    for (int n = 0; n < 5000; n++) {
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

    for (int n = 0; n < 1500; n++) {
        SCOPED_TRACE(testing::Message() << "seed " << Seed() << " case " << n);
        DeleteHklmTree(PROPERTY_LIST);
        HKEY key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, PROPERTY_LIST, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        RegCloseKey(key);

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
