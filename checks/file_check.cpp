#include <windows.h>
#include <objbase.h>

#include "file_check.h"
#include "install_locations.h"
#include "registry_read.h"
#include "result_codes.h"
#include "../app/bounded_text.h"
#include "../app/language.h"
#include "../app/platform.h"
#include "../app/product_profile.h"

/* The fixed version info is found by its signature at any byte offset; the
   rest of the version block is not interpreted. */
int FindFixedFileInfo(const BYTE *block, DWORD size, DWORD *version)
{
    if (block == NULL || size <= FIXED_FILE_INFO_SIZE)
        return 0;
    for (DWORD offset = 0; offset < size - FIXED_FILE_INFO_SIZE; offset++) {
        DWORD signature;
        CopyMemory(&signature, block + offset, sizeof(signature));
        if (signature == FIXED_FILE_SIGNATURE) {
            CopyMemory(&version[0], block + offset + 8, sizeof(DWORD));
            CopyMemory(&version[1], block + offset + 12, sizeof(DWORD));
            return 1;
        }
    }
    return 0;
}

int ReadFileVersion(const char *path, DWORD *version)
{
    if (path == NULL || version == NULL) {
        LastResult = RESULT_INVALID_PARAMETER;
        return 0;
    }
    version[0] = version[1] = 0;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        LastResult = RESULT_FILE_NOT_FOUND;
        return 0;
    }
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &unused);
    if (size == 0) {
        LastResult = RESULT_FILE_VERSIONINFO_FAILED;
        return 0;
    }
    int found = 0;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    BYTE *block = memory ? (BYTE *)GlobalLock(memory) : NULL;
    if (block != NULL && GetFileVersionInfoA(path, 0, size, block))
        found = FindFixedFileInfo(block, size, version);
    if (!found)
        LastResult = RESULT_FILE_VERSIONINFO_FAILED;
    if (block != NULL)
        GlobalUnlock(memory);
    if (memory != NULL)
        GlobalFree(memory);
    return found;
}

/* High halves compare as signed numbers, low halves as unsigned. */
static int CompareVersions(const DWORD *installed, const DWORD *expected)
{
    if ((LONG)installed[0] != (LONG)expected[0])
        return (LONG)installed[0] < (LONG)expected[0] ? -1 : 1;
    if (installed[1] != expected[1])
        return installed[1] < expected[1] ? -1 : 1;
    return 0;
}

int CompareFileVersion(const char *path, const DWORD *expected, DWORD *installed)
{
    if (path == NULL || expected == NULL || installed == NULL) {
        LastResult = RESULT_INVALID_PARAMETER;
        return 0;
    }
    if (!ReadFileVersion(path, installed))
        return 0;
    int order = CompareVersions(installed, expected);
    if (order < 0) {
        LastResult = RESULT_FILE_OUT_OF_DATE;
        return 0;
    }
    if (order > 0) {
        LastResult = RESULT_FILE_UPDATED;
        return 0;
    }
    return 1;
}

int FreeFileCheckList(FileCheckRecord **head)
{
    FileCheckRecord *record = *head;
    while (record != NULL) {
        FileCheckRecord *next = record->next;
        HeapFree(GetProcessHeap(), 0, record);
        record = next;
    }
    *head = NULL;
    return 1;
}

static int IsClassCreatable(const GUID *clsid)
{
    IUnknown *object = NULL;
    HRESULT result = CoCreateInstance(*clsid, NULL, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                      IID_IUnknown, (void **)&object);
    if (object != NULL)
        object->Release();
    return SUCCEEDED(result) && object != NULL;
}

/* What one FileCheck subkey says. Cleared for every entry, so a value
   shorter than its size reads zero-extended, never as the last entry's. */
struct ListedFile {
    DWORD version[2];
    BYTE location;
    BYTE updateAllowed;
    GUID clsid;
    int hasClsid;
};

static int ReadListedFile(const char *entryKey, ListedFile *listed)
{
    ZeroMemory(listed, sizeof(*listed));
    if (!ReadRegistryDword(entryKey, "MajorVersion", &listed->version[0]) ||
        !ReadRegistryDword(entryKey, "MinorVersion", &listed->version[1]) ||
        !ReadRegistryByte(entryKey, "Location", &listed->location) ||
        !ReadRegistryByte(entryKey, "UpdateAllowed", &listed->updateAllowed))
        return 0;
    listed->hasClsid = ProbeRegistryValue(entryKey, "Guid", &listed->clsid, sizeof(listed->clsid));
    return 1;
}

/* The file's full path, or the invalid-location text. A path that does not
   fit in MAX_PATH names no file Windows could open: it is kept cut and
   reported missing without looking at the disk. */
static int BuildListedPath(const char *name, BYTE location, char *path, size_t size)
{
    const char *directory = LocationDirectory(location);
    if (directory == NULL) {
        FormatText(path, size, "%s: Invalid location number in registry!", name);
        return 1;
    }
    return FormatText(path, size, "%s\\%s", directory, name);
}

static FileCheckRecord *AppendRecord(FileCheckRecord **head, const char *path)
{
    FileCheckRecord *record = (FileCheckRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
    if (record == NULL)
        return NULL;
    record->status = FILE_STATUS_OK;
    CopyText(record->path, sizeof(record->path), path);
    while (*head != NULL)
        head = &(*head)->next;
    *head = record;
    return record;
}

int CheckFileList(FileCheckRecord **head, const char *listKey)
{
    FreeFileCheckList(head);
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, listKey, 0, KEY_READ, &list) != ERROR_SUCCESS) {
        LastResult = RESULT_REGISTRY_ACCESS_FAILED;
        return 0;
    }

    int runResult = 1;
    ResultCode recentFailure = RESULT_OK;
    FileCheckRecord **tail = head;
    for (DWORD index = 0;; index++) {
        char name[MAX_PATH];
        DWORD nameLength = sizeof(name);
        if (RegEnumKeyExA(list, index, name, &nameLength, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;

        /* Room for any list key and any subkey name: the entry path is never cut. */
        char entryKey[FILE_CHECK_KEY_SIZE + MAX_PATH + 1];
        FormatText(entryKey, sizeof(entryKey), "%s\\%s", listKey, name);
        ListedFile listed;
        if (!ReadListedFile(entryKey, &listed)) {
            RegCloseKey(list);
            return 0;
        }

        char path[MAX_PATH];
        int pathFits = BuildListedPath(name, listed.location, path, sizeof(path));
        FileCheckRecord *record = AppendRecord(tail, path);
        if (record == NULL) {
            ShowError("Out Of Memory!");
            LastResult = RESULT_OUT_OF_MEMORY;
            RegCloseKey(list);
            return 0;
        }
        tail = &record->next;

        DWORD installed[2] = { 0, 0 };
        int equal;
        if (pathFits) {
            equal = CompareFileVersion(path, listed.version, installed);
        } else {
            LastResult = RESULT_FILE_NOT_FOUND;
            equal = 0;
        }
        record->versionMS = installed[0];
        record->versionLS = installed[1];

        if (equal) {
            if (listed.hasClsid && !IsClassCreatable(&listed.clsid)) {
                record->status = FILE_STATUS_CLSID_NOT_REGISTERED;
                LastResult = recentFailure = RESULT_FILE_VERSIONINFO_FAILED;
                runResult = 0;
            }
            continue;
        }
        switch (LastResult) {
        case RESULT_FILE_NOT_FOUND:
            record->status = FILE_STATUS_MISSING;
            break;
        case RESULT_FILE_VERSIONINFO_FAILED:
            record->status = FILE_STATUS_INVALID;
            break;
        case RESULT_FILE_OUT_OF_DATE:
            record->status = FILE_STATUS_OUT_OF_DATE;
            break;
        case RESULT_FILE_UPDATED:
            if (listed.updateAllowed) {
                record->status = FILE_STATUS_UPDATED;
                LastResult = recentFailure;   /* a newer file that may be newer is fine */
                continue;
            }
            record->status = FILE_STATUS_NOT_RELEASED;
            break;
        case RESULT_INVALID_PARAMETER:
            ShowError("Invalid function parameter passed!");
            runResult = 0;
            continue;
        default:
            ShowError("Unknown error code detected!");
            runResult = 0;
            continue;
        }
        recentFailure = LastResult;
        runResult = 0;
    }
    RegCloseKey(list);
    return runResult;
}

int CheckProductFiles(void)
{
    char key[FILE_CHECK_KEY_SIZE];
    CopyText(key, sizeof(key), Profile.fileCheckKey);
    return CheckFileList(&DiagnosticResults.softwareFiles, key);
}

int CheckDirectDrawFiles(void)
{
    const char *listKey;
    switch (PlatformClass & 0xFFFF0000) {
    case PLATFORM_WIN98: listKey = DIRECTDRAW_LIST_W98; break;
    case PLATFORM_NT5: listKey = DIRECTDRAW_LIST_WIN2K; break;
    case PLATFORM_NT6: listKey = DIRECTDRAW_LIST_WINXP; break;
    default: return 0;
    }
    char key[FILE_CHECK_KEY_SIZE];
    CopyText(key, sizeof(key), listKey);
    return CheckFileList(&DiagnosticResults.directDrawFiles, key);
}
