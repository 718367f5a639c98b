/* FileCheck lists at their limits: ten thousand entries, every one of which
   must come back as a record and as a report line; and entry names and
   directories whose paths run up to and past MAX_PATH. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <string>
#include <vector>

#include "diagnostic_results.h"
#include "file_check.h"
#include "fixture_ids.h"
#include "install_locations.h"
#include "language.h"
#include "product_profile.h"
#include "registry_scratch.h"
#include "report_compose.h"
#include "report_file.h"
#include "result_codes.h"
#include "test_paths.h"

#define LIST_ROOT "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Reliability"
#define TEST_LIST LIST_ROOT "\\Drivers"

static std::string Fixture(const char *name) { return TestProgramDirectory() + FILECHECK_FIXTURE_DIR "\\" + name; }

/* One entry with a single open of its key. */
static bool WriteEntry(HKEY list, const char *name, DWORD ms, DWORD ls, BYTE location, BYTE update)
{
    HKEY key;
    if (RegCreateKeyExA(list, name, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    bool written = RegSetValueExA(key, "MajorVersion", 0, REG_DWORD, (const BYTE *)&ms, 4) == ERROR_SUCCESS &&
                   RegSetValueExA(key, "MinorVersion", 0, REG_DWORD, (const BYTE *)&ls, 4) == ERROR_SUCCESS &&
                   RegSetValueExA(key, "Location", 0, REG_BINARY, &location, 1) == ERROR_SUCCESS &&
                   RegSetValueExA(key, "UpdateAllowed", 0, REG_BINARY, &update, 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

/* Subkey names in the order the registry enumerates them. */
static std::vector<std::string> EnumeratedNames(const char *path)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; index++) {
        char name[1024];
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

static std::string Temp()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    return temp;
}

class FileListLimits : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(NULL); }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override
    {
        SelectProductProfile("Mirel");
        LoadLanguageLibrary();
        directory = Temp() + "quorvex-rel-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(directory.c_str(), NULL));
        list = NULL;
    }
    void TearDown() override
    {
        FreeFileCheckList(&list);
        FreeFileCheckList(&DiagnosticResults.softwareFiles);
        ZeroMemory(&DiagnosticResults.softwareInstallation, sizeof(DiagnosticResults.softwareInstallation));
        DeleteHklmTree(LIST_ROOT);
        DeleteHklmValue(Profile.productKey, "Main path");
        RemoveTree(directory);
    }
    static void RemoveTree(const std::string &path)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + "\\" + name);
                else
                    DeleteFileA((path + "\\" + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path.c_str());
    }
    void UseMainPath(const std::string &path)
    {
        WriteHklmString(Profile.productKey, "Main path", path.c_str());
        InitInstallLocations();
        ASSERT_EQ(path, InstallLocations.mainPath);
    }
    std::string directory;
    FileCheckRecord *list;
};

static std::string SoftwareLine(const std::string &path, DWORD ms, DWORD ls, const char *status)
{
    size_t slash = path.find_last_of('\\');
    std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char line[1024];
    wsprintfA(line, "File %s%-16s - Version %d.%02d.%03d (%s)\r\n", dir.c_str(), name.c_str(), (int)HIWORD(ms),
              (int)LOWORD(ms), (int)ls, status);
    return line;
}

/* Ten thousand entries: most name missing files, every tenth and
   twenty-fifth an invalid location, every hundredth a real file at the
   listed, an older or a newer version. The run keeps a record for each in
   registry order, the report a line for each, and the file the whole report. */
TEST_F(FileListLimits, TenThousandEntriesAreAllKeptAndReported)
{
    const int count = 10000;
    UseMainPath(directory);
    HKEY listKey;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, TEST_LIST, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &listKey, NULL));
    struct Planned { std::string path; DWORD ms, ls; const char *status; };
    std::vector<Planned> planned(count);
    for (int i = 0; i < count; i++) {
        char name[32];
        wsprintfA(name, "entry%05d.dll", i);
        BYTE location = i % 10 == 4 ? 4 : i % 25 == 9 ? 200 : 5;
        DWORD listedLs = 0x000304D2;
        if (i % 100 == 0 && location == 5) {
            ASSERT_TRUE(CopyFileA(Fixture("v4_2_3_1234.dll").c_str(), (directory + "\\" + name).c_str(), FALSE));
            listedLs += (DWORD)(i % 300) / 100 - 1;   /* newer, listed or older than installed */
        }
        ASSERT_TRUE(WriteEntry(listKey, name, 0x00040002, listedLs, location, (BYTE)(i % 200 == 0)));
        Planned &p = planned[i];
        if (location != 5) {
            p = { std::string(name) + ": Invalid location number in registry!", 0, 0, "missing" };
        } else if (i % 100 != 0) {
            p = { directory + "\\" + name, 0, 0, "missing" };
        } else {
            const char *verdict = listedLs < 0x000304D2 ? (i % 200 == 0 ? "updated" : "not released")
                                  : listedLs == 0x000304D2 ? "ok" : "out of date";
            p = { directory + "\\" + name, 0x00040002, 0x000304D2, verdict };
        }
    }
    RegCloseKey(listKey);

    std::vector<std::string> order = EnumeratedNames(TEST_LIST);
    ASSERT_EQ((size_t)count, order.size());
    LastResult = 0;
    EXPECT_EQ(0, CheckFileList(&DiagnosticResults.softwareFiles, TEST_LIST));
    DiagnosticResults.softwareInstallation.executed = 1;
    DiagnosticResults.softwareInstallation.status = LastResult;

    std::string expectedLines;
    const FileCheckRecord *record = DiagnosticResults.softwareFiles;
    for (int i = 0; i < count; i++, record = record->next) {
        ASSERT_NE(nullptr, record) << "record " << i << " of " << count << " lost";
        int n = atoi(order[i].c_str() + 5);
        const Planned &p = planned[n];
        ASSERT_EQ(p.path, record->path) << i;
        ASSERT_STREQ(p.status, FileStatusWord(record->status)) << p.path;
        ASSERT_EQ(p.ms, record->versionMS) << p.path;
        ASSERT_EQ(p.ls, record->versionLS) << p.path;
        expectedLines += SoftwareLine(p.path, p.ms, p.ls, p.status);
    }
    EXPECT_EQ(nullptr, record) << "no record beyond the list";

    ASSERT_EQ(1, ComposeTestReport());
    std::string report(TestReport.text, TestReport.length);
    size_t start = report.find("[Software Installation Test]\r\nTest executed: YES\r\nTest status:   ");
    ASSERT_NE(std::string::npos, start);
    start = report.find("\r\n", report.find("Test status:", start)) + 2;
    size_t end = report.find("\r\n[Audio driver access Test]", start);
    ASSERT_NE(std::string::npos, end);
    EXPECT_EQ(expectedLines, report.substr(start, end - start)) << "every line, in list order";
    EXPECT_EQ(std::string::npos, report.find("cut here"));

    ASSERT_EQ(1, WriteTestReport());
    char path[MAX_PATH];
    GetTestReportPath(path, sizeof(path));
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string written(GetFileSize(file, NULL), '\0');
    DWORD got = 0;
    ReadFile(file, &written[0], (DWORD)written.size(), &got, NULL);
    CloseHandle(file);
    EXPECT_EQ(report.size(), (size_t)got);
    EXPECT_TRUE(report == written) << "the file holds the whole report";
    RecordProperty("entries", count);
    RecordProperty("report_bytes", (int)report.size());
}

/* Entry names and a main path that together run from well inside MAX_PATH
   to past it. A path that fits names the real file and is checked; one that
   does not is kept cut to 259 characters and reported missing, and the
   entries after it are still checked. */
TEST_F(FileListLimits, PathsAtAndPastMaxPath)
{
    std::string deep = directory + "\\" + std::string(200 - directory.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL)) << deep.size();
    UseMainPath(deep);
    int cases = 0;
    for (size_t total = 250; total <= 262; total++) {
        std::vector<std::string> paths;
        /* The name under test between two short ones that always fit. */
        std::string name = std::string(total - deep.size() - 1 - 4, 'n') + ".dll";
        std::string full = deep + "\\" + name;
        ASSERT_EQ(total, full.size());
        DeleteHklmTree(TEST_LIST);
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "a.dll", 0x00040002, 0x000304D2, 5, 0));
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, name.c_str(), 0x00040002, 0x000304D2, 5, 0));
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "z.dll", 0x00040002, 0x000304D2, 5, 0));
        bool fits = total < MAX_PATH;
        if (fits)
            ASSERT_TRUE(CopyFileA(Fixture("v4_2_3_1234.dll").c_str(), full.c_str(), FALSE)) << total;
        CopyFileA(Fixture("v4_2_3_1234.dll").c_str(), (deep + "\\a.dll").c_str(), FALSE);
        CopyFileA(Fixture("v4_2_3_1234.dll").c_str(), (deep + "\\z.dll").c_str(), FALSE);

        LastResult = 0;
        EXPECT_EQ(fits ? 1 : 0, CheckFileList(&list, TEST_LIST)) << total;
        EXPECT_EQ(fits ? 0u : (DWORD)RESULT_FILE_NOT_FOUND, LastResult) << total;
        std::vector<std::string> order = EnumeratedNames(TEST_LIST);
        const FileCheckRecord *record = list;
        for (const std::string &entry : order) {
            ASSERT_NE(nullptr, record) << total << ": " << entry.size() << "-character entry lost";
            bool long_ = entry.size() > 5;
            std::string expectedPath = (deep + "\\" + entry).substr(0, MAX_PATH - 1);
            EXPECT_EQ(expectedPath, record->path) << total;
            EXPECT_EQ(long_ && !fits ? (DWORD)FILE_STATUS_MISSING : (DWORD)FILE_STATUS_OK, record->status) << total;
            EXPECT_EQ(long_ && !fits ? 0u : 0x000304D2u, record->versionLS) << total;
            record = record->next;
        }
        EXPECT_EQ(nullptr, record);
        if (fits)
            DeleteFileA(full.c_str());
        cases++;
    }
    RecordProperty("cases", cases);
}

/* Subkey names from 240 characters up to the registry's limit and past it:
   every name the registry holds comes back as a record, and the entries
   enumerated after it as well. */
TEST_F(FileListLimits, SubkeyNamesUpToAndPastTheRegistryLimit)
{
    UseMainPath("C:\\B");
    int cases = 0;
    for (size_t length = 240; length <= 300; length++) {
        std::string name = std::string(length - 4, 'k') + ".sys";
        DeleteHklmTree(TEST_LIST);
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "a.sys", 1, 0, 5, 0));
        bool stored = WriteFileCheckEntry(TEST_LIST, name.c_str(), 1, 0, 5, 0);
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "z.sys", 1, 0, 5, 0));
        std::vector<std::string> order = EnumeratedNames(TEST_LIST);
        ASSERT_EQ(stored ? 3u : 2u, order.size()) << length;
        LastResult = 0;
        EXPECT_EQ(0, CheckFileList(&list, TEST_LIST));
        std::vector<std::string> paths;
        for (const FileCheckRecord *r = list; r != NULL; r = r->next) {
            paths.push_back(r->path);
            EXPECT_EQ((DWORD)FILE_STATUS_MISSING, r->status);
        }
        ASSERT_EQ(order.size(), paths.size()) << length << "-character name: every entry gets a record";
        for (size_t i = 0; i < order.size(); i++)
            EXPECT_EQ(("C:\\B\\" + order[i]).substr(0, MAX_PATH - 1), paths[i]);
        cases++;
    }
    RecordProperty("cases", cases);
}
