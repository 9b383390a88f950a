#include <gtest/gtest.h>

#include <cstring>

#include "CProductInfo.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

using CProductInfoTest = ProductTest;

TEST_F(CProductInfoTest, MissingReadSizeGivesDefaultAndIsReadAgain)
{
    CProductInfo info(PRODUCT_ZORAT);
    EXPECT_EQ(8192, info.GetFileReadSize());
    const std::string trace = Trace();
    EXPECT_NE(std::string::npos,
              trace.find("(GetFileReadSize(),Acquisition failure of value.,(NULL),(NULL),(NULL))"))
        << trace;

    registry.SetDword(ZORAT_KEY, "FileReadSize", 4096);
    EXPECT_EQ(4096, info.GetFileReadSize());
    registry.SetDword(ZORAT_KEY, "FileReadSize", 100);
    EXPECT_EQ(4096, info.GetFileReadSize());  // now cached
}

TEST_F(CProductInfoTest, RetrySettingsAreCachedOnceRead)
{
    registry.SetDword(ZORAT_KEY, "FileRtyNum", 3);
    CProductInfo info(PRODUCT_ZORAT);
    EXPECT_EQ(3, info.GetFileRtyNum());
    registry.SetDword(ZORAT_KEY, "FileRtyNum", 9);
    EXPECT_EQ(3, info.GetFileRtyNum());
    EXPECT_EQ(9, CProductInfo(PRODUCT_ZORAT).GetFileRtyNum());  // nothing shared between objects

    // A value of the wrong size gives the default and leaves nothing cached.
    registry.SetBytes(ZORAT_KEY, "FileRtyTime", REG_BINARY, "\x05\x00", 2);
    EXPECT_EQ(0, info.GetFileRtyTime());
    registry.SetDword(ZORAT_KEY, "FileRtyTime", 2);
    EXPECT_EQ(2, info.GetFileRtyTime());
    EXPECT_NE(std::string::npos, Trace().find("(GetFileRtyTime(),Acquisition failure of value."));
}

TEST_F(CProductInfoTest, ServerTypeWithAllBitsSetIsReadEveryTime)
{
    registry.SetDword(ZORAT_KEY, "ServerType", 0xFFFFFFFF);
    CProductInfo info(PRODUCT_ZORAT);
    EXPECT_EQ(0xFFFFFFFFu, info.GetServerType());
    registry.SetDword(ZORAT_KEY, "ServerType", 8);
    EXPECT_EQ(8u, info.GetServerType());
    registry.SetDword(ZORAT_KEY, "ServerType", 4);
    EXPECT_EQ(8u, info.GetServerType());

    // Missing: the registry's report passes through.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, ZORAT_KEY, "ServerType");
    const std::string text = Thrown([] { CProductInfo(PRODUCT_ZORAT).GetServerType(); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00003b8.")) << text;
}

TEST_F(CProductInfoTest, SettingsBelongToThisProductOnly)
{
    CProductInfo sibling(PRODUCT_KEYSTONE);
    EXPECT_NE(std::string::npos,
              Thrown([&] { sibling.GetServerType(); })
                  .find("(GetServerType(),Invalid ProductType,2,(NULL),(NULL))"));
    EXPECT_NE(std::string::npos,
              Thrown([&] { sibling.GetFileRtyNum(); })
                  .find("(GetFileRtyNum(),Invalid ProductType,2,(NULL),(NULL))"));
    char szPath[PATH_BUFFER_SIZE];
    DWORD dwSize = sizeof(szPath);
    EXPECT_NE(std::string::npos, Thrown([&] { sibling.GetTmpPath(szPath, &dwSize); })
                                     .find("(GetTempPath(),Invalid ProductType,2,"));
    EXPECT_NE(std::string::npos, Thrown([&] { sibling.GetMgrEnvFileName(szPath, &dwSize); })
                                     .find("(GetMgrEnvFileName(),Invalid ProductType,2,"));
    EXPECT_NE(std::string::npos, Thrown([&] { sibling.GetExcFileName("x", szPath, &dwSize); })
                                     .find("(GetExcFileName(),Invalid ProductType,2,"));
}

TEST_F(CProductInfoTest, InstallPathOfEachProductType)
{
    registry.SetString(PRODUCT_KEY, "DM PathName", "C:\\Keystone");
    registry.SetString(PRODUCT_KEY, "JM PathName", "C:\\Taskmaster");
    registry.SetString(PRODUCT_KEY, "PathName", "C:\\Shared");
    const struct {
        int type;
        std::string path;
    } cases[] = {{1, install.Path()}, {2, "C:\\Keystone"}, {3, "C:\\Taskmaster"},
                 {5, "C:\\Shared"},   {6, "C:\\Shared"}};
    for (const auto& c : cases) {
        char szPath[PATH_BUFFER_SIZE];
        DWORD dwSize = sizeof(szPath);
        CProductInfo(c.type).GetInstallPath(szPath, &dwSize);
        EXPECT_EQ(c.path, szPath) << c.type;
        EXPECT_EQ(c.path.size() + 1, dwSize) << c.type;  // bytes the registry delivered
    }
    for (int type : {0, 4, 7}) {
        char szPath[PATH_BUFFER_SIZE];
        DWORD dwSize = sizeof(szPath);
        EXPECT_NE(std::string::npos,
                  Thrown([&] { CProductInfo(type).GetInstallPath(szPath, &dwSize); })
                      .find("(GetInstallPath(),Invalid ProductType," + std::to_string(type) + ","))
            << type;
    }
}

TEST_F(CProductInfoTest, DerivedPathsAndTheirCaches)
{
    CProductInfo info(PRODUCT_ZORAT);
    char szPath[PATH_BUFFER_SIZE];
    DWORD dwSize = sizeof(szPath);
    info.GetMgrEnvFileName(szPath, &dwSize);
    EXPECT_EQ(install.Path() + "\\etc\\zoratmgr.def", szPath);
    dwSize = sizeof(szPath);
    info.GetTmpPath(szPath, &dwSize);
    EXPECT_EQ(install.Path() + "\\tmp", szPath);
    dwSize = sizeof(szPath);
    info.GetExcFileName("zoratlog.exe", szPath, &dwSize);
    EXPECT_EQ(install.Path() + "\\ctl\\exc\\zoratlog.exe.ctl", szPath);

    // Served from the cache now: the registry no longer matters, the size
    // is left as given, and a buffer must exceed the path.
    registry.SetString(ZORAT_KEY, "Install", "C:\\Elsewhere");
    dwSize = sizeof(szPath);
    info.GetTmpPath(szPath, &dwSize);
    EXPECT_EQ(install.Path() + "\\tmp", szPath);
    EXPECT_EQ(sizeof(szPath), dwSize);
    const DWORD dwExact = static_cast<DWORD>(install.Path().size() + 4);
    dwSize = dwExact;
    EXPECT_NE(std::string::npos, Thrown([&] { info.GetTmpPath(szPath, &dwSize); })
                                     .find("(GetTmpPath(),Not enough buffer," +
                                           std::to_string(dwExact) + ","));
    dwSize = dwExact + 1;
    info.GetTmpPath(szPath, &dwSize);
    EXPECT_EQ(install.Path() + "\\tmp", szPath);
}

TEST_F(CProductInfoTest, ManagerDefinitionFileMustFitWithItsSuffix)
{
    // 1008 + 17 reaches the capacity of 1025; 1007 leaves room for the NUL.
    const std::string path1008 = "C:\\" + std::string(1005, 'p');
    registry.SetString(ZORAT_KEY, "Install", path1008);
    char szPath[PATH_BUFFER_SIZE];
    DWORD dwSize = sizeof(szPath);
    const std::string text =
        Thrown([&] { CProductInfo(PRODUCT_ZORAT).GetMgrEnvFileName(szPath, &dwSize); });
    EXPECT_NE(std::string::npos,
              text.find("(GetMgrEnvFileName(),Not enough buffer,1025,(NULL),(NULL))"))
        << text;

    const std::string path1007 = path1008.substr(0, 1007);
    registry.SetString(ZORAT_KEY, "Install", path1007);
    dwSize = sizeof(szPath);
    CProductInfo(PRODUCT_ZORAT).GetMgrEnvFileName(szPath, &dwSize);
    EXPECT_EQ(path1007 + "\\etc\\zoratmgr.def", szPath);
    EXPECT_EQ(1024u, strlen(szPath));
}

}  // namespace
