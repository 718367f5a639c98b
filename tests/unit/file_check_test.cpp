/* The file check engine and the tests built on it, driven by the scenario
   table in expected/file_checks.txt: FileCheck lists written to the registry
   with fixture files placed under "Main path", checked for their records
   (version read and verdict), the run's result and LastResult, the result
   text and the test's section of the report. */
#include "unit_support.h"

static UINT mixerCount;
static UINT WINAPI CountedMixers(void) { return mixerCount; }
static LPVOID WINAPI NoMemory(HANDLE, DWORD, SIZE_T) { return NULL; }
/* CoCreateInstance as Windows answers it when the unregistered class is served by a program of its own. */
static HRESULT(WINAPI *realCreate)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
static HRESULT WINAPI LocalServerOnly(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID *out) {
    if (!IsEqualCLSID(clsid, FileCheckClsidUnregistered)) return realCreate(clsid, outer, context, iid, out);
    return context & CLSCTX_LOCAL_SERVER ? realCreate(FileCheckClsidRegistered, outer, 1, iid, out) : REGDB_E_CLASSNOTREG;
}

/* One entry as the installer writes it; a Guid cell "Value:N" writes that value with N bytes instead (0: none). */
static void WriteEntry(const std::string &key, const Row &e) {
    DWORD listed[2], size = Number(e[5].substr(e[5].find(':') + 1));
    BYTE bytes[32] = { 5, 5, 5, 5, 5, 5, 5, 5 };
    std::string entry = key + "\\" + e[0], name = e[5].substr(0, e[5].find(':'));
    Version(e[2], listed);
    const GUID *clsid = e[5] == "reg" ? &FileCheckClsidRegistered : e[5] == "unreg" ? &FileCheckClsidUnregistered : NULL;
    WriteFileCheckEntry(key.c_str(), e[0].c_str(), listed[0], listed[1], (BYTE)Number(e[3]), (BYTE)Number(e[4]), clsid);
    if (e[5].find(':') != std::string::npos)
        size ? WriteHklmValue(entry.c_str(), name.c_str(), REG_BINARY, bytes, size) : DeleteHklmValue(entry.c_str(), name.c_str());
    if (e[1] != "-") CopyFileA(Fixture(e[1].c_str()).c_str(), (Scratch() + "\\" + e[0]).c_str(), FALSE);
}

TEST_F(InProcessTest, FileCheckScenarios) {
    CoInitialize(NULL);
    HMODULE server = LoadLibraryA(Fixture("comserver_registered.dll").c_str());
    ASSERT_EQ(S_OK, ((HRESULT(WINAPI *)(void))(void *)GetProcAddress(server, "DllRegisterServer"))());
    FileCheckRecord *engineList = NULL;
    ZeroMemory(&DiagnosticResults, sizeof(DiagnosticResults));
    LanguageLibrary = LoadLibraryA((ProgramFolder() + "MirelQuor001.DLL").c_str());
    PlatformClass = PLATFORM_NT5;
    ReplaceImport("winmm.dll", "mixerGetNumDevs", (void *)CountedMixers);
    std::vector<std::string> lines = DataLines("file_checks.txt", "scenarios");
    for (size_t at = 0, next; at < lines.size(); at = next) {
        Row h = Cells(lines[at].substr(1));   /* > what | kind | before | result | after | text | options | box */
        std::string kind = h[1], options = Cell(h, 6), report;
        std::vector<std::string> expected, found;
        const char *key = kind == "software" ? Profile.fileCheckKey : kind == "directdraw"
                        ? "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\Win2K" : "Software\\Tavolink Systems\\Unit";
        SCOPED_TRACE(h[0]);
        EmptyScratch(), MakeEmptyHklmKey(key);
        for (next = at + 1; next < lines.size() && lines[next][0] != '>'; next++) {
            Row e = Cells(lines[next]);   /* name | file | listed | location | update | guid | status | found | path */
            if (lines[next][0] == ':') report += lines[next].substr(2) + "\r\n";
            else if (WriteEntry(key, e), e[6] != "-") expected.push_back(e[6] + " " + e[7] + " " + e[8]);
        }
        if (options.find("nokey") != std::string::npos) DeleteHklmTree(key);
        WriteHklmString(Profile.productKey, "Main path", options.find("nomain") == std::string::npos ? Scratch().c_str() : "");
        InitInstallLocations();
        mixerCount = options.find("mixers=") == std::string::npos ? 0 : Number(options.substr(options.find("mixers=") + 7));
        std::string text = h[5] == "-" ? "" : LoadLongText(Number(h[5]));
        EXPECT_NE(h[5] == "-", !text.empty()) << "text " << h[5];
        void *heap = options.find("nomem") == std::string::npos ? NULL : ReplaceImport("kernel32.dll", "HeapAlloc", (void *)NoMemory);
        if (options.find("localserver") != std::string::npos)
            realCreate = (decltype(realCreate))ReplaceImport("ole32.dll", "CoCreateInstance", (void *)LocalServerOnly);
        RecordedBoxes.clear();
        LastResult = Number(h[2]);
        int result = kind == "engine" ? CheckFileList(&engineList, key) : kind == "software" ? SoftwareInstallationTest()
                   : kind == "audio" ? AudioMixerTest() : DirectDrawInstallationTest();
        if (heap != NULL) ReplaceImport("kernel32.dll", "HeapAlloc", heap);
        if (options.find("localserver") != std::string::npos) ReplaceImport("ole32.dll", "CoCreateInstance", (void *)realCreate);
        EXPECT_TRUE(result == (int)Number(h[3]) && LastResult == Number(h[4])) << result << ", LastResult " << LastResult;
        EXPECT_EQ(Cell(h, 7), Boxes());
        EXPECT_EQ(text, text.empty() ? "" : ResultText);
        for (const FileCheckRecord *r = kind == "engine" ? engineList : kind == "software" ? DiagnosticResults.softwareFiles
                                      : kind == "directdraw" ? DiagnosticResults.directDrawFiles : NULL; r; r = r->next) {
            char record[400];
            sprintf(record, "%lu %u.%u.%u.%u %s", r->status, HIWORD(r->versionMS), LOWORD(r->versionMS), HIWORD(r->versionLS),
                    LOWORD(r->versionLS), r->path);
            found.push_back(record);
        }
        EXPECT_EQ(expected, found);
        if (!report.empty()) EXPECT_EQ(report, Section(WrittenReport(), report.substr(0, report.find("\r\n"))));
    }
    FreeFileCheckList(&engineList), FreeFileCheckList(&DiagnosticResults.softwareFiles);
    FreeFileCheckList(&DiagnosticResults.directDrawFiles), FreeLibrary(LanguageLibrary);
    DeleteHklmTree("Software\\Tavolink Systems"), DeleteHklmTree("Software\\Classes\\CLSID\\" FILECHECK_CLSID_REGISTERED_TEXT);
    CoUninitialize();
}
