/* Language libraries without texts: one that has no string table at all,
   one whose strings are all empty. Every string ID the program could ask
   for yields an empty text from each text operation, and the shared
   buffers stay terminated. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "language.h"
#include "test_paths.h"

class EmptyLanguageLibrary : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        previous = LanguageLibrary;
        LanguageLibrary = LoadLibraryA((TestProgramDirectory() + "reliability\\" + GetParam()).c_str());
        ASSERT_NE(nullptr, LanguageLibrary);
    }
    void TearDown() override
    {
        FreeLibrary(LanguageLibrary);
        LanguageLibrary = previous;
    }
    HMODULE previous;
};

TEST_P(EmptyLanguageLibrary, EveryStringIdGivesEmptyTexts)
{
    /* Start from full buffers, so an operation that leaves one alone shows. */
    memset(ResultText, 'R', sizeof(ResultText) - 1);
    ResultText[sizeof(ResultText) - 1] = '\0';
    int ids = 0;
    for (UINT id = 0; id <= 0xFFFF; id++) {
        const char *text = LoadText(id);
        ASSERT_STREQ("", text) << "string " << id;
        if (id % 7 == 0 || (id >= 1 && id <= 6) || id >= 0xFF9C) {
            ASSERT_STREQ("", LoadLongText(id)) << "long text " << id;
            SetResultText(id);
            ASSERT_STREQ("", ResultText) << "result text " << id;
            memset(ResultText, 'R', 16);
        }
        ids++;
    }
    RecordProperty("string_ids", ids);
}

INSTANTIATE_TEST_SUITE_P(Libraries, EmptyLanguageLibrary, ::testing::Values("no_strings.dll", "empty_strings.dll"));
