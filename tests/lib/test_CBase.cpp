#include <gtest/gtest.h>

#include <cstring>

#include "CBase.h"
#include "CReportException.h"
#include "TestSupport.h"
#include "zoratmsg.h"

using namespace testing_support;

namespace {

const char SOURCE[] = "..\\..\\src\\CRegistry";

class CBaseTest : public ::testing::Test {
protected:
    void SetUp() override { registry.SetString(PRODUCT_KEY, "DM Language", "ENGLISH"); }

    // The product "installed" where its message file is: <dir>\bin\zoratmsg.dll.
    void InstallAt(const std::string& dir) { registry.SetString(ZORAT_KEY, "Install", dir); }
    std::string MessageFile() const { return BuildDirectory() + "\\bin\\zoratmsg.dll"; }

    ScopedProductRegistry registry;
    ScopedTempDir empty;
};

TEST_F(CBaseTest, WithoutMessageFileGivesFixedTemplate)
{
    InstallAt(empty.Path());
    CBase base;
    EXPECT_STREQ(
        "Error occured! Error ID=c00003de. Source file name=CRegistry (Line number=60). "
        "Additional information=((NULL),(NULL),(NULL),(NULL),(NULL)).",
        base.ErrorTrace(SOURCE, 60, MSG_ERROR_DETAILS));
    EXPECT_STREQ(
        "Error occured! Error ID=4000008c. Source file name=trovecmd (Line number=7). "
        "Additional information=(A,B,(NULL),(NULL),(NULL)).",
        base.InfoTrace("..\\..\\src\\trovecmd", 7, MSG_FILE_ALREADY_PRESENT, nullptr, "A", nullptr,
                       "B", nullptr));
    // A path without a backslash is the name itself.
    EXPECT_STREQ(
        "Error occured! Error ID=c0000303. Source file name=plain (Line number=-1). "
        "Additional information=(x,(NULL),(NULL),(NULL),(NULL)).",
        base.WarningTrace("plain", -1, MSG_DIRECTORY_SETTING_MISSING, "x"));
}

TEST_F(CBaseTest, EachSeverityKeepsItsOwnCopy)
{
    InstallAt(empty.Path());
    CBase base;
    const char* pszError = base.ErrorTrace(SOURCE, 1, MSG_ERROR_DETAILS, "error");
    const char* pszWarning = base.WarningTrace(SOURCE, 2, MSG_ERROR_DETAILS, "warning");
    const char* pszInfo = base.InfoTrace(SOURCE, 3, MSG_INFORMATION, "info");
    EXPECT_NE(nullptr, strstr(pszError, "(error,"));
    EXPECT_NE(nullptr, strstr(pszWarning, "(warning,"));
    EXPECT_NE(nullptr, strstr(pszInfo, "(info,"));

    // Another object's reports leave this object's texts alone.
    CBase other;
    other.ErrorTrace(SOURCE, 4, MSG_ERROR_DETAILS, "other");
    EXPECT_NE(nullptr, strstr(pszError, "(error,"));
}

TEST_F(CBaseTest, ThrownTextOutlivesTheReportingObject)
{
    InstallAt(empty.Path());
    struct Thrower : CBase {
        void Fail() { ThrowError(SOURCE, 9, MSG_ERROR_DETAILS, "gone"); }
    };
    try {
        Thrower().Fail();
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        EXPECT_STREQ("Error occured! Error ID=c00003de. Source file name=CRegistry (Line number=9). "
                     "Additional information=(gone,(NULL),(NULL),(NULL),(NULL)).",
                     e.what());
    }
}

TEST_F(CBaseTest, MessageFileFromInstallDirectoryInEnglish)
{
    InstallAt(BuildDirectory());
    CBase base;
    DWORD_PTR args[5] = {reinterpret_cast<DWORD_PTR>("HKEY_LOCAL_MACHINE"),
                         reinterpret_cast<DWORD_PTR>("SOFTWARE\\X"),
                         reinterpret_cast<DWORD_PTR>("5"), reinterpret_cast<DWORD_PTR>("(NULL)"),
                         reinterpret_cast<DWORD_PTR>("(NULL)")};
    const std::string expected = MessageText(MessageFile(), MSG_REG_KEY_OPEN_FAILED, 0x409, args);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, base.ErrorTrace(SOURCE, 1, MSG_REG_KEY_OPEN_FAILED, "HKEY_LOCAL_MACHINE",
                                        "SOFTWARE\\X", "5"));
}

TEST_F(CBaseTest, JapaneseModeExceptForMessage12D)
{
    registry.SetString(PRODUCT_KEY, "DM Language", "JAPANESE");
    InstallAt(BuildDirectory());
    CBase base;
    ASSERT_EQ(1, CBase::GetLanguageMode());

    DWORD_PTR args[5] = {reinterpret_cast<DWORD_PTR>("ReadFile()"),
                         reinterpret_cast<DWORD_PTR>("(NULL)"),
                         reinterpret_cast<DWORD_PTR>("(NULL)"),
                         reinterpret_cast<DWORD_PTR>("(NULL)"),
                         reinterpret_cast<DWORD_PTR>("(NULL)")};
    const std::string japanese = MessageText(MessageFile(), MSG_FUNCTION_ENTRY, 0x411, args);
    const std::string english = MessageText(MessageFile(), MSG_FUNCTION_ENTRY, 0x409, args);
    ASSERT_NE(japanese, english);
    EXPECT_EQ(japanese, base.InfoTrace(SOURCE, 1, MSG_FUNCTION_ENTRY, "ReadFile()"));

    const std::string english12D = MessageText(MessageFile(), MSG_NOTICE, 0x409, args);
    ASSERT_NE(english12D, MessageText(MessageFile(), MSG_NOTICE, 0x411, args));
    EXPECT_EQ(english12D, base.InfoTrace(SOURCE, 1, MSG_NOTICE, "ReadFile()"));
}

TEST_F(CBaseTest, JapaneseModeRetriesInEnglishWhenOnlyEnglishExists)
{
    registry.SetString(PRODUCT_KEY, "DM Language", "JAPANESE");
    InstallAt(BuildDirectory() + "\\english-only");
    CBase base;
    EXPECT_STREQ("English only: a b", base.InfoTrace(SOURCE, 1, MSG_INFORMATION, "a", "b"));
}

TEST_F(CBaseTest, SystemErrorTextLosesLineEndAndFinalFullStop)
{
    CBase base;
    char* pszRaw = nullptr;
    DWORD dwLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, ERROR_ACCESS_DENIED, 0x409,
                                    reinterpret_cast<char*>(&pszRaw), 0, nullptr);
    ASSERT_GT(dwLength, 3u);
    std::string raw(pszRaw, dwLength);
    LocalFree(pszRaw);
    ASSERT_EQ(".\r\n", raw.substr(raw.size() - 3));

    EXPECT_EQ(raw.substr(0, raw.size() - 3), base.GetSystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_STREQ("1234567", base.GetSystemErrorText(1234567));
    EXPECT_STREQ("3735928559", base.GetSystemErrorText(0xDEADBEEF));
}

TEST_F(CBaseTest, SystemErrorTextPassedBackArrivesIntact)
{
    InstallAt(empty.Path());
    CBase base;
    const std::string systemText = base.GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    const char* pszText =
        base.ErrorTrace(SOURCE, 5, MSG_FILE_OPEN_FAILED, "C:\\x.log", base.GetSystemErrorText(2));
    EXPECT_EQ("Error occured! Error ID=c00002c7. Source file name=CRegistry (Line number=5). "
              "Additional information=(C:\\x.log," + systemText + ",(NULL),(NULL),(NULL)).",
              std::string(pszText));
}

TEST(CBaseLanguage, FailingLanguageCheckLeavesEnglish)
{
    ScopedProductRegistry registry;  // no "DM Language"
    ScopedTempDir empty;
    registry.SetString(ZORAT_KEY, "Install", empty.Path());
    try {
        CBase base;
        FAIL() << "the language check did not fail";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "Error ID=c00003b8."));
        EXPECT_NE(nullptr, strstr(e.what(), "(HKEY_LOCAL_MACHINE,SOFTWARE\\Kelvane\\Brannoc\\"
                                            "CurrentVersion,DM Language,2,(NULL))"));
    }
    EXPECT_EQ(0, CBase::GetLanguageMode());

    // Decided once: a later object neither asks again nor fails.
    registry.SetString(PRODUCT_KEY, "DM Language", "JAPANESE");
    CBase later;
    EXPECT_EQ(0, CBase::GetLanguageMode());
}

TEST(CBaseRedirect, TableIsEmptySoEveryThreadIsRedirected)
{
    EXPECT_EQ(1, GetThreadRedirect(GetCurrentThreadId()));
    EXPECT_EQ(1, SetThreadRedirect(GetCurrentThreadId(), 0));
    EXPECT_EQ(1, GetThreadRedirect(GetCurrentThreadId()));
    EXPECT_EQ(1, GetThreadRedirect(12345));
}

TEST_F(CBaseTest, ObjectKnowsItsProcessAndThread)
{
    CBase base;
    EXPECT_EQ(GetCurrentProcessId(), base.GetObjProcessID());
    EXPECT_EQ(GetCurrentThreadId(), base.GetObjThreadID());
}

}  // namespace
