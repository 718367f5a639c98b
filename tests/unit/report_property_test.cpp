/* Seeded random results records composed into the report and compared line
   by line with a small model of the report's layout: file records with
   random paths, versions and verdicts (both list formats), random test
   outcomes, display identification strings up to and past the line buffer,
   and registry values around the 512-byte value buffer. QUORVEX_SEED
   replays a run; a failing case prints its seed and number. */
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <shlwapi.h>
#include <random>
#include <string>
#include <vector>

#include "diagnostic_results.h"
#include "product_profile.h"
#include "random_cases.h"
#include "registry_scratch.h"
#include "report_compose.h"
#include "result_codes.h"

typedef std::mt19937 Random;

/* ---- The model: the layout of the report, line by line. ---- */

static const size_t LINE_LIMIT = 511;   /* characters a line may have; a longer one is cut */

struct ModelFile {
    std::string path;
    DWORD status, ms, ls;
};

struct ModelValue {
    bool present;
    std::string bytes;   /* as stored, NUL bytes and all */
    DWORD type;
};

struct ModelInputs {
    ModelValue installVersion, language;
    TestOutcome outcomes[6];   /* software, audio, kernel, DirectDraw installation, primary, overlay */
    DWORD boardWord, international;
    DWORD width, height, colourClass;
    std::string driver, description;   /* what the 512-byte fields hold up to their first NUL */
    DWORD versionHigh, versionLow, vendor, device, revision, overlayFormat;
    std::vector<ModelFile> software, directDraw;
};

static std::string Printf(const char *format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

/* Appends one formatted piece as the report does: a piece longer than the
   line limit keeps its first characters and ends in "...\r\n". */
static void Put(std::string &report, const std::string &piece)
{
    if (piece.size() <= LINE_LIMIT)
        report += piece;
    else
        report += piece.substr(0, LINE_LIMIT - 5) + "...\r\n";
}

static std::string Padded(const std::string &text, size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

/* What the 512-byte value buffer holds after the read: up to the first
   NUL, never more than 511 characters; a larger value is not read at all. */
static bool ModelValueText(const ModelValue &value, std::string *text)
{
    if (!value.present || value.bytes.size() > 512)
        return false;
    std::string bytes = value.bytes.substr(0, 511);
    *text = bytes.substr(0, bytes.find('\0'));
    return true;
}

static std::string ModelLanguage(const ModelValue &value)
{
    static const char *table[][2] = {
        { "001", "001 / English" }, { "031", "031 / Netherland" }, { "033", "033 / French" },
        { "034", "034 / Spanish" }, { "039", "039 / Italy" },      { "049", "049 / German" },
        { "055", "055 / Portuguese" },
    };
    std::string text;
    if (!ModelValueText(value, &text))
        return "no language information found";
    for (auto &row : table)
        if (text == row[0])   /* the codes are digits: case plays no part */
            return row[1];
    return "unknown language identifier found";
}

static const char *ModelStatusWord(DWORD status)
{
    switch (status) {
    case 0: return "ok";
    case 1: return "missing";
    case 2: return "invalid";
    case 4: return "out of date";
    case 8: return "updated";
    case 16: return "not released";
    case 32: return "CLSID not registered";
    }
    return "";
}

/* Directory part (drive and everything through the last slash of either
   kind) and name part (the rest). */
static void ModelSplit(const std::string &path, std::string *directory, std::string *name)
{
    size_t drive = path.size() >= 2 && path[1] == ':' && isalpha((unsigned char)path[0]) ? 2 : 0;
    size_t slash = path.find_last_of("\\/");
    size_t cut = slash == std::string::npos ? drive : slash + 1;
    *directory = path.substr(0, cut);
    *name = path.substr(cut);
}

static std::string ModelFileLine(const ModelFile &file, bool directDraw)
{
    std::string directory, name;
    ModelSplit(file.path, &directory, &name);
    std::string version =
        directDraw ? Printf("%d.%02d.%02d.%04d", file.ms >> 16, file.ms & 0xFFFF, file.ls >> 16, file.ls & 0xFFFF)
                   : Printf("%d.%02d.%03d", file.ms >> 16, file.ms & 0xFFFF, (int)file.ls);
    return "File " + directory + Padded(name, directDraw ? 12 : 16) + (directDraw ? " Version " : " - Version ") +
           version + " (" + ModelStatusWord(file.status) + ")\r\n";
}

/* The lines only the machine knows, worked out here from the same sources. */
static std::string ModelOperatingSystem()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = 148;
    GetVersionExA(&version);
    if (version.dwPlatformId == 1) {
        bool newer = version.dwMajorVersion > 4 || (version.dwMajorVersion == 4 && version.dwMinorVersion > 0);
        return Printf("Windows %s Build %d", newer ? "98" : "95", (int)(version.dwBuildNumber & 0xFFFF));
    }
    if (version.dwPlatformId == 2)
        return Printf("Windows NT %d.%d Build %d", (int)version.dwMajorVersion, (int)version.dwMinorVersion,
                      (int)version.dwBuildNumber);
    return "Unknown Operating System";
}

static std::string ModelLibraryVersion(const char *name)
{
    DWORD major = 0, minor = 0;
    HMODULE library = LoadLibraryA(name);
    if (library != NULL) {
        DLLGETVERSIONPROC get = (DLLGETVERSIONPROC)(void *)GetProcAddress(library, "DllGetVersion");
        DLLVERSIONINFO info = {};
        info.cbSize = 20;
        if (get != NULL && SUCCEEDED(get(&info))) {
            major = info.dwMajorVersion & 0xFFFF;
            minor = info.dwMinorVersion & 0xFFFF;
        }
        FreeLibrary(library);
    }
    return Printf("Version %d.%d", (int)major, (int)minor);
}

static std::string ModelMachineBlock(const SYSTEMTIME &today)
{
    std::string block;
    Put(block, "\r\n[Operating System Information]\r\n");
    Put(block, "Operating system:        " + ModelOperatingSystem() + "\r\n");
    Put(block, Printf("System Default Language: 0x%04X\r\n", GetSystemDefaultLangID()));
    Put(block, Printf("User Default Language:   0x%04X\r\n", GetUserDefaultLangID()));
    Put(block, "Common Control DLL:      " + ModelLibraryVersion("comctl32.dll") + "\r\n");
    Put(block, "Shell DLL:               " + ModelLibraryVersion("shell32.dll") + "\r\n");
    Put(block, Printf("Date:                    %02d.%02d.%04d\r\n", today.wDay, today.wMonth, today.wYear));
    Put(block, "\r\n[Soundcard Information]\r\n");
    UINT mixers = mixerGetNumDevs();
    Put(block, Printf("Number of audio mixer devices: %d\r\n", (int)mixers));
    for (UINT i = 0; i < mixers; i++) {
        HMIXER mixer;
        if (mixerOpen(&mixer, i, 0, 0, 0) != MMSYSERR_NOERROR)
            continue;
        MIXERCAPSA caps = {};
        if (mixerGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
            Put(block, Printf("Name of audio mixer %d: %s\r\n", (int)i, caps.szPname));
        mixerClose(mixer);
    }
    return block;
}

static std::string ModelReport(const ModelInputs &in, const std::string &machineBlock)
{
    static const char *colours[] = { "(invalid color format)", "(256 Colors)", "High Color (15 Bit)",
                                     "High Color (16 Bit)", "True Color (24 Bit)", "True Color (32 Bit)" };
    static const char *headings[] = { "Software Installation", "Audio driver access", "Kernelmode driver access",
                                      "DirectDraw Installation", "DirectDraw Primary", "DirectDraw Overlay" };
    std::string r, text;
    Put(r, "Tavolink TEST REPORT\r\n");
    Put(r, "====================\r\n");
    Put(r, "\r\n[Installation Information]\r\n");
    Put(r, "Install Version: " +
               (ModelValueText(in.installVersion, &text) ? text : std::string("no version information found")) +
               "\r\n");
    Put(r, "Language:        " + ModelLanguage(in.language) + "\r\n");
    r += machineBlock;
    Put(r, "\r\n[Display Information]\r\n");
    Put(r, Printf("Display resolution:   %d x %d ", (int)in.width, (int)in.height) +
               colours[in.colourClass <= 5 ? in.colourClass : 0] + "\r\n");
    Put(r, "Driver name:          " + in.driver + "\r\n");
    Put(r, "Driver description:   " + in.description + "\r\n");
    Put(r, Printf("Driver version:       %d.%02d.%02d.%04d\r\n", (int)(in.versionHigh >> 16),
                  (int)(in.versionHigh & 0xFFFF), (int)(in.versionLow >> 16), (int)(in.versionLow & 0xFFFF)));
    Put(r, Printf("Vendor identifier:    %08X\r\n", in.vendor));
    Put(r, Printf("Chipset identifier:   %08X\r\n", in.device));
    Put(r, Printf("Chipset revision:     %08X\r\n", in.revision));
    const char *overlay = in.overlayFormat == 2 ? "RGB 555" : in.overlayFormat == 6 ? "YUY2"
                          : in.overlayFormat == 7 ? "UYVY" : "invalid";
    Put(r, std::string("Overlay pixel format: ") + overlay + "\r\n");
    for (int s = 0; s < 6; s++) {
        Put(r, std::string("\r\n[") + headings[s] + " Test]\r\n");
        if (!in.outcomes[s].executed) {
            Put(r, "Test executed: NO\r\n");
            continue;
        }
        Put(r, "Test executed: YES\r\n");
        Put(r, std::string("Test status:   ") + ResultCodeName(in.outcomes[s].status) + "\r\n");
        if (s == 0)
            for (const ModelFile &file : in.software)
                Put(r, ModelFileLine(file, false));
        if (s == 2) {
            std::string hex = Printf("%X", in.boardWord);
            hex = std::string(hex.size() < 4 ? 4 - hex.size() : 0, '0') + hex;
            Put(r, std::string(in.international ? "International board version" : "NTSC only board version") +
                       " - Hardware ID: 0x" + hex + "\r\n");
        }
        if (s == 3)
            for (const ModelFile &file : in.directDraw)
                Put(r, ModelFileLine(file, true));
    }
    return r;
}

/* ---- Random inputs. ---- */

static DWORD Pick(Random &random, std::initializer_list<DWORD> values)
{
    return values.begin()[random() % values.size()];
}

/* Printable text, now and then with characters of the upper half. */
static std::string RandomText(Random &random, size_t length, const char *avoid = "")
{
    std::string text;
    while (text.size() < length) {
        char c = random() % 12 == 0 ? (char)(0xC0 + random() % 64) : (char)(0x20 + random() % 95);
        if (strchr(avoid, c) == NULL)
            text += c;
    }
    return text;
}

/* Lengths that favour the edges: small, around a limit, or anything. */
static size_t RandomLength(Random &random, size_t limit)
{
    switch (random() % 4) {
    case 0: return random() % 12;
    case 1: return limit - random() % 12;
    case 2: return limit - 20 + random() % 24;
    default: return random() % (limit + 1);
    }
}

static std::string RandomPath(Random &random)
{
    const char *nameAvoid = "\\/:";
    std::string path;
    switch (random() % 7) {
    case 2:   /* one long name, at the root or bare, up to the whole buffer */
        path = (random() % 2 ? "C:\\" : "") + RandomText(random, 240 + random() % 20, nameAvoid);
        if (random() % 2)
            path[200 + random() % 40] = '.';
        break;
    case 0:   /* the engine's text for an unknown location */
        path = RandomText(random, 1 + random() % 40, nameAvoid) + ": Invalid location number in registry!";
        break;
    case 1:   /* a bare name */
        path = RandomText(random, random() % 40, nameAvoid);
        break;
    default: {
        if (random() % 4 != 0)
            path = std::string(1, (char)('A' + random() % 26)) + ":";
        int depth = random() % 5;
        for (int i = 0; i < depth; i++)
            path += (random() % 5 == 0 ? "/" : "\\") + RandomText(random, random() % 30, nameAvoid);
        path += random() % 5 == 0 ? "/" : "\\";
        std::string name = RandomText(random, random() % 3 == 0 ? RandomLength(random, 40) : random() % 16, nameAvoid);
        if (random() % 2)
            name += "." + RandomText(random, random() % 5, nameAvoid);
        path += name;
        if (random() % 8 == 0)   /* a long name filling the path buffer */
            path += RandomText(random, RandomLength(random, 259) , nameAvoid);
    }
    }
    return path.substr(0, 259);
}

static ModelFile RandomFile(Random &random)
{
    ModelFile file;
    file.path = RandomPath(random);
    file.status = random() % 6 == 0 ? (DWORD)random() : Pick(random, { 0, 1, 2, 4, 8, 16, 32, 3, 64 });
    file.ms = random() % 3 == 0 ? (DWORD)random() : (DWORD)(random() % 20) << 16 | (DWORD)(random() % 120);
    file.ls = random() % 3 == 0 ? (DWORD)random() : (DWORD)(random() % 4) << 16 | (DWORD)(random() % 2000);
    return file;
}

static ModelValue RandomValue(Random &random, bool language)
{
    ModelValue value;
    value.present = random() % 6 != 0;
    value.type = random() % 4 == 0 ? REG_BINARY : REG_SZ;
    static const char *codes[] = { "001", "031", "033", "034", "039", "049", "055", "044", "01", "0010", "" };
    if (language && random() % 3 != 0)
        value.bytes = codes[random() % (sizeof(codes) / sizeof(codes[0]))];
    else
        value.bytes = RandomText(random, random() % 2 ? RandomLength(random, 512) : random() % 40);
    if (random() % 6 == 0 && !value.bytes.empty())   /* a NUL inside the value */
        value.bytes[random() % value.bytes.size()] = '\0';
    if (random() % 4 != 0)   /* most values are stored with their NUL */
        value.bytes += '\0';
    else   /* a string without its NUL is the platform's affair: Wine adds one on reading */
        value.type = REG_BINARY;
    return value;
}

static std::string RandomIdentifierString(Random &random)
{
    size_t length = random() % 3 == 0 ? random() % 30 : RandomLength(random, 512);
    return RandomText(random, length > 512 ? 512 : length);
}

static ModelInputs RandomInputs(Random &random)
{
    ModelInputs in;
    in.installVersion = RandomValue(random, false);
    in.language = RandomValue(random, true);
    for (TestOutcome &outcome : in.outcomes) {
        outcome.executed = random() % 4 == 0 ? 0 : Pick(random, { 1, 1, 1, 0x80000000u, 7 });
        outcome.status = random() % 5 == 0 ? (DWORD)random() % 300 : Pick(random, { 0, 1, 3, 10, 11, 12, 13, 40, 50, 130, 131 });
    }
    in.boardWord = random() % 2 ? (DWORD)random() : (DWORD)random() % 0x10000;
    in.international = random() % 3 == 0 ? 0 : Pick(random, { 1, 2, 0x80000000u });
    in.width = random() % 5 == 0 ? (DWORD)random() : (DWORD)random() % 4000;
    in.height = random() % 5 == 0 ? (DWORD)random() : (DWORD)random() % 3000;
    in.colourClass = random() % 8;
    in.driver = RandomIdentifierString(random);
    in.description = RandomIdentifierString(random);
    in.versionHigh = (DWORD)random();
    in.versionLow = (DWORD)random();
    in.vendor = (DWORD)random();
    in.device = (DWORD)random();
    in.revision = (DWORD)random();
    in.overlayFormat = random() % 6 == 0 ? (DWORD)random() : (DWORD)random() % 9;
    size_t files = random() % 30 == 0 ? 100 + random() % 300 : random() % 13;
    for (size_t i = 0; i < files; i++)
        in.software.push_back(RandomFile(random));
    files = random() % 13;
    for (size_t i = 0; i < files; i++)
        in.directDraw.push_back(RandomFile(random));
    return in;
}

/* ---- The product's side. ---- */

static FileCheckRecord *BuildList(const std::vector<ModelFile> &files)
{
    FileCheckRecord *head = NULL, **tail = &head;
    for (const ModelFile &file : files) {
        FileCheckRecord *record = (FileCheckRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*record));
        memcpy(record->path, file.path.c_str(), file.path.size() + 1);
        record->status = file.status;
        record->versionMS = file.ms;
        record->versionLS = file.ls;
        *tail = record;
        tail = &record->next;
    }
    return head;
}

static void FreeList(FileCheckRecord *record)
{
    while (record != NULL) {
        FileCheckRecord *next = record->next;
        HeapFree(GetProcessHeap(), 0, record);
        record = next;
    }
}

static void StoreValue(const char *name, const ModelValue &value)
{
    DeleteHklmValue(Profile.productKey, name);
    if (value.present)
        WriteHklmValue(Profile.productKey, name, value.type, value.bytes.data(), (DWORD)value.bytes.size());
}

static void Apply(const ModelInputs &in)
{
    StoreValue("Install Version", in.installVersion);
    StoreValue("Language", in.language);
    DiagnosticResultsRecord &r = DiagnosticResults;
    ZeroMemory(&r, sizeof(r));
    TestOutcome *outcomes[] = { &r.softwareInstallation, &r.audioDriverAccess, &r.kernelDriverAccess,
                                &r.directDrawInstallation, &r.directDrawPrimary, &r.directDrawOverlay };
    for (int s = 0; s < 6; s++)
        *outcomes[s] = in.outcomes[s];
    r.boardHardwareWord = in.boardWord;
    r.internationalBoard = in.international;
    r.display.width = in.width;
    r.display.height = in.height;
    r.display.colourClass = in.colourClass;
    DDDEVICEIDENTIFIER &id = r.display.deviceIdentifier;
    memcpy(id.szDriver, in.driver.data(), in.driver.size());   /* 512 characters leave no NUL at all */
    memcpy(id.szDescription, in.description.data(), in.description.size());
    id.liDriverVersion.HighPart = (LONG)in.versionHigh;
    id.liDriverVersion.LowPart = in.versionLow;
    id.dwVendorId = in.vendor;
    id.dwDeviceId = in.device;
    id.dwRevision = in.revision;
    r.overlayFormat = in.overlayFormat;
    r.softwareFiles = BuildList(in.software);
    r.directDrawFiles = BuildList(in.directDraw);
}

static std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

/* The first line where the two differ, or -1. */
static int FirstDifference(const std::vector<std::string> &expected, const std::vector<std::string> &actual)
{
    for (size_t i = 0; i < expected.size() || i < actual.size(); i++)
        if (i >= expected.size() || i >= actual.size() || expected[i] != actual[i])
            return (int)i;
    return -1;
}

static std::string Describe(const ModelValue &value)
{
    if (!value.present)
        return "absent";
    return std::string(value.type == REG_SZ ? "REG_SZ" : "REG_BINARY") + " of " + std::to_string(value.bytes.size()) +
           " bytes" + (!value.bytes.empty() && value.bytes.back() == '\0' ? " ending in NUL" : "");
}

class ReportProperty : public ::testing::Test {
protected:
    void SetUp() override { SelectProductProfile("Mirel"); }
    void TearDown() override
    {
        FreeList(DiagnosticResults.softwareFiles);
        FreeList(DiagnosticResults.directDrawFiles);
        ZeroMemory(&DiagnosticResults, sizeof(DiagnosticResults));
        DeleteHklmValue(Profile.productKey, "Install Version");
        DeleteHklmValue(Profile.productKey, "Language");
    }

    /* Composes the case and compares it line by line; false on a difference. */
    bool Check(const ModelInputs &in, int n)
    {
        Apply(in);
        SYSTEMTIME today;
        GetLocalTime(&today);
        if (machineBlock.empty() || today.wDay != machineDay) {
            machineBlock = ModelMachineBlock(today);
            machineDay = today.wDay;
        }
        ComposeTestReport();
        std::string actual(TestReport.text, TestReport.length);
        FreeList(DiagnosticResults.softwareFiles);
        FreeList(DiagnosticResults.directDrawFiles);
        DiagnosticResults.softwareFiles = DiagnosticResults.directDrawFiles = NULL;

        EXPECT_EQ((size_t)lstrlenA(TestReport.text), actual.size()) << "seed " << RandomSeed() << " case " << n;
        std::vector<std::string> expected = Lines(ModelReport(in, machineBlock)), lines = Lines(actual);
        int line = FirstDifference(expected, lines);
        if (line < 0)
            return true;
        ADD_FAILURE() << "seed " << RandomSeed() << " case " << n << ", line " << line << "\n expected: "
                      << (line < (int)expected.size() ? expected[line] : "(no line)")
                      << "\n   actual: " << (line < (int)lines.size() ? lines[line] : "(no line)")
                      << "\n values stored: Install Version " << Describe(in.installVersion) << ", Language "
                      << Describe(in.language);
        return false;
    }

    std::string machineBlock;
    WORD machineDay = 0;
};

TEST_F(ReportProperty, RandomResultsMatchTheLayout)
{
    Random random(RandomSeed());
    int cases = RandomCases(900, 30);   /* about 20 ms a composition under Wine */
    for (int n = 0; n < cases; n++)
        if (!Check(RandomInputs(random), n))
            return;
}

/* Cases that random runs found or that sit right on a limit, kept by hand. */
TEST_F(ReportProperty, LimitsOfTheLineAndValueBuffers)
{
    Random random(1);
    ModelInputs in = RandomInputs(random);
    in.software.clear();
    in.directDraw.clear();
    for (TestOutcome &outcome : in.outcomes)
        outcome = { 1, 12 };
    /* Install Version lines of 510, 511 and 512 characters: the last is cut. */
    for (size_t length : { 491, 492, 493, 511 }) {
        in.installVersion = { true, std::string(length, 'v') + '\0', REG_SZ };
        ASSERT_TRUE(Check(in, (int)length));
    }
    /* A value of 512 bytes without NUL is read (its last byte dropped); 513 is not. */
    in.installVersion = { true, std::string(512, 'w'), REG_BINARY };
    in.language = { true, std::string("049\0", 4) + std::string(508, 'x'), REG_BINARY };
    ASSERT_TRUE(Check(in, 512));
    in.installVersion = { true, std::string(513, 'w'), REG_BINARY };
    in.language = { true, std::string(512, '0') + '\0', REG_SZ };
    ASSERT_TRUE(Check(in, 513));
    /* A 259-character path of one long name, in both list formats. */
    in.software = { { "C:\\" + std::string(240, 'n') + "." + std::string(15, 'e'), 8, 0x00010002, 0xFFFFFFFF } };
    in.directDraw = { { std::string(259, 'd'), 32, 0xFFFFFFFF, 0xFFFFFFFF } };
    ASSERT_TRUE(Check(in, 259));
    /* Driver strings of 487 (fits), 488 (cut) and 512 (no NUL) characters. */
    for (size_t length : { 487, 488, 489, 512 }) {
        in.driver = std::string(length, 'D');
        in.description = std::string(512 - length, 'E');
        ASSERT_TRUE(Check(in, (int)length));
    }
}
