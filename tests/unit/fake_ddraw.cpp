#include "fake_ddraw.h"

#include <memory>

#include "fake_ddraw_stubs.h"

FakeDriver *fakeDriver;

static const GUID iidDirectDraw2 = { 0xB3A6F3E0, 0x2B43, 0x11CF, { 0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56 } };
static const GUID iidDirectDraw4 = { 0x9C59509A, 0x39BD, 0x11D1, { 0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5 } };

int FakeDriver::Count(const std::string &call) const
{
    int n = 0;
    for (const std::string &entry : log)
        n += entry == call;
    return n;
}

bool FakeDriver::GuardsIntact() const
{
    for (size_t i = 0; i < GUARD; i++)
        if (primary[i] != 0xA5 || primary[primary.size() - 1 - i] != 0xA5)
            return false;
    return true;
}

/* Reference counting shared by every fake object. */
struct Counted {
    int references = 1;
    ULONG Add()
    {
        references++;
        fakeDriver->liveObjects++;
        return references;
    }
    ULONG Drop()
    {
        if (references == 0) {
            fakeDriver->foreignReleases++;
            return 0;
        }
        references--;
        fakeDriver->liveObjects--;
        return references;
    }
};

static std::vector<std::shared_ptr<void>> keep;    /* objects outlive their last release */

template <typename T> static T *Make()
{
    std::shared_ptr<T> object = std::make_shared<T>();
    keep.push_back(object);
    fakeDriver->liveObjects++;
    return object.get();
}

static DWORD FormatCode(const DDPIXELFORMAT &format)
{
    if (format.dwFlags == DDPF_FOURCC)
        return format.dwFourCC == MAKEFOURCC('Y', 'U', 'Y', '2') ? 6 : format.dwFourCC == MAKEFOURCC('U', 'Y', 'V', 'Y') ? 7 : 0;
    if (format.dwFlags != DDPF_RGB)
        return 0;
    if (format.dwRGBBitCount == 16)
        return format.dwRBitMask == 0x7C00 ? 2 : format.dwRBitMask == 0xF800 ? 3 : 0;
    return format.dwRGBBitCount == 24 ? 4 : format.dwRGBBitCount == 32 ? 5 : 0;
}

struct FakeSurface : IDirectDrawSurfaceStub, Counted {
    bool isPrimary = false;
    DDSURFACEDESC description = {};
    HBITMAP dcBitmap = NULL;
    HDC dc = NULL;

    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        fakeDriver->log.push_back(isPrimary ? "Release primary" : "Release overlay");
        return Drop();
    }
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC out, DWORD flags, HANDLE event) override
    {
        FakeDriver &d = *fakeDriver;
        d.lastDescriptionSize = out->dwSize;
        d.lockFlags = flags;
        if (isPrimary) {
            d.primaryLocks++;
            d.log.push_back("Lock primary");
            const DriverScript &s = d.script;
            if (FAILED(s.lockPrimary) && (s.lockPrimaryFailFrom == 0 || d.primaryLocks >= s.lockPrimaryFailFrom))
                return s.lockPrimary;
            *out = description;
            out->lPitch = d.primaryPitch;
            out->lpSurface = d.PrimaryPixels();
            return DD_OK;
        }
        d.log.push_back("Lock overlay");
        if (FAILED(d.script.lockOverlay))
            return d.script.lockOverlay;
        *out = description;
        out->lPitch = d.overlayPitch;
        out->lpSurface = d.overlay.data();
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID) override
    {
        FakeDriver &d = *fakeDriver;
        if (!isPrimary) {
            d.log.push_back("Unlock overlay");
            return DD_OK;
        }
        d.primaryUnlocks++;
        d.log.push_back("Unlock primary");
        const DriverScript &s = d.script;
        if (FAILED(s.unlockPrimary) && (s.unlockPrimaryFailFrom == 0 || d.primaryUnlocks >= s.unlockPrimaryFailFrom))
            return s.unlockPrimary;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC out) override
    {
        fakeDriver->lastDescriptionSize = out->dwSize;
        *out = description;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateOverlay(LPRECT source, LPDIRECTDRAWSURFACE destination, LPRECT target,
                                            DWORD flags, LPDDOVERLAYFX) override
    {
        OverlayUpdate update = {};
        update.hasSource = source != NULL;
        update.hasDestination = target != NULL;
        if (source)
            update.source = *source;
        if (target)
            update.destination = *target;
        update.flags = flags;
        FakeSurface *surface = static_cast<FakeSurface *>(destination);
        update.destinationIsPrimary = surface != NULL && surface->isPrimary;
        fakeDriver->overlayUpdates.push_back(update);
        fakeDriver->log.push_back(flags & DDOVER_HIDE ? "Hide overlay" : "Show overlay");
        return flags & DDOVER_HIDE ? DD_OK : fakeDriver->script.updateOverlay;
    }
    HRESULT STDMETHODCALLTYPE GetDC(HDC *out) override
    {
        /* RGB overlays are drawn with GDI: a 32-bit DIB section stands for the surface. */
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = (LONG)description.dwWidth;
        info.bmiHeader.biHeight = -(LONG)description.dwHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void *bits = NULL;
        dcBitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        dc = CreateCompatibleDC(NULL);
        SelectObject(dc, dcBitmap);
        *out = dc;
        fakeDriver->log.push_back("GetDC overlay");
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC given) override
    {
        fakeDriver->log.push_back(given == dc ? "ReleaseDC overlay" : "ReleaseDC foreign");
        DeleteDC(dc);
        DeleteObject(dcBitmap);
        dc = NULL;
        return DD_OK;
    }
};

static HRESULT CreateFakeSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE *out)
{
    FakeDriver &d = *fakeDriver;
    d.lastDescriptionSize = description->dwSize;
    *out = NULL;
    if (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) {
        d.log.push_back("CreateSurface primary");
        if (FAILED(d.script.createPrimary))
            return d.script.createPrimary;
        FakeSurface *surface = Make<FakeSurface>();
        surface->isPrimary = true;
        surface->description = d.script.displayMode;
        *out = surface;
        return DD_OK;
    }
    OverlayRequest request = {};
    request.flags = description->dwFlags;
    request.caps = description->ddsCaps.dwCaps;
    request.width = description->dwWidth;
    request.height = description->dwHeight;
    const DDPIXELFORMAT &format = description->ddpfPixelFormat;
    request.pixelFlags = format.dwFlags;
    request.fourCC = format.dwFourCC;
    request.bitCount = format.dwRGBBitCount;
    request.redMask = format.dwRBitMask;
    request.greenMask = format.dwGBitMask;
    request.blueMask = format.dwBBitMask;
    d.overlayRequests.push_back(request);
    DWORD code = FormatCode(format);
    d.log.push_back("CreateSurface overlay " + std::to_string(code) + " " + std::to_string(request.width) + "x" +
                    std::to_string(request.height));
    bool offered = false;
    for (DWORD f : d.script.overlayFormats)
        offered |= f == code;
    if (!offered || format.dwSize != sizeof(DDPIXELFORMAT) || request.width > d.script.overlayMaxWidth ||
        request.height > d.script.overlayMaxHeight)
        return DDERR_INVALIDPIXELFORMAT;
    FakeSurface *surface = Make<FakeSurface>();
    surface->description = *description;
    d.overlayWidth = request.width;
    d.overlayHeight = request.height;
    d.overlayFormat = code;
    d.overlayPitch = (LONG)(request.width * 4 + 16);
    d.overlay.assign((size_t)d.overlayPitch * request.height, 0xA5);
    *out = surface;
    return DD_OK;
}

struct FakeDirectDraw2 : IDirectDraw2Stub, Counted {
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        fakeDriver->log.push_back("Release IDirectDraw2");
        return Drop();
    }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS driver, LPDDCAPS emulation) override
    {
        FakeDriver &d = *fakeDriver;
        d.log.push_back("GetCaps");
        d.lastCapsSize = driver->dwSize;
        d.emulationCapsAsked = emulation != NULL;
        if (FAILED(d.script.getCaps))
            return d.script.getCaps;
        *driver = d.script.caps;
        if (emulation != NULL)
            ZeroMemory(emulation, sizeof(*emulation));
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC out) override
    {
        FakeDriver &d = *fakeDriver;
        d.log.push_back("GetDisplayMode");
        d.lastDescriptionSize = out->dwSize;
        if (FAILED(d.script.displayModeResult))
            return d.script.displayModeResult;
        *out = d.script.displayMode;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override
    {
        FakeDriver &d = *fakeDriver;
        d.log.push_back("SetCooperativeLevel");
        d.cooperativeWindow = window;
        d.cooperativeFlags = flags;
        return d.script.cooperativeLevel;
    }
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE *out,
                                            IUnknown *) override
    {
        return CreateFakeSurface(description, out);
    }
};

struct FakeDirectDraw4 : IDirectDraw4Stub, Counted {
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        fakeDriver->log.push_back("Release IDirectDraw4");
        return Drop();
    }
    HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(LPDDDEVICEIDENTIFIER out, DWORD flags) override
    {
        FakeDriver &d = *fakeDriver;
        d.log.push_back("GetDeviceIdentifier " + std::to_string(flags));
        if (FAILED(d.script.deviceIdentifier))
            return d.script.deviceIdentifier;
        *out = d.script.identifier;
        return DD_OK;
    }
};

struct FakeDirectDraw : IDirectDrawStub, Counted {
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        fakeDriver->log.push_back("Release IDirectDraw");
        return Drop();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        FakeDriver &d = *fakeDriver;
        const DriverScript &s = d.script;
        *out = NULL;
        if (IsEqualGUID(iid, iidDirectDraw4)) {
            d.log.push_back("QueryInterface IDirectDraw4");
            if (FAILED(s.queryDirectDraw4)) {
                if (s.directDraw4OnFailure)
                    *out = static_cast<IDirectDraw4 *>(Make<FakeDirectDraw4>());
                return s.queryDirectDraw4;
            }
            if (!s.directDraw4Null)
                *out = static_cast<IDirectDraw4 *>(Make<FakeDirectDraw4>());
            return DD_OK;
        }
        if (IsEqualGUID(iid, iidDirectDraw2)) {
            d.log.push_back("QueryInterface IDirectDraw2");
            if (FAILED(s.queryDirectDraw2))
                return s.queryDirectDraw2;
            *out = static_cast<IDirectDraw2 *>(Make<FakeDirectDraw2>());
            return DD_OK;
        }
        d.log.push_back("QueryInterface other");
        return E_NOINTERFACE;
    }
};

static HRESULT WINAPI FakeDirectDrawCreate(GUID *guid, LPDIRECTDRAW *out, IUnknown *outer)
{
    FakeDriver &d = *fakeDriver;
    d.log.push_back(guid == NULL && outer == NULL ? "DirectDrawCreate" : "DirectDrawCreate with arguments");
    *out = NULL;
    if (FAILED(d.script.create))
        return d.script.create;
    *out = Make<FakeDirectDraw>();
    return DD_OK;
}

DDSURFACEDESC DisplayMode(DWORD width, DWORD height, DWORD bits, DWORD redMask, DWORD flags)
{
    DDSURFACEDESC mode = {};
    mode.dwSize = sizeof(mode);
    mode.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
    mode.dwWidth = width;
    mode.dwHeight = height;
    mode.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    mode.ddpfPixelFormat.dwFlags = flags;
    mode.ddpfPixelFormat.dwRGBBitCount = bits;
    mode.ddpfPixelFormat.dwRBitMask = redMask;
    return mode;
}

DDCAPS GoodOverlayCaps()
{
    DDCAPS caps = {};
    caps.dwSize = sizeof(caps);
    caps.dwCaps = DDCAPS_OVERLAY | DDCAPS_OVERLAYFOURCC | DDCAPS_OVERLAYSTRETCH | DDCAPS_COLORKEY;
    caps.dwCKeyCaps = DDCKEYCAPS_DESTOVERLAY;
    caps.dwMinOverlayStretch = 1000;
    caps.dwMaxOverlayStretch = 20000;
    return caps;
}

bool InstallFakeDriver(ImportPatch &patch, FakeDriver *driver)
{
    fakeDriver = driver;
    const DDSURFACEDESC &mode = driver->script.displayMode;
    DWORD bytes = (mode.ddpfPixelFormat.dwRGBBitCount + 7) / 8;
    driver->primaryPitch = (LONG)(mode.dwWidth * (bytes ? bytes : 1) + 8);
    driver->primary.assign(FakeDriver::GUARD * 2 + (size_t)driver->primaryPitch * mode.dwHeight, 0xA5);
    return patch.Replace("ddraw.dll", "DirectDrawCreate", (void *)FakeDirectDrawCreate) != NULL;
}
