/* Written against the C layout of the interfaces, so that only the methods
   the program calls need a body. */
#define CINTERFACE
#include "display_double.h"

#include <stdio.h>
#include <algorithm>
#include <deque>

#include "bitmap_library.h"
#include "directdraw_library.h"
#include "directdraw_setup.h"
#include "language.h"
#include "platform.h"
#include "product_profile.h"
#include "program.h"
#include "report_compose.h"
#include "support.h"
#include "unit_support.h"

DisplayDouble Ddraw;

std::vector<std::string> SplitCaseText(const std::string &text, char separator)
{
    std::vector<std::string> words(1);
    for (char c : text)
        c == separator ? words.push_back("") : words.back().push_back(c);
    words.erase(std::remove(words.begin(), words.end(), ""), words.end());
    return words;
}

std::vector<DoubleCase> ReadDoubleCases(const char *file)
{
    std::vector<DoubleCase> cases;
    for (const std::string &line : DataLines(file, "cases")) {
        std::vector<std::string> words = SplitCaseText(line.substr(line.empty() ? 0 : 1));
        if (line.empty()) continue;
        if (line[0] == '@')
            cases.push_back(DoubleCase{ words[0], "", {} });
        else
            cases.back().expected += (cases.back().expected.empty() ? "" : "\n") + line;
        for (size_t i = 1, equals; i < words.size() && line[0] == '@'; i++)
            equals = words[i].find('='), cases.back().keys[words[i].substr(0, equals)] =
                                             equals == std::string::npos ? "1" : words[i].substr(equals + 1);
    }
    return cases;
}

std::string ComposedSections(const std::string &expected)
{
    ComposeTestReport();
    std::string sections, heading;
    for (std::string line : SplitCaseText(TestReport.text, '\n')) {
        line.pop_back();   /* the CR */
        heading = line[0] == '[' ? line : line.empty() ? "" : heading;
        if (!heading.empty() && ("\n" + expected + "\n").find("\n" + heading + "\n") != std::string::npos)
            sections += (sections.empty() ? "" : "\n") + line;
    }
    return sections;
}

void ExpectPageOutcome(const DoubleCase &c, int returned)
{
    EXPECT_EQ(c.Number("return"), (DWORD)returned);
    EXPECT_EQ(c.Number("status"), LastResult);   /* the outcome stored is read back from the report */
    EXPECT_STREQ(LoadLongText(c.Number("text")), ResultText);
    EXPECT_EQ(c.expected, ComposedSections(c.expected));
}

static const GUID iidDirectDraw4 = { 0x9C59509A, 0x39BD, 0x11D1, { 0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5 } };
static const GUID iidDirectDraw2 = { 0xB3A6F3E0, 0x2B43, 0x11CF, { 0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56 } };

struct DdObject { const void *vtbl; int references; bool isPrimary; DDSURFACEDESC description; };
static std::deque<DdObject> objects;
static IDirectDrawVtbl directDrawVtbl;
static IDirectDraw2Vtbl directDraw2Vtbl;
static IDirectDraw4Vtbl directDraw4Vtbl;
static IDirectDrawSurfaceVtbl surfaceVtbl;
static struct { DirectDrawCreateFunction entry; HWND mainWindow; DWORD platform; } found;   /* before Install */

static void Complain(bool wrong, const char *what) { wrong ? Ddraw.complaints.push_back(what) : void(); }

static bool Fails(const std::string &name)   /* "name" fails every time, "name#n" the n-th time */
{
    long n = std::count(Ddraw.calls.begin(), Ddraw.calls.end(), name);
    std::string list = "," + Ddraw.fail + ",", once = "," + name + ",", nth = "," + name + "#" + std::to_string(n) + ",";
    return list.find(once) != std::string::npos || list.find(nth) != std::string::npos;
}

static HRESULT Call(const std::string &name)
{
    return Ddraw.calls.push_back(name), Fails(name) ? DDERR_GENERIC : DD_OK;
}

static DdObject *New(const void *vtbl, const DDSURFACEDESC &description = {}, bool isPrimary = false)
{
    return Ddraw.references++, &*objects.insert(objects.end(), DdObject{ vtbl, 1, isPrimary, description });
}

static ULONG STDMETHODCALLTYPE Release(DdObject *self)
{
    Complain(self->references == 0, "released once too often");
    bool surfaceLeft = std::any_of(objects.begin(), objects.end(),
                                   [](const DdObject &o) { return o.vtbl == &surfaceVtbl && o.references > 0; });
    Complain(self->vtbl != &surfaceVtbl && self->references == 1 && surfaceLeft, "DirectDraw given back before its surfaces");
    return Ddraw.references -= self->references > 0 && --self->references == 0, self->references;
}

/* The overlay format code that a pixel format asks for (flags, FOURCC, bits, masks); 0 for any other. */
static DWORD FormatCode(const DDPIXELFORMAT &f)
{
    static const std::string codes = " 2=40,0,16,7C00,3E0,1F 3=40,0,16,F800,7E0,1F 4=40,0,24,FF0000,FF00,FF"
                                     " 5=40,0,32,FF0000,FF00,FF 6=4,32595559,16,0,0,0 7=4,59565955,16,0,0,0 ";
    char text[80];
    wsprintfA(text, "=%lX,%lX,%lu,%lX,%lX,%lX ", f.dwFlags, f.dwFourCC, f.dwRGBBitCount, f.dwRBitMask, f.dwGBitMask,
              f.dwBBitMask);
    size_t at = f.dwSize == 32 && f.dwRGBAlphaBitMask == 0 ? codes.find(text) : std::string::npos;
    return at == std::string::npos ? 0 : codes[at - 1] - '0';
}

#define PUT(table, method, ...) table.method = (decltype(table.method))(void *)(__VA_ARGS__)
/* Methods are stdcall on 32 bits: a plain lambda there would leave its
   arguments on the caller's stack. */
#define SET(table, method, params, ...) PUT(table, method, +[] params STDMETHODCALLTYPE __VA_ARGS__)

static void FillVtables()
{
    SET(directDrawVtbl, QueryInterface, (DdObject *, REFIID iid, void **out), {
        bool four = IsEqualGUID(iid, iidDirectDraw4);
        Complain(!four && !IsEqualGUID(iid, iidDirectDraw2), "an interface nobody needs");
        std::string name = four ? "query4" : "query2";   /* "...null": a null one; "...leak": one despite failing */
        bool failing = Call(name) != DD_OK, handed = !Fails(name + "null") && (!failing || Fails(name + "leak"));
        *out = handed ? New(four ? (const void *)&directDraw4Vtbl : &directDraw2Vtbl) : NULL;
        return failing ? E_NOINTERFACE : DD_OK;
    });
    SET(directDraw4Vtbl, GetDeviceIdentifier, (DdObject *, DDDEVICEIDENTIFIER *id, DWORD), {
        return *id = Ddraw.identifier, Call("identify");
    });
    SET(directDraw2Vtbl, GetCaps, (DdObject *, DDCAPS *driver, DDCAPS *emulation), {
        Complain(driver->dwSize != 380 || (emulation != NULL && emulation->dwSize != 380), "DDCAPS of another size");
        return *driver = Ddraw.caps, driver->dwSize = 380, Call("caps");
    });
    SET(directDraw2Vtbl, GetDisplayMode, (DdObject *, DDSURFACEDESC *mode), {
        Complain(mode->dwSize != sizeof(DDSURFACEDESC), "mode of another size");
        return *mode = Ddraw.mode, Call("mode");
    });
    SET(directDraw2Vtbl, SetCooperativeLevel, (DdObject *, HWND window, DWORD flags), {
        return Complain(window != NULL || flags != DDSCL_NORMAL, "cooperation other than normal"), Call("cooperate");
    });
    SET(surfaceVtbl, Lock, (DdObject *self, RECT *area, DDSURFACEDESC *d, DWORD flags, HANDLE event), {
        Complain(area != NULL || flags != DDLOCK_WAIT || event != NULL || d->dwSize != sizeof(*d), "odd lock");
        *d = self->description, d->lPitch = self->isPrimary ? Ddraw.primaryPitch : Ddraw.overlayPitch;
        d->lpSurface = self->isPrimary ? &Ddraw.primary[Ddraw.guard] : Ddraw.overlay.data();
        return Call(self->isPrimary ? "lock" : "overlaylock");
    });
    SET(surfaceVtbl, Unlock, (DdObject *self, void *), { return Call(self->isPrimary ? "unlock" : "overlayunlock"); });
    SET(surfaceVtbl, GetSurfaceDesc, (DdObject *self, DDSURFACEDESC *d), { return *d = self->description, Call("desc"); });
    SET(surfaceVtbl, GetDC, (DdObject *self, HDC *dc), {
        *dc = NULL;
        if (Call("getdc") || !Ddraw.surfaceDc) return DDERR_GENERIC;
        BITMAPINFO info = { { sizeof(BITMAPINFOHEADER), (LONG)self->description.dwWidth,
                              -(LONG)self->description.dwHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0 }, {} };
        void *bits;
        SelectObject(Ddraw.openDc = *dc = CreateCompatibleDC(NULL), CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0));
        return DD_OK;
    });
    SET(surfaceVtbl, ReleaseDC, (DdObject *, HDC dc), {
        Complain(dc == NULL || dc != Ddraw.openDc, "a DC given back that was not handed out");
        HGDIOBJ picture = GetCurrentObject(dc, OBJ_BITMAP);
        DeleteDC(dc), DeleteObject(picture), Ddraw.openDc = NULL;
        return Call("releasedc");
    });
    PUT(directDrawVtbl, Release, Release), PUT(directDraw2Vtbl, Release, Release);
    PUT(directDraw4Vtbl, Release, Release), PUT(surfaceVtbl, Release, Release);
    SET(directDraw2Vtbl, CreateSurface, (DdObject *, DDSURFACEDESC *d, DdObject **out, IUnknown *outer), {
        *out = NULL, Complain(d->dwSize != sizeof(DDSURFACEDESC) || outer != NULL, "surface asked otherwise");
        if (d->ddsCaps.dwCaps == DDSCAPS_PRIMARYSURFACE && d->dwFlags == DDSD_CAPS) {
            DWORD bytes = std::max<DWORD>(1, (Ddraw.mode.ddpfPixelFormat.dwRGBBitCount + 7) / 8);
            Ddraw.primaryPitch = (LONG)(Ddraw.mode.dwWidth * bytes + 12);
            Ddraw.primary.assign(2 * Ddraw.guard + Ddraw.primaryPitch * Ddraw.mode.dwHeight, 0xA5);
            return Call("primary") == DD_OK ? (*out = New(&surfaceVtbl, Ddraw.mode, true), DD_OK) : DDERR_GENERIC;
        }
        DWORD code = FormatCode(d->ddpfPixelFormat);
        Complain(d->dwFlags != 0x1007 || d->ddsCaps.dwCaps != 0x4080 || code == 0, "overlay asked with other fields");
        std::string asked = std::to_string(code) + "@" + std::to_string(d->dwWidth) + "x" + std::to_string(d->dwHeight);
        Ddraw.asked += (Ddraw.asked.empty() ? "" : ",") + asked;
        if (Call("overlay:" + asked) || d->dwWidth > Ddraw.overlayMax || d->dwHeight > Ddraw.overlayMax ||
            !strchr(Ddraw.overlays.c_str(), '0' + code))
            return DDERR_INVALIDPIXELFORMAT;
        *out = (DdObject *)NewDoubleSurface(*d);
        return DD_OK;
    });
    SET(surfaceVtbl, UpdateOverlay, (DdObject *self, RECT *from, DdObject *onto, RECT *to, DWORD flags, DDOVERLAYFX *fx), {
        Complain(self->isPrimary || fx != NULL || (onto != NULL && !onto->isPrimary), "overlay put elsewhere");
        if (flags == DDOVER_HIDE)
            return Call("hide");
        Complain(flags != DDOVER_SHOW || onto == NULL || from == NULL || to == NULL, "overlay shown oddly");
        char text[80];
        wsprintfA(text, "%d,%d,%d,%d>%d,%d,%d,%d", from->left, from->top, from->right, from->bottom, to->left, to->top,
                  to->right, to->bottom);
        Ddraw.shown.push_back(text);
        return Call("show");
    });
}

IDirectDrawSurface *NewDoubleSurface(const DDSURFACEDESC &description)
{
    Ddraw.overlayPitch = (LONG)(description.dwWidth * 2 + 8);
    Ddraw.overlay.assign(Ddraw.overlayPitch * description.dwHeight, 0xA5);
    return (IDirectDrawSurface *)New(&surfaceVtbl, description);
}

void InstallDisplayDouble()
{
    static HMODULE pictures;
    static HWND owner;
    if (owner == NULL) {
        found = { BindDirectDraw(), MainWindow, PlatformClass };   /* bound once: no ddraw.dll stays without it */
        pictures = LoadLibraryA((TestDirectory() + "MirelBitmap.dll").c_str());
        owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        /* What the system keeps for good after the first palette realised in the window: not a case's to count. */
        HDC dc = GetDC(owner);
        HPALETTE palette = CreateHalftonePalette(dc), old = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc), SelectPalette(dc, old, FALSE), DeleteObject(palette), ReleaseDC(owner, dc);
    }
    SelectProductProfile("Mirel"), LoadLanguageLibrary();
    ProgramInstance = GetModuleHandleA(NULL), BitmapLibrary = pictures, MainWindow = owner;
    FillVtables(), objects.clear();
    Ddraw = DisplayDouble();
    DirectDrawCreateEntry = (DirectDrawCreateFunction)(void *)+[](GUID *driver, DdObject **out, IUnknown *outer) WINAPI {
        Complain(driver != NULL || outer != NULL, "DirectDrawCreate of another driver");
        HRESULT result = Call("create");
        return *out = result == DD_OK ? New(&directDrawVtbl) : NULL, result;
    };
    ReplaceImport("user32.dll", "EnumDisplaySettingsA",
                  (void *)+[](LPCSTR, DWORD, DEVMODEA *mode) WINAPI { return mode->dmBitsPerPel = Ddraw.screenBits, TRUE; });
    ReplaceImport("kernel32.dll", "Sleep", (void *)+[](DWORD ms) WINAPI { Ddraw.slept += ms; });
    /* A 256-colour screen's palette (Wine's reads back empty): 3 bits of red, 3 of green, 2 of blue. */
    ReplaceImport("gdi32.dll", "GetSystemPaletteEntries", (void *)+[](HDC, UINT first, UINT count, PALETTEENTRY *e) WINAPI {
        for (UINT i = first; i < first + count && i < 256; i++)
            e[i - first] = { (BYTE)((i & 7) * 255 / 7), (BYTE)((i >> 3 & 7) * 255 / 7), (BYTE)((i >> 6) * 85), 0 };
        return std::min(count, 256 - std::min(first, 256u));
    });

    ZeroMemory(&DiagnosticResults, sizeof(DiagnosticResults));
    DiagnosticResults.display = { 800, 600, 3, 2, { "earlier.drv", "Earlier adapter", { { 0x00030004, 0x00010002 } },
                                                     0x1002, 0x4750, 0, 0x5C } };
    DiagnosticResults.overlayFormat = 7;
    LastResult = 77;
}

void RemoveDisplayDouble()
{
    ReleaseDirectDraw();
    RestoreImports();
    DirectDrawCreateEntry = found.entry, MainWindow = found.mainWindow, PlatformClass = found.platform;
}

void UseDisplayCase(const DoubleCase &c)
{
    InstallDisplayDouble();
    Ddraw.fail = c.Text("fail"), Ddraw.screenBits = c.Number("bits", 32);
    Ddraw.identifier = { "vidtest.dll", "Test display adapter", { { 0x000E0A28, 0x00060005 } },
                           c.Number("vendor", 0x10DE), 0x0110, 0x12345678, 0xA1 };
    Ddraw.caps.dwCaps = c.Number("caps", 0x406800);   /* overlay, FOURCC, stretch, colour key */
    Ddraw.caps.dwFXCaps = c.Number("fx"), Ddraw.caps.dwCKeyCaps = c.Number("ckey", DDCKEYCAPS_DESTOVERLAY);
    Ddraw.caps.dwMinOverlayStretch = c.Number("min", 1000), Ddraw.caps.dwMaxOverlayStretch = c.Number("max", 20000);
    Ddraw.overlays = c.Text("overlays", "6"), Ddraw.overlayMax = c.Number("overlaymax", 4096);
    DWORD width, height, bits, masks[3];
    sscanf(c.Text("mode", "1024x768x32").c_str(), "%lux%lux%lu", &width, &height, &bits);
    sscanf(c.Text("masks", "0xFF0000,0xFF00,0xFF").c_str(), "%lx,%lx,%lx", &masks[0], &masks[1], &masks[2]);
    Ddraw.mode = { sizeof(DDSURFACEDESC), DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, height, width };
    Ddraw.mode.ddpfPixelFormat = { 32, c.Number("flags", DDPF_RGB), 0, { bits }, { masks[0] }, { masks[1] },
                                     { masks[2] } };
    PlatformClass = c.Text("platform") == "98" ? PLATFORM_WIN98 : c.Text("platform") == "nt6" ? PLATFORM_NT6 : PLATFORM_NT5;
    Ddraw.surfaceDc = c.Has("surfacedc");
    Ddraw.gdiObjects = CountGdiObjects(), Ddraw.windows = CountWindows();
    DirectDrawCreateEntry = c.Has("noddraw") ? NULL : DirectDrawCreateEntry;
    RecordMessageBoxes(c.Has("no") ? IDNO : IDYES);
}

void ExpectDisplaySeen(const DoubleCase &c)
{
    EXPECT_EQ(std::vector<std::string>(), Ddraw.complaints);
    EXPECT_EQ(0, Ddraw.references) << "DirectDraw objects still held";
    EXPECT_TRUE(Ddraw.openDc == NULL) << "a surface DC never given back";
    EXPECT_EQ(Ddraw.gdiObjects, CountGdiObjects()) << "GDI objects kept";
    EXPECT_EQ(Ddraw.windows, CountWindows()) << "windows kept";
    std::string asked;
    for (const RecordedBox &box : RecordedBoxes)
        asked += box.text + "|" + box.title + "|" + std::to_string(box.style) + (box.owner != MainWindow ? "|owner" : "");
    EXPECT_EQ(c.Has("question") ? LoadText(c.Number("question")) + std::string("|Tavolink Quorvex|4") : "", asked);
    EXPECT_EQ(c.Number("slept"), Ddraw.slept);
}
