#include <windows.h>

#include "process_objects.h"

static const ULONG_PTR HANDLE_SLOTS = 0x10000;

/* Live GDI objects: every slot of the handle table that holds an object. */
static DWORD CountGdiSlots()
{
    DWORD count = 0;
    for (ULONG_PTR slot = 1; slot < HANDLE_SLOTS; slot++)
        if (GetObjectType((HGDIOBJ)slot) != 0)
            count++;
    return count;
}

struct WindowCount {
    DWORD process;
    DWORD windows;
};

static BOOL CALLBACK CountChild(HWND window, LPARAM parameter)
{
    (void)window;
    ((WindowCount *)parameter)->windows++;
    return TRUE;
}

static BOOL CALLBACK CountTopLevel(HWND window, LPARAM parameter)
{
    WindowCount *count = (WindowCount *)parameter;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == count->process) {
        count->windows++;
        EnumChildWindows(window, CountChild, parameter);
    }
    return TRUE;
}

/* Windows of this process, menus, and icons and cursors. USER handles are
   even numbers; only this process's menus and icons answer. */
static DWORD CountUserSlots()
{
    WindowCount windows = { GetCurrentProcessId(), 0 };
    EnumWindows(CountTopLevel, (LPARAM)&windows);

    DWORD others = 0;
    for (ULONG_PTR slot = 0x20; slot < HANDLE_SLOTS; slot += 2) {
        if (IsMenu((HMENU)slot)) {
            others++;
            continue;
        }
        ICONINFO info;
        if (GetIconInfo((HICON)slot, &info)) {
            if (info.hbmMask != NULL)
                DeleteObject(info.hbmMask);
            if (info.hbmColor != NULL)
                DeleteObject(info.hbmColor);
            others++;
        }
    }
    return windows.windows + others;
}

static SIZE_T CommittedPrivateBytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char *address = NULL;
    while (VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char *next = (const char *)region.BaseAddress + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

static SIZE_T BusyHeapBytes()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    if (count > 64)
        count = 64;
    SIZE_T total = 0;
    for (DWORD i = 0; i < count; i++) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry;
        entry.lpData = NULL;
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

ProcessObjects CountProcessObjects()
{
    ProcessObjects objects;
    objects.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    objects.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (objects.gdiObjects == 0)
        objects.gdiObjects = CountGdiSlots();
    if (objects.userObjects == 0)
        objects.userObjects = CountUserSlots();
    objects.privateBytes = CommittedPrivateBytes();
    objects.heapBytes = BusyHeapBytes();
    return objects;
}
