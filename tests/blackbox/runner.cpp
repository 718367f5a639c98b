/* Scenario runner: plays scenario files against the real Quorvex.exe and
   writes, per scenario, OUT-DIR/NAME.actual (the transcript of what it saw)
   and OUT-DIR/NAME.expected (the scenario's expected lines, placeholders
   filled in). run_scenarios.sh compares the two; README.md has the format.
   usage: runner BIN-DIR OUT-DIR SCENARIO... */
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

typedef std::string Str;
#define INSTALL "C:\\bb\\Quorvex"
static Str bin, folder;  // the build's bin folder, the scenario's folder
static FILE *actual;     // the transcript, written as it grows
static HMODULE texts, pictures;
static std::map<Str, int> singleTexts, longTexts;
static std::vector<Str> copiedFiles, leftOut;
static bool readOnly, installed, pageStep;  // pageStep: the action shows a page (picture and focus are fixed then)
static HWND webServer;
static int depth;  // the screen's, for the whole run
static int webServerCloses, webServerClosesShown;

struct Program
{
    PROCESS_INFORMATION process;
    HWND wizard;
    Str state, blackScreen;
    std::set<HWND> seen;
    DWORD firstSeen, topmostEnd;
    bool ended;
};
static Program program, second;

static void Out(const Str &line) { fputs((line + "\n").c_str(), actual), fflush(actual); }

static bool ReadAll(const Str &path, Str *bytes)
{
    FILE *file = fopen(path.c_str(), "rb");
    for (int c; file && (c = fgetc(file)) != EOF;)
        *bytes += (char)c;
    return file && !fclose(file);
}

static std::vector<Str> Lines(const Str &text)  // without their CR LF
{
    std::vector<Str> lines;
    std::istringstream stream(text);
    for (Str line; std::getline(stream, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return lines;
}

static Str Format(const char *format, ...)
{
    char buffer[4096] = "";
    va_list args;
    va_start(args, format);
    _vsnprintf(buffer, sizeof(buffer) - 1, format, args);
    return va_end(args), buffer;
}

/* Bytes as a transcript shows them: control and non-ASCII bytes escaped, a
   run of 64 or more equal characters as {count*c}, a final blank as \x20. */
static Str Escape(const Str &text)
{
    Str out;
    for (size_t i = 0, run; i < text.size(); i += run) {
        unsigned char c = text[i];
        for (run = 1; i + run < text.size() && text[i + run] == text[i];)
            run++;
        Str one = c == '\n' ? "\\n" : c == '\r' ? "\\r" : (c < 0x20 || c >= 0x7F) ? Format("\\x%02X", c) : Str(1, c);
        for (size_t n = 0; n < (run < 64 ? run : 0); n++)
            out += one;
        if (run >= 64)
            out += Format("{%d*%s}", (int)run, one.c_str());
    }
    if (!out.empty() && out[out.size() - 1] == ' ')
        out.replace(out.size() - 1, 1, "\\x20");
    return out;
}

// A text of the language library by its string ID, any other quoted.
static Str Named(const Str &text, const std::map<Str, int> &ids, const char *word)
{
    return ids.count(text) && !text.empty() ? Format("%s %d", word, ids.at(text)) : Str(word) + " \"" + Escape(text) + "\"";
}

static BOOL CALLBACK StringBlock(HMODULE module, LPCSTR, LPSTR name, LONG_PTR)
{
    for (int id = ((int)(UINT_PTR)name - 1) * 16, end = id + 16; id < end; id++) {
        char piece[2048];
        if (!LoadStringA(module, id, piece, sizeof(piece))) continue;
        singleTexts.insert(std::make_pair(Str(piece), id));
        Str whole;  // the long text of a run that starts here
        for (int n = 0; n < 100 && !LoadStringA(module, id - 1, piece, 2) && LoadStringA(module, id + n, piece, 256);)
            whole += piece, n++;
        if (!whole.empty())
            longTexts.insert(std::make_pair(whole, id));
    }
    return TRUE;
}

static void UseLibraries(const Str &family, const Str &language)
{
    FreeLibrary(texts), FreeLibrary(pictures);
    singleTexts.clear(), longTexts.clear();
    texts = LoadLibraryExA((bin + family + "Quor" + language + ".DLL").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    pictures = LoadLibraryExA((bin + family + "Bitmap.dll").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceNamesA(texts, (LPCSTR)RT_STRING, StringBlock, 0);
}

// ----------------------------------------------------------------- pictures

static const BITMAPINFOHEADER *Dib(int id)  // the library's pictures are 8-bit DIBs
{
    HRSRC resource = FindResourceA(pictures, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
    return resource ? (const BITMAPINFOHEADER *)LockResource(LoadResource(pictures, resource)) : NULL;
}

static DWORD DibPixel(const BITMAPINFOHEADER *dib, int x, int y)  // 0x00RRGGBB; outside: the nearest edge
{
    x = std::max(0, std::min(x, (int)dib->biWidth - 1)), y = std::max(0, std::min(y, (int)dib->biHeight - 1));
    const BYTE *bits = (const BYTE *)dib + dib->biSize + 1024;
    const DWORD *colours = (const DWORD *)((const BYTE *)dib + dib->biSize);
    return colours[bits[(dib->biHeight - 1 - y) * ((dib->biWidth + 3) & ~3) + x]] & 0xFFFFFF;
}

static bool Near(DWORD a, DWORD b, int tolerance)  // each of red, green and blue
{
    return abs((int)(a >> 16 & 255) - (int)(b >> 16 & 255)) <= tolerance &&
           abs((int)(a >> 8 & 255) - (int)(b >> 8 & 255)) <= tolerance && abs((int)(a & 255) - (int)(b & 255)) <= tolerance;
}

/* Per cent of grid points of a w x h screen area (rows stride pixels apart)
   that show the picture scaled to fill it. Scalers round differently, so a
   neighbour of the source pixel counts too. In 256 colours the pictures go
   through palettes to the nearest colours Wine's 256-colour mode has, so
   there each colour of the picture must show as one colour of the screen,
   the one it shows as most (the layout is checked, the colours are not). */
static int Score(const DWORD *pixels, int stride, int w, int h, const BITMAPINFOHEADER *dib)
{
    std::map<DWORD, std::map<DWORD, int> > seen;
    std::map<DWORD, DWORD> shownAs;
    for (int y = 2; depth == 8 && pixels && dib && y < h - 2; y += 5)
        for (int x = 2; x < w - 2; x += 5)
            seen[DibPixel(dib, x * dib->biWidth / w, y * dib->biHeight / h)][pixels[y * stride + x]]++;
    for (auto &colour : seen)
        shownAs[colour.first] = std::max_element(colour.second.begin(), colour.second.end(),
            [](const std::pair<const DWORD, int> &a, const std::pair<const DWORD, int> &b) { return a.second < b.second; })->first;
    int points = 0, matches = 0;
    for (int y = 2; pixels && dib && y < h - 2; y += 5)
        for (int x = 2; x < w - 2; x += 5, points++) {
            int sx = x * dib->biWidth / w, sy = y * dib->biHeight / h;
            for (int n = 0; n < 9; n++) {
                DWORD colour = DibPixel(dib, sx + n % 3 - 1, sy + n / 3 - 1);
                if (depth == 8 ? shownAs.count(colour) && shownAs[colour] == pixels[y * stride + x]
                               : Near(colour, pixels[y * stride + x], 24)) {
                    matches++;
                    break;
                }
            }
        }
    return points ? matches * 100 / points : 0;
}

// Which picture control 1016 shows: the bitmap that fits best, if it fits.
static Str IdentifyPicture(HWND control)
{
    RECT rect;
    GetClientRect(control, &rect);
    MapWindowPoints(control, NULL, (POINT *)&rect, 2);
    int w = rect.right - rect.left, h = rect.bottom - rect.top, best = 0, bestScore = 89;
    DWORD *pixels = CaptureScreen(&rect);
    bool drawn = pixels && std::set<DWORD>(pixels, pixels + w * h).size() > 2;  // not one plain colour
    for (int id : { 120, 121, 122, 123, 124, 127, 130 })
        if (drawn && Score(pixels, w, w, h, Dib(id)) > bestScore)
            best = id, bestScore = Score(pixels, w, w, h, Dib(id));
    free(pixels);
    return best ? Format("%d", best) : "none";
}

/* While the program's black test window is up: where it stands and whether
   it is topmost. What the test then writes into the primary surface Wine 10
   shows above or beneath that window as its timing goes (the display's
   frame buffer is not one memory there), so the picture is not looked at
   on the screen: the display double checks the bytes written. */
static void LookAtBlackScreen(Program *p)
{
    HWND black = FindProcessWindow(p->process.dwProcessId, "BlackWindowClass");
    RECT r;
    if (!black || !IsWindowVisible(black) || !GetWindowRect(black, &r))
        return;   // the last look while it is up counts: it is sized after it is made
    p->blackScreen = Format("black screen: %ldx%ld at %ld,%ld%s", r.right - r.left, r.bottom - r.top, r.left, r.top,
                            GetWindowLongA(black, GWL_EXSTYLE) & WS_EX_TOPMOST ? ", topmost" : "");
}

// ------------------------------------------------------------------ program

static void Poll(void *context)  // while waiting: when the wizard stops being topmost, the black screen
{
    Program *p = (Program *)context;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))  // the program may be sending to our windows
        DispatchMessageA(&message);
    if (p->wizard && IsWindowVisible(p->wizard) && !p->firstSeen)
        p->firstSeen = GetTickCount();
    if (p->firstSeen && !(GetWindowLongA(p->wizard, GWL_EXSTYLE) & WS_EX_TOPMOST) && !p->topmostEnd)
        p->topmostEnd = GetTickCount();
    LookAtBlackScreen(p);
}

/* Whether the report was written since the previous page line: its time is
   set back to 2000-01-01 after each one. */
static Str ReportState()
{
    static const FILETIME old = { 0x8C2C4000, 0x01BF53EB };
    HANDLE file = CreateFileA(INSTALL "\\Quorvex.txt", FILE_WRITE_ATTRIBUTES, 7, NULL, OPEN_EXISTING, 0, NULL);
    FILETIME written = old;
    if (file == INVALID_HANDLE_VALUE) return "no report";
    GetFileTime(file, NULL, NULL, &written), SetFileTime(file, NULL, NULL, &old), CloseHandle(file);
    return CompareFileTime(&written, &old) ? "report written" : "report kept";
}

static const char *const buttonNames[] = { "Next", "Back", "Close", "1003", "Status Report" };
static Str ButtonName(int id) { return id >= 1000 && id <= 1004 ? buttonNames[id - 1000] : id ? Format("%d", id) : "none"; }

// Where a dialog stands, by the rules the program places dialogs with.
static Str Placement(HWND window)
{
    RECT r, wizard, area;
    GetWindowRect(window, &r);
    GetWindowRect(program.wizard, &wizard);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    Str where;
    for (int axis = 0; axis < 2; axis++) {
        LONG *at = axis ? &r.top : &r.left, *own = axis ? &wizard.top : &wizard.left,
             *work = axis ? &area.top : &area.left, size = at[2] - at[0];
        where += Str(axis ? ", y " : "x ") +
                 (at[0] == own[0] + (own[2] - own[0] - size) / 2                       ? "centred over the wizard"
                  : at[0] == (GetSystemMetrics(axis ? SM_CYSCREEN : SM_CXSCREEN) - size) / 2 ? "centred on the screen"
                  : at[0] == work[0]                                                   ? "at the work area's start"
                  : at[2] == work[2]                                                   ? "at the work area's end"
                                                                                       : Format("%ld", at[0]));
    }
    return where;
}

static void Describe(HWND window)
{
    MessageBoxInfo box;
    char title[256];
    GetWindowTextOf(window, title, sizeof(title));
    if (!IsMessageBox(window) || !ReadMessageBox(window, &box))
        return Out(Format("window \"%s\", ", Escape(title).c_str()) + Placement(window));
    Str buttons;
    for (int i = 0; i < box.buttonCount; i++)
        buttons += Str(i ? " " : "") + box.buttons[i];
    buttons.erase(std::remove(buttons.begin(), buttons.end(), '&'), buttons.end());
    Out(Format("message box \"%s\", %s, %s, [%s]: ", Escape(box.title).c_str(), box.icon,
               !box.owner ? "no owner" : box.owner == program.wizard ? "owned by the wizard" : "owned", buttons.c_str()) +
        Named(box.text, singleTexts, "text"));
}

static void DescribeWizard(Program *p)
{
    char text[4096];
    HWND w = p->wizard;
    Str state = !IsWindowVisible(w) ? "hidden" : IsIconic(w) ? "minimized" : "shown", captions;
    if (p->state.empty() && state == "shown") {
        for (int id : { 1001, 1000, 1002, 1015, 1004 })
            GetWindowTextOf(GetDlgItem(w, id), text, sizeof(text)),
                captions += (id == 1001 ? "" : ", ") + Named(text, singleTexts, "").substr(1);
        GetWindowTextOf(w, text, sizeof(text));
        Out(Format("wizard \"%s\"%s, captions ", Escape(text).c_str(),
                   GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST ? ", topmost" : "") + captions);
    } else if (state != p->state)
        Out("wizard " + state);
    if ((p->state = state) != "shown" || !IsWindowEnabled(w)) return;
    GetWindowTextOf(GetDlgItem(w, 1017), text, sizeof(text));
    Str line = "page: " + Named(text, singleTexts, "headline") + ", ";
    GetWindowTextOf(GetDlgItem(w, 1011), text, sizeof(text));
    line += Named(text, longTexts, "text");
    Str last, now = pageStep ? IdentifyPicture(GetDlgItem(w, 1016)) : "";
    // The same twice: painted and on the screen. No picture yet may be one not painted yet: waited for.
    for (int i = 0; pageStep && i < 100 && (now != last || now == "none"); i++)
        Sleep(30), last = now, now = IdentifyPicture(GetDlgItem(w, 1016));
    DWORD_PTR position = 0;
    SendMessageTimeoutA(GetDlgItem(w, 1012), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 3000, &position);
    line += (pageStep ? ", picture " + now : "") + Format(", progress %d", (int)position);
    for (int id : { 1001, 1000, 1002 })
        line += ", " + ButtonName(id) + (IsWindowEnabled(GetDlgItem(w, id)) ? " on" : " off");
    Out(line + (pageStep ? ", focus " + ButtonName(GetFocusControlId(w)) : "") + ", " + ReportState());
}

/* Waits until the program has settled after an action (its thread idle
   again, twice more to let posted work and paints through), then writes what
   it shows: the black screen seen meanwhile, new windows and message boxes,
   the wizard's page, or its exit code. */
static void Settle(Program *p)
{
    HWND windows[16], target;
    DWORD start = GetTickCount(), code;
    for (int syncs = 0, count = 0;;) {
        Poll(p);
        if (ProgramExitCode(&p->process, &code)) {
            if (!p->blackScreen.empty())
                Out(p->blackScreen);
            return p->ended = true, Out(Format("exit code %lu", code));
        }
        p->wizard = p->wizard ? p->wizard : FindProcessWindow(p->process.dwProcessId, DRIVER_MAIN_CLASS);
        count = ProcessWindows(p->process.dwProcessId, NULL, 1, windows, 16);
        target = p->wizard && (IsWindowVisible(p->wizard) || !p->state.empty()) ? p->wizard : NULL;
        for (int i = 0; i < count && !target; i++)  // before the wizard shows: a new window
            target = windows[i] != p->wizard && !p->seen.count(windows[i]) ? windows[i] : NULL;
        // Still on the way: a dialog not shown yet, or a page step running (Close is off only then).
        bool open = IsWindowVisible(p->wizard) && IsWindowEnabled(p->wizard), between = target == p->wizard &&
             syncs == 3 && (open ? !IsWindowEnabled(GetDlgItem(p->wizard, 1002)) : count == IsWindowVisible(p->wizard));
        if ((!target || between) && GetTickCount() - start < 30000) {
            syncs = 0, Sleep(20);
            continue;
        }
        if (target && syncs < 3) {
            if (WaitIdle(target, 30000, Poll, p) && syncs++ == 1)
                RedrawWindow(target, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
            continue;
        }
        if (!p->blackScreen.empty())
            Out(p->blackScreen);
        p->blackScreen.clear();
        for (int i = count - 1; i >= 0; i--)
            if (windows[i] != p->wizard && p->seen.insert(windows[i]).second)
                Describe(windows[i]);
        if (webServerCloses != webServerClosesShown)
            Out(Format("web server window: WM_CLOSE received %d time(s)", webServerClosesShown = webServerCloses));
        if (p->wizard)
            DescribeWizard(p);
        else if (!count)
            Out("nothing shown within 30 s");
        return;
    }
}

// ------------------------------------------------------------------- set-up

static HKEY Root(Str &path)
{
    HKEY root = path.compare(0, 18, "HKEY_CURRENT_USER\\") ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    return path = path.substr(path.find('\\') + 1), root;
}

// One line of a REGEDIT4 text: [KEY], [-KEY], "name"="text", dword:N, hex:.., -
static void Registry(const Str &line)
{
    static Str path;
    static HKEY root;
    HKEY key;
    if (line[0] == '[') {
        root = Root(path = line.substr(1 + (line[1] == '-'), line.size() - 2 - (line[1] == '-')));
        if (line[1] == '-')
            SHDeleteKeyA(root, path.c_str());
        else if (!RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL))
            RegCloseKey(key);
        return;
    }
    Str name = line.substr(1, line.find("\"=") - 1), value = line.substr(line.find("\"=") + 2), data;
    DWORD type = value[0] == '"' ? REG_SZ : value[0] == 'd' ? REG_DWORD : REG_BINARY, number;
    for (size_t i = 1; type == REG_SZ && i + 1 < value.size(); i++)
        data += value[i] == '\\' ? value[++i] : value[i];
    if (type == REG_SZ)
        data += '\0';
    else if (type == REG_DWORD)
        number = strtoul(value.c_str() + 6, NULL, 16), data.assign((const char *)&number, 4);
    for (const char *p = value.c_str() + 4; type == REG_BINARY && value[0] == 'h' && *p; p += p[2] ? 3 : 2)
        data += (char)strtoul(p, NULL, 16);
    if (value == "-")
        SHDeleteValueA(root, path.c_str(), name.c_str());
    else if (!RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL))
        RegSetValueExA(key, name.c_str(), 0, type, (const BYTE *)data.data(), data.size()), RegCloseKey(key);
}

static void Copy(const Str &source, const Str &target)  // a file it replaces comes back at the clean-up
{
    SHCreateDirectoryExA(NULL, target.substr(0, target.rfind('\\')).c_str(), NULL);
    MoveFileA(target.c_str(), (target + ".saved").c_str());
    for (const char *from : { "fixtures\\", "demo_files\\", "" })
        if (CopyFileA((bin + from + source).c_str(), target.c_str(), FALSE)) return;
    Out("cannot copy " + source);
}

/* The installation folder made immutable on the Unix side: Wine lets root
   write past read-only attributes, chattr +i stops root too. Wine does not
   say when a Unix program has ended, so the folder itself is watched. */
static void SetImmutable(bool immutable)
{
    typedef char *(CDECL * UnixName)(LPCWSTR);
    char *path = ((UnixName)(void *)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name"))(
        L"" INSTALL);
    Str command = Format("-c \"/usr/bin/chattr %ci '%s'\"", immutable ? '+' : '-', path);
    PROCESS_INFORMATION shell;
    if (StartProgram("Z:\\bin\\sh", command.c_str(), NULL, &shell))
        CloseHandle(shell.hProcess), CloseHandle(shell.hThread);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20)) {
        HANDLE file = CreateFileA(INSTALL "\\probe", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, 0);
        if (CloseHandle(file), (file == INVALID_HANDLE_VALUE) == immutable) return;
    }
    Out("the installation folder could not be made read-only");
}

static void Install()  // the programs, the language and picture libraries and busy cursor
{
    WIN32_FIND_DATAA found;
    for (const char *pattern : { "Quorvex.exe", "QuorvexReport.exe", "quorcur.ani", "*Quor0*.DLL", "*Bitmap.dll" })
        for (HANDLE search = FindFirstFileA((bin + pattern).c_str(), &found); search != INVALID_HANDLE_VALUE;
             search = FindNextFileA(search, &found) ? search : (FindClose(search), INVALID_HANDLE_VALUE))
            if (std::find(leftOut.begin(), leftOut.end(), found.cFileName) == leftOut.end())
                Copy(found.cFileName, Str(INSTALL "\\") + found.cFileName);
    CreateDirectoryA("C:\\bb\\cwd", NULL);
    if (readOnly)
        SetImmutable(true);
    installed = true;
}

static LRESULT CALLBACK WebServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_CLOSE ? webServerCloses++, 0 : DefWindowProcA(window, message, wParam, lParam);
}

static void Cleanup()
{
    EndProgram(&program.process), EndProgram(&second.process);
    program = Program(), second = Program();
    if (readOnly)
        SetImmutable(false);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tavolink Systems");
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Quorvex.exe");
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\QuorvexReport.exe");
    for (const Str &file : copiedFiles)
        DeleteFileA(file.c_str()), MoveFileA((file + ".saved").c_str(), file.c_str());
    SHFILEOPSTRUCTA remove = {};
    remove.wFunc = FO_DELETE, remove.pFrom = "C:\\bb\0C:\\Program Files\\Tavolink\0", remove.fFlags = FOF_NO_UI;
    SHFileOperationA(&remove);
    copiedFiles.clear(), leftOut.clear();
    readOnly = installed = false;
    DestroyWindow(webServer);
    webServer = NULL, webServerCloses = webServerClosesShown = 0;
    UseLibraries("Mirel", "001");
}

// ------------------------------------------------------------------ actions

static void ShowFile(const Str &path)
{
    Str bytes;
    if (!ReadAll(path, &bytes)) return Out("no such file");
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != Str::npos; start = end + 2)
        Out(end > start ? "| " + Escape(bytes.substr(start, end - start)) : "|");
    if (start < bytes.size())
        Out("| " + Escape(bytes.substr(start)) + " (no line end)");
}

static void ShowValues(Str path)
{
    HKEY root = Root(path), key;
    char name[256], data[1024];
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key)) return Out("no such key");
    for (DWORD i = 0, nameSize, size; nameSize = sizeof(name), size = sizeof(data),
         !RegEnumValueA(key, i, name, &nameSize, NULL, NULL, (BYTE *)data, &size); i++)
        Out(Format("\"%s\"=\"%s\"", Escape(name).c_str(), Escape(Str(data, size ? size - 1 : 0)).c_str()));
    RegCloseKey(key);
}

static void ShowLines(const Str &prefix, const Str &bytes)
{
    std::vector<Str> lines = Lines(bytes);
    for (const Str &line : lines)  // an empty line as the prefix without its blank
        Out(line.empty() ? prefix.substr(0, prefix.find(' ')) : prefix + Escape(line));
}

/* PROGRAM ARGUMENTS (QuorvexReport.exe) from the installation folder, in
   the working folder: what it printed on standard output and error, any
   window it showed (it must show none), and its exit code. */
static void RunTool(const Str &line)
{
    if (!installed)
        Install();
    SECURITY_ATTRIBUTES inherited = { sizeof(inherited), NULL, TRUE };
    HANDLE read[2], write[2];
    for (int i = 0; i < 2; i++)
        CreatePipe(&read[i], &write[i], &inherited, 1 << 16), SetHandleInformation(read[i], HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof(start), start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = write[0], start.hStdError = write[1];
    size_t blank = std::min(line.find(' '), line.size());
    Str command = "\"" INSTALL "\\" + line.substr(0, blank) + "\"" + line.substr(blank), printed[2];
    PROCESS_INFORMATION tool = {};
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, "C:\\bb\\cwd", &start, &tool);
    CloseHandle(write[0]), CloseHandle(write[1]);
    std::set<Str> shown;
    DWORD code = STILL_ACTIVE, begin = GetTickCount();
    for (bool running = started; running; ) {
        running = WaitForSingleObject(tool.hProcess, 20) == WAIT_TIMEOUT && GetTickCount() - begin < 60000;
        HWND windows[16];
        char name[256];
        for (int i = 0, count = ProcessWindows(tool.dwProcessId, NULL, 1, windows, 16); i < count; i++)
            GetClassNameA(windows[i], name, sizeof(name)), shown.insert(name);
        for (int i = 0; i < 2; i++)
            for (DWORD waiting = 0, got; PeekNamedPipe(read[i], NULL, 0, NULL, &waiting, NULL) && waiting;) {
                char chunk[4096];
                if (!ReadFile(read[i], chunk, sizeof(chunk), &got, NULL)) break;
                printed[i].append(chunk, got);
            }
    }
    if (!started) return Out("cannot start " + command);
    ShowLines("out: ", printed[0]), ShowLines("err: ", printed[1]);
    for (const Str &name : shown)
        Out("window of class \"" + Escape(name) + "\"");
    GetExitCodeProcess(tool.hProcess, &code);
    Out(code == STILL_ACTIVE ? "still running after 60 s" : Format("exit code %lu", code));
    EndProgram(&tool), CloseHandle(read[0]), CloseHandle(read[1]);
}

/* Splits a report into its sections (a line starting with '[' opens one),
   lines as CR LF ends them; the date line left out. */
static std::vector<std::pair<Str, Str> > Sections(const Str &bytes)
{
    std::vector<std::pair<Str, Str> > sections(1, std::make_pair(Str("(head)"), Str()));
    for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = std::min(bytes.find("\r\n", start), bytes.size());
        Str line = bytes.substr(start, end - start) + (end < bytes.size() ? "\r\n" : "");
        if (line[0] == '[')
            sections.push_back(std::make_pair(line.substr(0, line.find("\r\n")), Str()));
        else if (line.compare(0, 5, "Date:"))
            sections.back().second += line;
    }
    return sections;
}

/* The tool's report FILE against the wizard's Quorvex.txt, byte for byte
   but for the date line: each section that differs, as each report has it. */
static void CompareReports(const Str &path)
{
    Str tool, wizard;
    if (!ReadAll(path, &tool) || !ReadAll(INSTALL "\\Quorvex.txt", &wizard)) return Out("no such file");
    std::vector<std::pair<Str, Str> > a = Sections(tool), b = Sections(wizard);
    int same = 0;
    for (size_t i = 0; i < std::max(a.size(), b.size()); i++) {
        if (i < a.size() && i < b.size() && a[i] == b[i]) {
            same++;
            continue;
        }
        for (const auto *side : { &a, &b })
            if (i < side->size()) {
                Out((*side)[i].first + (side == &a ? " in the tool's report:" : " in the wizard's report:"));
                ShowLines("| ", (*side)[i].second);
            }
    }
    Out(Format("%d sections the same", same));
}

static HWND OpenWindow(bool box)  // the open message box, or the open dialog
{
    HWND windows[16];
    for (int i = 0, count = ProcessWindows(program.process.dwProcessId, "#32770", 1, windows, 16); i < count; i++)
        if (IsMessageBox(windows[i]) == box) return windows[i];
    return NULL;
}

static void Start(Program *p, Str tail)
{
    EndProgram(&p->process);
    *p = Program();
    if (!installed)
        Install();
    for (size_t open; (open = tail.find('{')) != Str::npos;)  // {count*c}
        tail.replace(open, tail.find('}') - open + 1, Str(atoi(tail.c_str() + open + 1), tail[tail.find('}') - 1]));
    if (!StartProgram(INSTALL "\\Quorvex.exe", tail.c_str(), "C:\\bb\\cwd", &p->process))
        return Out("cannot start the program");
    Settle(p);
}

static const char *Press(const Str &verb, const Str &rest, HWND w)
{
    static const struct { const char *name; int id; } buttons[] = {
        { "OK", 1 }, { "Cancel", 2 }, { "Next", 1000 }, { "Back", 1001 }, { "Close", 1002 }, { "Status Report", 1004 },
        { "Yes", IDYES }, { "No", IDNO } };
    static const struct { const char *name; WORD key; } keys[] = {
        { "escape", VK_ESCAPE }, { "enter", VK_RETURN }, { "space", VK_SPACE }, { "up", VK_UP }, { "f4", VK_F4 } };
    for (const auto &button : buttons)
        if (rest == button.name && verb != "keys")
            return PressButton(verb == "answer" ? OpenWindow(true) : button.id < 3 ? OpenWindow(false) : w, button.id);
    if (verb == "type") return SendKeyText(w, rest.c_str()) ? NULL : "no keyboard";
    std::istringstream chords(rest);
    for (Str chord; verb == "keys" && chords >> chord; WaitIdle(w, 5000, Poll, &program)) {  // escape, alt+f4, ...
        bool alt = !chord.compare(0, 4, "alt+");
        WORD pressed[2] = { VK_MENU, LOBYTE(VkKeyScanA(chord[alt * 4])) };
        for (const auto &key : keys)
            pressed[1] = chord.substr(alt * 4) == key.name ? key.key : pressed[1];
        if (!SendChord(w, pressed + !alt, 1 + alt)) return "no keyboard";
    }
    return verb == "keys" ? NULL : "missing";
}

static void Act(const Str &line)
{
    Str verb = line.substr(0, line.find(' ')), rest = line.substr(std::min(line.size(), verb.size() + 1));
    HWND w = program.wizard;
    pageStep = (verb == "start" && rest.compare(0, 5, "again")) || verb == "answer" || rest == "Next" || rest == "Back";
    if (line[0] == '[' || line[0] == '"')
        Registry(line);
    else if (verb == "windows")
        for (const char *exe : { "Quorvex.exe", "QuorvexReport.exe" })
            Registry(Str("[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\") + exe + "]"),
                Registry("\"Version\"=\"" + rest + "\"");
    else if (verb == "copy")
        Copy(rest.substr(0, rest.find(' ')), rest.substr(rest.find(' ') + 1)),
            copiedFiles.push_back(rest.substr(rest.find(' ') + 1));
    else if (verb == "include") {
        Str text;
        if (!ReadAll(folder + rest, &text))
            Out("cannot read " + rest);
        for (const Str &included : Lines(text))
            if (included[0] == '>')
                Act(included.substr(2));
    } else if (verb == "without")
        leftOut.push_back(rest);
    else if (line == "read-only installation")
        readOnly = true;
    else if (verb == "libraries")
        UseLibraries(rest.substr(0, rest.find(' ')), rest.substr(rest.find(' ') + 1));
    else if (line == "web server window") {
        WNDCLASSA windowClass = { 0, WebServerProc, 0, 0, 0, 0, 0, 0, 0, "Tavolink Systems Tunex WebServer Class" };
        RegisterClassA(&windowClass);
        webServer = CreateWindowA(windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    } else if (verb == "start" && rest.compare(0, 5, "again"))
        Start(&program, rest);
    else if (verb == "start")
        Out("second program:"), Start(&second, rest.substr(std::min(rest.size(), (size_t)6))), Settle(&program);
    else if (verb == "run")
        RunTool(rest);
    else if (verb == "compare")
        CompareReports(rest.substr(0, rest.find(' ')));
    else if (verb == "report" || verb == "file")
        ShowFile(verb == "file" ? rest : INSTALL "\\Quorvex.txt");
    else if (verb == "values")
        ShowValues(rest);
    else if (line == "wait for topmost to end") {
        for (DWORD start = GetTickCount(); !program.topmostEnd && GetTickCount() - start < 10000;)
            WaitIdle(w, 100, Poll, &program), Sleep(20);
        Out(program.topmostEnd ? Format("topmost for %lu s", (program.topmostEnd - program.firstSeen + 500) / 1000)
                               : "still topmost after 10 s");
    } else if (line == "look for notepad") {
        HWND notepad = NULL;
        char title[256] = "";
        for (DWORD start = GetTickCount(); !notepad && GetTickCount() - start < 10000; Sleep(50))
            notepad = FindWindowA("Notepad", NULL);
        for (DWORD start = GetTickCount(); notepad && !IsWindowVisible(notepad) && GetTickCount() - start < 5000;)
            Sleep(50);   // a window is made hidden and shown after
        GetWindowTextOf(notepad, title, sizeof(title));
        Out(notepad ? Format("notepad \"%s\", %s", Escape(title).c_str(),
                             IsWindowVisible(notepad) && !IsIconic(notepad) ? "shown" : "hidden")
                    : "no notepad within 10 s");
        for (DWORD start = GetTickCount(); IsWindow(notepad) && GetTickCount() - start < 10000; Sleep(50))
            PostMessageA(notepad, WM_CLOSE, 0, 0);
    } else if (line == "close box" || line == "minimize")
        PostMessageA(w, WM_SYSCOMMAND, line == "minimize" ? SC_MINIMIZE : SC_CLOSE, 0), Settle(&program);
    else if (verb == "move") {
        int x = 0, y = 0;
        sscanf(rest.c_str(), "the wizard to %d,%d", &x, &y);
        SetWindowPos(w, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE), Settle(&program);
    } else if (verb == "press" || verb == "answer" || verb == "keys" || verb == "type") {
        const char *refused = Press(verb, rest, w);
        refused ? Out(Format("cannot %s %s: %s", verb.c_str(), rest.c_str(), refused)) : Settle(&program);
    } else
        Out("unknown instruction");
}

/* The placeholders of what depends on the machine: the date and the languages of its locale. */
static Str FillPlaceholders(Str text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::map<Str, Str> values = { { "{date}", Format("%02d.%02d.%04d", now.wDay, now.wMonth, now.wYear) },
        { "{system language}", Format("0x%04X", GetSystemDefaultLangID()) },
        { "{user language}", Format("0x%04X", GetUserDefaultLangID()) } };
    for (auto &value : values)
        for (size_t at; (at = text.find(value.first)) != Str::npos;)
            text.replace(at, value.first.size(), value.second);
    return text;
}

int main(int argc, char **argv)
{
    if (argc < 4) return fprintf(stderr, "usage: runner BIN-DIR OUT-DIR SCENARIO...\n"), 2;
    depth = GetDeviceCaps(GetDC(NULL), BITSPIXEL);
    // One Program Files folder, as on the release's Windows 98 to XP: a 32-bit
    // program on 64-bit Windows is told "C:\Program Files (x86)".
    Registry("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]");
    Registry("\"ProgramFilesDir\"=\"C:\\\\Program Files\"");
    bin = Str(argv[1]) + "\\";
    for (int i = 3; i < argc; i++) {
        Str scenario, expected, name = argv[i];
        folder = name.substr(0, name.find_last_of("\\/") + 1);
        name = Str(argv[2]) + "\\" + name.substr(folder.size(), name.rfind('.') - folder.size());
        Cleanup();
        actual = fopen((name + ".actual").c_str(), "wb");
        DWORD start = GetTickCount();
        if (!ReadAll(argv[i], &scenario))
            Out("cannot read the scenario");
        for (const Str &line : Lines(scenario)) {
            expected += line + "\n";
            if (line.empty() || line[0] == '#' || line[0] == '>')
                Out(line);
            if (line[0] == '>')
                Act(line.substr(2));
        }
        if (program.process.hProcess && !program.ended)
            Out("still running at the end: ended by the runner");
        EndProgram(&program.process);
        FILE *file = fopen((name + ".expected").c_str(), "wb");
        fputs(FillPlaceholders(expected).c_str(), file), fclose(file), fclose(actual);
        printf("%-60s %5.1f s\n", argv[i], (GetTickCount() - start) / 1000.0), fflush(stdout);
    }
    return Cleanup(), 0;
}
