#include <gtest/gtest.h>

#include "CWin64Process.h"
#include "FakeWow64.h"

namespace {

const int ERROR_SIZE = 4096;

// The tests run in 64-bit prefixes: a 64-bit process is native there, a
// 32-bit one a WOW64 process (its real switching: wow64_tests.cpp).
TEST(CWin64ProcessTest, ProcessIsWow64OnlyAs32BitAndSwitchesWork)
{
    CWin64Process process;
    char szError[ERROR_SIZE] = "untouched";
    int nWow64 = -1;
    EXPECT_EQ(1, process.IsWow64(szError, ERROR_SIZE, &nWow64));
    EXPECT_EQ(sizeof(void*) == 4 ? 1 : 0, nWow64);
    EXPECT_EQ(1, process.RedirectOff(szError, ERROR_SIZE));
    EXPECT_EQ(1, process.RedirectOn(szError, ERROR_SIZE));
    EXPECT_STREQ("untouched", szError);
}

TEST(CWin64ProcessTest, Wow64SwitchHandsBackTheStoredValue)
{
    fake_wow64::State& fake = fake_wow64::Install();
    CWin64Process process;
    char szError[ERROR_SIZE] = {};
    int nWow64 = 0;
    ASSERT_EQ(1, process.IsWow64(szError, ERROR_SIZE, &nWow64));
    EXPECT_EQ(1, nWow64);

    EXPECT_EQ(1, process.RedirectOff(szError, ERROR_SIZE));
    EXPECT_EQ(1, process.RedirectOn(szError, ERROR_SIZE));
    EXPECT_EQ(1, fake.nDisables);
    EXPECT_EQ(0, fake.nOff);
    ASSERT_NE(nullptr, fake.pLastStored);
    EXPECT_EQ(fake.pLastStored, fake.pLastReverted);
}

TEST(CWin64ProcessTest, OnlyTheFirstCheckAsksTheSystem)
{
    fake_wow64::State& fake = fake_wow64::Install();
    char szError[ERROR_SIZE] = {};
    int nWow64 = 0;
    CWin64Process first;
    ASSERT_EQ(1, first.IsWow64(szError, ERROR_SIZE, &nWow64));
    CWin64Process second;
    ASSERT_EQ(1, second.IsWow64(szError, ERROR_SIZE, &nWow64));
    EXPECT_EQ(1, nWow64);
    EXPECT_EQ(1, fake.nQuestions);

    // The second object found its own switch functions.
    EXPECT_EQ(1, second.RedirectOff(szError, ERROR_SIZE));
    EXPECT_EQ(1, fake.nDisables);
}

TEST(CWin64ProcessTest, SwitchWithoutCheckDoesNothing)
{
    fake_wow64::State& fake = fake_wow64::Install();
    char szError[ERROR_SIZE] = {};
    int nWow64 = 0;
    CWin64Process checked;
    ASSERT_EQ(1, checked.IsWow64(szError, ERROR_SIZE, &nWow64));

    CWin64Process unchecked;
    EXPECT_EQ(1, unchecked.RedirectOff(szError, ERROR_SIZE));
    EXPECT_EQ(1, unchecked.RedirectOn(szError, ERROR_SIZE));
    EXPECT_EQ(0, fake.nDisables);
    EXPECT_EQ(0, fake.nReverts);
}

TEST(CWin64ProcessTest, FailedSwitchesLeaveTheirTextCutToTheBuffer)
{
    fake_wow64::State& fake = fake_wow64::Install();
    fake.bDisableSucceeds = FALSE;
    fake.bRevertSucceeds = FALSE;
    CWin64Process process;
    char szError[ERROR_SIZE] = {};
    int nWow64 = 0;
    ASSERT_EQ(1, process.IsWow64(szError, ERROR_SIZE, &nWow64));

    EXPECT_EQ(0, process.RedirectOff(szError, ERROR_SIZE));
    EXPECT_STREQ("Failed to redirect off.", szError);
    EXPECT_EQ(0, process.RedirectOn(szError, ERROR_SIZE));
    EXPECT_STREQ("Failed to redirect on.", szError);
    EXPECT_EQ(0, process.RedirectOn(szError, 7));
    EXPECT_STREQ("Failed", szError);
}

TEST(CWin64ProcessTest, Wow64WithoutRevertFunctionCountsAsNotSwitchable)
{
    fake_wow64::State& fake = fake_wow64::Install();
    fake.bHasRevert = false;
    CWin64Process process;
    char szError[ERROR_SIZE] = {};
    int nWow64 = 1;
    EXPECT_EQ(1, process.IsWow64(szError, ERROR_SIZE, &nWow64));
    EXPECT_EQ(0, nWow64);
    EXPECT_EQ(1, process.RedirectOff(szError, ERROR_SIZE));
    EXPECT_EQ(0, fake.nDisables);
}

TEST(CWin64ProcessTest, FailedQuestionFailsOnceThenCountsAsNotWow64)
{
    fake_wow64::State& fake = fake_wow64::Install();
    fake.bQuestionSucceeds = FALSE;
    char szError[ERROR_SIZE] = {};
    int nWow64 = 1;
    CWin64Process first;
    EXPECT_EQ(0, first.IsWow64(szError, ERROR_SIZE, &nWow64));
    EXPECT_EQ(0, nWow64);

    CWin64Process second;
    EXPECT_EQ(1, second.IsWow64(szError, ERROR_SIZE, &nWow64));
    EXPECT_EQ(0, nWow64);
    EXPECT_EQ(1, fake.nQuestions);
}

}  // namespace
