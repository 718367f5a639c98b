#include <windows.h>
#include <mmsystem.h>
#include <stdlib.h>

#include "report_compose.h"
#include "diagnostic_results.h"
#include "system_info.h"
#include "../app/bounded_text.h"
#include "../app/growing_text.h"
#include "../app/product_profile.h"
#include "../checks/registry_read.h"
#include "../checks/result_codes.h"

#define REPORT_CUT_MARKER "\r\n*** The report was cut here: not enough memory for the rest. ***\r\n"

GrowingText TestReport;

void ClearTestReport(void)
{
    ClearGrowingText(&TestReport, REPORT_INITIAL_SIZE, REPORT_CUT_MARKER);
}

int AppendReportLine(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int fitted = AppendGrowingLine(&TestReport, REPORT_LINE_SIZE, format, args);
    va_end(args);
    return fitted;
}

static const struct {
    const char *code;
    const char *text;
} languages[] = {
    { "001", "001 / English" },
    { "031", "031 / Netherland" },
    { "033", "033 / French" },
    { "034", "034 / Spanish" },
    { "039", "039 / Italy" },
    { "049", "049 / German" },
    { "055", "055 / Portuguese" },
};

const char *LanguageDescription(const char *code)
{
    for (size_t i = 0; i < sizeof(languages) / sizeof(languages[0]); i++)
        if (lstrcmpiA(code, languages[i].code) == 0)
            return languages[i].text;
    return "unknown language identifier found";
}

const char *FileStatusWord(DWORD status)
{
    switch (status) {
    case FILE_STATUS_OK: return "ok";
    case FILE_STATUS_MISSING: return "missing";
    case FILE_STATUS_INVALID: return "invalid";
    case FILE_STATUS_OUT_OF_DATE: return "out of date";
    case FILE_STATUS_UPDATED: return "updated";
    case FILE_STATUS_NOT_RELEASED: return "not released";
    case FILE_STATUS_CLSID_NOT_REGISTERED: return "CLSID not registered";
    default: return "";
    }
}

static const char *ColourText(DWORD colourClass)
{
    static const char *const texts[] = {
        "(invalid color format)", "(256 Colors)", "High Color (15 Bit)", "High Color (16 Bit)",
        "True Color (24 Bit)", "True Color (32 Bit)",
    };
    return colourClass <= COLOUR_CLASS_32 ? texts[colourClass] : texts[COLOUR_CLASS_INVALID];
}

static const char *OverlayFormatText(DWORD format)
{
    switch (format) {
    case OVERLAY_FORMAT_RGB555: return "RGB 555";
    case OVERLAY_FORMAT_YUY2: return "YUY2";
    case OVERLAY_FORMAT_UYVY: return "UYVY";
    default: return "invalid";
    }
}

/* Reads a string value of the product key into a value buffer, or leaves
   the placeholder there when it cannot be read. */
static int ReadProductValue(const char *name, char *value, const char *placeholder)
{
    /* Cleared first: a value stored without its NUL, or with no bytes at
       all, ends where its bytes end instead of running on into whatever
       the buffer held. */
    ZeroMemory(value, REPORT_VALUE_SIZE);
    DWORD bytes = 0;
    int read = ReadRegistryValueBytes(Profile.productKey, name, value, REPORT_VALUE_SIZE, &bytes);
    /* A value of no bytes at all leaves the placeholder standing, as a
       buffer filled with it beforehand would. */
    if (!read || bytes == 0)
        CopyText(value, REPORT_VALUE_SIZE, placeholder);
    value[REPORT_VALUE_SIZE - 1] = '\0';   /* a value stored without its NUL */
    return read;
}

static void AppendInstallation(void)
{
    char value[REPORT_VALUE_SIZE];
    AppendReportLine("\r\n[Installation Information]\r\n");
    ReadProductValue("Install Version", value, "no version information found");
    AppendReportLine("Install Version: %s\r\n", value);
    if (ReadProductValue("Language", value, "no language information found"))
        CopyText(value, sizeof(value), LanguageDescription(value));
    AppendReportLine("Language:        %s\r\n", value);
}

static void AppendOperatingSystem(void)
{
    SystemInfo info;
    SYSTEMTIME today;
    CollectSystemInfo(&info);
    GetLocalTime(&today);
    AppendReportLine("\r\n[Operating System Information]\r\n");
    AppendReportLine("Operating system:        %s\r\n", info.osName);
    AppendReportLine("System Default Language: 0x%04X\r\n", (unsigned)GetSystemDefaultLangID());
    AppendReportLine("User Default Language:   0x%04X\r\n", (unsigned)GetUserDefaultLangID());
    AppendReportLine("Common Control DLL:      Version %d.%d\r\n", (int)LOWORD(info.comctlVersion),
                     (int)HIWORD(info.comctlVersion));
    AppendReportLine("Shell DLL:               Version %d.%d\r\n", (int)LOWORD(info.shellVersion),
                     (int)HIWORD(info.shellVersion));
    AppendReportLine("Date:                    %02d.%02d.%04d\r\n", today.wDay, today.wMonth, today.wYear);
}

static void AppendSoundcards(void)
{
    UINT mixers = mixerGetNumDevs();
    AppendReportLine("\r\n[Soundcard Information]\r\n");
    AppendReportLine("Number of audio mixer devices: %d\r\n", (int)mixers);
    for (UINT i = 0; i < mixers; i++) {
        HMIXER mixer;
        if (mixerOpen(&mixer, i, 0, 0, 0) != MMSYSERR_NOERROR)
            continue;
        MIXERCAPSA caps;
        ZeroMemory(&caps, sizeof(caps));
        if (mixerGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
            AppendReportLine("Name of audio mixer %d: %s\r\n", (int)i, caps.szPname);
        mixerClose(mixer);
    }
}

static void AppendDisplay(void)
{
    const DisplayInfo *display = &DiagnosticResults.display;
    const DDDEVICEIDENTIFIER *id = &display->deviceIdentifier;
    char driver[sizeof(id->szDriver) + 1], description[sizeof(id->szDescription) + 1];
    /* Terminated copies: the identifier comes from a display driver. */
    CopyMemory(driver, id->szDriver, sizeof(id->szDriver));
    driver[sizeof(id->szDriver)] = '\0';
    CopyMemory(description, id->szDescription, sizeof(id->szDescription));
    description[sizeof(id->szDescription)] = '\0';

    AppendReportLine("\r\n[Display Information]\r\n");
    AppendReportLine("Display resolution:   %d x %d %s\r\n", (int)display->width, (int)display->height,
                     ColourText(display->colourClass));
    AppendReportLine("Driver name:          %s\r\n", driver);
    AppendReportLine("Driver description:   %s\r\n", description);
    AppendReportLine("Driver version:       %d.%02d.%02d.%04d\r\n", (int)HIWORD(id->liDriverVersion.HighPart),
                     (int)LOWORD(id->liDriverVersion.HighPart), (int)HIWORD(id->liDriverVersion.LowPart),
                     (int)LOWORD(id->liDriverVersion.LowPart));
    AppendReportLine("Vendor identifier:    %08X\r\n", (unsigned)id->dwVendorId);
    AppendReportLine("Chipset identifier:   %08X\r\n", (unsigned)id->dwDeviceId);
    AppendReportLine("Chipset revision:     %08X\r\n", (unsigned)id->dwRevision);
    AppendReportLine("Overlay pixel format: %s\r\n", OverlayFormatText(DiagnosticResults.overlayFormat));
}

enum FileLineStyle { SOFTWARE_FILE_LINE, DIRECTDRAW_FILE_LINE };

static void AppendFileLines(const FileCheckRecord *record, FileLineStyle style)
{
    char drive[MAX_PATH], name[MAX_PATH];
    char path[MAX_PATH];
    for (; record != NULL; record = record->next) {
        CopyText(path, sizeof(path), record->path);
        SplitFilePath(path, drive, sizeof(drive), name, sizeof(name));
        if (style == SOFTWARE_FILE_LINE)
            AppendReportLine("File %s%-16s - Version %d.%02d.%03d (%s)\r\n", drive, name,
                             (int)HIWORD(record->versionMS), (int)LOWORD(record->versionMS),
                             (int)record->versionLS, FileStatusWord(record->status));
        else
            AppendReportLine("File %s%-12s Version %d.%02d.%02d.%04d (%s)\r\n", drive, name,
                             (int)HIWORD(record->versionMS), (int)LOWORD(record->versionMS),
                             (int)HIWORD(record->versionLS), (int)LOWORD(record->versionLS),
                             FileStatusWord(record->status));
    }
}

static void AppendBoardLine(void)
{
    if (DiagnosticResults.internationalBoard)
        AppendReportLine("International board version - Hardware ID: 0x%4.4X\r\n",
                         (unsigned)DiagnosticResults.boardHardwareWord);
    else
        AppendReportLine("NTSC only board version - Hardware ID: 0x%4.4X\r\n",
                         (unsigned)DiagnosticResults.boardHardwareWord);
}

static void AppendSection(const char *heading, const TestOutcome *outcome, void (*extraLines)(void))
{
    AppendReportLine("%s", heading);
    if (!outcome->executed) {
        AppendReportLine("Test executed: NO\r\n");
        return;
    }
    AppendReportLine("Test executed: YES\r\n");
    AppendReportLine("Test status:   %s\r\n", ResultCodeName(outcome->status));
    if (extraLines != NULL)
        extraLines();
}

static void AppendSoftwareFiles(void) { AppendFileLines(DiagnosticResults.softwareFiles, SOFTWARE_FILE_LINE); }
static void AppendDirectDrawFiles(void) { AppendFileLines(DiagnosticResults.directDrawFiles, DIRECTDRAW_FILE_LINE); }

int ComposeTestReport(void)
{
    ClearTestReport();
    AppendReportLine("Tavolink TEST REPORT\r\n");
    AppendReportLine("====================\r\n");
    AppendInstallation();
    AppendOperatingSystem();
    AppendSoundcards();
    AppendDisplay();

    const DiagnosticResultsRecord *r = &DiagnosticResults;
    AppendSection("\r\n[Software Installation Test]\r\n", &r->softwareInstallation, AppendSoftwareFiles);
    AppendSection("\r\n[Audio driver access Test]\r\n", &r->audioDriverAccess, NULL);
    AppendSection("\r\n[Kernelmode driver access Test]\r\n", &r->kernelDriverAccess, AppendBoardLine);
    AppendSection("\r\n[DirectDraw Installation Test]\r\n", &r->directDrawInstallation, AppendDirectDrawFiles);
    AppendSection("\r\n[DirectDraw Primary Test]\r\n", &r->directDrawPrimary, NULL);
    AppendSection("\r\n[DirectDraw Overlay Test]\r\n", &r->directDrawOverlay, NULL);
    return 1;
}
