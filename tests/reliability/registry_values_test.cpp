/* Registry values of every type and size at every value the program reads:
   the readers themselves with guarded caller buffers, the language code,
   the install locations, the report's installation lines and the FileCheck
   entry values. Sizes run from 0 past each buffer; each size is written as
   REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD and REG_NONE,
   with and without a terminating NUL. What the program shows must be
   exactly the bytes the registry holds, or its fallback when the value does
   not fit. */
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
#include "registry_read.h"
#include "reliability_support.h"
#include "report_compose.h"
#include "result_codes.h"
#include "test_paths.h"

#define SCRATCH_KEY  "Software\\Tavolink Systems\\Quorvex\\Reliability"
#define VERSION_KEY  "Software\\Microsoft\\Windows\\CurrentVersion"
#define TEST_LIST    "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Reliability\\Drivers"

static std::string Describe(DWORD type, size_t size, bool terminated)
{
    for (int t = 0; t < REGISTRY_TYPE_COUNT; t++)
        if (registryTypes[t].type == type)
            return std::string(registryTypes[t].name) + " of " + std::to_string(size) + " bytes" +
                   (terminated ? ", NUL-terminated" : ", no NUL");
    return "?";
}

/* Every (type, size, terminated) of the sizes given. */
template <typename Check>
static int Sweep(const std::vector<size_t> &sizes, Check check)
{
    int cases = 0;
    for (int t = 0; t < REGISTRY_TYPE_COUNT; t++)
        for (size_t size : sizes)
            for (int terminated = 0; terminated < 2; terminated++) {
                if (terminated && size == 0)
                    continue;
                SCOPED_TRACE(Describe(registryTypes[t].type, size, terminated));
                check(registryTypes[t].type, size, terminated != 0);
                cases++;
            }
    return cases;
}

static std::vector<size_t> Around(std::initializer_list<size_t> centres, size_t reach = 2)
{
    std::vector<size_t> sizes;
    for (size_t centre : centres)
        for (size_t s = centre >= reach ? centre - reach : 0; s <= centre + reach; s++)
            if (sizes.empty() || s > sizes.back())
                sizes.push_back(s);
    return sizes;
}

class RegistryValueSweep : public ::testing::Test {
protected:
    void TearDown() override { DeleteHklmTree(SCRATCH_KEY); }
};

/* The four readers into caller buffers of several sizes: a value that fits
   is copied whole and leaves the rest of the buffer alone; one that does not
   fit fails; nothing is ever written outside the buffer. */
TEST_F(RegistryValueSweep, ReadersNeverWritePastTheCallersBuffer)
{
    const size_t bufferSizes[] = { 1, 4, 16, 260, 512 };
    int cases = 0;
    for (size_t room : bufferSizes) {
        SCOPED_TRACE("buffer of " + std::to_string(room));
        cases += Sweep(Around({ 0, room, room + 40 }, 3), [&](DWORD type, size_t size, bool terminated) {
            std::vector<BYTE> stored = PutValue(SCRATCH_KEY, "Value", type, ValueBytes(size, terminated));
            bool fits = stored.size() <= room;
            for (int probe = 0; probe < 2; probe++) {
                GuardedBuffer buffer = MakeGuardedBuffer(room);
                LastResult = 77;
                int read = probe ? ProbeRegistryValue(SCRATCH_KEY, "Value", buffer.data(), (DWORD)room)
                                 : room == 4   ? ReadRegistryDword(SCRATCH_KEY, "Value", buffer.data())
                                 : room == 1   ? ReadRegistryByte(SCRATCH_KEY, "Value", buffer.data())
                                               : ReadRegistryValue(SCRATCH_KEY, "Value", buffer.data(), (DWORD)room);
                EXPECT_TRUE(GuardsIntact(buffer));
                EXPECT_EQ(fits ? 1 : 0, read);
                EXPECT_EQ(fits || probe ? 77u : (DWORD)RESULT_REGISTRY_ACCESS_FAILED, LastResult);
                if (read) {
                    EXPECT_EQ(0, memcmp(stored.data(), buffer.data(), stored.size()));
                    /* The registry itself may end a string with NULs where there is room. */
                    size_t i = stored.size();
                    bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
                    while (text && i < room && i < stored.size() + 2 && buffer.data()[i] == 0)
                        i++;
                    for (; i < room; i++)
                        ASSERT_EQ(BUFFER_FILL, buffer.data()[i]) << "byte " << i << " past the value";
                }
            }
        });
    }
    RecordProperty("cases", cases);
}

/* "Language" of the product key into the four-byte code: up to three
   characters are the code, anything longer falls back to 001. */
TEST_F(RegistryValueSweep, LanguageCodeOfEverySize)
{
    SelectProductProfile("Mirel");
    int cases = Sweep(Around({ 0, 4, 260 }, 4), [&](DWORD type, size_t size, bool terminated) {
        std::vector<BYTE> stored = PutValue(Profile.productKey, "Language", type, ValueBytes(size, terminated, "049"));
        bool fits = stored.size() < 4 || (stored.size() == 4 && stored[3] == 0);
        ReadLanguageCode();
        EXPECT_EQ(fits ? TextOf(stored, 4) : std::string("001"), std::string(languageCode));
        EXPECT_LT(strlen(languageCode), sizeof(languageCode));
    });
    DeleteHklmValue(Profile.productKey, "Language");
    RecordProperty("cases", cases);
}

class InstallLocationSweep : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectProductProfile("Mirel");
        savedProgramFiles = StoredValue(VERSION_KEY, "ProgramFilesDir", &programFiles);
        HKEY key;
        savedType = REG_SZ;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, VERSION_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, "ProgramFilesDir", NULL, &savedType, NULL, NULL);
            RegCloseKey(key);
        }
        WriteHklmString(VERSION_KEY, "ProgramFilesDir", "C:\\Program Files");
    }
    void TearDown() override
    {
        if (savedProgramFiles)
            WriteHklmValue(VERSION_KEY, "ProgramFilesDir", savedType, programFiles.data(), (DWORD)programFiles.size());
        DeleteHklmValue(Profile.productKey, "Main path");
        InitInstallLocations();
    }
    std::string Windows()
    {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof(windows));
        return windows;
    }
    bool savedProgramFiles;
    DWORD savedType;
    std::vector<BYTE> programFiles;
};

static std::string Cut(const std::string &text) { return text.substr(0, MAX_PATH - 1); }

/* "Main path" into its 260-byte field: the value's text, cut at the field's
   end when it comes without NUL, or empty when it does not fit; the fields
   around it keep exactly their own directories. */
TEST_F(InstallLocationSweep, MainPathOfEverySize)
{
    int cases = Sweep(Around({ 0, 130, MAX_PATH, 1000 }, 3), [&](DWORD type, size_t size, bool terminated) {
        std::vector<BYTE> stored =
            PutValue(Profile.productKey, "Main path", type, ValueBytes(size, terminated, "D:\\Board\\"));
        bool fits = stored.size() <= MAX_PATH;
        LastResult = 0;
        EXPECT_EQ(1, InitInstallLocations());
        EXPECT_EQ(fits ? TextOf(stored, MAX_PATH) : std::string(), std::string(InstallLocations.mainPath));
        EXPECT_EQ(fits ? 0u : (DWORD)RESULT_REGISTRY_ACCESS_FAILED, LastResult);
        EXPECT_EQ(Windows() + "\\SYSTEM32\\DRIVERS", InstallLocations.driversDir);
        EXPECT_STREQ("C:\\Program Files\\Tavolink\\Shared Files", InstallLocations.sharedFilesDir);
        EXPECT_STREQ(InstallLocations.mainPath, LocationDirectory(5));
    });
    RecordProperty("cases", cases);
}

/* "ProgramFilesDir" into a 260-byte buffer: the three shared directories are
   built from its text and cut at their fields' ends, or all left empty. */
TEST_F(InstallLocationSweep, ProgramFilesDirOfEverySize)
{
    WriteHklmString(Profile.productKey, "Main path", "D:\\Board");
    int cases = Sweep(Around({ 0, 230, 237, 240, 255, MAX_PATH, 600 }, 2), [&](DWORD type, size_t size, bool terminated) {
        std::vector<BYTE> stored =
            PutValue(VERSION_KEY, "ProgramFilesDir", type, ValueBytes(size, terminated, "C:\\Programs\\"));
        bool fits = stored.size() <= MAX_PATH;
        EXPECT_EQ(fits ? 1 : 0, InitInstallLocations());
        std::string shared = fits ? Cut(TextOf(stored, MAX_PATH) + "\\Tavolink\\Shared Files") : "";
        EXPECT_EQ(shared, InstallLocations.sharedFilesDir);
        EXPECT_EQ(fits ? Cut(shared + "\\Filter") : "", InstallLocations.filterDir);
        EXPECT_EQ(fits ? Cut(shared + "\\Bin") : "", InstallLocations.binDir);
        EXPECT_STREQ("D:\\Board", InstallLocations.mainPath);
        EXPECT_EQ(Windows(), InstallLocations.windowsDir);
    });
    RecordProperty("cases", cases);
}

class ReportValueSweep : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectProductProfile("Mirel");
        DeleteHklmValue(Profile.productKey, "Install Version");
        DeleteHklmValue(Profile.productKey, "Language");
    }
    void TearDown() override
    {
        DeleteHklmValue(Profile.productKey, "Install Version");
        DeleteHklmValue(Profile.productKey, "Language");
    }
    static std::string Line(const char *label)
    {
        ComposeTestReport();
        std::string report(TestReport.text, TestReport.length);
        size_t start = report.find(label);
        if (start == std::string::npos)
            return "(no line)";
        size_t end = report.find("\r\n", start);
        return report.substr(start + strlen(label), end - start - strlen(label));
    }
};

/* The report's install line shows exactly the value's text (cut at the
   512-byte value buffer), or the placeholder when it does not fit. A short
   value without its NUL ends where its bytes end. */
TEST_F(ReportValueSweep, InstallVersionOfEverySize)
{
    int cases = Sweep(Around({ 0, 3, REPORT_VALUE_SIZE }, 3), [&](DWORD type, size_t size, bool terminated) {
        std::vector<BYTE> stored =
            PutValue(Profile.productKey, "Install Version", type, ValueBytes(size, terminated, "2.10 "));
        std::string expected = stored.size() <= REPORT_VALUE_SIZE ? TextOf(stored, REPORT_VALUE_SIZE)
                                                                  : "no version information found";
        /* A report line longer than its 512-byte buffer ends in "..." */
        const size_t room = REPORT_LINE_SIZE - 6 - strlen("Install Version: ");
        if (expected.size() + strlen("Install Version: \r\n") > REPORT_LINE_SIZE - 1)
            expected = expected.substr(0, room) + "...";
        EXPECT_EQ(expected, Line("Install Version: "));
    });
    RecordProperty("cases", cases);
}

/* The report's language line: the value's text through the language table,
   so "049" without its NUL is German all the same. */
TEST_F(ReportValueSweep, LanguageOfEverySize)
{
    int cases = Sweep(Around({ 0, 3, REPORT_VALUE_SIZE }, 3), [&](DWORD type, size_t size, bool terminated) {
        std::vector<BYTE> stored = PutValue(Profile.productKey, "Language", type, ValueBytes(size, terminated, "049"));
        std::string expected = stored.size() > REPORT_VALUE_SIZE ? "no language information found"
                               : TextOf(stored, REPORT_VALUE_SIZE) == "049" ? "049 / German"
                                                                            : "unknown language identifier found";
        EXPECT_EQ(expected, Line("Language:        "));
    });
    RecordProperty("cases", cases);
}

/* FileCheck entry values. The entry under test lies between two good
   entries (registry order); each of its values in turn takes every type
   and size. A required value that does not fit stops the run with the
   registry code, keeping the entry before; a shorter one reads
   zero-extended; a "Guid" that does not fit counts as absent. */
class FileCheckValueSweep : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(NULL); }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override
    {
        SelectProductProfile("Mirel");
        WriteHklmString(Profile.productKey, "Main path", (TestProgramDirectory() + FILECHECK_FIXTURE_DIR).c_str());
        InitInstallLocations();
        list = NULL;
    }
    void TearDown() override
    {
        FreeFileCheckList(&list);
        DeleteHklmTree("Software\\Tavolink Systems\\Quorvex\\FileCheck\\Reliability");
        DeleteHklmValue(Profile.productKey, "Main path");
    }

    struct Expected {
        int result;
        ResultCode lastResult;
        std::vector<FileStatus> statuses;
    };

    /* Builds the three-entry list with one value of the middle entry replaced. */
    void WriteList(const char *valueName, DWORD type, const std::vector<BYTE> &bytes, std::vector<BYTE> *stored)
    {
        DeleteHklmTree(TEST_LIST);
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "v1_2_0_15.dll", 0x00010002, 0x0000000F, 5, 0));
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "v4_2_3_1234.dll", 0x00040002, 0x000304D2, 5, 0));
        ASSERT_TRUE(WriteFileCheckEntry(TEST_LIST, "v5_1_0_7.dll", 0x00050001, 0x00000007, 5, 1));
        *stored = PutValue(TEST_LIST "\\v4_2_3_1234.dll", valueName, type, bytes);
    }

    Expected Model(const char *valueName, const std::vector<BYTE> &stored)
    {
        DWORD ms = 0x00040002, ls = 0x000304D2;
        BYTE location = 5, update = 0;
        bool classListed = false;
        struct { const char *name; size_t width; } required[] = {
            { "MajorVersion", 4 }, { "MinorVersion", 4 }, { "Location", 1 }, { "UpdateAllowed", 1 } };
        for (auto &r : required)
            if (strcmp(valueName, r.name) == 0 && stored.size() > r.width)
                return { 0, RESULT_REGISTRY_ACCESS_FAILED, { FILE_STATUS_OK } };
        if (strcmp(valueName, "MajorVersion") == 0) ms = (DWORD)ZeroExtended(stored, 4);
        if (strcmp(valueName, "MinorVersion") == 0) ls = (DWORD)ZeroExtended(stored, 4);
        if (strcmp(valueName, "Location") == 0) location = (BYTE)ZeroExtended(stored, 1);
        if (strcmp(valueName, "UpdateAllowed") == 0) update = (BYTE)ZeroExtended(stored, 1);
        /* No class of these bytes is registered: a "Guid" that is read fails the entry. */
        if (strcmp(valueName, "Guid") == 0)
            classListed = stored.size() <= sizeof(GUID);
        FileStatus status;
        ResultCode code;
        unsigned long long installed = 0x00040002000304D2ull, listed = ((unsigned long long)ms << 32) | ls;
        if (location != 5) {
            status = FILE_STATUS_MISSING, code = RESULT_FILE_NOT_FOUND;
        } else if ((long long)installed < (long long)listed) {
            status = FILE_STATUS_OUT_OF_DATE, code = RESULT_FILE_OUT_OF_DATE;
        } else if (installed > listed) {
            status = update ? FILE_STATUS_UPDATED : FILE_STATUS_NOT_RELEASED;
            code = update ? RESULT_OK : RESULT_FILE_UPDATED;
        } else if (classListed) {
            status = FILE_STATUS_CLSID_NOT_REGISTERED, code = RESULT_FILE_VERSIONINFO_FAILED;
        } else {
            status = FILE_STATUS_OK, code = RESULT_OK;
        }
        return { code == RESULT_OK ? 1 : 0, code == RESULT_OK ? 0u : code,
                 { FILE_STATUS_OK, status, FILE_STATUS_OK } };
    }

    FileCheckRecord *list;
};

TEST_F(FileCheckValueSweep, EveryEntryValueOfEveryTypeAndSize)
{
    const struct { const char *name; size_t width; const BYTE *base; } values[] = {
        { "MajorVersion", 4, (const BYTE *)"\x02\x00\x04\x00" },
        { "MinorVersion", 4, (const BYTE *)"\xD2\x04\x03\x00" },
        { "Location", 1, (const BYTE *)"\x05" },
        { "UpdateAllowed", 1, (const BYTE *)"\x01" },
        { "Guid", 16, (const BYTE *)&FileCheckClsidUnregistered },
    };
    int cases = 0;
    for (auto &value : values) {
        SCOPED_TRACE(value.name);
        std::vector<size_t> sizes = Around({ 0, value.width }, 3);
        sizes.push_back(100);
        cases += Sweep(sizes, [&](DWORD type, size_t size, bool terminated) {
            std::vector<BYTE> bytes = ValueBytes(size, terminated);
            for (size_t i = 0; i < size && i < value.width; i++)
                bytes[i] = value.base[i];
            if (terminated && size > 0)
                bytes[size - 1] = 0;
            std::vector<BYTE> stored;
            WriteList(value.name, type, bytes, &stored);
            Expected expected = Model(value.name, stored);
            LastResult = 0;
            EXPECT_EQ(expected.result, CheckFileList(&list, TEST_LIST));
            EXPECT_EQ(expected.lastResult, LastResult);
            std::vector<FileStatus> statuses;
            for (const FileCheckRecord *r = list; r != NULL; r = r->next)
                statuses.push_back(r->status);
            EXPECT_EQ(expected.statuses, statuses);
        });
    }
    RecordProperty("cases", cases);
}
