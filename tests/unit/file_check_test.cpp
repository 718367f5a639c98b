/* The file check engine against FileCheck lists written by the tests and
   real files with version resources built by the project. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <string>
#include <vector>

#include "file_check.h"
#include "fixture_ids.h"
#include "install_locations.h"
#include "language.h"
#include "platform.h"
#include "product_profile.h"
#include "registry_scratch.h"
#include "result_codes.h"
#include "test_paths.h"

#define TEST_LIST "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Tests\\Drivers"

static DWORD MS(int major, int minor) { return ((DWORD)major << 16) | (DWORD)minor; }

static std::string FixtureDirectory() { return TestProgramDirectory() + "filecheck"; }

struct Entry {
    const char *name;
    DWORD ms, ls;
    BYTE location;
    BYTE updateAllowed;
    const GUID *clsid;
};

static void WriteEntry(const char *listKey, const Entry &e)
{
    ASSERT_TRUE(WriteFileCheckEntry(listKey, e.name, e.ms, e.ls, e.location, e.updateAllowed, e.clsid)) << e.name;
}

static void WriteList(const char *listKey, std::initializer_list<Entry> entries)
{
    ASSERT_TRUE(MakeEmptyHklmKey(listKey));
    for (const Entry &e : entries)
        WriteEntry(listKey, e);
}

static std::vector<FileCheckRecord> Records(const FileCheckRecord *head)
{
    std::vector<FileCheckRecord> records;
    for (; head != NULL; head = head->next)
        records.push_back(*head);
    return records;
}

class FileCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(NULL);
        SelectProductProfile("Mirel");
        LoadLanguageLibrary();
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override
    {
        WriteHklmString(Profile.productKey, "Main path", FixtureDirectory().c_str());
        InitInstallLocations();
        list = NULL;
        LastResult = 0;
    }
    void TearDown() override
    {
        FreeFileCheckList(&list);
        DeleteHklmTree("Software\\Tavolink Systems\\Quorvex\\FileCheck\\Tests");
        DeleteHklmValue(Profile.productKey, "Main path");
    }
    int Check() { return CheckFileList(&list, TEST_LIST); }
    std::string Fixture(const char *name) { return FixtureDirectory() + "\\" + name; }

    FileCheckRecord *list;
};

TEST(FixedFileInfo, FirstSignatureAtAnyOffsetWins)
{
    BYTE block[200] = {};
    const DWORD signature = FIXED_FILE_SIGNATURE, early[2] = { 0x11112222, 0x33334444 },
                real[2] = { 0x00020000, 0x00000001 };
    memcpy(block + 41, &signature, 4);          /* odd offset, before the real one */
    memcpy(block + 49, early, 8);
    memcpy(block + 80, &signature, 4);
    memcpy(block + 88, real, 8);
    DWORD version[2];
    ASSERT_EQ(1, FindFixedFileInfo(block, sizeof(block), version));
    EXPECT_EQ(early[0], version[0]);
    EXPECT_EQ(early[1], version[1]);
    memset(block + 41, 0, 4);
    ASSERT_EQ(1, FindFixedFileInfo(block, sizeof(block), version));
    EXPECT_EQ(real[0], version[0]);
}

TEST(FixedFileInfo, ShortBlocksHoldNoFixedInfo)
{
    BYTE block[60] = {};
    const DWORD signature = FIXED_FILE_SIGNATURE;
    memcpy(block, &signature, 4);
    DWORD version[2] = { 7, 7 };
    EXPECT_EQ(0, FindFixedFileInfo(block, 52, version)) << "52 bytes or less";
    EXPECT_EQ(0, FindFixedFileInfo(block, 0, version));
    EXPECT_EQ(1, FindFixedFileInfo(block, 53, version));
    /* A signature in the last 52 bytes is not taken: its fixed info would not fit. */
    memset(block, 0, 4);
    memcpy(block + 8, &signature, 4);
    EXPECT_EQ(0, FindFixedFileInfo(block, 60, version));
    EXPECT_EQ(0, FindFixedFileInfo(NULL, 60, version));
}

TEST_F(FileCheckTest, ReadFileVersionOfRealFiles)
{
    DWORD version[2];
    ASSERT_EQ(1, ReadFileVersion(Fixture("v4_2_3_1234.dll").c_str(), version));
    EXPECT_EQ(MS(4, 2), version[0]);
    EXPECT_EQ(MS(3, 1234), version[1]);

    EXPECT_EQ(0, ReadFileVersion(Fixture("absent.dll").c_str(), version));
    EXPECT_EQ(RESULT_FILE_NOT_FOUND, LastResult);
    EXPECT_EQ(0u, version[0]);
    EXPECT_EQ(0, ReadFileVersion(Fixture("noversion.dll").c_str(), version));
    EXPECT_EQ(RESULT_FILE_VERSIONINFO_FAILED, LastResult);
    EXPECT_EQ(0, ReadFileVersion(NULL, version));
    EXPECT_EQ(RESULT_INVALID_PARAMETER, LastResult);
    EXPECT_EQ(0, ReadFileVersion(Fixture("v4_2_3_1234.dll").c_str(), NULL));
    EXPECT_EQ(RESULT_INVALID_PARAMETER, LastResult);

    /* The first signature in the block wins, even at an odd offset. */
    ASSERT_EQ(1, ReadFileVersion(Fixture("oddpattern.dll").c_str(), version));
    EXPECT_EQ(FILECHECK_ODD_DECOY_MS, version[0]);
    EXPECT_EQ(FILECHECK_ODD_DECOY_LS, version[1]);
}

TEST_F(FileCheckTest, CompareFileVersionOrdersSignedHighAndUnsignedLow)
{
    DWORD installed[2];
    std::string v4 = Fixture("v4_2_3_1234.dll");
    const DWORD same[2] = { MS(4, 2), MS(3, 1234) }, newer[2] = { MS(4, 2), MS(3, 1235) },
                older[2] = { MS(4, 2), MS(3, 1233) };
    EXPECT_EQ(1, CompareFileVersion(v4.c_str(), same, installed));
    EXPECT_EQ(0, CompareFileVersion(v4.c_str(), newer, installed));
    EXPECT_EQ(RESULT_FILE_OUT_OF_DATE, LastResult);
    EXPECT_EQ(0, CompareFileVersion(v4.c_str(), older, installed));
    EXPECT_EQ(RESULT_FILE_UPDATED, LastResult);
    EXPECT_EQ(MS(3, 1234), installed[1]);

    const DWORD lowBitsHuge[2] = { MS(4, 2), 0xFFFF0000 };
    EXPECT_EQ(0, CompareFileVersion(v4.c_str(), lowBitsHuge, installed));
    EXPECT_EQ(RESULT_FILE_OUT_OF_DATE, LastResult) << "low halves compare unsigned";

    const DWORD nearlyFourThree[2] = { MS(4, 2), MS(9, 9999) };
    EXPECT_EQ(0, CompareFileVersion(Fixture("v4_3_0_0.dll").c_str(), nearlyFourThree, installed));
    EXPECT_EQ(RESULT_FILE_UPDATED, LastResult) << "the high half decides first";

    const DWORD one[2] = { MS(1, 0), 0 };
    EXPECT_EQ(0, CompareFileVersion(Fixture("v32768_0_0_0.dll").c_str(), one, installed));
    EXPECT_EQ(RESULT_FILE_OUT_OF_DATE, LastResult) << "major 32768 is negative as a signed high half";

    EXPECT_EQ(0, CompareFileVersion(NULL, one, installed));
    EXPECT_EQ(RESULT_INVALID_PARAMETER, LastResult);
}

TEST_F(FileCheckTest, EmptyListPassesAndLeavesLastResult)
{
    WriteList(TEST_LIST, {});
    LastResult = 77;
    EXPECT_EQ(1, Check());
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(77u, LastResult);
}

TEST_F(FileCheckTest, MissingListKeyFailsWithRegistryCode)
{
    DeleteHklmTree(TEST_LIST);
    EXPECT_EQ(0, Check());
    EXPECT_EQ(RESULT_REGISTRY_ACCESS_FAILED, LastResult);
    EXPECT_EQ(nullptr, list);
}

TEST_F(FileCheckTest, VerdictsInEnumerationOrderWithTheMostRecentFailure)
{
    WriteList(TEST_LIST, {
        { "a_absent.dll", MS(1, 0), 0, 5, 1, NULL },
        { "b_v1_2_0_15.dll", MS(1, 3), 0, 5, 1, NULL },
        { "c_v4_2_3_1234.dll", MS(4, 2), MS(3, 1000), 5, 1, NULL },
    });
    /* The listed names must exist under Main path for the last two. */
    CopyFileA(Fixture("v1_2_0_15.dll").c_str(), Fixture("b_v1_2_0_15.dll").c_str(), FALSE);
    CopyFileA(Fixture("v4_2_3_1234.dll").c_str(), Fixture("c_v4_2_3_1234.dll").c_str(), FALSE);
    EXPECT_EQ(0, Check());
    EXPECT_EQ(RESULT_FILE_OUT_OF_DATE, LastResult);
    std::vector<FileCheckRecord> r = Records(list);
    ASSERT_EQ(3u, r.size());
    EXPECT_EQ((DWORD)FILE_STATUS_MISSING, r[0].status);
    EXPECT_EQ(0u, r[0].versionMS);
    EXPECT_EQ((DWORD)FILE_STATUS_OUT_OF_DATE, r[1].status);
    EXPECT_EQ(MS(1, 2), r[1].versionMS);
    EXPECT_EQ(15u, r[1].versionLS);
    EXPECT_EQ((DWORD)FILE_STATUS_UPDATED, r[2].status);
    EXPECT_EQ(Fixture("c_v4_2_3_1234.dll"), r[2].path);
    DeleteFileA(Fixture("b_v1_2_0_15.dll").c_str());
    DeleteFileA(Fixture("c_v4_2_3_1234.dll").c_str());
}

TEST_F(FileCheckTest, NewerFileNeedsUpdateAllowed)
{
    WriteList(TEST_LIST, { { "v4_2_3_1234.dll", MS(4, 2), MS(3, 1233), 5, 1, NULL } });
    LastResult = 0;
    EXPECT_EQ(1, Check());
    EXPECT_EQ(0u, LastResult);
    EXPECT_EQ((DWORD)FILE_STATUS_UPDATED, list->status);

    WriteList(TEST_LIST, { { "v4_2_3_1234.dll", MS(4, 2), MS(3, 1233), 5, 0, NULL } });
    EXPECT_EQ(0, Check());
    EXPECT_EQ(RESULT_FILE_UPDATED, LastResult);
    EXPECT_EQ((DWORD)FILE_STATUS_NOT_RELEASED, list->status);
}

TEST_F(FileCheckTest, UnreadableValueStopsTheRunKeepingEarlierRecords)
{
    WriteList(TEST_LIST, {
        { "a_v4_2_3_1234.dll", MS(4, 2), MS(3, 1234), 5, 1, NULL },
        { "b_second.dll", MS(1, 0), 0, 5, 1, NULL },
        { "c_third.dll", MS(1, 0), 0, 5, 1, NULL },
    });
    DWORD dwordLocation = 5;
    ASSERT_TRUE(WriteHklmValue(TEST_LIST "\\b_second.dll", "Location", REG_DWORD, &dwordLocation, 4));
    EXPECT_EQ(0, Check());
    EXPECT_EQ(RESULT_REGISTRY_ACCESS_FAILED, LastResult);
    ASSERT_EQ(1u, Records(list).size());
    EXPECT_EQ(Fixture("a_v4_2_3_1234.dll"), list->path);
}

TEST_F(FileCheckTest, InvalidLocationAndEmptyMainPath)
{
    WriteList(TEST_LIST, { { "lost.sys", MS(1, 0), 0, 4, 1, NULL }, { "nine.sys", MS(1, 0), 0, 9, 1, NULL } });
    EXPECT_EQ(0, Check());
    std::vector<FileCheckRecord> r = Records(list);
    ASSERT_EQ(2u, r.size());
    EXPECT_STREQ("lost.sys: Invalid location number in registry!", r[0].path);
    EXPECT_EQ((DWORD)FILE_STATUS_MISSING, r[0].status);
    EXPECT_STREQ("nine.sys: Invalid location number in registry!", r[1].path);
    EXPECT_EQ(RESULT_FILE_NOT_FOUND, LastResult);

    DeleteHklmValue(Profile.productKey, "Main path");
    InitInstallLocations();
    WriteList(TEST_LIST, { { "board.sys", MS(1, 0), 0, 5, 1, NULL } });
    EXPECT_EQ(0, Check());
    EXPECT_STREQ("\\board.sys", list->path);
    EXPECT_EQ((DWORD)FILE_STATUS_MISSING, list->status);
}

TEST_F(FileCheckTest, ClassCheckOnlyForMatchingVersions)
{
    typedef HRESULT(WINAPI * RegisterProc)(void);
    HMODULE server = LoadLibraryA(Fixture("comserver_registered.dll").c_str());
    ASSERT_NE(nullptr, server);
    RegisterProc reg = (RegisterProc)(void *)GetProcAddress(server, "DllRegisterServer");
    ASSERT_NE(nullptr, reg);
    ASSERT_EQ(S_OK, reg());
    FreeLibrary(server);
    DWORD version[2];
    ASSERT_EQ(1, ReadFileVersion(Fixture("comserver_registered.dll").c_str(), version));

    WriteList(TEST_LIST, { { "comserver_registered.dll", version[0], version[1], 5, 1, &FileCheckClsidRegistered } });
    EXPECT_EQ(1, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_OK, list->status);

    WriteList(TEST_LIST, { { "comserver_unregistered.dll", version[0], version[1], 5, 1, &FileCheckClsidUnregistered } });
    LastResult = 0;
    EXPECT_EQ(0, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_CLSID_NOT_REGISTERED, list->status);
    EXPECT_EQ(RESULT_FILE_VERSIONINFO_FAILED, LastResult);

    WriteList(TEST_LIST, { { "comserver_unregistered.dll", version[0], version[1], 5, 1, NULL } });
    EXPECT_EQ(1, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_OK, list->status) << "no Guid, no class check";

    /* A newer file that may be newer is "updated" without a class check. */
    WriteList(TEST_LIST, { { "comserver_unregistered.dll", version[0], version[1] - 1, 5, 1, &FileCheckClsidUnregistered } });
    EXPECT_EQ(1, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_UPDATED, list->status);

    /* A Guid value longer than a GUID counts as absent. */
    WriteList(TEST_LIST, { { "comserver_unregistered.dll", version[0], version[1], 5, 1, NULL } });
    BYTE longGuid[20] = { 1, 2, 3 };
    ASSERT_TRUE(WriteHklmValue(TEST_LIST "\\comserver_unregistered.dll", "Guid", REG_BINARY, longGuid, 20));
    EXPECT_EQ(1, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_OK, list->status);
    DeleteHklmTree("Software\\Classes\\CLSID\\" FILECHECK_CLSID_REGISTERED_TEXT);
}

TEST_F(FileCheckTest, SecondRunKeepsOnlyItsOwnRecords)
{
    WriteList(TEST_LIST, { { "a.dll", MS(1, 0), 0, 5, 1, NULL }, { "b.dll", MS(1, 0), 0, 5, 1, NULL } });
    Check();
    EXPECT_EQ(2u, Records(list).size());
    WriteList(TEST_LIST, { { "c.dll", MS(1, 0), 0, 5, 1, NULL } });
    Check();
    ASSERT_EQ(1u, Records(list).size());
    EXPECT_EQ(Fixture("c.dll"), list->path);
}

TEST_F(FileCheckTest, LongNamesNeverOverrunThePath)
{
    /* Directory and name together pass MAX_PATH. */
    std::string longDirectory = "C:\\" + std::string(150, 'd');
    WriteHklmString(Profile.productKey, "Main path", longDirectory.c_str());
    InitInstallLocations();
    std::string longName(150, 'n');
    longName += ".dll";
    WriteList(TEST_LIST, { { longName.c_str(), MS(1, 0), 0, 5, 1, NULL } });
    EXPECT_EQ(0, Check());
    ASSERT_NE(nullptr, list);
    EXPECT_LT(strlen(list->path), (size_t)MAX_PATH);
    EXPECT_EQ((DWORD)FILE_STATUS_MISSING, list->status);
    EXPECT_EQ(RESULT_FILE_NOT_FOUND, LastResult);
}

TEST_F(FileCheckTest, VersionZeroFileAndFileWithoutVersionInfo)
{
    WriteList(TEST_LIST, { { "noversion.dll", MS(1, 0), 0, 5, 1, NULL } });
    EXPECT_EQ(0, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_INVALID, list->status);
    EXPECT_EQ(RESULT_FILE_VERSIONINFO_FAILED, LastResult);
    WriteList(TEST_LIST, { { "v0_0_0_0.dll", 0, 0, 5, 1, NULL } });
    EXPECT_EQ(1, Check());
    EXPECT_EQ((DWORD)FILE_STATUS_OK, list->status);
}
