/* A DirectDraw driver for the in-process tests: scripted capabilities and
   failures, surfaces in plain memory, and a log of what the program asked.
   Installed by patching the test program's import of DirectDrawCreate, so
   the code under test keeps calling the real API names. */
#ifndef QUORVEX_FAKE_DDRAW_H
#define QUORVEX_FAKE_DDRAW_H

#include <windows.h>
#include <ddraw.h>
#include <string>
#include <vector>

#include "iat_patch.h"

struct OverlayRequest {
    DWORD flags, caps, width, height;
    DWORD pixelFlags, fourCC, bitCount, redMask, greenMask, blueMask;
};

struct OverlayUpdate {
    bool hasSource, hasDestination;
    RECT source, destination;
    DWORD flags;
    bool destinationIsPrimary;
};

/* What the driver does; every HRESULT defaults to success. */
struct DriverScript {
    HRESULT create = DD_OK;
    HRESULT queryDirectDraw4 = DD_OK;
    bool directDraw4Null = false;
    bool directDraw4OnFailure = false;     /* a failing query that still hands out an interface */
    HRESULT deviceIdentifier = DD_OK;
    DDDEVICEIDENTIFIER identifier = {};
    HRESULT queryDirectDraw2 = DD_OK;
    HRESULT getCaps = DD_OK;
    DDCAPS caps = {};
    HRESULT displayModeResult = DD_OK;
    DDSURFACEDESC displayMode = {};
    HRESULT cooperativeLevel = DD_OK;
    HRESULT createPrimary = DD_OK;
    HRESULT lockPrimary = DD_OK;
    int lockPrimaryFailFrom = 0;            /* 0: every lock; n: locks from the n-th on */
    HRESULT unlockPrimary = DD_OK;
    int unlockPrimaryFailFrom = 0;
    /* Overlays: which formats a surface can be made in, and up to what size. */
    std::vector<DWORD> overlayFormats;      /* OverlayFormat codes */
    DWORD overlayMaxWidth = 4096, overlayMaxHeight = 4096;
    HRESULT updateOverlay = DD_OK;
    HRESULT lockOverlay = DD_OK;
};

struct FakeDriver {
    DriverScript script;
    std::vector<std::string> log;           /* calls in order */
    int liveObjects = 0;                    /* references the program still holds */
    int foreignReleases = 0;                /* releases of objects already gone */
    DWORD lastCapsSize = 0, lastDescriptionSize = 0;
    bool emulationCapsAsked = false;
    std::vector<OverlayRequest> overlayRequests;
    std::vector<OverlayUpdate> overlayUpdates;
    HWND cooperativeWindow = (HWND)-1;
    DWORD cooperativeFlags = 0;
    DWORD lockFlags = 0;
    /* The primary's memory, with guard bytes round it. */
    std::vector<BYTE> primary;
    LONG primaryPitch = 0;
    static const size_t GUARD = 4096;
    BYTE *PrimaryPixels() { return primary.data() + GUARD; }
    bool GuardsIntact() const;
    /* The memory of the last overlay made. */
    std::vector<BYTE> overlay;
    LONG overlayPitch = 0;
    DWORD overlayWidth = 0, overlayHeight = 0, overlayFormat = 0;
    int primaryLocks = 0, primaryUnlocks = 0;

    int Count(const std::string &call) const;
};

extern FakeDriver *fakeDriver;

/* A display mode description for the script. */
DDSURFACEDESC DisplayMode(DWORD width, DWORD height, DWORD bits, DWORD redMask = 0, DWORD flags = DDPF_RGB);
/* Driver caps that pass every overlay check. */
DDCAPS GoodOverlayCaps();

/* Puts a fresh driver with that display in place of DirectDrawCreate. */
bool InstallFakeDriver(ImportPatch &patch, FakeDriver *driver);

#endif
