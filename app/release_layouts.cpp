/* The structure layouts the 32-bit release hands to Windows 98 to XP. The
   tests run the 64-bit build, where many of these sizes differ, so the
   release's own are pinned here: a header or packing change breaks the
   release's build instead of the release. */
#include <windows.h>
#include <ddraw.h>
#include <mmsystem.h>
#include <setupapi.h>
#include <shlwapi.h>
#include <stddef.h>

#include "../checks/file_check.h"
#include "../report/diagnostic_results.h"

#if defined(__i386__)
#define SIZE_IS(type, size) static_assert(sizeof(type) == (size), "size of " #type " in the 32-bit release")
#define OFFSET_IS(type, field, offset) \
    static_assert(offsetof(type, field) == (offset), "offset of " #type "." #field " in the 32-bit release")

/* Handed to the system with their size member set. */
SIZE_IS(OSVERSIONINFOA, 148);
SIZE_IS(DEVMODEA, 156);
SIZE_IS(DLLVERSIONINFO, 20);
SIZE_IS(MIXERCAPSA, 48);
SIZE_IS(SP_DEVICE_INTERFACE_DATA, 28);
SIZE_IS(SP_DEVICE_INTERFACE_DETAIL_DATA_A, 5);
SIZE_IS(DDCAPS, 380);
SIZE_IS(DDSURFACEDESC, 108);
SIZE_IS(DDPIXELFORMAT, 32);
OFFSET_IS(DDSURFACEDESC, lPitch, 16);
OFFSET_IS(DDSURFACEDESC, lpSurface, 36);
OFFSET_IS(DDSURFACEDESC, ddpfPixelFormat, 72);
OFFSET_IS(DDSURFACEDESC, ddsCaps, 104);
OFFSET_IS(DDCAPS, dwCKeyCaps, 12);
OFFSET_IS(DDCAPS, dwFXCaps, 16);
OFFSET_IS(DDCAPS, dwMinOverlayStretch, 136);
OFFSET_IS(DDCAPS, dwMaxOverlayStretch, 140);

/* Copied whole into the results record, read out of resources, built by hand. */
SIZE_IS(DDDEVICEIDENTIFIER, 1064);
SIZE_IS(VS_FIXEDFILEINFO, FIXED_FILE_INFO_SIZE);
OFFSET_IS(VS_FIXEDFILEINFO, dwFileVersionMS, 8);
OFFSET_IS(VS_FIXEDFILEINFO, dwFileVersionLS, 12);
SIZE_IS(BITMAPINFOHEADER, 40);
SIZE_IS(RGBQUAD, 4);
SIZE_IS(LOGPALETTE, 8);
SIZE_IS(PALETTEENTRY, 4);
SIZE_IS(GUID, 16);
#endif
