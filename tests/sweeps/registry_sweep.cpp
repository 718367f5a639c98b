/* Registry values of every size (from nothing to past each buffer) and type,
   with and without a final NUL, at every place the program reads one: it
   shows exactly the value's text, or its fallback when the value does not
   fit, and never writes past a buffer. */
#include "sweep.h"

#define SCRATCH "Software\\Tavolink Systems\\Quorvex\\Sweep"
#define WINDOWS_KEY "Software\\Microsoft\\Windows\\CurrentVersion"

TEST(RegistrySweep, ReadersFillTheCallersBufferOnlyWhenTheValueFits)
{
    for (size_t room : { 1, 4, 16, 260, 512 })
        SweepValues({ 0, 1, room - 1, room, room + 1, room + 40 }, "", [&](DWORD type, std::vector<BYTE> bytes) {
            std::vector<BYTE> stored = PutValue(SCRATCH, "Value", type, bytes);
            for (int probe = 0; probe < 2; probe++) {
                Guarded buffer(room);
                LastResult = 77;
                int read = probe       ? ProbeRegistryValue(SCRATCH, "Value", buffer.data(), (DWORD)room)
                           : room == 1 ? ReadRegistryByte(SCRATCH, "Value", buffer.data())
                           : room == 4 ? ReadRegistryDword(SCRATCH, "Value", buffer.data())
                                       : ReadRegistryValue(SCRATCH, "Value", buffer.data(), (DWORD)room);
                EXPECT_TRUE(buffer.Intact() && read == (stored.size() <= room)) << room;
                EXPECT_EQ(read || probe ? 77u : 3u, LastResult) << room;
                EXPECT_TRUE(!read || std::equal(stored.begin(), stored.end(), buffer.data())) << room;
                for (size_t i = stored.size() + 2; read && i < room; i++)   /* a string may gain NULs */
                    ASSERT_EQ(0x5A, buffer.data()[i]) << room << ": byte " << i << " past the value";
            }
        });
    DeleteHklmTree(SCRATCH);
}

/* "Main path" and "ProgramFilesDir", each value coming after a long one,
   so that a short value would show whatever it picked up from that. */
TEST(RegistrySweep, InstallLocationsAreTheValuesTextOrEmpty)
{
    SelectProductProfile("Mirel");
    const char *keys[][2] = { { Profile.productKey, "Main path" }, { WINDOWS_KEY, "ProgramFilesDir" } };
    for (int v = 0; v < 2; v++) {
        WriteHklmString(keys[!v][0], keys[!v][1], "C:\\Other");
        SweepValues({ 0, 1, 238, 239, 240, 259, 260, 261, 600 }, "D:\\P\\", [&](DWORD type, std::vector<BYTE> bytes) {
            WriteHklmString(keys[v][0], keys[v][1], std::string(258, 'L').c_str());
            InitInstallLocations();
            std::vector<BYTE> stored = PutValue(keys[v][0], keys[v][1], type, bytes);
            bool none = stored.size() > MAX_PATH;
            EXPECT_EQ(!none || v == 0, InitInstallLocations());
            std::string text = none ? "" : TextOf(stored, MAX_PATH);
            std::string shared = (v ? text : "C:\\Other") + "\\Tavolink\\Shared Files";
            EXPECT_EQ(v ? "C:\\Other" : text, std::string(LocationDirectory(5)));
            const char *tails[] = { "", "\\Filter", "\\Bin" };   /* codes 6, 7, 8: whole when they fit, else cut or empty */
            for (int i = 0; i < 3; i++) {
                std::string whole = none && v ? "" : shared + tails[i], field = LocationDirectory(6 + i);
                EXPECT_TRUE(whole.size() < MAX_PATH ? field == whole
                                                    : field.size() < MAX_PATH && !whole.compare(0, field.size(), field)) << field;
            }
        });
    }
    WriteHklmString(WINDOWS_KEY, "ProgramFilesDir", "C:\\Program Files");   /* as the prefix had it */
    DeleteHklmValue(Profile.productKey, "Main path");
    InitInstallLocations();
}

/* "Language" as the language code (three characters fit, more fall back to
   001) and in the report, and "Install Version" in the report. */
static std::string ReportLine(const char *label)
{
    ComposeTestReport();
    std::string report(TestReport.text, TestReport.length);
    size_t start = report.find(label);
    return start == std::string::npos ? "(none)" : report.substr(start, report.find("\r\n", start) - start);
}

TEST(RegistrySweep, LanguageAndInstallVersionAreTheValuesOrTheirFallbacks)
{
    SelectProductProfile("Mirel");
    SweepValues({ 0, 1, 2, 3, 4, 5, 490, 491, 511, 512, 513 }, "049", [](DWORD type, std::vector<BYTE> bytes) {
        std::vector<BYTE> stored = PutValue(Profile.productKey, "Language", type, bytes);
        lstrcpyA(languageCode, "zz");
        ReadLanguageCode();
        bool fits = stored.size() < 4 || (stored.size() == 4 && stored[3] == 0);
        EXPECT_EQ(fits ? TextOf(stored, 4) : "001", std::string(languageCode));
        EXPECT_EQ(std::string("Language:        ") + (stored.size() > 512             ? "no language information found"
                                                      : TextOf(stored, 512) == "049" ? "049 / German"
                                                                                      : "unknown language identifier found"),
                  ReportLine("Language:        "));
        PutValue(Profile.productKey, "Install Version", type, bytes);
        std::string line = "Install Version: " + (stored.empty() || stored.size() > 512
                                                      ? "no version information found" : TextOf(stored, 512));
        EXPECT_EQ(line.size() > 509 ? line.substr(0, 506) + "..." : line, ReportLine("Install Version: "));
    });
    DeleteHklmValue(Profile.productKey, "Install Version");
    DeleteHklmValue(Profile.productKey, "Language");
}

/* The values of the middle entry of three, each in turn at every size. A
   required value too large stops the run with 3, keeping the entry before
   it; a shorter one counts for what it holds (the rest zero), never for the
   entry before's value; a "Guid" too large counts as absent. */
TEST(RegistrySweep, FileCheckEntryValuesOfEverySize)
{
    const struct { const char *name; size_t width; const void *value; DWORD whole, partial; } values[] = {
        { "MajorVersion", 4, "\x02\x00\x04\x00", 0, 16 },   /* 4.2: else listed older, not released */
        { "MinorVersion", 4, "\xD2\x04\x03\x00", 0, 16 },   /* 3.1234 */
        { "Location", 1, "\x05", 0, 1 },                    /* else SYSTEM: missing */
        { "UpdateAllowed", 1, "\x01", 0, 0 },
        { "Guid", 16, "\x3A\x2C\x1F\x6B\x4E\x0D\x5A\x4F\x9B\x8C\x7D\x6E\x5F\x4A\x3B\x22", 32, 32 },   /* no class of ours */
    };
    SelectProductProfile("Mirel");
    WriteHklmString(Profile.productKey, "Main path", FixturePath("").c_str());
    InitInstallLocations();
    FileCheckRecord *list = NULL;
    WriteFileCheckEntry(SCRATCH, "a_missing.dll", 0x00040002, 0x000304D2, 5, 1);
    WriteFileCheckEntry(SCRATCH, "v5_1_0_7.dll", 0x00050001, 0x00000007, 5, 0);
    for (const auto &value : values)
        for (size_t size : { (size_t)0, value.width / 2, value.width - 1, value.width, value.width + 1, (size_t)40 }) {
            SCOPED_TRACE(std::string(value.name) + " of " + std::to_string(size) + " bytes");
            DeleteHklmTree(SCRATCH "\\v4_2_3_1234.dll");
            WriteFileCheckEntry(SCRATCH, "v4_2_3_1234.dll", 0x00040002, 0x000304D2, 5, 0);
            std::vector<BYTE> bytes((const BYTE *)value.value, (const BYTE *)value.value + value.width);
            bytes.resize(size, 'x');
            WriteHklmValue(SCRATCH "\\v4_2_3_1234.dll", value.name, REG_BINARY, bytes.data(), (DWORD)size);
            bool tooLarge = size > value.width, stops = tooLarge && value.width < 16;
            bytes.resize(value.width, 0);
            DWORD middle = tooLarge ? 0 : memcmp(bytes.data(), value.value, value.width) ? value.partial : value.whole;
            LastResult = 0;
            EXPECT_EQ(0, CheckFileList(&list, SCRATCH));
            EXPECT_EQ(stops ? 3u : middle == 16 ? 13u : middle == 32 ? 11u : 10u, LastResult);
            std::vector<DWORD> statuses;
            for (FileCheckRecord *r = list; r != NULL; r = r->next)
                statuses.push_back(r->status);
            EXPECT_EQ(stops ? std::vector<DWORD>(1, 1) : std::vector<DWORD>({ 1, middle, 0 }), statuses);
        }
    FreeFileCheckList(&list);
    DeleteHklmTree(SCRATCH);
    DeleteHklmValue(Profile.productKey, "Main path");
}
