#include <windows.h>

#include "generator_files.h"
#include "guid_text.h"
#include "../app/bounded_text.h"
#include "../app/language.h"
#include "../checks/file_check.h"
#include "../checks/install_locations.h"
#include "../checks/registry_read.h"
#include "../resources/resource_ids.h"

#define CLSID_ROOT "Software\\CLASSES\\CLSID"

/* The order in which a dropped file's directory is matched: the first equal
   one wins where two codes name the same directory. */
static const DWORD matchOrder[] = { 3, 0, 1, 2, 5, 6, 7, 8 };

int LocationDirectoryText(DWORD code, char *buffer, size_t size)
{
    const char *directory = LocationDirectory(code);
    if (directory == NULL) {
        CopyText(buffer, size, "Invalid path");
        return 0;
    }
    CopyText(buffer, size, directory);
    return 1;
}

int TryRegisterServer(const char *path)
{
    typedef HRESULT(STDAPICALLTYPE * RegisterProc)(void);
    HMODULE library = LoadLibraryA(path);
    if (library == NULL)
        return 0;
    int registered = 0;
    RegisterProc registerServer = (RegisterProc)(void *)GetProcAddress(library, "DllRegisterServer");
    if (registerServer != NULL)
        registered = registerServer() >= 0;
    FreeLibrary(library);
    return registered;
}

/* The class whose InprocServer32 names exactly this path (ignoring case). */
int FindClsidForServer(const char *path, GUID *clsid)
{
    HKEY classes;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CLSID_ROOT, 0, KEY_READ, &classes) != ERROR_SUCCESS)
        return 0;
    for (DWORD index = 0;; index++) {
        char name[MAX_PATH];
        DWORD nameLength = sizeof(name);
        if (RegEnumKeyExA(classes, index, name, &nameLength, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        char serverKey[MAX_PATH + sizeof(CLSID_ROOT "\\\\InprocServer32")];
        char server[MAX_PATH];
        FormatText(serverKey, sizeof(serverKey), CLSID_ROOT "\\%s\\InprocServer32", name);
        ZeroMemory(server, sizeof(server));
        if (!ReadRegistryValue(serverKey, "", server, sizeof(server)))
            continue;
        server[sizeof(server) - 1] = '\0';
        if (lstrcmpiA(server, path) == 0) {
            ParseGuidText(name, clsid);
            RegCloseKey(classes);
            return 1;
        }
    }
    RegCloseKey(classes);
    return 0;
}

static DWORD FindLocation(const char *directory)
{
    for (size_t i = 0; i < sizeof(matchOrder) / sizeof(matchOrder[0]); i++) {
        const char *candidate = LocationDirectory(matchOrder[i]);
        /* An empty directory (no "Main path", no Program Files) matches nothing. */
        if (candidate != NULL && candidate[0] != '\0' && lstrcmpiA(candidate, directory) == 0)
            return matchOrder[i];
    }
    return (DWORD)-1;
}

static void Refuse(const char *format, const char *path, const char *directory)
{
    char message[2 * DROPPED_PATH_SIZE + 128];
    FormatText(message, sizeof(message), format, path, directory);
    ShowError(message);
}

#define REGISTRY_KEY_NAME_MAX 255   /* characters */

int AddDroppedFile(HWND dialog, const char *path)
{
    GeneratorFileRecord *record =
        (GeneratorFileRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
    if (record == NULL)
        return 0;

    /* The whole path must fit the list's record, and the name a registry
       key's name (a FileCheck entry is named after the file). */
    char directory[DROPPED_PATH_SIZE];
    if (lstrlenA(path) >= DROPPED_PATH_SIZE ||
        !SplitFilePath(path, directory, sizeof(directory), record->fileName, sizeof(record->fileName)) ||
        lstrlenA(record->fileName) > REGISTRY_KEY_NAME_MAX) {
        Refuse("The file %s has a name too long for the file list%s", path, "");
        HeapFree(GetProcessHeap(), 0, record);
        return 0;
    }
    size_t length = (size_t)lstrlenA(directory);
    if (length > 0)
        directory[length - 1] = '\0';   /* without its trailing backslash */
    record->location = FindLocation(directory);
    if (record->location == (DWORD)-1) {
        Refuse("The file %s has no valid installation path %s", path, directory);
        HeapFree(GetProcessHeap(), 0, record);
        return 0;
    }
    DWORD version[2] = { 0, 0 };
    ReadFileVersion(path, version);
    if (version[0] == 0 && version[1] == 0) {
        Refuse("The file %s has no version information%s", path, "");
        HeapFree(GetProcessHeap(), 0, record);
        return 0;
    }
    record->versionMS = version[0];
    record->versionLS = version[1];
    if (TryRegisterServer(path))
        FindClsidForServer(path, &record->clsid);

    LRESULT item = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_ADDSTRING, 0, (LPARAM)record->fileName);
    if (item < 0) {
        HeapFree(GetProcessHeap(), 0, record);
        return 0;
    }
    SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_SETITEMDATA, (WPARAM)item, (LPARAM)record);
    return 1;
}

void FreeDroppedFiles(HWND dialog)
{
    LRESULT count = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT data = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETITEMDATA, (WPARAM)i, 0);
        if (data != LB_ERR && data != 0)
            HeapFree(GetProcessHeap(), 0, (void *)data);
        SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_SETITEMDATA, (WPARAM)i, 0);
    }
}
