#include "directdraw_setup.h"
#include "black_window.h"
#include "directdraw_library.h"

DirectDrawStateRecord DirectDrawState;

/* Our own copies keep the program free of the GUID import libraries. */
const GUID DisplayIidDirectDraw4 = { 0x9C59509A, 0x39BD, 0x11D1, { 0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5 } };
const GUID DisplayIidDirectDraw2 = { 0xB3A6F3E0, 0x2B43, 0x11CF, { 0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56 } };

static int Fail(ResultCode code)
{
    LastResult = code;
    return 0;
}

/* Driver identification into the results record; 1 when it was read. */
static int ReadDeviceIdentifier(void)
{
    IDirectDraw4 *directDraw4 = NULL;
    HRESULT result = DirectDrawState.directDraw->QueryInterface(DisplayIidDirectDraw4, (void **)&directDraw4);
    if (FAILED(result)) {
        if (directDraw4 != NULL)
            directDraw4->Release();
        return Fail(RESULT_DDRAW_INTERFACE_FAILED);
    }
    if (directDraw4 == NULL)
        return Fail(RESULT_DDRAW_INTERFACE_FAILED);

    DDDEVICEIDENTIFIER identifier;
    ZeroMemory(&identifier, sizeof(identifier));
    if (FAILED(directDraw4->GetDeviceIdentifier(&identifier, 0))) {
        directDraw4->Release();
        return Fail(RESULT_DDRAW_CALL_FAILED);
    }
    DiagnosticResults.display.deviceIdentifier = identifier;
    directDraw4->Release();
    return 1;
}

/* Hardware capabilities good enough for direct screen access. */
static int CheckDriverCaps(void)
{
    DDCAPS driverCaps, emulationCaps;
    ZeroMemory(&driverCaps, sizeof(driverCaps));
    driverCaps.dwSize = sizeof(driverCaps);
    ZeroMemory(&emulationCaps, sizeof(emulationCaps));
    emulationCaps.dwSize = sizeof(emulationCaps);
    if (FAILED(DirectDrawState.directDraw2->GetCaps(&driverCaps, &emulationCaps)))
        return Fail(RESULT_DDRAW_CALL_FAILED);
    if (driverCaps.dwCaps & DDCAPS_NOHARDWARE)
        return Fail(RESULT_DDRAW_NOHARDWARE);

    DDDEVICEIDENTIFIER *identifier = &DiagnosticResults.display.deviceIdentifier;
    if (identifier->dwVendorId == DDRAW_VENDOR_S3)
        identifier->dwDeviceId = DDRAW_S3_REPORTED_ID;
    else if (driverCaps.dwCaps & DDCAPS_BANKSWITCHED)
        return Fail(RESULT_DDRAW_BANKSWITCHED);
    return 1;
}

/* Creates the primary and checks that it can be locked, keeping its pitch and memory. */
static int OpenPrimarySurface(void)
{
    IDirectDraw2 *directDraw2 = DirectDrawState.directDraw2;
    if (FAILED(directDraw2->SetCooperativeLevel(NULL, DDSCL_NORMAL)))
        return Fail(RESULT_DDRAW_CALL_FAILED);

    DDSURFACEDESC description;
    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(directDraw2->CreateSurface(&description, &DirectDrawState.primarySurface, NULL)))
        return Fail(RESULT_DDRAW_CALL_FAILED);
    if (DirectDrawState.primarySurface == NULL)
        return Fail(RESULT_DDRAW_CALL_FAILED);

    ZeroMemory(&description, sizeof(description));
    description.dwSize = sizeof(description);
    if (FAILED(DirectDrawState.primarySurface->Lock(NULL, &description, DDLOCK_WAIT, NULL)))
        return Fail(RESULT_DDRAW_CALL_FAILED);
    DirectDrawState.surfacePitch = description.lPitch;
    DirectDrawState.surfaceMemory = (BYTE *)description.lpSurface;
    if (FAILED(DirectDrawState.primarySurface->Unlock(NULL)))
        return Fail(RESULT_DDRAW_CALL_FAILED);
    return 1;
}

int SetUpDirectDraw(void)
{
    if (!CheckColourDepth())
        return Fail(RESULT_DDRAW_PIXELFORMAT_INVALID);
    if (DirectDrawState.directDraw != NULL)
        ReleaseDirectDraw();

    DirectDrawCreateFunction create = BindDirectDraw();
    if (create == NULL || FAILED(create(NULL, &DirectDrawState.directDraw, NULL)) || DirectDrawState.directDraw == NULL)
        return Fail(RESULT_DDRAW_CREATE_FAILED);
    if (!ReadDeviceIdentifier())
        return 0;

    HRESULT result = DirectDrawState.directDraw->QueryInterface(DisplayIidDirectDraw2,
                                                                (void **)&DirectDrawState.directDraw2);
    if (FAILED(result) || DirectDrawState.directDraw2 == NULL) {
        /* A failing call may still have handed out an interface; it must not stay half-owned. */
        if (DirectDrawState.directDraw2 != NULL) {
            DirectDrawState.directDraw2->Release();
            DirectDrawState.directDraw2 = NULL;
        }
        return Fail(RESULT_DDRAW_INTERFACE_FAILED);
    }
    if (!CheckDriverCaps())
        return 0;

    DDSURFACEDESC mode;
    ZeroMemory(&mode, sizeof(mode));
    mode.dwSize = sizeof(mode);
    if (FAILED(DirectDrawState.directDraw2->GetDisplayMode(&mode)))
        return Fail(RESULT_DDRAW_CALL_FAILED);
    if (!ReadDisplayMode(&mode))
        return 0;
    return OpenPrimarySurface();
}

int ReleaseDirectDraw(void)
{
    if (DirectDrawState.overlaySurface != NULL) {
        DirectDrawState.overlaySurface->UpdateOverlay(NULL, DirectDrawState.primarySurface, NULL, DDOVER_HIDE, NULL);
        DirectDrawState.overlaySurface->Release();
        DirectDrawState.overlaySurface = NULL;
    }
    if (DirectDrawState.primarySurface != NULL) {
        DirectDrawState.primarySurface->Release();
        DirectDrawState.primarySurface = NULL;
        DirectDrawState.surfaceMemory = NULL;
    }
    if (DirectDrawState.directDraw2 != NULL) {
        DirectDrawState.directDraw2->Release();
        DirectDrawState.directDraw2 = NULL;
    }
    if (DirectDrawState.directDraw != NULL) {
        DirectDrawState.directDraw->Release();
        DirectDrawState.directDraw = NULL;
    }
    return 1;
}
