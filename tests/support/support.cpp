#include "support.h"

#include <string.h>

std::string TestDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

std::string FixturePath(const char *name)
{
    return TestDirectory() + "fixtures\\" + name;
}

std::string ReadWholeFile(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[65536];
    DWORD got;
    while (ReadFile(file, chunk, sizeof(chunk), &got, NULL) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool WriteHklmValue(const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteHklmString(const char *path, const char *name, const char *text)
{
    return WriteHklmValue(path, name, REG_SZ, text, (DWORD)lstrlenA(text) + 1);
}

bool DeleteHklmValue(const char *path, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    LONG status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void DeleteHklmTree(const char *path)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
}

bool MakeEmptyHklmKey(const char *path)
{
    DeleteHklmTree(path);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool WriteFileCheckEntry(const char *listKey, const char *name, DWORD ms, DWORD ls, BYTE location,
                         BYTE updateAllowed, const GUID *clsid)
{
    std::string key = std::string(listKey) + "\\" + name;
    return WriteHklmValue(key.c_str(), "MajorVersion", REG_DWORD, &ms, 4) &&
           WriteHklmValue(key.c_str(), "MinorVersion", REG_DWORD, &ls, 4) &&
           WriteHklmValue(key.c_str(), "Location", REG_BINARY, &location, 1) &&
           WriteHklmValue(key.c_str(), "UpdateAllowed", REG_BINARY, &updateAllowed, 1) &&
           (clsid == NULL || WriteHklmValue(key.c_str(), "Guid", REG_BINARY, clsid, sizeof(GUID)));
}

/* Import slots of the test program, found through its import descriptors. */
struct SavedSlot {
    void **slot;
    void *original;
};
static std::vector<SavedSlot> savedSlots;

static void *WriteSlot(void **slot, void *value)
{
    DWORD protection, ignored;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
    void *previous = *slot;
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), protection, &ignored);
    return previous;
}

void *ReplaceImport(const char *library, const char *function, void *replacement)
{
    const BYTE *base = (const BYTE *)GetModuleHandleA(NULL);
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    void *first = NULL;
    const IMAGE_IMPORT_DESCRIPTOR *descriptor = (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress);
    for (; imports.VirtualAddress != 0 && descriptor->Name != 0; descriptor++) {
        if (lstrcmpiA((const char *)(base + descriptor->Name), library) != 0)
            continue;
        const IMAGE_THUNK_DATA *lookup = (const IMAGE_THUNK_DATA *)(base + descriptor->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(base + descriptor->FirstThunk);
        for (; lookup->u1.AddressOfData != 0; lookup++, slot++) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal) ||
                strcmp((const char *)((const IMAGE_IMPORT_BY_NAME *)(base + lookup->u1.AddressOfData))->Name,
                       function) != 0)
                continue;
            void **address = (void **)&slot->u1.Function;
            if (*address == replacement)
                continue;
            savedSlots.push_back(SavedSlot{ address, WriteSlot(address, replacement) });
            if (first == NULL)
                first = savedSlots.back().original;
        }
    }
    return first;
}

void RestoreImports()
{
    while (!savedSlots.empty()) {
        WriteSlot(savedSlots.back().slot, savedSlots.back().original);
        savedSlots.pop_back();
    }
}

std::vector<RecordedBox> RecordedBoxes;
static int boxAnswer;

static int WINAPI RecordingMessageBox(HWND owner, LPCSTR text, LPCSTR title, UINT style)
{
    RecordedBoxes.push_back(RecordedBox{ owner, text ? text : "", title ? title : "", style });
    return boxAnswer;
}

void RecordMessageBoxes(int answer)
{
    RecordedBoxes.clear();
    boxAnswer = answer;
    ReplaceImport("user32.dll", "MessageBoxA", (void *)RecordingMessageBox);
}

int CountGdiObjects()
{
    int count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; slot++)
        count += GetObjectType((HGDIOBJ)slot) != 0;
    return count;
}

int CountWindows()   /* this process's windows and their child windows */
{
    int count = 0;
    EnumWindows([](HWND window, LPARAM count) CALLBACK -> BOOL {
        DWORD process;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && ++*(int *)count)
            EnumChildWindows(window, [](HWND, LPARAM count) CALLBACK -> BOOL { return ++*(int *)count != 0; }, count);
        return TRUE;
    }, (LPARAM)&count);
    return count;
}
