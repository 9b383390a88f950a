#include <gtest/gtest.h>

#include "CReportException.h"
#include "CSem.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

class CSemTest : public ProductTest {
protected:
    CSemTest() : ProductTest(NO_TRACE) {}

    ScopedTempDir work;
};

TEST_F(CSemTest, SecondHolderInThisProcessIsBusyUntilTheFirstIsGone)
{
    CSem second("troveload-test", 1);
    {
        CSem first("troveload-test", 1);
        EXPECT_EQ(1, first.Lock());
        EXPECT_EQ(0, first.Lock());  // already held by this object
        EXPECT_EQ(0, second.Lock());
    }
    EXPECT_EQ(1, second.Lock());
    second.Unlock();
    CSem third("troveload-test", 1);
    EXPECT_EQ(1, third.Lock());
}

TEST_F(CSemTest, LockHeldByAnotherProcess)
{
    const std::string ready = work.Path() + "\\ready";
    ChildProcess holder(ChildProcess::TestProgram("holder.exe") + " sem troveload-cross 1500 \"" +
                        ready + "\"");
    holder.WaitUntilReady(ready);
    CSem sem("troveload-cross", 1);
    EXPECT_EQ(0, sem.Lock());
    EXPECT_EQ(0u, holder.Wait());
    EXPECT_EQ(1, sem.Lock());
}

TEST_F(CSemTest, ResourceNameOf1024CharactersAtMost)
{
    CSem longest(std::string(1024, 'n').c_str(), 1);
    for (const char* pszName : {"", static_cast<const char*>(nullptr)}) {
        try {
            CSem refused(pszName, 1);
            FAIL() << "accepted";
        } catch (const CReportException& e) {
            EXPECT_NE(nullptr, strstr(e.what(), "(CSem(),Invalid ResourceName,(NULL)")) << e.what();
        }
    }
    try {
        CSem refused(std::string(1025, 'n').c_str(), 1);
        FAIL() << "accepted";
    } catch (const CReportException& e) {
        EXPECT_NE(nullptr, strstr(e.what(), "(CSem(),Invalid ResourceName,(NULL)")) << e.what();
    }
}

TEST_F(CSemTest, LogProgramLockIsAMarkerFile)
{
    const std::string dir = install.Path() + "\\ctl\\exc";
    ASSERT_TRUE(CreateDirectoryA((install.Path() + "\\ctl").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    const std::string marker = dir + "\\zoratlog.exeSemaphore.ctl";
    {
        CSem sem("zoratlog.exe", 1);
        EXPECT_EQ(1, sem.Lock());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
        EXPECT_EQ(0, CSem("zoratlog.exe", 1).Lock());
        sem.Unlock();
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));

        EXPECT_EQ(1, sem.Lock());
    }
    // Only Unlock removes it: a marker outlives its object.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
    CSem("zoratlog.exe", 1).Unlock();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
}

TEST_F(CSemTest, UnlockSwallowsFailures)
{
    // No exclusion control directory: the marker cannot be looked for or made.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, ZORAT_KEY, "Install");
    CSem sem("zoratagent-test", 1);
    EXPECT_NO_THROW(sem.Unlock());
    CSem mutex("troveload-unlock", 1);
    EXPECT_NO_THROW(mutex.Unlock());  // nothing held
}

}  // namespace
