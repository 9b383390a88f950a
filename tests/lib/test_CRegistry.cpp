#include <gtest/gtest.h>

#include <cstring>

#include "CRegistry.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

const char TEST_KEY[] = "SOFTWARE\\Kelvane\\Test";

using CRegistryTest = ProductTest;

TEST_F(CRegistryTest, StringWithoutTerminatorIsRepairedOnlyWithSpareByte)
{
    // The system counts a terminator the caller left out when one follows
    // the data; "X" keeps it from doing so.
    registry.SetBytes(TEST_KEY, "Name", REG_SZ, "abcX", 3);
    char szBuffer[8];

    CRegistry exact(TEST_KEY, nullptr, REG_ACCESS_READ);
    memset(szBuffer, 'x', sizeof(szBuffer));
    DWORD dwSize = 3;
    ASSERT_EQ(1, exact.CheckAndReadRegVal("Name", szBuffer, &dwSize));
    EXPECT_EQ(3u, dwSize);
    EXPECT_EQ(0, memcmp(szBuffer, "abc", 3));
    EXPECT_EQ("", Trace());

    CRegistry spare(TEST_KEY, nullptr, REG_ACCESS_READ);
    memset(szBuffer, 'x', sizeof(szBuffer));
    dwSize = 4;
    ASSERT_EQ(1, spare.CheckAndReadRegVal("Name", szBuffer, &dwSize));
    EXPECT_EQ(4u, dwSize);
    EXPECT_STREQ("abc", szBuffer);
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find(" INF CRegistry("));
    EXPECT_NE(std::string::npos,
              trace.find("Error ID=400000c9.")) << trace;
    EXPECT_NE(std::string::npos,
              trace.find("(HKEY_LOCAL_MACHINE,SOFTWARE\\Kelvane\\Test,Name,0x00000001,3)"))
        << trace;
}

TEST_F(CRegistryTest, MultiStringGainsBothTerminators)
{
    registry.SetBytes(TEST_KEY, "Multi", REG_MULTI_SZ, "abXX", 2);
    CRegistry key(TEST_KEY, nullptr, REG_ACCESS_READ);
    char szBuffer[8];
    memset(szBuffer, 'x', sizeof(szBuffer));
    DWORD dwSize = sizeof(szBuffer);
    ASSERT_EQ(1, key.CheckAndReadRegVal("Multi", szBuffer, &dwSize));
    EXPECT_EQ(4u, dwSize);
    EXPECT_EQ(0, memcmp(szBuffer, "ab\0\0", 4));
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find(",Multi,0x00000007,2)")) << trace;
    EXPECT_NE(std::string::npos, trace.find(",Multi,0x00000007,3)")) << trace;

    // A terminated value is returned as stored.
    registry.SetBytes(TEST_KEY, "Whole", REG_MULTI_SZ, "ab\0\0", 4);
    dwSize = sizeof(szBuffer);
    ASSERT_EQ(1, key.CheckAndReadRegVal("Whole", szBuffer, &dwSize));
    EXPECT_EQ(4u, dwSize);
}

TEST_F(CRegistryTest, TooSmallBufferFailsWithCapacity)
{
    registry.SetBytes(TEST_KEY, "Big", REG_BINARY, "0123456789", 10);
    CRegistry key(TEST_KEY, nullptr, REG_ACCESS_READ);
    char szBuffer[8];
    DWORD dwSize = sizeof(szBuffer);
    const std::string text = Thrown([&] { key.CheckAndReadRegVal("Big", szBuffer, &dwSize); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00003de.")) << text;
    EXPECT_NE(std::string::npos,
              text.find("Additional information=(CheckAndReadRegVal,ERROR_MORE_DATA,Big,8,(NULL))"))
        << text;
    EXPECT_NE(std::string::npos, Trace().find(" ERR CRegistry("));
}

TEST_F(CRegistryTest, MissingKeyOrValueAnswersZeroWithoutReport)
{
    char szBuffer[8];
    DWORD dwSize = sizeof(szBuffer);
    CRegistry missingKey("SOFTWARE\\Kelvane\\Nothing", nullptr, REG_ACCESS_READ);
    EXPECT_EQ(0, missingKey.CheckAndOpenRegKey());
    EXPECT_EQ(0, missingKey.CheckAndReadRegVal("Name", szBuffer, &dwSize));

    registry.SetDword(TEST_KEY, "Other", 1);
    CRegistry missingValue(TEST_KEY, nullptr, REG_ACCESS_READ);
    EXPECT_EQ(0, missingValue.CheckAndReadRegVal("Name", szBuffer, &dwSize));
    EXPECT_EQ("", Trace());
}

TEST_F(CRegistryTest, StrictFormsReportWhatIsMissing)
{
    char szBuffer[8];
    DWORD dwSize = sizeof(szBuffer);
    CRegistry missingKey("SOFTWARE\\Kelvane\\Nothing", nullptr, REG_ACCESS_READ);
    std::string text = Thrown([&] { missingKey.OpenRegKey(); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00003b7.")) << text;
    EXPECT_NE(std::string::npos,
              text.find("(HKEY_LOCAL_MACHINE,SOFTWARE\\Kelvane\\Nothing,2,(NULL),(NULL))"))
        << text;

    registry.SetDword(TEST_KEY, "Other", 1);
    CRegistry key(TEST_KEY, nullptr, REG_ACCESS_FULL);
    text = Thrown([&] { key.ReadRegStringVal("Name", szBuffer, &dwSize); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00003b8.")) << text;
    EXPECT_NE(std::string::npos,
              text.find("(HKEY_LOCAL_MACHINE,SOFTWARE\\Kelvane\\Test,Name,2,(NULL))"))
        << text;
}

TEST_F(CRegistryTest, DwordReadTakesAnyFourBytesOnly)
{
    registry.SetDword(TEST_KEY, "Number", 0x12345678);
    registry.SetString(TEST_KEY, "Text", "abc");  // four bytes with the terminator
    registry.SetBytes(TEST_KEY, "Short", REG_BINARY, "ab", 2);
    CRegistry key(TEST_KEY, nullptr, REG_ACCESS_READ);

    DWORD dwValue = 0;
    key.ReadRegDwordVal("Number", &dwValue);
    EXPECT_EQ(0x12345678u, dwValue);
    key.ReadRegDwordVal("Text", &dwValue);
    EXPECT_EQ(0, memcmp(&dwValue, "abc", 4));

    const std::string text = Thrown([&] { key.ReadRegDwordVal("Short", &dwValue); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00003de.")) << text;
    EXPECT_NE(std::string::npos,
              text.find("(ReadRegDwordVal(),HKEY_LOCAL_MACHINE,SOFTWARE\\Kelvane\\Test,Short,2)"))
        << text;
}

TEST_F(CRegistryTest, InvalidAccessTypeIsReported)
{
    registry.SetDword(TEST_KEY, "Number", 1);
    CRegistry key(TEST_KEY, nullptr, 3);
    const std::string text = Thrown([&] { key.CheckAndOpenRegKey(); });
    EXPECT_NE(std::string::npos,
              text.find("(CheckAndOpenRegKey(),Invalid access type,3,(NULL),(NULL))"))
        << text;
}

TEST_F(CRegistryTest, UnreachableRemoteComputer)
{
    CRegistry key(TEST_KEY, "nosuchhost", REG_ACCESS_READ);
    for (int attempt = 0; attempt < 2; ++attempt) {  // a failed open is tried anew
        const std::string text = Thrown([&] { key.CheckAndOpenRegKey(); });
        EXPECT_NE(std::string::npos, text.find("Error ID=c0000321.")) << text;
        EXPECT_NE(std::string::npos,
                  text.find("(nosuchhost,RegConnectRegistry,53,(NULL),(NULL))"))
            << text;
    }
}

TEST_F(CRegistryTest, RemoteNameOfThisComputerReadsItsRegistry)
{
    char szComputer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD dwLength = sizeof(szComputer);
    ASSERT_TRUE(GetComputerNameA(szComputer, &dwLength));
    registry.SetDword(TEST_KEY, "Number", 7);
    CRegistry key(TEST_KEY, szComputer, REG_ACCESS_READ);
    DWORD dwValue = 0;
    key.ReadRegDwordVal("Number", &dwValue);
    EXPECT_EQ(7u, dwValue);
}

}  // namespace
