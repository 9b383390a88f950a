// Real WOW64 file-system redirection, for the 32-bit build: a file that
// exists only in the real system directory and one that exists only in its
// 32-bit copy (syswow64), placed through the prefix's folders on the Unix
// side, where no redirection applies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "CCheckData.h"
#include "CFileList.h"
#include "CFileOperation.h"
#include "CRedirectionGuard.h"
#include "ProductTest.h"

namespace {

class Wow64Test : public testing_support::ProductTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        const char* pszPrefix = getenv("WINEPREFIX");
        ASSERT_NE(nullptr, pszPrefix);
        std::string windows = std::string("Z:") + pszPrefix + "\\drive_c\\windows";
        for (char& c : windows) c = c == '/' ? '\\' : c;
        realOnly = windows + "\\system32\\trove_real_only.txt";
        wowOnly = windows + "\\syswow64\\trove_wow_only.txt";
        std::ofstream(realOnly) << "real";
        std::ofstream(wowOnly) << "wow";

        char szWindows[MAX_PATH];
        GetWindowsDirectoryA(szWindows, sizeof(szWindows));
        system32 = std::string(szWindows) + "\\system32\\";
    }
    void TearDown() override
    {
        DeleteFileA(realOnly.c_str());
        DeleteFileA(wowOnly.c_str());
        ProductTest::TearDown();
    }

    // What this thread sees below the system directory now.
    bool Sees(const char* pszName) const
    {
        return GetFileAttributesA((system32 + pszName).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void ExpectRedirected() const
    {
        EXPECT_TRUE(Sees("trove_wow_only.txt"));
        EXPECT_FALSE(Sees("trove_real_only.txt"));
    }

    std::string realOnly, wowOnly, system32;
};

TEST_F(Wow64Test, GuardShowsTheRealSystemDirectory)
{
    ExpectRedirected();
    CRedirectionGuard guard;
    ASSERT_TRUE(guard.SwitchOff(GetCurrentThreadId()));
    EXPECT_TRUE(Sees("trove_real_only.txt"));
    EXPECT_FALSE(Sees("trove_wow_only.txt"));
    guard.SwitchOn();
    ExpectRedirected();
}

// Each class looks at the real system directory and leaves the thread
// redirected again.
TEST_F(Wow64Test, ClassesReachTheRealSystemDirectory)
{
    CCheckData check;
    EXPECT_EQ(1, check.CheckFileExist((system32 + "trove_real_only.txt").c_str(), CHECK_MODE_FILE));
    EXPECT_EQ(0, check.CheckFileExist((system32 + "trove_wow_only.txt").c_str(), CHECK_MODE_FILE));
    ExpectRedirected();

    {
        CFileOperation file((system32 + "trove_real_only.txt").c_str(), FILE_MODE_READ, 1);
        std::string line;
        ASSERT_NE(0, file.FileReadLine(line));
        EXPECT_EQ("real", line);
        EXPECT_EQ(4, file.FileSize((system32 + "trove_real_only.txt").c_str()));
    }
    ExpectRedirected();

    CFileList list;
    list.ExecFileListCmd((system32 + "trove_*.txt").c_str(), 1);
    ASSERT_EQ(1, list.GetFileCount());
    char szName[MAX_PATH];
    list.GetFileName(szName, sizeof(szName), 0);
    EXPECT_STREQ("trove_real_only.txt", szName);
    ExpectRedirected();
}

}  // namespace
