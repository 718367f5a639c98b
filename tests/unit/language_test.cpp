/* The language library: its file name, the language code and the text operations. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "language.h"
#include "product_profile.h"
#include "registry_scratch.h"
#include "test_paths.h"

static const char *mirelKey = "Software\\Tavolink Systems\\MirelMJPG";

class LanguageCodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectProductProfile("Mirel");
        DeleteHklmValue(mirelKey, "Language");
    }
    void TearDown() override { DeleteHklmValue(mirelKey, "Language"); }

    std::string CodeAfterWriting(DWORD type, const void *data, DWORD size)
    {
        EXPECT_TRUE(WriteHklmValue(mirelKey, "Language", type, data, size));
        ReadLanguageCode();
        return languageCode;
    }
};

TEST_F(LanguageCodeTest, MissingValueFallsBackToEnglish)
{
    EXPECT_EQ(0, ReadLanguageCode());
    EXPECT_STREQ("001", languageCode);
}

TEST_F(LanguageCodeTest, ThreeCharacterValueIsTakenWhateverItsType)
{
    EXPECT_EQ("003", CodeAfterWriting(REG_SZ, "003", 4));
    EXPECT_EQ("049", CodeAfterWriting(REG_BINARY, "049", 4));
    EXPECT_EQ("031", CodeAfterWriting(REG_EXPAND_SZ, "031", 4));
}

TEST_F(LanguageCodeTest, ValuesLongerThanThreeCharactersDoNotFit)
{
    EXPECT_EQ("001", CodeAfterWriting(REG_SZ, "0031", 5));
    EXPECT_EQ("001", CodeAfterWriting(REG_BINARY, "0031", 4));   /* four bytes, no NUL */
    std::string longValue(300, '7');
    EXPECT_EQ("001", CodeAfterWriting(REG_SZ, longValue.c_str(), (DWORD)longValue.size() + 1));
    std::string huge(70000, 'x');
    EXPECT_EQ("001", CodeAfterWriting(REG_BINARY, huge.data(), (DWORD)huge.size()));
}

TEST_F(LanguageCodeTest, CodeNamesTheLibraryInTheProgramDirectory)
{
    CodeAfterWriting(REG_SZ, "003", 4);
    char path[MAX_PATH];
    ASSERT_EQ(1, BuildLanguageLibraryPath(path, sizeof(path)));
    EXPECT_EQ(TestProgramDirectory() + "MirelQuor003.DLL", path);

    SelectProductProfile("orsa");
    DeleteHklmValue(mirelKey, "Language");
    ReadLanguageCode();
    ASSERT_EQ(1, BuildLanguageLibraryPath(path, sizeof(path)));
    EXPECT_EQ(TestProgramDirectory() + "OrsaQuor001.DLL", path);
}

TEST(LanguageLibraryPath, TooSmallBufferIsRefusedNotOverrun)
{
    SelectProductProfile("Mirel");
    char buffer[40];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, BuildLanguageLibraryPath(buffer, 20));
    EXPECT_LT(strlen(buffer), 20u);
    EXPECT_EQ('#', buffer[20]);
}

TEST(LanguageLibrary, LoadsFromTheProgramDirectory)
{
    SelectProductProfile("");
    DeleteHklmValue(mirelKey, "Language");
    ASSERT_EQ(1, LoadLanguageLibrary());
    char loaded[MAX_PATH];
    GetModuleFileNameA(LanguageLibrary, loaded, sizeof(loaded));
    EXPECT_EQ(0, lstrcmpiA((TestProgramDirectory() + "MirelQuor001.DLL").c_str(), loaded));
}

/* Texts from a fixture library whose string table is laid out for these cases. */
class TextOperationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = LanguageLibrary;
        LanguageLibrary = LoadLibraryA((TestProgramDirectory() + "text_fixture.dll").c_str());
        ASSERT_NE(nullptr, LanguageLibrary);
    }
    void TearDown() override
    {
        FreeLibrary(LanguageLibrary);
        LanguageLibrary = previous;
    }
    HMODULE previous;
};

TEST_F(TextOperationsTest, MissingIdsGiveEmptyTexts)
{
    EXPECT_STREQ("", LoadText(101));
    EXPECT_STREQ("", LoadLongText(101));
    EXPECT_STREQ("", LoadText(65000));
}

TEST_F(TextOperationsTest, LongTextStopsAtTheFirstMissingId)
{
    EXPECT_STREQ("only piece", LoadLongText(100));
    EXPECT_STREQ("only piece", LoadText(100));
}

TEST_F(TextOperationsTest, LongTextJoinsAtMostOneHundredPieces)
{
    std::string expected;
    char piece[16];
    for (int n = 0; n < 100; n++) {
        wsprintfA(piece, "piece-%03d|", n);
        expected += piece;
    }
    EXPECT_EQ(expected, LoadLongText(200));
    for (int n = 100; n < 105; n++) {
        wsprintfA(piece, "piece-%03d|", n);
        expected += piece;
    }
    EXPECT_EQ(expected.substr(50), LoadLongText(205));   /* pieces 5 to 104 */
}

TEST_F(TextOperationsTest, PieceOfFullLengthIsKeptWhole)
{
    std::string text = LoadLongText(500);
    EXPECT_EQ(255u, text.size());
    EXPECT_EQ('U', text[254]);
}

TEST_F(TextOperationsTest, LongerRunIsCutAtTheBufferEnd)
{
    std::string text = LoadLongText(400);
    EXPECT_EQ((size_t)LONG_TEXT_SIZE - 1, text.size());
    EXPECT_EQ(std::string(254, 'a') + "#", text.substr(0, 255));
    /* The cut lands inside the seventeenth piece; nothing after it is dropped in between. */
    EXPECT_EQ(std::string(254, 'p') + "#", text.substr(15 * 255, 255));
    EXPECT_EQ('q', text[LONG_TEXT_SIZE - 2]);
}

TEST_F(TextOperationsTest, SingleTextIsCutAtItsBuffer)
{
    std::string text = LoadText(600);
    EXPECT_EQ((size_t)LOAD_TEXT_SIZE - 1, text.size());
    EXPECT_EQ("0123456789", text.substr(0, 10));
}

TEST_F(TextOperationsTest, ResultTextKeepsItsCopyWhenOtherTextsAreLoaded)
{
    SetResultText(100);
    LoadLongText(200);
    LoadText(500);
    EXPECT_STREQ("only piece", ResultText);
    SetResultText(101);
    EXPECT_STREQ("", ResultText);
}

/* Every text the program asks for is present in every family's library. */
static const UINT singleTextIds[] = { 1, 2, 4, 5, 6, 1000, 1001, 3000, 3001, 3010, 3011, 3002, 3003, 3004 };
static const UINT longTextIds[] = {
    10000, 11000, 22000, 21000, 12000, 13000, 14000,
    5000, 5100, 11100, 11200, 11300, 11400, 11500, 12100, 12200, 12300, 12400,
    22100, 22200, 21100, 21200, 21300, 21400,
    13100, 13200, 13300, 13400, 13500, 13600, 13700, 13800, 14100, 14200, 15000,
};

static const char *families[][2] = { { "Kiron", "Kiron" }, { "Orsa", "Cinora Orsa Duo" },
                                     { "Vela", "Vela Prime" }, { "Mirel", "Cinora Mirel Nova" } };
static const char *languageCodes[] = { "001", "049" };
static const UINT buttonCaptionIds[] = { 1, 2, 4, 5 };

TEST(LanguageLibraries, EveryFamilyHasEveryText)
{
    HMODULE previous = LanguageLibrary;
    for (const char *code : languageCodes) {
        for (auto &family : families) {
            std::string file = TestProgramDirectory() + family[0] + "Quor" + code + ".DLL";
            SCOPED_TRACE(file);
            LanguageLibrary = LoadLibraryA(file.c_str());
            ASSERT_NE(nullptr, LanguageLibrary);
            for (UINT id : singleTextIds) {
                std::string text = LoadText(id);
                EXPECT_FALSE(text.empty()) << "string " << id;
                EXPECT_LE(text.size(), 255u) << "string " << id << " must be one piece";
            }
            for (UINT id : longTextIds)
                EXPECT_GT(strlen(LoadLongText(id)), 20u) << "string " << id;
            EXPECT_NE(nullptr, strstr(LoadLongText(10000), family[1])) << "welcome text names the board";
            FreeLibrary(LanguageLibrary);
        }
    }
    LanguageLibrary = previous;
}

/* The German libraries carry their own button captions, stored in Windows-1252. */
TEST(LanguageLibraries, GermanCaptionsAreGerman)
{
    HMODULE previous = LanguageLibrary;
    for (auto &family : families) {
        std::string english = TestProgramDirectory() + family[0] + "Quor001.DLL";
        std::string german = TestProgramDirectory() + family[0] + "Quor049.DLL";
        SCOPED_TRACE(german);
        HMODULE englishLibrary = LoadLibraryA(english.c_str());
        HMODULE germanLibrary = LoadLibraryA(german.c_str());
        ASSERT_NE(nullptr, englishLibrary);
        ASSERT_NE(nullptr, germanLibrary);
        for (UINT id : buttonCaptionIds) {
            LanguageLibrary = englishLibrary;
            std::string englishCaption = LoadText(id);
            LanguageLibrary = germanLibrary;
            std::string germanCaption = LoadText(id);
            EXPECT_FALSE(germanCaption.empty()) << "caption " << id;
            EXPECT_NE(englishCaption, germanCaption) << "caption " << id;
        }
        LanguageLibrary = germanLibrary;
        EXPECT_NE(nullptr, strstr(LoadText(1), "Zur\xFC" "ck")) << LoadText(1);
        FreeLibrary(germanLibrary);
        FreeLibrary(englishLibrary);
    }
    LanguageLibrary = previous;
}
