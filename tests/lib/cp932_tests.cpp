// Runs with the Japanese locale: active code page 932.
#include <gtest/gtest.h>

#include <cstring>

#include "CBase.h"
#include "CCheckData.h"
#include "CConvertData.h"
#include "CReportException.h"
#include "TestSupport.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

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
        base.ErrorTrace("..\\..\\src\\CFileOperation", 3, MSG_FILE_OPEN_FAILED, "C:\\\x83\x5C.log",
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

TEST_F(CBaseCp932Test, LeadBytesAreNoNameCharacters)
{
    EXPECT_EQ(0, CCheckData::IsNumeric("1\x82\x4F"));  // a double-byte digit
    EXPECT_EQ(0, CCheckData::IsValidName("a\x83\x5C" "b"));
    EXPECT_EQ(0, CCheckData::IsAlnumHyphen("a\x83\x5C" "b"));
    // Single-byte katakana are single-byte characters, allowed inside a host name only.
    EXPECT_EQ(1, CCheckData::IsValidName("a\xB1" "b"));
    EXPECT_EQ(0, CCheckData::IsValidName("\xB1" "b"));
    EXPECT_EQ(0, CCheckData::IsAlnumHyphen("a\xB1" "b"));
}

TEST_F(CBaseCp932Test, LongNamesSplitOnlyAtRealBackslashes)
{
    ScopedTempDir work;
    char szWork[1025];
    unsigned int nSize = sizeof(szWork);
    CConvertData().ConvertLongName(work.Path().c_str(), szWork, &nSize);
    // A directory whose name's second byte is 0x5C, and a file below it.
    const std::string dir = std::string(szWork) + "\\\x83\x5C";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    const std::string file = dir + "\\\x95\x5C.log";  // another 0x5C second byte
    UniqueFileHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

    char szOut[1025];
    nSize = sizeof(szOut);
    CConvertData().ConvertLongName(file.c_str(), szOut, &nSize);
    EXPECT_EQ(file, szOut);

    // A real trailing backslash still ends in an empty search name.
    nSize = sizeof(szOut);
    try {
        CConvertData().ConvertLongName((dir + "\\").c_str(), szOut, &nSize);
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "Error ID=c00002d2.")) << e.what();
    }
}

}  // namespace

// A report longer than the message buffer is cut, not lost: it keeps its
// identifier and line, and ends on a whole character.
TEST_F(CBaseCp932Test, LongReportIsCutOnAWholeCharacter)
{
    CBase base;
    const std::string head = base.ErrorTrace("..\\..\\src\\trovecmd", 955, MSG_ERROR_DETAILS, "");
    const std::string prefix = head.substr(0, head.find("=(") + 2);
    for (size_t nOffset : {0, 1}) {
        // A double-byte character on the last byte the buffer holds, or on
        // the last two.
        const std::string insert = std::string(4096 - prefix.size() - 1 + nOffset, 'a') +
                                   "\x83\x5C" + std::string(50, 'b');
        const std::string report =
            base.ErrorTrace("..\\..\\src\\trovecmd", 955, MSG_ERROR_DETAILS, insert.c_str());
        EXPECT_EQ(prefix, report.substr(0, prefix.size()));
        EXPECT_EQ(prefix + insert.substr(0, 4096 - prefix.size() - 1 + nOffset), report) << nOffset;
    }
}
