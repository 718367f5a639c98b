/* The file check engine against the bare loop of the same registry and
   version reads, over lists of 10, 100, 1,000 and 10,000 entries, in one
   run; then the cost per entry from each size to the next, which stays flat
   when the engine grows linearly.
   Under Wine one entry costs a few milliseconds (registry and version
   reads through the server), so the largest list gets fewer runs.
   usage: bench_filecheck [RUNS [RUNS_AT_10000 [LARGEST]]]
          (defaults 7, 3 and 10000; LARGEST stops at a smaller list) */
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "bench_common.h"
#include "file_check.h"
#include "install_locations.h"
#include "product_profile.h"
#include "result_codes.h"

#define BENCH_ROOT "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Bench"
#define BENCH_LIST BENCH_ROOT "\\Drivers"
#define ENGINE_GOAL 1.2
#define GROWTH_GOAL 1.5

static const int listSizes[] = { 10, 100, 1000, 10000 };
#define SIZE_COUNT ((int)(sizeof(listSizes) / sizeof(listSizes[0])))

static void SetValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size)
{
    RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
}

static void EntryName(int index, char *name, int size)
{
    snprintf(name, (size_t)size, "board%05d.dll", index);
}

/* Grows the list (and the files it names) from `from` entries to `to`:
   each entry names the sample at exactly its version, in the product's
   main path; a hard link where the file system has them, else a copy. */
static int GrowList(const std::string &dir, const std::string &sample, int from, int to)
{
    for (int i = from; i < to; i++) {
        char name[32];
        EntryName(i, name, sizeof(name));
        std::string file = dir + "\\" + name;
        DeleteFileA(file.c_str());
        if (!CreateHardLinkA(file.c_str(), sample.c_str(), NULL) && !CopyFileA(sample.c_str(), file.c_str(), FALSE))
            return 0;
        HKEY key;
        std::string path = std::string(BENCH_LIST "\\") + name;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
            ERROR_SUCCESS)
            return 0;
        DWORD ms = 0x00010004, ls = 0x0002012C;   /* 1.4.2.300, the sample file's version */
        BYTE location = 5, allowed = 1;
        SetValue(key, "MajorVersion", REG_DWORD, &ms, 4);
        SetValue(key, "MinorVersion", REG_DWORD, &ls, 4);
        SetValue(key, "Location", REG_BINARY, &location, 1);
        SetValue(key, "UpdateAllowed", REG_BINARY, &allowed, 1);
        RegCloseKey(key);
    }
    return 1;
}

static void RemoveFiles(const std::string &dir, int count)
{
    for (int i = 0; i < count; i++) {
        char name[32];
        EntryName(i, name, sizeof(name));
        DeleteFileA((dir + "\\" + name).c_str());
    }
    RemoveDirectoryA(dir.c_str());
}

static int ReadValue(const char *key, const char *name, void *buffer, DWORD size)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return 0;
    LONG status = RegQueryValueExA(handle, name, NULL, NULL, (BYTE *)buffer, &size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

/* The least any check must do: enumerate the list, read the five values of
   each entry with a fresh open each, look for the file and read its version
   block, and compare the version. Returns the number of files that match. */
static int BareLoop(const char *dir)
{
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BENCH_LIST, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return 0;
    int matched = 0;
    char name[MAX_PATH];
    for (DWORD index = 0;; index++) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(list, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        char key[800], path[MAX_PATH];
        snprintf(key, sizeof(key), "%s\\%s", BENCH_LIST, name);
        DWORD ms = 0, ls = 0;
        BYTE location = 0, allowed = 0, guid[16];
        ReadValue(key, "MajorVersion", &ms, 4);
        ReadValue(key, "MinorVersion", &ls, 4);
        ReadValue(key, "Location", &location, 1);
        ReadValue(key, "UpdateAllowed", &allowed, 1);
        ReadValue(key, "Guid", guid, 16);
        snprintf(path, sizeof(path), "%s\\%s", dir, name);
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        DWORD unused, size = GetFileVersionInfoSizeA(path, &unused);
        std::vector<BYTE> block(size);
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT fixedSize = 0;
        if (size && GetFileVersionInfoA(path, 0, size, block.data()) &&
            VerQueryValueA(block.data(), "\\", (void **)&fixed, &fixedSize) && fixed != NULL &&
            fixed->dwFileVersionMS == ms && fixed->dwFileVersionLS == ls)
            matched++;
    }
    RegCloseKey(list);
    return matched;
}

/* All records must say "ok", or the engine did not do the work measured. */
static int CountOkRecords(const FileCheckRecord *record)
{
    int ok = 0;
    for (; record != NULL; record = record->next)
        ok += record->status == FILE_STATUS_OK;
    return ok;
}

int main(int argc, char **argv)
{
    int runs = RunsArgument(argc, argv, 1, 7);
    int runsLargest = RunsArgument(argc, argv, 2, 3);
    int largest = RunsArgument(argc, argv, 3, 10000);
    CoInitialize(NULL);
    char temp[MAX_PATH], own[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string dir = std::string(temp) + "quorvex-bench-filecheck";
    CreateDirectoryA(dir.c_str(), NULL);
    GetModuleFileNameA(NULL, own, sizeof(own));
    std::string sample = own;
    sample = sample.substr(0, sample.find_last_of('\\')) + "\\demo_files\\tvshared.dll";
    /* The listed files are links to one copy beside them, on the same disk. */
    std::string localSample = dir + "\\sample.dll";
    if (!CopyFileA(sample.c_str(), localSample.c_str(), FALSE)) {
        fprintf(stderr, "bench_filecheck: no sample library %s\n", sample.c_str());
        return 1;
    }

    SelectProductProfile("Mirel");
    HKEY product;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, Profile.productKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &product, NULL);
    SetValue(product, "Main path", REG_SZ, dir.c_str(), (DWORD)dir.size() + 1);
    RegCloseKey(product);
    InitInstallLocations();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, BENCH_ROOT);

    std::vector<double> perEntry[SIZE_COUNT];
    double began = BenchNow();
    int listed = 0, failed = 0;
    int sizes = 0;
    while (sizes < SIZE_COUNT && listSizes[sizes] <= largest)
        sizes++;
    for (int s = 0; s < sizes && !failed; s++) {
        int count = listSizes[s];
        if (!GrowList(dir, localSample, listed, count)) {
            fprintf(stderr, "bench_filecheck: could not lay out %d entries\n", count);
            failed = 1;
            break;
        }
        listed = count;
        printf("# %d entries laid out after %.1f s\n", count, (BenchNow() - began) / 1000.0);
        int sizeRuns = count >= 10000 ? runsLargest : runs;
        FileCheckRecord *list = NULL;
        /* One untimed pass of each warms the caches; the largest list was
           just written, which warmed them already. Every pass is checked:
           all files found at their version, or less work was measured. */
        if (count < 10000) {
            CheckFileList(&list, BENCH_LIST);
            failed = CountOkRecords(list) != count || BareLoop(dir.c_str()) != count;
        }
        std::vector<double> engine, bare;
        for (int i = 0; i < sizeRuns && !failed; i++) {
            /* Alternating order, so that drift in the machine hits both sides alike. */
            for (int half = 0; half < 2 && !failed; half++) {
                int engineTurn = (half == 0) == (i % 2 == 0);
                int matched = 0;
                double start = BenchNow();
                if (engineTurn)
                    CheckFileList(&list, BENCH_LIST);
                else
                    matched = BareLoop(dir.c_str());
                (engineTurn ? engine : bare).push_back(BenchNow() - start);
                failed = (engineTurn ? CountOkRecords(list) : matched) != count;
            }
            if (!failed)
                perEntry[s].push_back(engine.back() * 1000.0 / count);
        }
        if (failed)
            fprintf(stderr, "bench_filecheck: at %d entries not every file was found at its version\n", count);
        FreeFileCheckList(&list);
        if (failed)
            break;
        char parameter[32];
        snprintf(parameter, sizeof(parameter), "%d entries", count);
        char key[32];
        snprintf(key, sizeof(key), "filecheck.%d", count);
        PrintPairedRow(key, "file check engine vs bare reads", parameter, engine, bare, ENGINE_GOAL);
    }
    for (int s = 1; s < sizes && !failed; s++) {
        char key[40], parameter[48];
        snprintf(key, sizeof(key), "filecheck.per_entry.%d", listSizes[s]);
        snprintf(parameter, sizeof(parameter), "%d vs %d entries", listSizes[s], listSizes[s - 1]);
        PrintGrowthRow(key, "file check time per entry", parameter, perEntry[s], perEntry[s - 1], GROWTH_GOAL);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, BENCH_ROOT);
    DeleteFileA(localSample.c_str());
    RemoveFiles(dir, listed);
    CoUninitialize();
    return failed;
}
