/* The eight install directories and the registry readers. */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "install_locations.h"
#include "product_profile.h"
#include "registry_read.h"
#include "registry_scratch.h"
#include "result_codes.h"

static const char *versionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
static const char *scratchKey = "Software\\Tavolink Systems\\QuorvexTests";

class InstallLocationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectProductProfile("Vela");
        DWORD size = sizeof(savedProgramFiles);
        hadProgramFiles = ProbeRegistryValue(versionKey, "ProgramFilesDir", savedProgramFiles, size);
        DeleteHklmValue(Profile.productKey, "Main path");
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof(windows));
        windowsDir = windows;
    }
    void TearDown() override
    {
        if (hadProgramFiles)
            WriteHklmString(versionKey, "ProgramFilesDir", savedProgramFiles);
        DeleteHklmValue(Profile.productKey, "Main path");
    }
    std::string Dir(DWORD code) { return LocationDirectory(code) ? LocationDirectory(code) : "(none)"; }

    char savedProgramFiles[MAX_PATH];
    bool hadProgramFiles;
    std::string windowsDir;
};

TEST_F(InstallLocationsTest, EightDirectoriesFromWindowsAndProgramFiles)
{
    ASSERT_TRUE(WriteHklmString(versionKey, "ProgramFilesDir", "C:\\Program Files"));
    ASSERT_TRUE(WriteHklmString(Profile.productKey, "Main path", "D:\\Vela Prime"));
    EXPECT_EQ(1, InitInstallLocations());
    EXPECT_EQ(windowsDir + "\\SYSTEM", Dir(0));
    EXPECT_EQ(windowsDir + "\\SYSTEM32", Dir(1));
    EXPECT_EQ(windowsDir + "\\SYSTEM32\\DRIVERS", Dir(2));
    EXPECT_EQ(windowsDir, Dir(3));
    EXPECT_EQ("D:\\Vela Prime", Dir(5));
    EXPECT_EQ("C:\\Program Files\\Tavolink\\Shared Files", Dir(6));
    EXPECT_EQ("C:\\Program Files\\Tavolink\\Shared Files\\Filter", Dir(7));
    EXPECT_EQ("C:\\Program Files\\Tavolink\\Shared Files\\Bin", Dir(8));
}

TEST_F(InstallLocationsTest, InvalidCodesResolveToNothing)
{
    InitInstallLocations();
    for (DWORD code : { 4u, 9u, 10u, 255u, 256u })
        EXPECT_EQ(nullptr, LocationDirectory(code)) << code;
}

TEST_F(InstallLocationsTest, MissingValuesLeaveTheirDirectoriesEmpty)
{
    DeleteHklmValue(versionKey, "ProgramFilesDir");
    LastResult = 0;
    EXPECT_EQ(0, InitInstallLocations());
    EXPECT_EQ(RESULT_REGISTRY_ACCESS_FAILED, LastResult);
    EXPECT_EQ("", Dir(5));
    EXPECT_EQ("", Dir(6));
    EXPECT_EQ("", Dir(7));
    EXPECT_EQ("", Dir(8));
    EXPECT_EQ(windowsDir, Dir(3));
}

TEST_F(InstallLocationsTest, TrailingBackslashIsKeptAsItIs)
{
    ASSERT_TRUE(WriteHklmString(versionKey, "ProgramFilesDir", "E:\\Apps\\"));
    ASSERT_TRUE(WriteHklmString(Profile.productKey, "Main path", ""));
    InitInstallLocations();
    EXPECT_EQ("E:\\Apps\\\\Tavolink\\Shared Files", Dir(6));
    EXPECT_EQ("E:\\Apps\\\\Tavolink\\Shared Files\\Bin", Dir(8));
    EXPECT_EQ("", Dir(5));
}

TEST_F(InstallLocationsTest, OverlongValuesAreCutNeverOverrun)
{
    std::string longPath = "C:\\" + std::string(250, 'q');
    ASSERT_TRUE(WriteHklmString(versionKey, "ProgramFilesDir", longPath.c_str()));
    InitInstallLocations();
    EXPECT_LT(Dir(6).size(), (size_t)MAX_PATH);
    EXPECT_EQ(0u, Dir(6).find(longPath));
    EXPECT_LT(Dir(7).size(), (size_t)MAX_PATH);
    std::string tooLong(300, 'x');
    ASSERT_TRUE(WriteHklmString(Profile.productKey, "Main path", tooLong.c_str()));
    InitInstallLocations();
    EXPECT_EQ("", Dir(5)) << "a value larger than the buffer cannot be read";
}

class RegistryReadTest : public ::testing::Test {
protected:
    void TearDown() override { DeleteHklmTree(scratchKey); }
};

TEST_F(RegistryReadTest, ValueLargerThanTheBufferFails)
{
    DWORD four = 0x01020304;
    ASSERT_TRUE(WriteHklmValue(scratchKey, "Four", REG_BINARY, &four, 4));
    BYTE byte = 0xEE;
    LastResult = 0;
    EXPECT_EQ(0, ReadRegistryByte(scratchKey, "Four", &byte));
    EXPECT_EQ(RESULT_REGISTRY_ACCESS_FAILED, LastResult);

    BYTE one = 5;
    ASSERT_TRUE(WriteHklmValue(scratchKey, "One", REG_BINARY, &one, 1));
    LastResult = 0;
    EXPECT_EQ(1, ReadRegistryByte(scratchKey, "One", &byte));
    EXPECT_EQ(5, byte);
    EXPECT_EQ(0u, LastResult);
}

TEST_F(RegistryReadTest, DwordAndFourByteBinaryReadTheSame)
{
    DWORD value = 0x00050001;
    ASSERT_TRUE(WriteHklmValue(scratchKey, "AsDword", REG_DWORD, &value, 4));
    ASSERT_TRUE(WriteHklmValue(scratchKey, "AsBinary", REG_BINARY, &value, 4));
    DWORD a = 0, b = 0;
    EXPECT_EQ(1, ReadRegistryDword(scratchKey, "AsDword", &a));
    EXPECT_EQ(1, ReadRegistryDword(scratchKey, "AsBinary", &b));
    EXPECT_EQ(value, a);
    EXPECT_EQ(a, b);
}

TEST_F(RegistryReadTest, ShorterValueLeavesTheRestOfTheBuffer)
{
    WORD two = 0xABCD;
    ASSERT_TRUE(WriteHklmValue(scratchKey, "Two", REG_BINARY, &two, 2));
    DWORD buffer = 0x11111111;
    EXPECT_EQ(1, ReadRegistryDword(scratchKey, "Two", &buffer));
    EXPECT_EQ(0x1111ABCDu, buffer);
}

TEST_F(RegistryReadTest, ProbeLeavesLastResultAlone)
{
    char buffer[16];
    LastResult = 77;
    EXPECT_EQ(0, ProbeRegistryValue(scratchKey, "Missing", buffer, sizeof(buffer)));
    EXPECT_EQ(77u, LastResult);
    EXPECT_EQ(0, ReadRegistryValue("Software\\No Such Key At All", "x", buffer, sizeof(buffer)));
    EXPECT_EQ(RESULT_REGISTRY_ACCESS_FAILED, LastResult);
}
