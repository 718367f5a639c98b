/* Seeded random sets of dropped files written as the REGEDIT4 merge text
   and compared byte for byte with a small model of that text: random
   names (long ones, odd characters, duplicates), locations, versions,
   class IDs and board families, lists long enough to pass 32 KB, and list
   items without a record. QUORVEX_SEED replays a run; a failing case
   prints its seed and number. */
#include <gtest/gtest.h>
#include <windows.h>
#include <random>
#include <string>
#include <vector>

#include "generator_dialog.h"
#include "generator_files.h"
#include "merge_file.h"
#include "product_profile.h"
#include "program.h"
#include "random_cases.h"
#include "resource_ids.h"

typedef std::mt19937 Random;

/* ---- The model. ---- */

struct ModelEntry {
    std::string name;
    DWORD location, ms, ls;
    BYTE clsid[16];
};

static const struct {
    const char *hardwareId;
    const char *listKey;
} families[] = {
    { "Kiron", "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Kiron\\Drivers" },
    { "ORSA", "Software\\Tavolink Systems\\Quorvex\\FileCheck\\ORSA\\Drivers" },
    { "VELA", "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Vela\\Drivers" },
    { "Mirel", "Software\\Tavolink Systems\\Quorvex\\FileCheck\\MirelMJPG\\Drivers" },
};

static std::string Hex(DWORD value, int digits)
{
    static const char hex[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), hex[value & 15]);
        value >>= 4;
    } while (value != 0);
    return text.size() < (size_t)digits ? std::string(digits - text.size(), '0') + text : text;
}

static std::string ModelMergeText(const char *listKey, const std::vector<const ModelEntry *> &entries)
{
    std::string text = "REGEDIT4\r\n\r\n";
    for (const ModelEntry *e : entries) {
        text += "[HKEY_LOCAL_MACHINE\\" + std::string(listKey) + "\\" + e->name + "]\r\n";
        text += "\"MajorVersion\"=dword:" + Hex(e->ms, 8) + "\r\n";
        text += "\"MinorVersion\"=dword:" + Hex(e->ls, 8) + "\r\n";
        text += "\"Location\"=hex:" + Hex(e->location, 2) + "\r\n";
        text += "\"UpdateAllowed\"=hex:01\r\n";
        bool anyByte = false;
        for (BYTE b : e->clsid)
            anyByte = anyByte || b != 0;
        if (!anyByte)
            continue;
        text += "\"Guid\"=hex:";
        for (int i = 0; i < 16; i++)
            text += (i ? "," : "") + Hex(e->clsid[i], 2);
        text += "\r\n\r\n";
    }
    return text;
}

/* ---- Random entries. ---- */

/* Characters a file name may hold, upper half included. */
static std::string RandomName(Random &random)
{
    static const char allowed[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_()[]{}~!#$%&'+,;=@^`";
    size_t length;
    switch (random() % 4) {
    case 0: length = 259 - random() % 8; break;   /* as long as the record holds */
    case 1: length = 1 + random() % 200; break;
    default: length = 1 + random() % 16;
    }
    std::string name;
    while (name.size() < length)
        name += random() % 15 == 0 ? (char)(0xC0 + random() % 64) : allowed[random() % (sizeof(allowed) - 1)];
    return name;
}

static void RandomClsid(Random &random, BYTE *clsid)
{
    memset(clsid, 0, 16);
    switch (random() % 4) {
    case 0: break;                                   /* no class ID */
    case 1: clsid[random() % 16] = (BYTE)(1 + random() % 255); break;   /* a single byte set */
    default:
        for (int i = 0; i < 16; i++)
            clsid[i] = random() % 3 == 0 ? 0 : (BYTE)random();
    }
}

static std::vector<ModelEntry> RandomEntries(Random &random)
{
    size_t count = random() % 25 == 0 ? 100 + random() % 200 : random() % 8;
    std::vector<ModelEntry> entries(count);
    for (size_t i = 0; i < count; i++) {
        ModelEntry &e = entries[i];
        e.name = i > 0 && random() % 6 == 0 ? entries[random() % i].name : RandomName(random);   /* duplicates */
        e.location = random() % 10 == 0 ? (DWORD)random() : (DWORD)(random() % 9);
        e.ms = random() % 3 == 0 ? (DWORD)random() : (DWORD)(random() % 12) << 16 | (DWORD)(random() % 100);
        e.ls = random() % 3 == 0 ? (DWORD)random() : (DWORD)(random() % 4000);
        RandomClsid(random, e.clsid);
    }
    return entries;
}

/* ---- The product's side: a modeless copy of the dialog. ---- */

class MergeProperty : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ProgramInstance = GetModuleHandleA(NULL); }

    void SetUp() override
    {
        dialog = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_GENERATOR), NULL, GeneratorDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        DestroyWindow(dialog);   /* frees the records still in the list */
        SelectProductProfile("Mirel");
    }

    LRESULT List(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, message, wParam, lParam);
    }

    void Clear()
    {
        LRESULT count = List(LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            LRESULT data = List(LB_GETITEMDATA, (WPARAM)i, 0);
            if (data != LB_ERR && data != 0)
                HeapFree(GetProcessHeap(), 0, (void *)data);
        }
        List(LB_RESETCONTENT, 0, 0);
    }

    /* Fills the list as drops would, plus items that carry no record; returns
       the model entries in the list's (sorted) order. */
    std::vector<const ModelEntry *> Fill(Random &random, const std::vector<ModelEntry> &entries)
    {
        Clear();
        std::vector<std::pair<const GeneratorFileRecord *, const ModelEntry *>> owners;
        for (const ModelEntry &e : entries) {
            GeneratorFileRecord *record =
                (GeneratorFileRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
            memcpy(record->fileName, e.name.c_str(), e.name.size() + 1);
            record->location = e.location;
            record->versionMS = e.ms;
            record->versionLS = e.ls;
            memcpy(&record->clsid, e.clsid, sizeof(record->clsid));
            LRESULT item = List(LB_ADDSTRING, 0, (LPARAM)record->fileName);
            List(LB_SETITEMDATA, (WPARAM)item, (LPARAM)record);
            owners.push_back({ record, &e });
        }
        if (random() % 5 == 0)
            List(LB_ADDSTRING, 0, (LPARAM)"item without a record");
        std::vector<const ModelEntry *> order;
        LRESULT count = List(LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            LRESULT data = List(LB_GETITEMDATA, (WPARAM)i, 0);
            for (auto &owner : owners)
                if ((LRESULT)owner.first == data)
                    order.push_back(owner.second);
        }
        return order;
    }

    /* The first byte where the two differ, with some text around it. */
    static std::string Difference(const std::string &expected, const std::string &actual)
    {
        size_t at = 0;
        while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
            at++;
        size_t from = at > 60 ? at - 60 : 0;
        return "at byte " + std::to_string(at) + " (lengths " + std::to_string(expected.size()) + ", " +
               std::to_string(actual.size()) + ")\n expected: ..." + expected.substr(from, 120) +
               "\n   actual: ..." + actual.substr(from, 120);
    }

    HWND dialog = NULL;
};

TEST_F(MergeProperty, RandomDropsMatchTheModel)
{
    Random random(RandomSeed() + 2);
    int cases = RandomCases(3000, 30);
    for (int n = 0; n < cases; n++) {
        const auto &family = families[random() % (sizeof(families) / sizeof(families[0]))];
        SelectProductProfile(family.hardwareId);
        std::vector<ModelEntry> entries = RandomEntries(random);
        std::vector<const ModelEntry *> order = Fill(random, entries);
        ASSERT_EQ(entries.size(), order.size()) << "seed " << RandomSeed() << " case " << n;

        std::string expected = ModelMergeText(family.listKey, order);
        ASSERT_EQ(1, ComposeMergeText(dialog)) << "seed " << RandomSeed() << " case " << n;
        std::string actual(MergeText.text, MergeText.length);
        ASSERT_EQ((size_t)lstrlenA(MergeText.text), actual.size());
        ASSERT_TRUE(expected == actual) << "seed " << RandomSeed() << " case " << n << ", "
                                        << Difference(expected, actual);
    }
    Clear();
}

/* Every so often the whole file: exactly the model's bytes, no NUL, no BOM. */
TEST_F(MergeProperty, RandomDropsWrittenToTheFile)
{
    char temp[MAX_PATH], previous[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "quorvex-merge-property";
    CreateDirectoryA(folder.c_str(), NULL);
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    Random random(RandomSeed() + 3);
    int cases = RandomCases(150);
    for (int n = 0; n < cases; n++) {
        const auto &family = families[random() % (sizeof(families) / sizeof(families[0]))];
        SelectProductProfile(family.hardwareId);
        std::vector<ModelEntry> entries = RandomEntries(random);
        std::string expected = ModelMergeText(family.listKey, Fill(random, entries));
        ASSERT_EQ(1, WriteMergeFile(dialog)) << "seed " << RandomSeed() << " case " << n;
        HANDLE file = CreateFileA(MERGE_FILE_NAME, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        std::string bytes(GetFileSize(file, NULL), '\0');
        DWORD got = 0;
        ReadFile(file, &bytes[0], (DWORD)bytes.size(), &got, NULL);
        CloseHandle(file);
        ASSERT_TRUE(expected == bytes) << "seed " << RandomSeed() << " case " << n << ", "
                                       << Difference(expected, bytes);
    }
    Clear();
    DeleteFileA(MERGE_FILE_NAME);
    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(folder.c_str());
}
