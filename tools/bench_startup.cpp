/* Start-up of the wizard against the bare program (bare_dialog.exe), both
   started from here with CreateProcess, in alternating order:
   - the wizard: from CreateProcess until its main window is visible and
     "Quorvex.txt" has been written beside it (the file is deleted before
     each run); it is then closed with WM_CLOSE and waited for, untimed;
   - the bare program: from CreateProcess until it has ended, having shown
     its dialog (exit code 0).
   Both are watched by the same polling loop, so that the watching costs
   each side alike. The wizard runs from a private installation in %TEMP%
   (the program and its libraries, copied from this program's folder) with
   the Mirel product key pointing at it.
   usage: bench_startup [RUNS]   (default 11) */
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "bench_common.h"

#define MAIN_CLASS       "Tavolink QuorvexClass"
#define DIALOG_CLASS     "#32770"
#define PRODUCT_KEY      "Software\\Tavolink Systems\\MirelMJPG"
#define POLL_MS          2
#define START_LIMIT_MS   30000.0
#define EXIT_LIMIT_MS    20000
#define STARTUP_GOAL     1.5

static const char *const installedFiles[] = {
    "Quorvex.exe",      "KironQuor001.DLL", "OrsaQuor001.DLL", "VelaQuor001.DLL", "MirelQuor001.DLL",
    "KironQuor049.DLL", "OrsaQuor049.DLL",  "VelaQuor049.DLL", "MirelQuor049.DLL", "KironBitmap.dll",
    "OrsaBitmap.dll",   "VelaBitmap.dll",   "MirelBitmap.dll", "quorcur.ani",
};
#define INSTALLED_COUNT (sizeof(installedFiles) / sizeof(installedFiles[0]))

static std::string OwnDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string directory(path, length < sizeof(path) ? length : 0);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

static void SetString(HKEY key, const char *name, const std::string &value)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
}

/* The installation the wizard needs to start: its files and its product key. */
static int MakeInstallation(const std::string &directory)
{
    CreateDirectoryA(directory.c_str(), NULL);
    std::string from = OwnDirectory();
    for (size_t i = 0; i < INSTALLED_COUNT; i++)
        if (!CopyFileA((from + installedFiles[i]).c_str(), (directory + installedFiles[i]).c_str(), FALSE)) {
            fprintf(stderr, "bench_startup: cannot copy %s%s\n", from.c_str(), installedFiles[i]);
            return 0;
        }
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return 0;
    SetString(key, "Language", "001");
    SetString(key, "Main path", directory.substr(0, directory.size() - 1));
    SetString(key, "Install Version", "1.00 (benchmark installation)");
    RegCloseKey(key);
    return 1;
}

static void RemoveInstallation(const std::string &directory)
{
    for (size_t i = 0; i < INSTALLED_COUNT; i++)
        DeleteFileA((directory + installedFiles[i]).c_str());
    DeleteFileA((directory + "Quorvex.txt").c_str());
    RemoveDirectoryA(directory.c_str());
}

/* A visible top-level window of the class that belongs to the process. */
static HWND FindShownWindow(const char *className, DWORD processId)
{
    HWND window = NULL;
    while ((window = FindWindowExA(NULL, window, className, NULL)) != NULL) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return NULL;
}

static int FileWritten(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
}

static int Start(const std::string &program, const std::string &directory, PROCESS_INFORMATION *process)
{
    std::string commandLine = "\"" + program + "\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    ZeroMemory(process, sizeof(*process));
    return CreateProcessA(program.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, directory.c_str(), &startup,
                          process) != 0;
}

static void Finish(PROCESS_INFORMATION *process)
{
    if (WaitForSingleObject(process->hProcess, EXIT_LIMIT_MS) != WAIT_OBJECT_0) {
        TerminateProcess(process->hProcess, 0xDEAD);
        WaitForSingleObject(process->hProcess, EXIT_LIMIT_MS);
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
}

/* One start of the wizard; the time until it is shown with its report
   written, or a negative figure when it did not get there. */
static double TimeWizard(const std::string &directory, double *visibleAt)
{
    std::string report = directory + "Quorvex.txt";
    DeleteFileA(report.c_str());
    if (GetFileAttributesA(report.c_str()) != INVALID_FILE_ATTRIBUTES)
        return -1.0;
    PROCESS_INFORMATION process;
    double start = BenchNow();
    if (!Start(directory + "Quorvex.exe", directory, &process))
        return -1.0;
    HWND window = NULL;
    double elapsed = -1.0;
    *visibleAt = -1.0;
    for (;;) {
        double now = BenchNow() - start;
        HWND shown = FindShownWindow(MAIN_CLASS, process.dwProcessId);
        if (shown != NULL && window == NULL) {
            window = shown;
            *visibleAt = now;
        }
        if (window != NULL && FileWritten(report)) {
            elapsed = now;
            break;
        }
        if (now > START_LIMIT_MS || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(POLL_MS);
    }
    if (window != NULL)
        PostMessageA(window, WM_CLOSE, 0, 0);
    Finish(&process);
    return elapsed;
}

/* One start of the bare program, watched by the same loop until it ends. */
static double TimeBare(const std::string &program, const std::string &directory)
{
    PROCESS_INFORMATION process;
    double start = BenchNow();
    if (!Start(program, directory, &process))
        return -1.0;
    double elapsed = -1.0;
    for (;;) {
        double now = BenchNow() - start;
        FindShownWindow(DIALOG_CLASS, process.dwProcessId);
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            elapsed = now;
            break;
        }
        if (now > START_LIMIT_MS)
            break;
        Sleep(POLL_MS);
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    Finish(&process);
    return code == 0 ? elapsed : -1.0;
}

int main(int argc, char **argv)
{
    int runs = RunsArgument(argc, argv, 1, 11);
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string directory = std::string(temp) + "quorvex-bench-startup\\";
    std::string bare = OwnDirectory() + "bare_dialog.exe";
    if (!MakeInstallation(directory)) {
        RemoveInstallation(directory);
        return 1;
    }

    std::vector<double> wizard, baseline, visible;
    int failed = 0;
    /* Run 0 is untimed: the first start of each loads what the later ones find cached. */
    for (int i = 0; i <= runs && !failed; i++) {
        for (int half = 0; half < 2 && !failed; half++) {
            int wizardTurn = (half == 0) == (i % 2 == 0);
            double shownAt = 0.0;
            double t = wizardTurn ? TimeWizard(directory, &shownAt) : TimeBare(bare, directory);
            if (t < 0.0) {
                fprintf(stderr, "bench_startup: the %s did not start properly (run %d)\n",
                        wizardTurn ? "wizard" : "bare program", i);
                failed = 1;
            } else if (i > 0) {
                (wizardTurn ? wizard : baseline).push_back(t);
                if (wizardTurn)
                    visible.push_back(shownAt);
            }
        }
    }
    if (!failed) {
        printf("# wizard visible after %.1f ms, report written after %.1f ms; bare program ended after %.1f ms\n",
               Summarise(visible).median, Summarise(wizard).median, Summarise(baseline).median);
        PrintPairedRow("startup", "start-up vs bare dialog program", "to page 0 + report", wizard, baseline,
                       STARTUP_GOAL);
    }
    RemoveInstallation(directory);
    return failed;
}
