/* The program at its limits: names and paths at and past MAX_PATH, a
   FileCheck list of ten thousand entries, and the report and merge file held
   open by another program. */
#include "sweep.h"

#include <fstream>
#include <functional>
#include <map>

#include "merge_file.h"

/* Ten thousand entries (every tenth an invalid location, two real files)
   and names up to the registry's limit (key paths of up to 255 characters:
   hence the short list key), whose invalid-location texts of 238 to 281
   characters and paths past MAX_PATH are cut before it: a report line for
   each in registry order, keeping its whole name, and the report file
   holding the whole report. */
static std::string Line(std::string path, const char *version)
{
    path = path.substr(0, MAX_PATH - 1);
    size_t name = path.find_last_of('\\') + 1, room = path.size() - name;
    return "File " + path + std::string(room < 16 ? 16 - room : 0, ' ') + " - Version " + version + "\r\n";
}

TEST(ListSweep, TenThousandAndLongEntriesAreAllReported)
{
    const int count = getenv("QUORVEX_HEAP_CHECK") ? 100 : 10000;
    std::string fixtures = FixturePath(""), invalid = ": Invalid location number in registry!";
    fixtures.pop_back();
    std::map<std::string, std::string> lines;   /* by name: the registry's order */
    SelectProductProfile("Mirel");
    WriteHklmString(Profile.productKey, "Main path", fixtures.c_str());
    InitInstallLocations();
    for (int i = 0; i < count; i++) {
        char name[16];
        wsprintfA(name, "e%05d.dll", i);
        ASSERT_TRUE(WriteFileCheckEntry("Software\\QL", name, 0x00050001, 6, i % 10 == 3 ? 4 : 5, 0));
        lines[name] = Line(i % 10 == 3 ? name + invalid : fixtures + "\\" + name, "0.00.000 (missing)");
    }
    for (size_t length : { 200, 218, 220, 222, 236, 238, 240, 241, 242, 243 }) {
        std::string m(length, 'm'), n = std::string(length - 4, 'n') + ".dll";
        ASSERT_TRUE(WriteFileCheckEntry("Software\\QL", m.c_str(), 1, 0, 4, 0));
        ASSERT_TRUE(WriteFileCheckEntry("Software\\QL", n.c_str(), 1, 0, 5, 0));
        lines[m] = Line(m + invalid, "0.00.000 (missing)");
        lines[n] = Line(fixtures + "\\" + n, "0.00.000 (missing)");
    }
    /* installed 4.2.3.1234 against 5.1.0.0x304D2, and 5.1.0.7 against 5.1.0.6 */
    ASSERT_TRUE(WriteFileCheckEntry("Software\\QL", "v4_2_3_1234.dll", 0x00050001, 0x000304D2, 5, 0));
    ASSERT_TRUE(WriteFileCheckEntry("Software\\QL", "v5_1_0_7.dll", 0x00050001, 6, 5, 0));
    lines["v4"] = Line(fixtures + "\\v4_2_3_1234.dll", "4.02.197842 (out of date)");
    lines["v5"] = Line(fixtures + "\\v5_1_0_7.dll", "5.01.007 (not released)");
    LastResult = 0;
    EXPECT_EQ(0, CheckFileList(&DiagnosticResults.softwareFiles, "Software\\QL"));
    EXPECT_EQ(13u, LastResult);
    DiagnosticResults.softwareInstallation = { 1, LastResult };
    ComposeTestReport();
    FreeFileCheckList(&DiagnosticResults.softwareFiles);
    DeleteHklmTree("Software\\QL");
    DeleteHklmValue(Profile.productKey, "Main path");
    std::string report(TestReport.text, TestReport.length), expected;
    for (const auto &line : lines)
        expected += line.second;
    size_t start = report.find("\r\n", report.find("Test status:", report.find("[Software Installation"))) + 2;
    std::string shown = report.substr(start, report.find("\r\n[Audio driver access Test]") - start);
    size_t same = std::mismatch(expected.begin(), expected.end(), shown.begin(), shown.end()).first - expected.begin();
    EXPECT_TRUE(same == expected.size() && same == shown.size()) << "from: " << shown.substr(same, 300);
    ASSERT_EQ(1, WriteTestReport());
    char path[MAX_PATH];
    GetTestReportPath(path, sizeof(path));
    EXPECT_TRUE(ReadWholeFile(path) == report) << "the file is the report";
}

/* A program directory of every length near MAX_PATH (the test's own, reached
   through "x\..\" and ".\"): the report path ends in its file name inside its
   buffer; a language library path that does not fit is refused with the
   message, never cut and loaded. */
static std::string fakeModule;
static DWORD WINAPI FakeModuleFileName(HMODULE, LPSTR buffer, DWORD size)
{
    DWORD length = std::min((DWORD)fakeModule.size(), size);
    memcpy(buffer, fakeModule.c_str(), length);   /* cut without a NUL, as Windows XP does */
    if (length < size)
        buffer[length] = '\0';
    return length;
}

TEST(PathSweep, ProgramDirectoryNearMaxPath)
{
    SelectProductProfile("Mirel");
    DeleteHklmValue(Profile.productKey, "Language");
    ASSERT_EQ(1, LoadLanguageLibrary());
    HMODULE real = LanguageLibrary;
    std::string here = TestDirectory();
    for (size_t length = 230; length <= 262; length += Stride(3)) {
        std::string directory = here + ((length - here.size()) % 2 ? "x\\..\\" : "");
        while (directory.size() < length)
            directory += ".\\";
        fakeModule = directory + "Quorvex.exe";   /* "Quorvex.txt" fits wherever the program's own name does */
        RecordMessageBoxes(IDOK);
        ReplaceImport("kernel32.dll", "GetModuleFileNameA", (void *)FakeModuleFileName);
        Guarded report(MAX_PATH);
        GetTestReportPath((char *)report.data(), MAX_PATH);
        LanguageLibrary = NULL;
        int loaded = LoadLanguageLibrary(), fits = length + 16 < MAX_PATH;   /* "MirelQuor001.DLL" */
        RestoreImports();
        std::string path = (const char *)report.data();
        EXPECT_TRUE(report.Intact() && path == (fakeModule.size() < MAX_PATH ? directory + "Quorvex.txt" : "")) << path;
        EXPECT_TRUE(loaded == fits && LanguageLibrary == (fits ? real : NULL) && RecordedBoxes.size() == 1u - fits) << length;
        if (loaded)
            FreeLibrary(LanguageLibrary);
    }
    LanguageLibrary = real;
}

/* Another program holding the file open, in several ways: one error box,
   the held file untouched; once it lets go, the write goes through. */
TEST(HeldFileSweep, AHeldFileGivesOneErrorAndStaysAsItWas)
{
    SelectProductProfile("Mirel");
    ComposeTestReport();
    char report[MAX_PATH];
    GetTestReportPath(report, sizeof(report));
    HWND dialog = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 10, 10, dialog, (HMENU)1023, NULL, NULL);
    const struct { std::string path; const char *error; std::function<int()> write; std::string text; } files[] = {
        { "QuorvexToMerge.reg", "Could not create registry file!", [&] { return WriteMergeFile(dialog); },
          "REGEDIT4\r\n\r\n" },
        { report, "Could not create test report file!", WriteTestReport, std::string(TestReport.text, TestReport.length) },
    };
    std::string events = "quorvex-sweep-" + std::to_string(GetCurrentProcessId());
    HANDLE held = CreateEventA(NULL, FALSE, FALSE, (events + "-held").c_str());
    HANDLE release = CreateEventA(NULL, FALSE, FALSE, (events + "-release").c_str());
    const DWORD modes[][2] = { { GENERIC_READ, FILE_SHARE_READ }, { GENERIC_WRITE, 0 },
                               { FILE_APPEND_DATA, FILE_SHARE_WRITE }, { GENERIC_ALL, 7 } };   /* 7: read, write, delete */
    for (const auto &file : files) {
        for (const auto &mode : modes) {
            SCOPED_TRACE(file.path + " held with " + std::to_string(mode[0]) + ", sharing " + std::to_string(mode[1]));
            std::ofstream(file.path, std::ios::binary) << "held\r\n";
            char command[1024];
            wsprintfA(command, "\"%s\" \"%s\" %lx %lx %s", FixturePath("file_holder.exe").c_str(), file.path.c_str(),
                      mode[0], mode[1], events.c_str());
            STARTUPINFOA startup = { sizeof(startup) };
            PROCESS_INFORMATION holder;
            ASSERT_TRUE(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &holder) &&
                        WaitForSingleObject(held, 20000) == WAIT_OBJECT_0);
            RecordMessageBoxes(IDOK);
            EXPECT_EQ(0, file.write());
            RestoreImports();
            SetEvent(release);
            WaitForSingleObject(holder.hProcess, 20000);
            CloseHandle(holder.hProcess), CloseHandle(holder.hThread);
            EXPECT_TRUE(RecordedBoxes.size() == 1 && RecordedBoxes[0].text == file.error &&
                        RecordedBoxes[0].title == "Tavolink Quorvex" && RecordedBoxes[0].style == MB_ICONERROR);
            EXPECT_EQ("held\r\n", ReadWholeFile(file.path));
        }
        RecordMessageBoxes(IDOK);
        EXPECT_EQ(1, file.write());
        RestoreImports();
        EXPECT_TRUE(RecordedBoxes.empty() && file.text == ReadWholeFile(file.path)) << file.path;
    }
    CloseHandle(held), CloseHandle(release);
    DestroyWindow(dialog);
    DeleteFileA(files[0].path.c_str());
}
