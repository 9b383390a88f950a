#include <gtest/gtest.h>

#include <fstream>

#include "CCheckData.h"
#include "CReportException.h"
#include "FakeWow64.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

TEST(CCheckDataText, Numeric)
{
    EXPECT_EQ(0, CCheckData::IsNumeric(""));
    EXPECT_EQ(1, CCheckData::IsNumeric("0007"));
    EXPECT_EQ(0, CCheckData::IsNumeric("12a"));
    EXPECT_EQ(0, CCheckData::IsNumeric("-1"));
    EXPECT_EQ(0, CCheckData::IsNumeric(" 1"));
}

TEST(CCheckDataText, ValidName)
{
    EXPECT_EQ(1, CCheckData::IsValidName(""));
    EXPECT_EQ(1, CCheckData::IsValidName("host.example-1"));
    EXPECT_EQ(1, CCheckData::IsValidName("a=b"));
    EXPECT_EQ(1, CCheckData::IsValidName("x"));
    for (const char* refused : {".host", "host.", "ho_st", "ho st", "ho\\st", "ho/st", "ho:st",
                                "ho,st", "ho;st", "ho*st", "ho?st", "ho\"st", "ho<st", "ho>st",
                                "ho|st", "*", "-"})
        EXPECT_EQ(0, CCheckData::IsValidName(refused)) << refused;
}

TEST(CCheckDataText, AlnumHyphen)
{
    EXPECT_EQ(1, CCheckData::IsAlnumHyphen(""));
    EXPECT_EQ(1, CCheckData::IsAlnumHyphen("web-01-a"));
    EXPECT_EQ(0, CCheckData::IsAlnumHyphen("-web"));
    EXPECT_EQ(0, CCheckData::IsAlnumHyphen("web-"));
    EXPECT_EQ(0, CCheckData::IsAlnumHyphen("web.01"));
    EXPECT_EQ(0, CCheckData::IsAlnumHyphen("web_01"));
}

TEST(CCheckDataText, LengthAndRange)
{
    EXPECT_EQ(1, CCheckData::CheckLength("C:\\a", 4, 80));
    EXPECT_EQ(0, CCheckData::CheckLength(std::string(81, 'a').c_str(), 4, 80));
    EXPECT_EQ(1, CCheckData::CheckLength(std::string(80, 'a').c_str(), 4, 80));
    EXPECT_EQ(0, CCheckData::CheckLength("C:\\", 4, 80));
    EXPECT_EQ(1, CCheckData::CheckRange(1, 1, 12));
    EXPECT_EQ(1, CCheckData::CheckRange(12, 1, 12));
    EXPECT_EQ(0, CCheckData::CheckRange(0, 1, 12));
    EXPECT_EQ(0, CCheckData::CheckRange(13, 1, 12));
}

class CCheckDataTest : public ProductTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        systemDir = fake_wow64::SystemDirectory();
    }

    ScopedTempDir work;
    std::string systemDir;
};

TEST_F(CCheckDataTest, FileOrDirectoryByMode)
{
    const std::string file = work.Path() + "\\file.log";
    std::ofstream(file) << "x";
    CCheckData check;
    EXPECT_EQ(1, check.CheckFileExist(file.c_str(), CHECK_MODE_FILE));
    EXPECT_EQ(0, check.CheckFileExist(file.c_str(), CHECK_MODE_DIRECTORY));
    EXPECT_EQ(0, check.CheckFileExist(work.Path().c_str(), CHECK_MODE_FILE));
    EXPECT_EQ(1, check.CheckFileExist(work.Path().c_str(), CHECK_MODE_DIRECTORY));
    EXPECT_EQ(1, check.CheckFileExist(work.Path().c_str(), 7));  // any other mode: directory
}

TEST_F(CCheckDataTest, MissingPathAnswersZeroWithoutReport)
{
    const std::string missing = work.Path() + "\\missing";
    CCheckData check;
    EXPECT_EQ(0, check.CheckFileExist(missing.c_str(), CHECK_MODE_FILE));
    EXPECT_EQ(0, check.CheckFileExist(missing.c_str(), CHECK_MODE_DIRECTORY));
    EXPECT_EQ(0, check.CheckFileExist((missing + "\\below").c_str(), CHECK_MODE_DIRECTORY));
    EXPECT_EQ("", Trace());
}

TEST_F(CCheckDataTest, SystemPathIsTheWindowsDirectorysSystem32)
{
    CCheckData check;
    EXPECT_EQ(1, check.IsSystem32Path((systemDir + "drivers\\etc").c_str()));
    EXPECT_EQ(1, check.IsSystem32Path(systemDir.c_str()));
    EXPECT_EQ(0, check.IsSystem32Path(systemDir.substr(0, systemDir.size() - 1).c_str()));
    std::string upper = systemDir;
    upper.replace(upper.size() - 9, 8, "SYSTEM32");
    EXPECT_EQ(0, check.IsSystem32Path(upper.c_str()));  // byte-exact
}

TEST_F(CCheckDataTest, Wow64SwitchesAroundSystemPathsOnly)
{
    fake_wow64::State& fake = fake_wow64::Install();
    CCheckData check;
    EXPECT_EQ(1, check.CheckFileExist((systemDir + "kernel32.dll").c_str(), CHECK_MODE_FILE));
    EXPECT_EQ(2, fake.nDisables);  // around the status and around the attributes
    EXPECT_EQ(0, fake.nOff);
    EXPECT_EQ(0, check.CheckFileExist((systemDir + "no-such.dll").c_str(), CHECK_MODE_FILE));
    EXPECT_EQ(3, fake.nDisables);
    EXPECT_EQ(0, fake.nOff);

    EXPECT_EQ(1, check.CheckFileExist(work.Path().c_str(), CHECK_MODE_DIRECTORY));
    EXPECT_EQ(3, fake.nDisables);
}

TEST_F(CCheckDataTest, RedirectionIsBackOnWhenTheAttributesCannotBeRead)
{
    // The file vanishes between the two looks at it.
    const std::string file = systemDir + "trovetest-vanishing.dll";
    std::ofstream(file) << "x";
    fake_wow64::State& fake = fake_wow64::Install();
    fake.onDisable = [&] {
        if (fake.nDisables == 2) DeleteFileA(file.c_str());
    };
    CCheckData check;
    try {
        check.CheckFileExist(file.c_str(), CHECK_MODE_FILE);
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "Error ID=c00002e1.")) << e.what();
        EXPECT_NE(nullptr, strstr(e.what(), file.c_str())) << e.what();
    }
    EXPECT_EQ(0, fake.nOff);
    EXPECT_NE(std::string::npos, Trace().find(" ERR CCheckData("));
}

}  // namespace
