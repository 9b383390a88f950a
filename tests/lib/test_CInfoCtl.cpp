#include <gtest/gtest.h>
// Windows Sockets 2 before windows.h.
#include <winsock2.h>

#include "CInfoCtl.h"
#include "CReportException.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

std::string SocketsHostName()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    char szName[256] = {};
    gethostname(szName, sizeof(szName));
    WSACleanup();
    return szName;
}

class CInfoCtlTest : public ProductTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        registry.SetString(PRODUCT_KEY, "DM PathName", keystone.Path());
    }

    ScopedTempDir keystone;  // no host-name library below it
};

TEST_F(CInfoCtlTest, WithoutLibraryTheNameComesFromWindowsSockets)
{
    CInfoCtl info;
    info.AcquireHostName();
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find("Error ID=c00003c1."));
    EXPECT_NE(std::string::npos, trace.find("(1,0,(NULL),(NULL),(NULL))")) << trace;

    const std::string expected = SocketsHostName();
    ASSERT_FALSE(expected.empty());
    char szName[NODEAPI_HOSTNAME_SIZE];
    DWORD dwSize = sizeof(szName);
    info.GetOwnHostName(szName, &dwSize);
    EXPECT_EQ(expected, szName);
    EXPECT_EQ(expected.size(), dwSize);
}

TEST_F(CInfoCtlTest, CopyNeedsRoomForTheTerminator)
{
    CInfoCtl info;
    info.AcquireHostName();
    const std::string name = SocketsHostName();
    char szName[NODEAPI_HOSTNAME_SIZE] = "untouched";
    DWORD dwSize = static_cast<DWORD>(name.size());
    try {
        info.GetOwnHostName(szName, &dwSize);
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        const std::string size = std::to_string(name.size());
        EXPECT_NE(nullptr, strstr(e.what(), ("(GetOwnHostName(),Not enough buffer," + size + "," +
                                             size + ",(NULL))")
                                                .c_str()))
            << e.what();
    }
    EXPECT_STREQ("untouched", szName);
    dwSize = static_cast<DWORD>(name.size() + 1);
    info.GetOwnHostName(szName, &dwSize);
    EXPECT_EQ(name, szName);
    EXPECT_EQ(name.size(), dwSize);
}

TEST_F(CInfoCtlTest, SiblingProductMustBeInstalled)
{
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, "DM PathName");
    CInfoCtl info;
    try {
        info.AcquireHostName();
        FAIL() << "no exception";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), ",DM PathName,2,(NULL))")) << e.what();
    }
}

}  // namespace

namespace {

TEST_F(CInfoCtlTest, NameFromTheHostNameLibrary)
{
    CopyInto(FamilyLibrary("nodeapi", "nodeapi.dll"), keystone.Path() + "\\Brannoc.DM\\bin");
    char szComputer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD dwLength = sizeof(szComputer);
    ASSERT_TRUE(GetComputerNameA(szComputer, &dwLength));

    CInfoCtl info;
    info.AcquireHostName();
    char szName[NODEAPI_HOSTNAME_SIZE];
    DWORD dwSize = sizeof(szName);
    info.GetOwnHostName(szName, &dwSize);
    EXPECT_STREQ(szComputer, szName);
    EXPECT_EQ("", Trace());
    EXPECT_EQ(nullptr, GetModuleHandleA("nodeapi.dll"));  // unloaded again
}

TEST_F(CInfoCtlTest, FailingLibraryFallsBackWithItsAnswer)
{
    CopyInto(FamilyLibrary("nodeapi", "nodeapi.dll"), keystone.Path() + "\\Brannoc.DM\\bin");
    SetEnvironmentVariableA("NODEAPI_RESULT", "5,17");
    CInfoCtl info;
    info.AcquireHostName();
    EXPECT_NE(std::string::npos, Trace().find("(5,17,(NULL),(NULL),(NULL))")) << Trace();
    char szName[NODEAPI_HOSTNAME_SIZE];
    DWORD dwSize = sizeof(szName);
    info.GetOwnHostName(szName, &dwSize);
    EXPECT_EQ(SocketsHostName(), szName);
}

}  // namespace
