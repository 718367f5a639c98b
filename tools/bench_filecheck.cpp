/* The file check engine against the bare loop of the same registry and
   version reads, over lists of 10, 100 and 1,000 entries, in one run.
   Prints medians, the spread and the ratio.   usage: bench_filecheck [RUNS] */
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <string>
#include <vector>

#include "file_check.h"
#include "install_locations.h"
#include "product_profile.h"
#include "result_codes.h"

#define BENCH_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Bench\\Drivers"

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static double Median(std::vector<double> v, double *p10, double *p90)
{
    std::sort(v.begin(), v.end());
    *p10 = v[v.size() / 10];
    *p90 = v[v.size() * 9 / 10];
    return v[v.size() / 2];
}

static void SetValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size)
{
    RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
}

static void MakeList(const std::string &dir, const std::string &sample, int count)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, BENCH_LIST);
    for (int i = 0; i < count; i++) {
        char name[32];
        wsprintfA(name, "board%04d.dll", i);
        CopyFileA(sample.c_str(), (dir + "\\" + name).c_str(), FALSE);
        HKEY key;
        std::string path = std::string(BENCH_LIST "\\") + name;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        DWORD ms = 0x00040002, ls = 0x000304D2;
        BYTE location = 5, allowed = 1;
        SetValue(key, "MajorVersion", REG_DWORD, &ms, 4);
        SetValue(key, "MinorVersion", REG_DWORD, &ls, 4);
        SetValue(key, "Location", REG_BINARY, &location, 1);
        SetValue(key, "UpdateAllowed", REG_BINARY, &allowed, 1);
        RegCloseKey(key);
    }
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

/* The least the check must do: enumerate, read five values per entry with
   a fresh open each, and read each file's version block. */
static int BareLoop(const char *dir)
{
    HKEY list;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, BENCH_LIST, 0, KEY_READ, &list);
    int ok = 0;
    char name[MAX_PATH];
    for (DWORD index = 0;; index++) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(list, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        char key[800], path[MAX_PATH];
        wsprintfA(key, "%s\\%s", BENCH_LIST, name);
        DWORD ms, ls;
        BYTE location, allowed, guid[16];
        ReadValue(key, "MajorVersion", &ms, 4);
        ReadValue(key, "MinorVersion", &ls, 4);
        ReadValue(key, "Location", &location, 1);
        ReadValue(key, "UpdateAllowed", &allowed, 1);
        ReadValue(key, "Guid", guid, 16);
        wsprintfA(path, "%s\\%s", dir, name);
        DWORD unused, size = GetFileVersionInfoSizeA(path, &unused);
        std::vector<BYTE> block(size);
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && size &&
            GetFileVersionInfoA(path, 0, size, block.data()))
            ok++;
    }
    RegCloseKey(list);
    return ok;
}

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 11;
    CoInitialize(NULL);
    char temp[MAX_PATH], own[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string dir = std::string(temp) + "quorvex-bench";
    CreateDirectoryA(dir.c_str(), NULL);
    GetModuleFileNameA(NULL, own, sizeof(own));
    std::string sample = own;
    sample = sample.substr(0, sample.find_last_of('\\')) + "\\filecheck\\v4_2_3_1234.dll";

    SelectProductProfile("Mirel");
    HKEY product;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, Profile.productKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &product, NULL);
    SetValue(product, "Main path", REG_SZ, dir.c_str(), (DWORD)dir.size() + 1);
    RegCloseKey(product);
    InitInstallLocations();

    printf("%8s %12s %12s %8s   %s\n", "entries", "engine ms", "bare ms", "ratio", "engine p10-p90");
    for (int count : { 10, 100, 1000 }) {
        MakeList(dir, sample, count);
        std::vector<double> engine, bare;
        FileCheckRecord *list = NULL;
        for (int i = 0; i < runs; i++) {
            double start = Now();
            CheckFileList(&list, BENCH_LIST);
            double middle = Now();
            BareLoop(dir.c_str());
            double end = Now();
            engine.push_back(middle - start);
            bare.push_back(end - middle);
        }
        FreeFileCheckList(&list);
        double e10, e90, b10, b90;
        double e = Median(engine, &e10, &e90), b = Median(bare, &b10, &b90);
        printf("%8d %12.2f %12.2f %8.2f   %.2f-%.2f\n", count, e, b, e / b, e10, e90);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Bench");
    CoUninitialize();
    return 0;
}
