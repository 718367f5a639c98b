/* Platform classification and the choice of board family. */
#include <gtest/gtest.h>
#include <windows.h>

#include "platform.h"
#include "product_profile.h"

TEST(ClassifyPlatform, WindowsFamilyByVersion)
{
    EXPECT_EQ(PLATFORM_WIN95, ClassifyVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 0));
    EXPECT_EQ(PLATFORM_WIN98, ClassifyVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10));   /* 98 */
    EXPECT_EQ(PLATFORM_WIN98, ClassifyVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 90));   /* ME */
    EXPECT_EQ(PLATFORM_WIN98, ClassifyVersion(VER_PLATFORM_WIN32_WINDOWS, 5, 0));
    EXPECT_EQ(PLATFORM_WIN95, ClassifyVersion(VER_PLATFORM_WIN32_WINDOWS, 3, 95));
}

TEST(ClassifyPlatform, NtFamilyByMajorVersion)
{
    EXPECT_EQ(PLATFORM_NT3, ClassifyVersion(VER_PLATFORM_WIN32_NT, 3, 51));
    EXPECT_EQ(PLATFORM_NT4, ClassifyVersion(VER_PLATFORM_WIN32_NT, 4, 0));
    EXPECT_EQ(PLATFORM_NT5, ClassifyVersion(VER_PLATFORM_WIN32_NT, 5, 0));
    EXPECT_EQ(PLATFORM_NT5, ClassifyVersion(VER_PLATFORM_WIN32_NT, 5, 1));
    EXPECT_EQ(PLATFORM_NT6, ClassifyVersion(VER_PLATFORM_WIN32_NT, 6, 2));
    EXPECT_EQ(PLATFORM_NT6, ClassifyVersion(VER_PLATFORM_WIN32_NT, 10, 0));
}

TEST(ClassifyPlatform, UnknownPlatformIdCountsAsWindows95)
{
    EXPECT_EQ(PLATFORM_WIN95, ClassifyVersion(VER_PLATFORM_WIN32s, 3, 10));
    EXPECT_EQ(PLATFORM_WIN95, ClassifyVersion(7, 6, 0));
}

TEST(ClassifyPlatform, OnlyWin98AndNt5AndNt6AreSupported)
{
    const DWORD refused[] = { PLATFORM_WIN95, PLATFORM_NT3, PLATFORM_NT4, 0, 0x70000 };
    for (DWORD platform : refused)
        EXPECT_FALSE(IsSupportedPlatform(platform)) << std::hex << platform;
    EXPECT_TRUE(IsSupportedPlatform(PLATFORM_WIN98));
    EXPECT_TRUE(IsSupportedPlatform(PLATFORM_NT5));
    EXPECT_TRUE(IsSupportedPlatform(PLATFORM_NT6));
}

TEST(ClassifyPlatform, RunningSystemIsClassifiedFromItsReportedVersion)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(ClassifyVersion(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion),
              ClassifyPlatform());
    EXPECT_EQ(0u, ClassifyPlatform() & 0xFFFF);
}

struct ExpectedProfile {
    const char *commandTail;
    int recognised;
    const char *displayName;
    const char *profileKey;
    const char *productKey;
    const char *fileCheckKey;
    const char *bitmapLibrary;
    DWORD boardClass;
};

static const ExpectedProfile kiron = { "Kiron", 1, "Kiron", "Kiron", "Software\\Tavolink Systems\\Kiron",
    "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Kiron\\Drivers", "KironBitmap.dll", 0 };
static const ExpectedProfile orsa = { "ORSA", 1, "Cinora Orsa Duo", "Orsa", "Software\\Tavolink Systems\\ORSA",
    "Software\\Tavolink Systems\\Quorvex\\FileCheck\\ORSA\\Drivers", "OrsaBitmap.dll", 0 };
static const ExpectedProfile vela = { "VELA", 1, "Vela Prime", "Vela", "Software\\Tavolink Systems\\Vela",
    "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Vela\\Drivers", "VelaBitmap.dll", 0 };
static const ExpectedProfile mirel = { "Mirel", 1, "Cinora Mirel Nova", "Mirel",
    "Software\\Tavolink Systems\\MirelMJPG",
    "Software\\Tavolink Systems\\Quorvex\\FileCheck\\MirelMJPG\\Drivers", "MirelBitmap.dll", 2 };

static void ExpectProfile(const ExpectedProfile &expected, const char *tail, int recognised)
{
    SCOPED_TRACE(tail);
    EXPECT_EQ(recognised, SelectProductProfile(tail));
    EXPECT_STREQ(expected.displayName, Profile.displayName);
    EXPECT_STREQ(expected.profileKey, Profile.profileKey);
    EXPECT_STREQ(expected.productKey, Profile.productKey);
    EXPECT_STREQ(expected.fileCheckKey, Profile.fileCheckKey);
    EXPECT_STREQ(expected.bitmapLibrary, Profile.bitmapLibrary);
    EXPECT_EQ(expected.boardClass, Profile.boardClass);
}

TEST(SelectProductProfile, EachHardwareIdInAnyCase)
{
    ExpectProfile(kiron, "Kiron", 1);
    ExpectProfile(kiron, "KIRON", 1);
    ExpectProfile(orsa, "orsa", 1);
    ExpectProfile(vela, "vela", 1);
    ExpectProfile(vela, "VeLa", 1);
    ExpectProfile(mirel, "MIREL", 1);
}

TEST(SelectProductProfile, UnknownOrPaddedIdsFallBackToMirel)
{
    ExpectProfile(mirel, "VELA ", 0);      /* the tail is compared whole, blanks included */
    ExpectProfile(mirel, " Kiron", 0);
    ExpectProfile(mirel, "Kiro", 0);
    ExpectProfile(mirel, "KironX", 0);
    ExpectProfile(mirel, "", 0);
    ExpectProfile(mirel, NULL, 0);
}

TEST(SelectProductProfile, LaterSelectionReplacesEveryField)
{
    ExpectProfile(vela, "VELA", 1);
    ExpectProfile(mirel, "unknown board", 0);
    EXPECT_EQ(2u, Profile.boardClass);
}
