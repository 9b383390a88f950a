#include <gtest/gtest.h>

#include <cstdio>

#include "CAuditLog.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

TEST(FormatNumberTest, ThreeStyles)
{
    char szText[16];
    EXPECT_STREQ("255", FormatNumber(szText, sizeof(szText), 255, 1));
    EXPECT_STREQ("0x000000ff", FormatNumber(szText, sizeof(szText), 255, 2));
    EXPECT_STREQ("*", FormatNumber(szText, sizeof(szText), 255, 5));
    EXPECT_STREQ("-1", FormatNumber(szText, sizeof(szText), -1, 1));
    EXPECT_STREQ("0xffffffff", FormatNumber(szText, sizeof(szText), -1, 2));
}

class CAuditLogTest : public ProductTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        registry.SetString(PRODUCT_KEY, "DM PathName", keystone.Path());
    }

    ScopedTempDir keystone;
    ScopedTempDir work;
};

TEST_F(CAuditLogTest, WithoutLibraryTheConsoleEchoStillWorks)
{
    ASSERT_EQ(nullptr, LoadLibraryA("auvex.dll")) << "auvex.dll must not be on the search path";
    std::string out;
    {
        CAuditLog audit("trovesv");
        CapturedStdout capture(install.Path() + "\\stdout.txt");
        EXPECT_STREQ("started", audit.WriteAuditLog("", "trovesave.exe", "-D C:\\a", "started",
                                                    "B", AUDIT_CONSOLE_STDOUT));
        audit.WriteAuditLog("", "trovesave.exe", "-D C:\\a", "silent", "S", AUDIT_CONSOLE_NONE);
        out = capture.Text();
    }
    EXPECT_EQ("started\n", out);
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find("(Load library failed.,auvex.dll,")) << trace;
    EXPECT_EQ(trace.find("Error ID="), trace.rfind("Error ID=")) << "more than one report";
}

// With the audit-log library: records in <Install>\log\audit.log.
class CAuditLogLibraryTest : public CAuditLogTest {
protected:
    void SetUp() override
    {
        CAuditLogTest::SetUp();
        calls = keystone.Path() + "\\auvex-calls.txt";
        SetEnvironmentVariableA("AUVEX_CALL_LOG", calls.c_str());
    }
    // Beside the programs: the client never searches for its library.
    void UseLibrary(const char* pszFolder)
    {
        CopyInto(FamilyLibrary(pszFolder, "auvex.dll"), install.Path() + "\\bin");
    }
    std::string AuditLog() const { return ReadWholeFile(install.Path() + "\\log\\audit.log"); }

    std::string calls;
};

TEST_F(CAuditLogLibraryTest, RecordsCarryHostAndIdentity)
{
    UseLibrary("auvex");
    CopyInto(FamilyLibrary("nodeapi", "nodeapi.dll"), keystone.Path() + "\\Brannoc.DM\\bin");
    char szComputer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD dwLength = sizeof(szComputer);
    ASSERT_TRUE(GetComputerNameA(szComputer, &dwLength));
    {
        CAuditLog audit("trovesv");
        audit.WriteAuditLog("", "trovesave.exe", "-D C:\\a", "started", "B", AUDIT_CONSOLE_NONE);
        audit.WriteAuditLog("", "trovesave.exe", "-D C:\\a", "copied", "S", AUDIT_CONSOLE_NONE);
    }
    const std::string log = AuditLog();
    const std::string fields = std::string("\t") + szComputer + "\t" + szComputer +
                               "\ttrovesv\tB\ttrovesave.exe\t-D C:\\a\t\tstarted\r\n";
    EXPECT_NE(std::string::npos, log.find(fields)) << log;
    EXPECT_NE(std::string::npos, log.find("\ttrovesv\tS\ttrovesave.exe\t-D C:\\a\t\tcopied\r\n"))
        << log;
    EXPECT_EQ("open\r\nwrite\r\nwrite\r\nclose\r\n", ReadWholeFile(calls));
    EXPECT_EQ("", Trace());
}

TEST_F(CAuditLogLibraryTest, HostNameNotFoundLeavesBothHostFieldsEmpty)
{
    UseLibrary("auvex");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "DM PathName");
    {
        CAuditLog audit(nullptr);
        audit.WriteAuditLog("", "troveload.exe", "-R C:\\r", "done", "S", AUDIT_CONSOLE_NONE);
    }
    EXPECT_NE(std::string::npos,
              AuditLog().find("\t\t\tzorat\tS\ttroveload.exe\t-R C:\\r\t\tdone\r\n"))
        << AuditLog();
}

TEST_F(CAuditLogLibraryTest, LogThatDoesNotOpenGetsNoFurtherCalls)
{
    UseLibrary("auvex");
    SetEnvironmentVariableA("AUVEX_OPEN_RESULT", "5");
    std::string out;
    {
        CAuditLog audit("trovesv");
        CapturedStdout capture(work.Path() + "\\stdout.txt");
        audit.WriteAuditLog("", "trovesave.exe", "", "echoed", "F", AUDIT_CONSOLE_STDOUT);
        audit.CloseAuditLog();
        out = capture.Text();
    }
    EXPECT_EQ("echoed\n", out);
    EXPECT_EQ("open\r\n", ReadWholeFile(calls));
    EXPECT_EQ("", AuditLog());
}

TEST_F(CAuditLogLibraryTest, MissingWriteExportUnloadsTheLibrary)
{
    UseLibrary("auvex-nowrite");
    {
        CAuditLog audit("trovesv");
        EXPECT_EQ(nullptr, GetModuleHandleA("auvex.dll"));
        audit.WriteAuditLog("", "trovesave.exe", "", "skipped", "S", AUDIT_CONSOLE_NONE);
    }
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos,
              trace.find("(To getting address of function in dll failed.,Av_WriteAuditLog,"))
        << trace;
    EXPECT_EQ("", ReadWholeFile(calls));
}

}  // namespace
