#include "iat_patch.h"

#include <string.h>

static const BYTE *ImageBase(HMODULE module)
{
    return (const BYTE *)module;
}

static const IMAGE_NT_HEADERS *NtHeaders(HMODULE module)
{
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)ImageBase(module);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return NULL;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(ImageBase(module) + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return NULL;
    return nt;
}

/* Whether the slot's lookup entry names `function`. Entries imported by
   ordinal have no name and never match. */
static bool LookupEntryNames(HMODULE module, const IMAGE_THUNK_DATA *lookup, const char *function)
{
    if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal))
        return false;
    const IMAGE_IMPORT_BY_NAME *byName =
        (const IMAGE_IMPORT_BY_NAME *)(ImageBase(module) + lookup->u1.AddressOfData);
    return strcmp((const char *)byName->Name, function) == 0;
}

std::vector<void **> FindImportSlots(HMODULE module, const char *library, const char *function)
{
    std::vector<void **> slots;
    if (module == NULL)
        return slots;
    const IMAGE_NT_HEADERS *nt = NtHeaders(module);
    if (nt == NULL)
        return slots;
    const IMAGE_DATA_DIRECTORY &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0 || directory.Size == 0)
        return slots;

    /* Where the library is loaded, for images whose descriptors carry no
       lookup table: their slots are then told apart by address alone. */
    FARPROC resolved = NULL;
    HMODULE loadedLibrary = GetModuleHandleA(library);
    if (loadedLibrary != NULL)
        resolved = GetProcAddress(loadedLibrary, function);

    const IMAGE_IMPORT_DESCRIPTOR *descriptor =
        (const IMAGE_IMPORT_DESCRIPTOR *)(ImageBase(module) + directory.VirtualAddress);
    for (; descriptor->Name != 0; descriptor++) {
        const char *name = (const char *)(ImageBase(module) + descriptor->Name);
        if (lstrcmpiA(name, library) != 0)
            continue;
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(ImageBase(module) + descriptor->FirstThunk);
        if (descriptor->OriginalFirstThunk != 0) {
            const IMAGE_THUNK_DATA *lookup =
                (const IMAGE_THUNK_DATA *)(ImageBase(module) + descriptor->OriginalFirstThunk);
            for (; lookup->u1.AddressOfData != 0; lookup++, slot++)
                if (LookupEntryNames(module, lookup, function))
                    slots.push_back((void **)&slot->u1.Function);
        } else if (resolved != NULL) {
            for (; slot->u1.Function != 0; slot++)
                if ((FARPROC)slot->u1.Function == resolved)
                    slots.push_back((void **)&slot->u1.Function);
        }
    }
    return slots;
}

void *WriteImportSlot(void **slot, void *value)
{
    DWORD oldProtection;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &oldProtection))
        return NULL;
    void *previous = *slot;
    *slot = value;
    DWORD ignored;
    VirtualProtect(slot, sizeof(*slot), oldProtection, &ignored);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof(*slot));
    return previous;
}

void *ImportPatch::Replace(const char *library, const char *function, void *replacement)
{
    std::vector<void **> slots = FindImportSlots(module_, library, function);
    void *first = NULL;
    for (void **slot : slots) {
        void *original = *slot;
        if (original == replacement)
            continue;   /* already ours: keep the saved original, do not save ourselves */
        if (WriteImportSlot(slot, replacement) != original)
            continue;
        saved_.push_back(Saved{ slot, original });
        if (first == NULL)
            first = original;
    }
    return first;
}

void ImportPatch::Restore()
{
    while (!saved_.empty()) {
        WriteImportSlot(saved_.back().slot, saved_.back().original);
        saved_.pop_back();
    }
}
