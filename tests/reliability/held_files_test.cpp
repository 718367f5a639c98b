/* The merge file and the report file held open by another program while
   the program writes them, with every kind of access and sharing the other
   program may have asked for. A write that cannot happen must be reported
   (its message shown, 0 returned) and must leave the other program's file
   as it was; once the file is let go, the next write succeeds. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <string>
#include <vector>

#include "generator_dialog.h"
#include "generator_files.h"
#include "language.h"
#include "merge_file.h"
#include "message_box_catcher.h"
#include "product_profile.h"
#include "program.h"
#include "report_compose.h"
#include "report_file.h"
#include "resource_ids.h"
#include "test_paths.h"

static const char oldContents[] = "the other program's contents\r\n";

/* Another process holding one file open. */
struct Holder {
    PROCESS_INFORMATION process;
    HANDLE held, release;
};

static bool StartHolder(const std::string &path, DWORD access, DWORD share, Holder *holder)
{
    static int serial;
    char events[64], command[2 * MAX_PATH];
    wsprintfA(events, "quorvex-rel-holder-%lu-%d", GetCurrentProcessId(), ++serial);
    holder->held = CreateEventA(NULL, TRUE, FALSE, (std::string(events) + "-held").c_str());
    holder->release = CreateEventA(NULL, TRUE, FALSE, (std::string(events) + "-release").c_str());
    wsprintfA(command, "\"%sfile_holder.exe\" \"%s\" %lx %lx %s", TestProgramDirectory().c_str(), path.c_str(),
              access, share, events);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &holder->process))
        return false;
    HANDLE waits[2] = { holder->held, holder->process.hProcess };
    return WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
}

static DWORD StopHolder(Holder *holder)
{
    SetEvent(holder->release);
    WaitForSingleObject(holder->process.hProcess, 20000);
    DWORD code = 0xFFFF;
    GetExitCodeProcess(holder->process.hProcess, &code);
    CloseHandle(holder->process.hProcess);
    CloseHandle(holder->process.hThread);
    CloseHandle(holder->held);
    CloseHandle(holder->release);
    return code;
}

static std::string Contents(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "(unreadable)";
    std::string text(GetFileSize(file, NULL), '\0');
    DWORD got = 0;
    ReadFile(file, &text[0], (DWORD)text.size(), &got, NULL);
    CloseHandle(file);
    return text.substr(0, got);
}

static void Replace(const std::string &path, const char *text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, text, lstrlenA(text), &written, NULL);
    CloseHandle(file);
}

/* Each way another program can hold a file with access to its data. */
static const DWORD accesses[] = { GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, FILE_READ_DATA,
                                  FILE_APPEND_DATA };
static const DWORD shares[] = { 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                FILE_SHARE_DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE };

class HeldFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(NULL);
        ProgramInstance = GetModuleHandleA(NULL);
        SelectProductProfile("Mirel");
        LoadLanguageLibrary();
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    /* Writes with `write` while the file is held every way in turn. */
    template <typename Write>
    int SweepHolds(const std::string &path, const char *createFailed, Write write, const std::string &written)
    {
        int cases = 0;
        for (DWORD access : accesses)
            for (DWORD share : shares) {
                SCOPED_TRACE("held with access " + std::to_string(access) + ", sharing " + std::to_string(share));
                Replace(path, oldContents);
                Holder holder;
                if (!StartHolder(path, access, share, &holder)) {
                    ADD_FAILURE() << "the holder did not start";
                    continue;
                }
                StartMessageBoxCatcher();
                int result = write();
                std::vector<std::string> boxes = StopMessageBoxCatcher();
                EXPECT_EQ(0u, StopHolder(&holder));
                EXPECT_EQ(0, result) << "a file held by another program is not written";
                EXPECT_EQ(std::vector<std::string>(1, createFailed), boxes);
                EXPECT_EQ(oldContents, Contents(path)) << "the other program's file is left as it was";
                cases++;
            }
        /* Let go, the same write goes through. */
        StartMessageBoxCatcher();
        EXPECT_EQ(1, write());
        EXPECT_EQ(0u, StopMessageBoxCatcher().size());
        EXPECT_EQ(written, Contents(path));
        return cases;
    }
};

TEST_F(HeldFileTest, MergeFileHeldOpenIsReportedNotWritten)
{
    char temp[MAX_PATH], previous[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string directory = std::string(temp) + "quorvex-rel-merge-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory.c_str(), NULL);
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));

    HWND dialog = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_GENERATOR), NULL, GeneratorDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    GeneratorFileRecord *record = (GeneratorFileRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
    lstrcpyA(record->fileName, "mirelcap.sys");
    record->location = 2;
    record->versionMS = 0x0002000A;
    record->versionLS = 41;
    LRESULT item = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_ADDSTRING, 0, (LPARAM)record->fileName);
    SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_SETITEMDATA, item, (LPARAM)record);
    ComposeMergeText(dialog);
    std::string merge(MergeText.text, MergeText.length);
    ASSERT_NE(std::string::npos, merge.find("mirelcap.sys]"));

    std::string path = directory + "\\" MERGE_FILE_NAME;
    int cases = SweepHolds(path, "Could not create registry file!", [&] { return WriteMergeFile(dialog); }, merge);
    DestroyWindow(dialog);
    SetCurrentDirectoryA(previous);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(directory.c_str());
    RecordProperty("cases", cases);
}

TEST_F(HeldFileTest, ReportFileHeldOpenIsReportedNotWritten)
{
    char path[MAX_PATH];
    ASSERT_EQ(1, GetTestReportPath(path, sizeof(path)));
    ComposeTestReport();
    std::string report(TestReport.text, TestReport.length);
    int cases = SweepHolds(path, "Could not create test report file!", [] { return WriteTestReport(); }, report);
    RecordProperty("cases", cases);
}
