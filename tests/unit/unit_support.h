/* What the unit tests share beyond tests/support: tables and expected texts
   kept as data in expected/, a scratch folder standing in for "Main path"
   and for the program's folder, and a base fixture that records message
   boxes and puts the process-wide state back. */
#ifndef QUORVEX_UNIT_SUPPORT_H
#define QUORVEX_UNIT_SUPPORT_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>

#include "audio_mixer_test.h"
#include "bitmap_library.h"
#include "file_check.h"
#include "fixture_ids.h"
#include "generator_dialog.h"
#include "generator_files.h"
#include "install_locations.h"
#include "installation_tests.h"
#include "keyboard_hook.h"
#include "language.h"
#include "main_window.h"
#include "merge_file.h"
#include "page_bitmap.h"
#include "platform.h"
#include "product_profile.h"
#include "program.h"
#include "report_compose.h"
#include "report_file.h"
#include "support.h"
#include "system_info.h"
#include "window_position.h"
#include "wizard.h"

typedef std::vector<std::string> Row;

/* GetModuleFileNameA itself, not through the import slot that MoveProgramToScratch moves. */
static const auto RealModuleName =
    (DWORD(WINAPI *)(HMODULE, LPSTR, DWORD))(void *)GetProcAddress(GetModuleHandleA("kernel32"), "GetModuleFileNameA");
static inline std::string ProgramFolder() {   /* the test program's, with its backslash */
    char path[MAX_PATH];
    std::string program(path, RealModuleName(NULL, path, MAX_PATH));
    return program.substr(0, program.find_last_of('\\') + 1);
}
static inline std::string Fixture(const char *name) { return ProgramFolder() + "fixtures\\" + name; }
static inline std::string Scratch() {   /* a folder of our own, without a trailing backslash */
    char temp[MAX_PATH];
    std::string folder = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "quorvex-unit";
    return CreateDirectoryA(folder.c_str(), NULL), folder;
}
static inline void EmptyScratch() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((Scratch() + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        DeleteFileA((Scratch() + "\\" + found.cFileName).c_str());
    FindClose(search);
}

/* {main} is the scratch folder, {win} the Windows folder, {dir} the program's;
   {300*n} stands for 300 letters n. */
static inline std::string Fill(std::string text) {
    char windows[MAX_PATH];
    const std::string keys[][2] = { { "{main}", Scratch() }, { "{dir}", ProgramFolder() },
                                    { "{win}", std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)) } };
    for (auto &key : keys)
        for (size_t at; (at = text.find(key[0])) != std::string::npos;) text.replace(at, key[0].size(), key[1]);
    for (size_t at = 0; (at = text.find('{', at)) != std::string::npos; at++) {
        size_t star = text.find_first_not_of("0123456789", at + 1);
        if (star > at + 1 && star + 2 < text.size() && text[star] == '*' && text[star + 2] == '}')
            text.replace(at, star + 3 - at, std::string(atoi(text.c_str() + at + 1), text[star + 1]));
    }
    return text;
}
/* Block "=== name" of expected/<file> (beside this source; Wine sees / as Z:), without its '#' lines. */
static inline std::vector<std::string> DataLines(const char *file, const char *block) {
    std::string source = __FILE__, path = source.substr(0, source.find_last_of("/\\") + 1) + "expected/" + file;
    std::istringstream text(ReadWholeFile((source[0] == '/' ? "Z:" : "") + path));
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(text, line);)
        if (line.compare(0, 4, "=== ") == 0) inside = line.substr(4) == block;
        else if (inside && line.compare(0, 1, "#") != 0) lines.push_back(Fill(line));
    EXPECT_FALSE(lines.empty()) << "no block " << block << " in " << path;
    return lines;
}
static inline Row Cells(const std::string &line) {   /* split at '|', the blanks around each cell dropped */
    Row cells;
    std::istringstream text(line);
    for (std::string cell; std::getline(text, cell, '|');) {
        size_t first = cell.find_first_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') + 1 - first));
    }
    return cells;
}
static inline std::vector<Row> Table(const char *file, const char *block) {
    std::vector<Row> rows;
    for (const std::string &line : DataLines(file, block)) if (!line.empty()) rows.push_back(Cells(line));
    return rows;
}
static inline std::string ExpectedText(const char *file, const char *block) {   /* every line ended with CR LF */
    std::string text;
    for (const std::string &line : DataLines(file, block)) text += line + "\r\n";
    return text;
}
static inline std::string Cell(const Row &row, size_t index) { return index < row.size() ? row[index] : ""; }
static inline DWORD Number(const std::string &text) { return strtoul(text.c_str(), NULL, 0); }
static inline void Version(const std::string &dotted, DWORD *pair) {   /* "a.b.c.d" as dwFileVersionMS, LS */
    unsigned v[4] = {};
    sscanf(dotted.c_str(), "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]);
    pair[0] = v[0] << 16 | v[1], pair[1] = v[2] << 16 | v[3];
}

/* GetModuleFileNameA(NULL) names <Scratch>\Quorvex.exe until RestoreImports. */
static inline DWORD WINAPI ScratchModuleName(HMODULE module, LPSTR buffer, DWORD size) {
    std::string path = Scratch() + "\\Quorvex.exe";
    if (module != NULL) return RealModuleName(module, buffer, size);
    return lstrcpynA(buffer, path.c_str(), size), path.size() < size ? (DWORD)path.size() : size;
}
static inline void MoveProgramToScratch() { ReplaceImport("kernel32.dll", "GetModuleFileNameA", (void *)ScratchModuleName); }
static inline std::string WrittenReport() {   /* composed, written by the program and read back */
    MoveProgramToScratch(), ComposeTestReport();
    EXPECT_EQ(1, WriteTestReport());
    return ReadWholeFile(Scratch() + "\\Quorvex.txt");
}
static inline std::string Section(const std::string &report, const std::string &heading) {   /* its lines up to the next one */
    size_t start = report.find("\r\n" + heading + "\r\n"), end = report.find("\r\n[", start + 2);
    return start == std::string::npos ? "(no " + heading + ")" : report.substr(start + 2, end - start - 2);
}

class InProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        language = LanguageLibrary, bitmaps = BitmapLibrary, platform = PlatformClass, mainWindow = MainWindow;
        SelectProductProfile(""), EmptyScratch(), RecordMessageBoxes(IDOK);
    }
    void TearDown() override {
        RestoreImports(), EmptyScratch();
        LanguageLibrary = language, BitmapLibrary = bitmaps, PlatformClass = platform, MainWindow = mainWindow;
    }
    std::string Boxes() {   /* texts of the recorded message boxes, joined with " / " */
        std::string texts;
        for (const RecordedBox &box : RecordedBoxes) texts += (texts.empty() ? "" : " / ") + box.text;
        return texts;
    }
    HMODULE language, bitmaps;
    DWORD platform;
    HWND mainWindow;
};

#endif
