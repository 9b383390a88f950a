#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CFileLock.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

class CFileLockTest : public ::testing::Test {
protected:
    // dir\name, created and opened for reading.
    FILE* Open(const ScopedTempDir& dir, const char* pszName)
    {
        const std::string path = dir.Path() + "\\" + pszName;
        fclose(fopen(path.c_str(), "w"));
        files.emplace_back(fopen(path.c_str(), "r"), fclose);
        return files.back().get();
    }
    static bool MutexExists(const char* pszName)
    {
        return UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, pszName)).valid();
    }

    ScopedTempDir first, second, work;
    const std::string held = first.Path() + "\\shared.ini";
    const std::string mine = second.Path() + "\\shared.ini";
    std::vector<std::unique_ptr<FILE, int (*)(FILE*)>> files;
};

TEST_F(CFileLockTest, SameFileNameInAnotherFolderWaitsForTheOtherProcess)
{
    Open(first, "shared.ini");
    const auto holder = HoldFileLock("filelock", held, 1500);
    const DWORD dwStart = GetTickCount();
    CFileLock lock(Open(second, "shared.ini"), 2, mine.c_str());
    EXPECT_GE(GetTickCount() - dwStart, 750u) << "did not wait for the holder";
    EXPECT_EQ(0, lock.GetStatus());
    EXPECT_EQ(2, lock.GetState());
    EXPECT_EQ(0u, holder->Wait()) << "the holder's Unlock failed";
    EXPECT_EQ(0, lock.Unlock());
}

TEST_F(CFileLockTest, LockLeftByAnEndedProcessIsTakenAsAbandoned)
{
    Open(first, "shared.ini");
    const auto holder = HoldFileLock("abandon", held, 300);
    // Keeps the mutex in existence past the holder's end.
    UniqueHandle kept(OpenMutexA(SYNCHRONIZE, FALSE, "KXQTR.shared.ini"));
    ASSERT_TRUE(kept.valid());
    EXPECT_EQ(0u, holder->Wait());
    CapturedStdout capture(work.Path() + "\\stdout.txt");
    CFileLock lock(Open(second, "shared.ini"), 1, mine.c_str());
    const int nUnlocked = lock.Unlock();
    EXPECT_EQ("::WaiteForSingleObject() -->WAIT_ABANDONED\n", capture.Text());
    EXPECT_EQ(1, lock.GetStatus());
    EXPECT_EQ(0, nUnlocked) << "an abandoned mutex is owned all the same";
}

TEST_F(CFileLockTest, DestructionGivesTheLockBack)
{
    {
        CFileLock lock(Open(first, "plain.ini"), 1, "plain.ini");
        EXPECT_TRUE(MutexExists("KXQTR.plain.ini"));
    }
    EXPECT_FALSE(MutexExists("KXQTR.plain.ini"));
}

TEST_F(CFileLockTest, InvalidArgumentsTakeNothingAndPrintNothing)
{
    CapturedStdout capture(work.Path() + "\\stdout.txt");
    CFileLock wrongMode(Open(first, "a.ini"), 3, "a.ini");
    CFileLock noFile(nullptr, 1, "a.ini");
    const int nUnlocked = wrongMode.Unlock();
    EXPECT_EQ("", capture.Text());
    EXPECT_EQ(0, nUnlocked);
    EXPECT_EQ(2, wrongMode.GetStatus());
    EXPECT_EQ(1, wrongMode.GetState());
    EXPECT_EQ(2, noFile.GetStatus());
    EXPECT_EQ(1, noFile.GetState());
    EXPECT_FALSE(MutexExists("KXQTR.a.ini"));
}

TEST_F(CFileLockTest, NameTakenByAnotherKindOfObjectPrintsEachFailure)
{
    UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, "KXQTR.clash.ini"));
    ASSERT_TRUE(event.valid());
    CapturedStdout capture(work.Path() + "\\stdout.txt");
    CFileLock lock(Open(first, "clash.ini"), 1, "clash.ini");
    const int nUnlocked = lock.Unlock();
    EXPECT_EQ("::CreateMutex() -->GetLastError(6)\n"
              "::OpenMutex() -->GetLastError(6)\n"
              "::WaitForSingleObject() -->WAIT_FAILED GetLastError(6)\n",
              capture.Text());
    EXPECT_EQ(1, lock.GetStatus());
    EXPECT_EQ(0, nUnlocked) << "nothing was opened";
}

}  // namespace
