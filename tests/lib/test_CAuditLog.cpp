#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "CAuditLog.h"
#include "CCommonTrace.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

// Standard output into a file for as long as it lives.
class CapturedStdout {
public:
    explicit CapturedStdout(const std::string& path) : m_path(path)
    {
        fflush(stdout);
        m_nSaved = _dup(1);
        const int nFile = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
        _dup2(nFile, 1);
        _close(nFile);
    }
    ~CapturedStdout() { Restore(); }
    std::string Text()
    {
        Restore();
        return ReadWholeFile(m_path);
    }

private:
    void Restore()
    {
        if (m_nSaved < 0) return;
        fflush(stdout);
        _dup2(m_nSaved, 1);
        _close(m_nSaved);
        m_nSaved = -1;
    }
    std::string m_path;
    int m_nSaved = -1;
};

TEST(FormatNumberTest, ThreeStyles)
{
    char szText[16];
    EXPECT_STREQ("255", FormatNumber(szText, sizeof(szText), 255, 1));
    EXPECT_STREQ("0x000000ff", FormatNumber(szText, sizeof(szText), 255, 2));
    EXPECT_STREQ("*", FormatNumber(szText, sizeof(szText), 255, 5));
    EXPECT_STREQ("-1", FormatNumber(szText, sizeof(szText), -1, 1));
    EXPECT_STREQ("0xffffffff", FormatNumber(szText, sizeof(szText), -1, 2));
}

class CAuditLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry.SetString(PRODUCT_KEY, "DM Language", "ENGLISH");
        registry.SetString(ZORAT_KEY, "Install", install.Path());
        registry.SetString(PRODUCT_KEY, "DM PathName", keystone.Path());
        ASSERT_EQ(1, OpenCommonTrace("audittest", &trace));
    }
    void TearDown() override { CloseCommonTrace(&trace); }

    std::string Trace() const { return ReadWholeFile(install.Path() + "\\trace\\audittest.trc"); }

    ScopedProductRegistry registry;
    ScopedTempDir install;
    ScopedTempDir keystone;
    CCommonTrace* trace = nullptr;
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

}  // namespace
