#include <gtest/gtest.h>

#include "CAuthoritySetting.h"
#include "CReportException.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

// The access-rights library laid out below the sibling product, with its
// calls noted in a file (Wine keeps no access lists to read back).
class CAuthoritySettingTest : public ProductTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        registry.SetString(PRODUCT_KEY, "DM PathName", keystone.Path());
        CopyInto(FamilyLibrary("qwacl", "qwacl.dll"), keystone.Path() + "\\Brannoc\\bin");
        calls = work.Path() + "\\qwacl-calls.txt";
        SetEnvironmentVariableA("QWACL_CALL_LOG", calls.c_str());
    }

    ScopedTempDir keystone;
    ScopedTempDir work;
    std::string calls;
};

TEST_F(CAuthoritySettingTest, GrantsFullAccessToAdministratorsAndSystem)
{
    CAuthoritySetting setting;
    setting.SetAccessRights(work.Path().c_str());
    EXPECT_EQ(work.Path() +
                  "\tAdministrators 3 0x001f01ff\tSYSTEM 3 0x001f01ff\t1 1 1\r\n",
              ReadWholeFile(calls));
    EXPECT_EQ("", Trace());
}

TEST_F(CAuthoritySettingTest, FileSystemWithoutAccessListsIsNoFailure)
{
    SetEnvironmentVariableA("QWACL_FILESYSTEM", "FAT");
    CAuthoritySetting setting;
    EXPECT_NO_THROW(setting.SetAccessRights(work.Path().c_str()));
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find(" INF CAuthoritySetting("));
    EXPECT_NE(std::string::npos, trace.find("(FileSystem is FAT,(NULL),(NULL),(NULL),(NULL))"))
        << trace;
}

TEST_F(CAuthoritySettingTest, OtherFailuresAreThrownWithTheirCode)
{
    CAuthoritySetting setting;
    try {
        setting.SetAccessRights((work.Path() + "\\missing.log").c_str());
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "Error ID=c00003e7.")) << e.what();
        EXPECT_NE(nullptr, strstr(e.what(), "(2,0x0,(NULL),(NULL),(NULL))")) << e.what();
    }
}

TEST_F(CAuthoritySettingTest, MissingLibraryIsReported)
{
    DeleteFileA((keystone.Path() + "\\Brannoc\\bin\\qwacl.dll").c_str());
    try {
        CAuthoritySetting setting;
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "(126,0x0,(NULL),(NULL),(NULL))")) << e.what();
    }
}

}  // namespace
