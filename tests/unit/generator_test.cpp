/* The developer dialog and its merge file, in this process: dropped files,
   refusals read from the real message boxes, the selection display, the
   merge text byte for byte, and the round trip through Wine's regedit. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <string>
#include <vector>

#include "file_check.h"
#include "fixture_ids.h"
#include "generator_dialog.h"
#include "generator_files.h"
#include "guid_text.h"
#include "install_locations.h"
#include "language.h"
#include "merge_file.h"
#include "message_box_catcher.h"
#include "product_profile.h"
#include "program.h"
#include "registry_scratch.h"
#include "resource_ids.h"
#include "result_codes.h"
#include "test_paths.h"

static const GUID shellLink = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };

TEST(GuidText, HexDigitsAndWholeGuids)
{
    EXPECT_EQ(0x1Fu, ParseHexDigits("1F", 2));
    EXPECT_EQ(0xABCDEFu, ParseHexDigits("aBcDeF", 6));
    EXPECT_EQ(0u, ParseHexDigits("1G", 2));
    EXPECT_EQ(0u, ParseHexDigits("12", 0));
    EXPECT_EQ(0u, ParseHexDigits("12", -3));
    EXPECT_EQ(0u, ParseHexDigits("1", 4)) << "the end of the text is not a digit";

    GUID guid;
    ParseGuidText("{00021401-0000-0000-C000-000000000046}", &guid);
    EXPECT_TRUE(IsEqualGUID(shellLink, guid));
    char text[GUID_TEXT_SIZE];
    ASSERT_TRUE(FormatGuidText(&guid, text, sizeof(text)));
    EXPECT_STREQ("{00021401-0000-0000-c000-000000000046}", text);
    GUID again;
    ParseGuidText(text, &again);
    EXPECT_TRUE(IsEqualGUID(guid, again));
    EXPECT_FALSE(IsNullGuid(&guid));

    /* Braces and hyphens are not checked; short names leave their missing fields 0. */
    ParseGuidText("x6B1F2C3Ax0D4Ex4F5Ax9B8Cx7D6E5F4A3B21x", &guid);
    EXPECT_TRUE(IsEqualGUID(FileCheckClsidRegistered, guid));
    ParseGuidText("{6B1F2C3A-0D4E}", &guid);
    EXPECT_EQ(0x6B1F2C3Au, guid.Data1);
    EXPECT_EQ(0x0D4E, guid.Data2);
    EXPECT_EQ(0, guid.Data3);
    ParseGuidText("", &guid);
    EXPECT_TRUE(IsNullGuid(&guid));
}

/* A modeless copy of the dialog to drive directly. */
class GeneratorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(NULL);
        ProgramInstance = GetModuleHandleA(NULL);
        SelectProductProfile("Mirel");
        LoadLanguageLibrary();
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        root = std::string(temp) + "quorvex-generator";
        mainPath = root + "\\Mirel Main";
        CreateDirectoryA(root.c_str(), NULL);
        CreateDirectoryA(mainPath.c_str(), NULL);
        CreateDirectoryA((mainPath + "\\sub").c_str(), NULL);
        WriteHklmString(Profile.productKey, "Main path", mainPath.c_str());
        InitInstallLocations();
        dialog = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_GENERATOR), NULL, GeneratorDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        DestroyWindow(dialog);
        DeleteHklmValue(Profile.productKey, "Main path");
        DeleteHklmTree(Profile.fileCheckKey);
    }

    std::string Place(const char *fixture, const std::string &directory, const char *name)
    {
        std::string target = directory + "\\" + name;
        CopyFileA((TestProgramDirectory() + "filecheck\\" + fixture).c_str(), target.c_str(), FALSE);
        return target;
    }
    int Count() { return (int)SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETCOUNT, 0, 0); }
    const GeneratorFileRecord *Record(int item)
    {
        return (const GeneratorFileRecord *)SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETITEMDATA, item, 0);
    }
    std::string Text(int id)
    {
        char text[512];
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }
    /* Adds a record as a drop would, without looking at any file. */
    void AddRecord(const char *name, DWORD location, DWORD ms, DWORD ls, const GUID *clsid)
    {
        GeneratorFileRecord *record =
            (GeneratorFileRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
        lstrcpyA(record->fileName, name);
        record->location = location;
        record->versionMS = ms;
        record->versionLS = ls;
        if (clsid != NULL)
            record->clsid = *clsid;
        LRESULT item = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_ADDSTRING, 0, (LPARAM)name);
        SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_SETITEMDATA, item, (LPARAM)record);
    }
    std::string Merge()
    {
        ComposeMergeText(dialog);
        return std::string(MergeText.text, MergeText.length);
    }

    std::string root, mainPath;
    HWND dialog;
};

#define KEY_LINE(name) "[HKEY_LOCAL_MACHINE\\Software\\Tavolink Systems\\Quorvex\\FileCheck\\MirelMJPG\\Drivers\\" name "]\r\n"

TEST_F(GeneratorTest, MergeTextByteForByte)
{
    EXPECT_EQ("REGEDIT4\r\n\r\n", Merge()) << "an empty list is the header alone";

    AddRecord("mirelcap.sys", 5, 0x00050001, 7, NULL);
    AddRecord("board.dll", 1, 0x00010002, 0x0003000F, NULL);
    EXPECT_EQ("REGEDIT4\r\n\r\n"
              KEY_LINE("board.dll")
              "\"MajorVersion\"=dword:00010002\r\n"
              "\"MinorVersion\"=dword:0003000f\r\n"
              "\"Location\"=hex:01\r\n"
              "\"UpdateAllowed\"=hex:01\r\n"
              KEY_LINE("mirelcap.sys")
              "\"MajorVersion\"=dword:00050001\r\n"
              "\"MinorVersion\"=dword:00000007\r\n"
              "\"Location\"=hex:05\r\n"
              "\"UpdateAllowed\"=hex:01\r\n",
              Merge()) << "sorted by name, entries without class IDs follow each other directly";
}

TEST_F(GeneratorTest, ClassIdLineAndTwoFilesOfTheSameName)
{
    AddRecord("shell.dll", 8, 0x00060000, 0, &shellLink);
    AddRecord("ax.dll", 3, 1, 2, NULL);
    AddRecord("ax.dll", 7, 1, 3, NULL);
    std::string text = Merge();
    EXPECT_NE(std::string::npos, text.find(KEY_LINE("shell.dll")
                                           "\"MajorVersion\"=dword:00060000\r\n"
                                           "\"MinorVersion\"=dword:00000000\r\n"
                                           "\"Location\"=hex:08\r\n"
                                           "\"UpdateAllowed\"=hex:01\r\n"
                                           "\"Guid\"=hex:01,14,02,00,00,00,00,00,c0,00,00,00,00,00,00,46\r\n\r\n"));
    EXPECT_EQ(text.size() - strlen("\"Guid\"=hex:01,14,02,00,00,00,00,00,c0,00,00,00,00,00,00,46\r\n\r\n"),
              text.rfind("\"Guid\""));
    size_t first = text.find(KEY_LINE("ax.dll"));
    size_t second = text.find(KEY_LINE("ax.dll"), first + 1);
    EXPECT_NE(std::string::npos, second) << "both entries, under the same key";
    EXPECT_NE(std::string::npos, text.find("\"Location\"=hex:03"));
    EXPECT_NE(std::string::npos, text.find("\"Location\"=hex:07"));
}

TEST_F(GeneratorTest, LongListsAreWrittenWhole)
{
    char name[32];
    for (int i = 0; i < 400; i++) {
        wsprintfA(name, "file%03d.dll", i);
        AddRecord(name, 5, 0x00010000, (DWORD)i, &shellLink);
    }
    std::string text = Merge();
    EXPECT_GT(text.size(), (size_t)MERGE_INITIAL_SIZE * 2);
    EXPECT_NE(std::string::npos, text.find(KEY_LINE("file000.dll")));
    EXPECT_NE(std::string::npos, text.find(KEY_LINE("file399.dll")));
    EXPECT_EQ(std::string::npos, text.find("cut here"));
}

TEST_F(GeneratorTest, WriteMergeFileInTheCurrentDirectory)
{
    AddRecord("board.dll", 1, 0x00010002, 3, &shellLink);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(root.c_str());
    ASSERT_EQ(1, WriteMergeFile(dialog));
    SetCurrentDirectoryA(previous);
    HANDLE file = CreateFileA((root + "\\" MERGE_FILE_NAME).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char bytes[4096];
    DWORD got = 0;
    ReadFile(file, bytes, sizeof(bytes), &got, NULL);
    CloseHandle(file);
    EXPECT_EQ(Merge(), std::string(bytes, got)) << "exactly the text: no BOM, no NUL";
    EXPECT_EQ(0, memcmp(bytes, "REGEDIT4\r\n", 10));
}

TEST_F(GeneratorTest, AcceptedFileShowsItsDetails)
{
    std::string path = Place("v5_1_0_7.dll", mainPath, "mirelui.dll");
    ASSERT_EQ(1, AddDroppedFile(dialog, path.c_str()));
    ASSERT_EQ(1, Count());
    const GeneratorFileRecord *record = Record(0);
    EXPECT_STREQ("mirelui.dll", record->fileName);
    EXPECT_EQ(5u, record->location);
    EXPECT_EQ(0x00050001u, record->versionMS);
    EXPECT_EQ(7u, record->versionLS);
    EXPECT_TRUE(IsNullGuid(&record->clsid));

    SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GEN_FILE_LIST, LBN_SELCHANGE), 0);
    EXPECT_EQ("mirelui.dll", Text(IDC_GEN_FILE_NAME));
    EXPECT_EQ("5.01.007", Text(IDC_GEN_FILE_VERSION));
    EXPECT_EQ("", Text(IDC_GEN_CLASS_ID));
    EXPECT_EQ(mainPath, Text(IDC_GEN_DIRECTORY));
}

TEST_F(GeneratorTest, RefusalsAreShownAndLeaveTheListAlone)
{
    std::string sub = Place("v5_1_0_7.dll", mainPath + "\\sub", "deeper.dll");
    std::string zero = Place("v0_0_0_0.dll", mainPath, "zero.dll");
    std::string folder = mainPath + "\\sub";
    std::string longPath = mainPath + "\\" + std::string(300, 'l') + ".dll";
    StartMessageBoxCatcher();
    EXPECT_EQ(0, AddDroppedFile(dialog, sub.c_str()));
    EXPECT_EQ(0, AddDroppedFile(dialog, zero.c_str()));
    EXPECT_EQ(0, AddDroppedFile(dialog, folder.c_str()));
    EXPECT_EQ(0, AddDroppedFile(dialog, "C:\\root.dll"));
    EXPECT_EQ(0, AddDroppedFile(dialog, longPath.c_str()));
    std::vector<std::string> boxes = StopMessageBoxCatcher();
    ASSERT_EQ(5u, boxes.size());
    EXPECT_EQ("The file " + sub + " has no valid installation path " + mainPath + "\\sub", boxes[0]);
    EXPECT_EQ("The file " + zero + " has no version information", boxes[1]);
    EXPECT_EQ("The file " + folder + " has no version information", boxes[2]);
    EXPECT_EQ("The file C:\\root.dll has no valid installation path C:", boxes[3]);
    EXPECT_EQ(0u, boxes[4].find("The file " + mainPath));
    EXPECT_EQ(0, Count());
}

TEST_F(GeneratorTest, EmptyMainPathMatchesNoDirectory)
{
    WriteHklmString(Profile.productKey, "Main path", "");
    InitInstallLocations();
    std::string path = Place("v5_1_0_7.dll", mainPath, "orphan.dll");
    StartMessageBoxCatcher();
    EXPECT_EQ(0, AddDroppedFile(dialog, path.c_str()));
    std::vector<std::string> boxes = StopMessageBoxCatcher();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The file " + path + " has no valid installation path " + mainPath, boxes[0]);
}

TEST_F(GeneratorTest, RegisteredServerTakesItsClassIdFromTheRegistry)
{
    std::string path = Place("comserver_registered.dll", mainPath, "comserver_registered.dll");
    ASSERT_EQ(1, AddDroppedFile(dialog, path.c_str()));
    EXPECT_TRUE(IsEqualGUID(FileCheckClsidRegistered, Record(0)->clsid));
    SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GEN_FILE_LIST, LBN_SELCHANGE), 0);
    EXPECT_EQ("{6b1f2c3a-0d4e-4f5a-9b8c-7d6e5f4a3b21}", Text(IDC_GEN_CLASS_ID));
    EXPECT_EQ("3.01.005", Text(IDC_GEN_FILE_VERSION));
    DeleteHklmTree("Software\\Classes\\CLSID\\" FILECHECK_CLSID_REGISTERED_TEXT);
}

TEST_F(GeneratorTest, OnlyAnExactPathFindsTheClass)
{
    std::string path = Place("v5_1_0_7.dll", mainPath, "longnamedserver.dll");
    char shortPath[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(path.c_str(), shortPath, sizeof(shortPath)));
    ASSERT_STRNE(path.c_str(), shortPath);
    const char *key = "Software\\Classes\\CLSID\\{6B1F2C3A-0D4E-4F5A-9B8C-7D6E5F4A3B99}\\InprocServer32";
    WriteHklmString(key, "", shortPath);
    GUID clsid = {};
    EXPECT_EQ(0, FindClsidForServer(path.c_str(), &clsid)) << "registered through its short path";
    EXPECT_TRUE(IsNullGuid(&clsid));
    CharUpperA(shortPath);
    EXPECT_EQ(1, FindClsidForServer(shortPath, &clsid)) << "case does not matter";
    EXPECT_EQ(0x6B1F2C3Au, clsid.Data1);
    EXPECT_EQ(0x99, clsid.Data4[7]);
    DeleteHklmTree("Software\\Classes\\CLSID\\{6B1F2C3A-0D4E-4F5A-9B8C-7D6E5F4A3B99}");

    EXPECT_EQ(0, TryRegisterServer(path.c_str())) << "no DllRegisterServer";
    EXPECT_EQ(0, TryRegisterServer((mainPath + "\\none.dll").c_str()));
    EXPECT_EQ(1, TryRegisterServer((TestProgramDirectory() + "version_fixture.dll").c_str()));
    EXPECT_EQ(0, TryRegisterServer((TestProgramDirectory() + "version_fixture_failing.dll").c_str()))
        << "a failing registration";
}

TEST_F(GeneratorTest, RealDropOfTwoFiles)
{
    std::string first = Place("v1_2_0_15.dll", mainPath, "zeta.dll");
    std::string second = Place("v4_2_3_1234.dll", mainPath, "alpha");
    std::string files = first + '\0' + second + '\0' + '\0';
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + files.size());
    DROPFILES *header = (DROPFILES *)GlobalLock(drop);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    memcpy((BYTE *)header + sizeof(DROPFILES), files.data(), files.size());
    GlobalUnlock(drop);
    SendMessageA(dialog, WM_DROPFILES, (WPARAM)drop, 0);
    ASSERT_EQ(2, Count());
    EXPECT_STREQ("alpha", Record(0)->fileName) << "a name without extension, sorted first";
    EXPECT_EQ(0x000304D2u, Record(0)->versionLS);
    EXPECT_STREQ("zeta.dll", Record(1)->fileName);
}

TEST_F(GeneratorTest, RoundTripThroughRegeditAndTheFileCheck)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string system32 = std::string(windows) + "\\SYSTEM32";
    std::vector<std::string> placed = {
        Place("v4_2_3_1234.dll", mainPath, "roundtrip_main.dll"),
        Place("v1_2_0_15.dll", system32, "roundtrip_sys32.dll"),
        Place("v5_1_0_7.dll", windows, "roundtrip_win.dll"),
        Place("comserver_registered.dll", mainPath, "comserver_registered.dll"),
    };
    for (const std::string &path : placed)
        ASSERT_EQ(1, AddDroppedFile(dialog, path.c_str())) << path;
    EXPECT_FALSE(IsNullGuid(&Record(0)->clsid)) << "the COM server sorts first and has its class";

    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(root.c_str());
    ASSERT_EQ(1, WriteMergeFile(dialog));
    SetCurrentDirectoryA(previous);

    /* Wine's own registry editor merges it. */
    DeleteHklmTree(Profile.fileCheckKey);
    std::string command = "regedit.exe /s \"" + root + "\\" MERGE_FILE_NAME "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    FileCheckRecord *list = NULL;
    LastResult = 0;
    EXPECT_EQ(1, CheckFileList(&list, Profile.fileCheckKey));
    int records = 0;
    for (FileCheckRecord *r = list; r != NULL; r = r->next, records++)
        EXPECT_EQ((DWORD)FILE_STATUS_OK, r->status) << r->path;
    EXPECT_EQ(4, records);
    FreeFileCheckList(&list);
    for (const std::string &path : placed)
        DeleteFileA(path.c_str());
    DeleteHklmTree("Software\\Classes\\CLSID\\" FILECHECK_CLSID_REGISTERED_TEXT);
}
