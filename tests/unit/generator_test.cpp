/* The developer dialog made in this process from its template: files
   dropped through a real HDROP, refused with their messages or listed with
   their details, the merge file OK writes for them, and the merge file's
   limits and failures, against expected/generator.txt. */
#include "unit_support.h"

static std::vector<void *> freed;
static void *realHeapFree;
static BOOL WINAPI RecordingFree(HANDLE heap, DWORD flags, LPVOID memory) {
    return freed.push_back(memory), ((BOOL(WINAPI *)(HANDLE, DWORD, LPVOID))realHeapFree)(heap, flags, memory);
}
static LPVOID WINAPI NoMemory(HANDLE, DWORD, SIZE_T) { return NULL; }
static LPVOID WINAPI NoMoreMemory(HANDLE, DWORD, LPVOID, SIZE_T) { return NULL; }

class GeneratorTest : public InProcessTest {
protected:
    void SetUp() override {
        InProcessTest::SetUp();
        CreateDirectoryA((Scratch() + "\\sub").c_str(), NULL);
        WriteHklmString(Profile.productKey, "Main path", Scratch().c_str()), InitInstallLocations();
        SetCurrentDirectoryA(Scratch().c_str());   /* where OK writes the merge file */
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(133), NULL, GeneratorDialogProc, 0);
    }
    void TearDown() override {
        DestroyWindow(dialog), SetCurrentDirectoryA(ProgramFolder().c_str());
        DeleteFileA((Scratch() + "\\sub\\deeper.dll").c_str()), RemoveDirectoryA((Scratch() + "\\sub").c_str());
        DeleteFileA(Fill("{win}\\unitsame.dll").c_str());
        DeleteHklmTree("Software\\Classes\\CLSID\\" FILECHECK_CLSID_REGISTERED_TEXT), DeleteHklmTree(Profile.productKey);
        InProcessTest::TearDown();
    }
    void Drop(const char *block) {   /* the block's files placed, dropped at once, their boxes checked */
        std::string files, boxes;
        for (const Row &row : Table("generator.txt", block)) {
            if (row[1] != "-") CopyFileA(Fixture(row[1].c_str()).c_str(), row[0].c_str(), FALSE);
            files += row[0] + '\0', boxes += Cell(row, 2).empty() ? "" : (boxes.empty() ? "" : " / ") + row[2];
        }
        HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + files.size() + 1);
        DROPFILES *header = (DROPFILES *)GlobalLock(drop);
        header->pFiles = sizeof(DROPFILES), memcpy(header + 1, files.data(), files.size()), GlobalUnlock(drop);
        /* Where Explorer drops: on the list, which must take dropped files and hand them to the dialog. */
        HWND list = GetDlgItem(dialog, 1023);
        EXPECT_TRUE(GetWindowLongA(list, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        SendMessageA(list, WM_DROPFILES, (WPARAM)drop, 0);
        EXPECT_EQ(boxes, Boxes());
    }
    void Add(const std::string &name, DWORD location, DWORD ms, DWORD ls) {   /* with class {00021401-0000-0000-C000-000000000046} */
        auto record = (GeneratorFileRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(GeneratorFileRecord));
        lstrcpyA(record->fileName, name.c_str());
        record->location = location, record->versionMS = ms, record->versionLS = ls;
        record->clsid = GUID{ 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
        SendDlgItemMessageA(dialog, 1023, LB_SETITEMDATA, SendDlgItemMessageA(dialog, 1023, LB_ADDSTRING, 0, (LPARAM)name.c_str()), (LPARAM)record);
    }
    std::string Merged(int result) {
        EXPECT_EQ(result, WriteMergeFile(dialog));
        return ReadWholeFile(Scratch() + "\\QuorvexToMerge.reg");
    }
    HWND dialog;
};

TEST_F(GeneratorTest, DroppedFilesListedAndMerged) {
    Drop("drops");
    Add("shelllink.dll", 9, 0x00060000, 0);
    std::vector<Row> listed = Table("generator.txt", "listed");
    std::vector<void *> records;
    ASSERT_EQ((LRESULT)listed.size(), SendDlgItemMessageA(dialog, 1023, LB_GETCOUNT, 0, 0));
    for (size_t i = 0; i < listed.size(); i++) {
        SendDlgItemMessageA(dialog, 1023, LB_SETCURSEL, i, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1023, LBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, 1023));
        Row shown;
        char text[MAX_PATH];
        for (int id = 1024; id <= 1027; id++) shown.push_back(std::string(text, GetDlgItemTextA(dialog, id, text, MAX_PATH)));
        EXPECT_EQ(listed[i], shown) << "item " << i;
        records.push_back((void *)SendDlgItemMessageA(dialog, 1023, LB_GETITEMDATA, i, 0));
    }
    EXPECT_EQ(ExpectedText("generator.txt", "merged"), Merged(1));
    realHeapFree = ReplaceImport("kernel32.dll", "HeapFree", (void *)RecordingFree);
    DestroyWindow(dialog);
    for (void *record : records) EXPECT_NE(freed.end(), std::find(freed.begin(), freed.end(), record)) << "a record not freed";
}

TEST_F(GeneratorTest, EmptyListAndEmptyMainPath) {
    EXPECT_EQ(ExpectedText("generator.txt", "empty"), Merged(1));
    WriteHklmString(Profile.productKey, "Main path", ""), InitInstallLocations();
    Drop("drops without main path");
    EXPECT_EQ(0, SendDlgItemMessageA(dialog, 1023, LB_GETCOUNT, 0, 0));
}

/* With "Main path" the Windows folder, two codes name it: the first in order (3) wins. */
TEST_F(GeneratorTest, FolderOfTwoCodesGetsTheFirstInOrder) {
    WriteHklmString(Profile.productKey, "Main path", Fill("{win}").c_str()), InitInstallLocations();
    Drop("drop where two codes name the folder");
    EXPECT_EQ(ExpectedText("generator.txt", "merged tie"), Merged(1));
    DeleteFileA(Fill("{win}\\tie.dll").c_str());
}

TEST_F(GeneratorTest, LongListWrittenWholeOrNotAtAll) {
    std::string expected = "REGEDIT4\r\n\r\n", entry = ExpectedText("generator.txt", "long entry");
    for (int i = 0; i < 400; i++) {
        std::string n = std::to_string(1000 + i).substr(1), one = entry;
        Add("f" + n + ".dll", 7, 0x00010002, 7), expected += one.replace(one.find("{n}"), 3, n);
    }
    EXPECT_EQ(expected, Merged(1));
    for (int i = 400; i < 800; i++) Add("g" + std::to_string(i) + ".dll", 7, 0x00010002, i);   /* past the room the first text left */
    DeleteFileA("QuorvexToMerge.reg");
    void *alloc = ReplaceImport("kernel32.dll", "HeapAlloc", (void *)NoMemory), *realloc = ReplaceImport("kernel32.dll", "HeapReAlloc", (void *)NoMoreMemory);
    EXPECT_EQ("", Merged(0)) << "no file for a cut text";
    ReplaceImport("kernel32.dll", "HeapAlloc", alloc), ReplaceImport("kernel32.dll", "HeapReAlloc", realloc);
    HANDLE held = CreateFileA("QuorvexToMerge.reg", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    Merged(0), CloseHandle(held), DeleteFileA("QuorvexToMerge.reg");
    CreateDirectoryA("QuorvexToMerge.reg", NULL), Merged(0), RemoveDirectoryA("QuorvexToMerge.reg");   /* a folder of that name */
    EXPECT_EQ("Could not write registry file! / Could not create registry file! / Could not create registry file!", Boxes());
}

TEST_F(GeneratorTest, ClassFoundOnlyForTheExactServerPath) {
    std::string key = "Software\\Classes\\CLSID\\{6B1F2C3A-0D4E-4F5A-9B8C-7D6E5F4A3B99}", server = Scratch() + "\\server.dll";
    char shortPath[MAX_PATH];
    CopyFileA(Fixture("v5_1_0_7.dll").c_str(), server.c_str(), FALSE), GetShortPathNameA(server.c_str(), shortPath, MAX_PATH);
    ASSERT_NE(server, shortPath);
    for (Row row : Table("generator.txt", "class lookups")) {   /* InprocServer32 | found */
        std::string upper = server;
        row[0] = row[0] == "{short}" ? shortPath : row[0] == "{upper}" ? CharUpperA(&upper[0]) : row[0];
        WriteHklmString((key + "\\InprocServer32").c_str(), "", row[0].c_str());
        GUID clsid = {};
        EXPECT_EQ((int)Number(row[1]), FindClsidForServer(server.c_str(), &clsid)) << row[0];
        EXPECT_TRUE(clsid.Data1 == (Number(row[1]) ? 0x6B1F2C3Au : 0u) && clsid.Data4[7] == (Number(row[1]) ? 0x99 : 0)) << row[0];
    }
    DeleteHklmTree(key.c_str());
}
