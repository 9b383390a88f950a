// Runs with the Japanese locale: active code page 932.
#include <gtest/gtest.h>

#include <cstring>

#include "CBase.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

class CBaseCp932Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(932u, GetACP()) << "the Japanese locale is not generated on this machine";
        registry.SetString(PRODUCT_KEY, "DM Language", "JAPANESE");
        registry.SetString(ZORAT_KEY, "Install", empty.Path());
    }

    ScopedProductRegistry registry;
    ScopedTempDir empty;
};

std::string RawSystemText(DWORD dwCode)
{
    char* pszRaw = nullptr;
    DWORD dwLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, dwCode, 0x411, reinterpret_cast<char*>(&pszRaw), 0,
                                    nullptr);
    std::string raw(pszRaw ? pszRaw : "", dwLength);
    LocalFree(pszRaw);
    return raw;
}

TEST_F(CBaseCp932Test, FinalIdeographicFullStopIsCut)
{
    const std::string raw = RawSystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_GE(raw.size(), 4u);
    ASSERT_EQ("\x81\x42\r\n", raw.substr(raw.size() - 4)) << "no Japanese system text";

    CBase base;
    EXPECT_EQ(raw.substr(0, raw.size() - 4), base.GetSystemErrorText(ERROR_FILE_NOT_FOUND));
}

TEST_F(CBaseCp932Test, JapaneseSystemTextPassedBackArrivesIntact)
{
    CBase base;
    const std::string systemText = base.GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    const std::string formatted =
        base.ErrorTrace("..\\..\\src\\CFileOperation", 3, 0xC00002C7, "C:\\\x83\x5C.log",
                        base.GetSystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ("Error occured! Error ID=c00002c7. Source file name=CFileOperation (Line number=3). "
              "Additional information=(C:\\\x83\x5C.log," + systemText +
                  ",(NULL),(NULL),(NULL)).",
              formatted);
}

TEST_F(CBaseCp932Test, LeadBytesCountedBackwards)
{
    // "\x83\x5C" is one character whose second byte is a backslash value.
    const char szSo[] = "a\x83\x5C";
    EXPECT_EQ(1, CBase::IsLeadByteAt(szSo, szSo + 1));
    EXPECT_EQ(0, CBase::IsLeadByteAt(szSo, szSo + 2));
    EXPECT_EQ(0, CBase::IsLeadByteAt(szSo, szSo));
    EXPECT_EQ(0, CBase::IsLeadByteAt(szSo + 2, szSo + 1));  // before the start

    // 0x81 is a lead-byte value that also occurs as a second byte: the run
    // length decides.
    const char szRun[] = "\x81\x81\x81\x5C";
    EXPECT_EQ(1, CBase::IsLeadByteAt(szRun, szRun));
    EXPECT_EQ(0, CBase::IsLeadByteAt(szRun, szRun + 1));
    EXPECT_EQ(1, CBase::IsLeadByteAt(szRun, szRun + 2));
    // Counting stops at the start given.
    EXPECT_EQ(1, CBase::IsLeadByteAt(szRun + 1, szRun + 1));
}

}  // namespace
