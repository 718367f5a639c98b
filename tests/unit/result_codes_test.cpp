/* Printable names of the result codes. */
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "result_codes.h"

TEST(ResultCodeName, GeneralAndFileCodes)
{
    EXPECT_STREQ("OK", ResultCodeName(0));
    EXPECT_STREQ("OUT OF MEMORY", ResultCodeName(1));
    EXPECT_STREQ("INVALID PARAMETER", ResultCodeName(2));
    EXPECT_STREQ("REGISTRY ACCESS FAILED", ResultCodeName(3));
    EXPECT_STREQ("FILE NOT FOUND", ResultCodeName(10));
    EXPECT_STREQ("FILE VERSIONINFO FAILED", ResultCodeName(11));
    EXPECT_STREQ("FILE OUT OF DATE", ResultCodeName(12));
    EXPECT_STREQ("FILE UPDATED", ResultCodeName(13));
}

TEST(ResultCodeName, DisplayCodes)
{
    EXPECT_STREQ("DDRAW CREATE FAILED", ResultCodeName(20));
    EXPECT_STREQ("DDRAW PRIMARY PIXELFORMAT_INVALID", ResultCodeName(24));
    EXPECT_STREQ("DDRAW FUNCTION CALL FAILED", ResultCodeName(26));
    EXPECT_STREQ("DDRAW NO OVERLAY SUPPORT", ResultCodeName(40));
    EXPECT_STREQ("DDRAW OVERLAY WRONG RESOLUTION", ResultCodeName(46));
    EXPECT_STREQ("TESTPICTURE NOT VISIBLE", ResultCodeName(50));
    EXPECT_STREQ("OVERLAY NOT VISIBLE", ResultCodeName(51));
    EXPECT_STREQ("DDRAW OVERLAY DISPLAY FAILED", ResultCodeName(52));
}

TEST(ResultCodeName, CodesNoCheckProducesStillHaveNames)
{
    EXPECT_STREQ("VFW LIVEVIDEO FAILED", ResultCodeName(60));
    EXPECT_STREQ("USB DEVICE CAUSED OVERCURRENT", ResultCodeName(86));
    EXPECT_STREQ("SATELLITE CONNECTION FAILED", ResultCodeName(100));
    EXPECT_STREQ("INTERVIDEO NOT INSTALLED", ResultCodeName(120));
}

TEST(ResultCodeName, AudioAndDriverNamesKeepTheirMixedCase)
{
    EXPECT_STREQ("Audio mixer failed", ResultCodeName(130));
    EXPECT_STREQ("Kernelmode driver open failed", ResultCodeName(131));
}

TEST(ResultCodeName, GapsAndLargeValuesAreUnknown)
{
    for (ResultCode code : { 4u, 9u, 14u, 25u, 27u, 39u, 47u, 53u, 87u, 101u, 129u, 132u, 1000u, 0x7FFFFFFFu,
                             0xFFFFFFFFu })
        EXPECT_STREQ("Unknown Error Code", ResultCodeName(code)) << code;
}

TEST(ResultCodeName, ExactlyThirtyNineCodesAreNamedEachOnce)
{
    std::set<std::string> names;
    int named = 0;
    for (ResultCode code = 0; code < 2000; code++) {
        std::string name = ResultCodeName(code);
        if (name != "Unknown Error Code") {
            named++;
            names.insert(name);
        }
    }
    EXPECT_EQ(39, named);
    EXPECT_EQ(39u, names.size());
}
