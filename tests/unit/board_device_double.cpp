#include "board_device_double.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

static const char devicePathPrefix[] = "\\\\?\\root#quorvex_board#";

/* The one double the replacements talk to, and the real functions they pass
   other calls on to (taken from the import table when installing). */
static BoardDeviceDouble *current;
static decltype(&::CreateFileA) realCreateFileA;
static decltype(&::DeviceIoControl) realDeviceIoControl;
static decltype(&::CloseHandle) realCloseHandle;
static decltype(&::SetupDiDestroyDeviceInfoList) realDestroyDeviceInfoList;

BoardDeviceDouble::BoardDeviceDouble()
{
    ZeroMemory(&askedClass, sizeof(askedClass));
    current = this;
}

BoardDeviceDouble::~BoardDeviceDouble()
{
    CloseLeftovers();
    if (current == this)
        current = NULL;
}

void BoardDeviceDouble::AddInterface(bool openFails)
{
    slots.push_back(BoardSlot{ true, 0, openFails, false, false });
}

void BoardDeviceDouble::AddInterfaces(int count)
{
    for (int n = 0; n < count; n++)
        AddInterface();
}

void BoardDeviceDouble::AddEnumErrors(int count, DWORD error)
{
    for (int n = 0; n < count; n++)
        slots.push_back(BoardSlot{ false, error, false, false, false });
}

std::string BoardDeviceDouble::DevicePath(int slot)
{
    char path[96];
    snprintf(path, sizeof(path), "%s%04d#{board}", devicePathPrefix, slot);
    return path;
}

OpenedDevice *BoardDeviceDouble::FindDevice(HANDLE handle)
{
    if (handle == NULL || handle == INVALID_HANDLE_VALUE)
        return NULL;
    for (OpenedDevice &device : devices)
        if (device.handle == handle && device.closes == 0)
            return &device;
    /* A handle value that was closed may be handed out again by the system
       to someone else; only a closed one that has not been reused is ours. */
    return NULL;
}

int BoardDeviceDouble::OpenDeviceCount() const
{
    int open = 0;
    for (const OpenedDevice &device : devices)
        if (device.closes == 0)
            open++;
    return open;
}

void BoardDeviceDouble::CloseLeftovers()
{
    for (OpenedDevice &device : devices)
        if (device.closes == 0) {
            CloseHandle(device.handle);
            device.closes = -1;   /* closed by the test, not by the program */
        }
}

static std::string Event(const char *what, int slot)
{
    return std::string(what) + " " + std::to_string(slot);
}

struct BoardDeviceHooks {
    static HDEVINFO WINAPI GetClassDevs(const GUID *classGuid, PCSTR enumerator, HWND window, DWORD flags)
    {
        BoardDeviceDouble &d = *current;
        ClassDevsCall call;
        ZeroMemory(&call, sizeof(call));
        call.classGiven = classGuid != NULL;
        if (classGuid != NULL)
            call.interfaceClass = *classGuid;
        call.enumeratorGiven = enumerator != NULL;
        call.window = window;
        call.flags = flags;
        d.classDevsCalls.push_back(call);
        d.events.push_back("classdevs");
        if (d.classDevsFails) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        if (classGuid != NULL)
            d.askedClass = *classGuid;
        d.setHandedOut = true;
        d.setDestroyed = false;
        return d.SetHandle();
    }

    static BOOL WINAPI EnumInterfaces(HDEVINFO set, PSP_DEVINFO_DATA deviceInfo, const GUID *classGuid,
                                      DWORD index, PSP_DEVICE_INTERFACE_DATA data)
    {
        BoardDeviceDouble &d = *current;
        EnumCall call;
        ZeroMemory(&call, sizeof(call));
        call.knownSet = set == d.SetHandle() && d.setHandedOut;
        call.deviceInfoGiven = deviceInfo != NULL;
        call.classGiven = classGuid != NULL;
        if (classGuid != NULL)
            call.interfaceClass = *classGuid;
        call.index = index;
        call.cbSize = data != NULL ? data->cbSize : 0;
        size_t callNumber = d.enumCalls.size();
        d.enumCalls.push_back(call);
        d.events.push_back(Event("enum", (int)index));

        if (d.setDestroyed)
            d.callsAfterDestroy++;
        if (!call.knownSet || d.setDestroyed) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (data == NULL || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        if (callNumber >= BoardDeviceDouble::runawayLimit) {
            d.runaway = true;
            SetLastError(ERROR_NO_MORE_ITEMS);
            return FALSE;
        }
        if (index >= d.slots.size()) {
            SetLastError(d.errorAfterSlots);
            return FALSE;
        }
        const BoardSlot &slot = d.slots[index];
        if (!slot.isInterface) {
            SetLastError(slot.enumError);
            return FALSE;
        }
        data->InterfaceClassGuid = d.askedClass;
        data->Flags = SPINT_ACTIVE;
        data->Reserved = (ULONG_PTR)index + 1;
        d.enumCalls.back().answered = true;
        return TRUE;
    }

    static BOOL WINAPI GetDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                 PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                 PDWORD required, PSP_DEVINFO_DATA deviceInfo)
    {
        BoardDeviceDouble &d = *current;
        DetailCall call;
        ZeroMemory(&call, sizeof(call));
        call.knownSet = set == d.SetHandle() && d.setHandedOut;
        call.slot = -1;
        if (data != NULL && data->Reserved >= 1 && data->Reserved <= d.slots.size() &&
            d.slots[data->Reserved - 1].isInterface)
            call.slot = (int)data->Reserved - 1;
        call.bufferGiven = detail != NULL;
        call.bufferSize = detailSize;
        call.cbSize = detail != NULL ? detail->cbSize : 0;
        call.requiredGiven = required != NULL;
        call.deviceInfoGiven = deviceInfo != NULL;
        d.detailCalls.push_back(call);
        d.events.push_back(Event(detail != NULL ? "detail" : "size", call.slot));

        if (d.setDestroyed)
            d.callsAfterDestroy++;
        if (!call.knownSet || d.setDestroyed) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (call.slot < 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const BoardSlot &slot = d.slots[call.slot];
        std::string path = BoardDeviceDouble::DevicePath(call.slot);
        DWORD needed = (DWORD)(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
        d.detailCalls.back().sizeNeeded = needed;
        if (detail == NULL) {
            if (detailSize != 0) {
                SetLastError(ERROR_INVALID_USER_BUFFER);
                return FALSE;
            }
            if (slot.sizeUnknown) {
                SetLastError(ERROR_NO_SUCH_DEVINST);
                return FALSE;
            }
            if (required != NULL)
                *required = needed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        if (detailSize < needed) {
            if (required != NULL)
                *required = needed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (slot.detailFails) {
            SetLastError(ERROR_NO_SUCH_DEVINST);
            return FALSE;
        }
        memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
        if (required != NULL)
            *required = needed;
        d.detailCalls.back().answered = true;
        return TRUE;
    }

    static BOOL WINAPI DestroyList(HDEVINFO set)
    {
        BoardDeviceDouble &d = *current;
        if (set != d.SetHandle() || !d.setHandedOut) {
            d.foreignDestroyCalls++;
            return realDestroyDeviceInfoList(set);
        }
        d.destroyCalls++;
        d.events.push_back("destroy");
        if (d.setDestroyed) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        d.setDestroyed = true;
        return TRUE;
    }

    static HANDLE WINAPI OpenFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                  DWORD disposition, DWORD flags, HANDLE templateFile)
    {
        BoardDeviceDouble &d = *current;
        size_t prefixLength = sizeof(devicePathPrefix) - 1;
        if (name == NULL || strncmp(name, devicePathPrefix, prefixLength) != 0)
            return realCreateFileA(name, access, share, security, disposition, flags, templateFile);

        int slot = -1;
        for (size_t n = 0; n < d.slots.size(); n++)
            if (d.slots[n].isInterface && BoardDeviceDouble::DevicePath((int)n) == name)
                slot = (int)n;
        OpenCall call = { slot, access, share, security != NULL, disposition, flags, templateFile != NULL,
                          INVALID_HANDLE_VALUE };
        d.events.push_back(Event("open", slot));
        if (slot < 0) {
            d.openCalls.push_back(call);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (d.slots[slot].openFails) {
            d.openCalls.push_back(call);
            SetLastError(ERROR_SHARING_VIOLATION);   /* opened exclusively by someone else */
            return INVALID_HANDLE_VALUE;
        }
        /* A real event object stands for the device: its handle value cannot
           collide with any other handle of the process. */
        HANDLE handle = CreateEventA(NULL, TRUE, FALSE, NULL);
        if (handle == NULL) {
            d.openCalls.push_back(call);
            return INVALID_HANDLE_VALUE;
        }
        call.handle = handle;
        d.openCalls.push_back(call);
        d.devices.push_back(OpenedDevice{ slot, handle, 0 });
        SetLastError(ERROR_SUCCESS);
        return handle;
    }

    static BOOL WINAPI Request(HANDLE handle, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                               DWORD outputSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped)
    {
        BoardDeviceDouble &d = *current;
        OpenedDevice *device = d.FindDevice(handle);
        bool closedDevice = false;
        if (device == NULL) {
            for (OpenedDevice &old : d.devices)
                if (old.handle == handle)
                    closedDevice = true;
            if (!closedDevice)
                return realDeviceIoControl(handle, code, input, inputSize, output, outputSize, bytesReturned,
                                           overlapped);
        }
        IoctlCall call = { device != NULL ? device->slot : -1, device != NULL, code, input != NULL, inputSize,
                           output != NULL, outputSize, bytesReturned != NULL, overlapped != NULL };
        d.ioctlCalls.push_back(call);
        d.events.push_back(Event("request", call.slot));
        if (device == NULL) {
            d.requestsToClosedDevices++;
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (code != 0xFFFF2024) {
            SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        if (output == NULL || outputSize < sizeof(DWORD)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (d.requestFails) {
            /* A failing driver may still have touched the buffer: a caller
               that keeps the word anyway would show it. */
            *(DWORD *)output = BoardDeviceDouble::scribbleOnFailure;
            if (bytesReturned != NULL)
                *bytesReturned = 0;
            SetLastError(ERROR_GEN_FAILURE);
            return FALSE;
        }
        *(DWORD *)output = d.hardwareWord;
        if (bytesReturned != NULL)
            *bytesReturned = sizeof(DWORD);
        return TRUE;
    }

    static BOOL WINAPI Close(HANDLE handle)
    {
        BoardDeviceDouble &d = *current;
        if (handle == NULL || handle == INVALID_HANDLE_VALUE) {
            d.invalidCloses++;
            return realCloseHandle(handle);
        }
        OpenedDevice *device = d.FindDevice(handle);
        if (device == NULL) {
            for (OpenedDevice &old : d.devices)
                if (old.handle == handle && old.closes > 0) {
                    /* Ours and already closed: the value is not reused while
                       the double is installed, since only the double creates
                       objects here. */
                    d.closesOfClosedDevices++;
                    old.closes++;
                    SetLastError(ERROR_INVALID_HANDLE);
                    return FALSE;
                }
            return realCloseHandle(handle);
        }
        device->closes = 1;
        d.events.push_back(Event("close", device->slot));
        return realCloseHandle(handle);
    }
};

bool BoardDeviceDouble::Install(ImportPatch &patch)
{
    struct Replacement {
        const char *library;
        const char *function;
        void *hook;
        void **real;
    } replacements[] = {
        { "setupapi.dll", "SetupDiGetClassDevsA", (void *)&BoardDeviceHooks::GetClassDevs, NULL },
        { "setupapi.dll", "SetupDiEnumDeviceInterfaces", (void *)&BoardDeviceHooks::EnumInterfaces, NULL },
        { "setupapi.dll", "SetupDiGetDeviceInterfaceDetailA", (void *)&BoardDeviceHooks::GetDetail, NULL },
        { "setupapi.dll", "SetupDiDestroyDeviceInfoList", (void *)&BoardDeviceHooks::DestroyList,
          (void **)&realDestroyDeviceInfoList },
        { "kernel32.dll", "CreateFileA", (void *)&BoardDeviceHooks::OpenFile, (void **)&realCreateFileA },
        { "kernel32.dll", "DeviceIoControl", (void *)&BoardDeviceHooks::Request, (void **)&realDeviceIoControl },
        { "kernel32.dll", "CloseHandle", (void *)&BoardDeviceHooks::Close, (void **)&realCloseHandle },
    };
    current = this;
    for (const Replacement &r : replacements) {
        void *original = patch.Replace(r.library, r.function, r.hook);
        if (original == NULL) {
            patch.Restore();
            return false;
        }
        if (r.real != NULL)
            *r.real = original;
    }
    return true;
}
