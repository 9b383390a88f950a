#include <gtest/gtest.h>

#include <functional>

#include "CRedirectionGuard.h"
#include "CReportException.h"
#include "FakeWow64.h"

namespace {

std::string Thrown(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CReportException& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

// The WOW64 answer is taken once per process: one case per answer.
TEST(CRedirectionGuardTest, OutsideWow64NothingIsSwitched)
{
    fake_wow64::State& fake = fake_wow64::Install();
    fake.bIsWow64 = FALSE;
    CRedirectionGuard guard;
    EXPECT_FALSE(guard.SwitchOff(GetCurrentThreadId()));
    EXPECT_FALSE(guard.IsOff());
    guard.SwitchOn();
    EXPECT_EQ(0, fake.nDisables + fake.nReverts);
}

TEST(CRedirectionGuardTest, UnderWow64FailedSwitchesThrowTheirOwnText)
{
    fake_wow64::State& fake = fake_wow64::Install();
    CRedirectionGuard guard;
    fake.bDisableSucceeds = FALSE;
    EXPECT_EQ("Failed to redirect off.", Thrown([&] { guard.SwitchOff(GetCurrentThreadId()); }));
    EXPECT_FALSE(guard.IsOff());

    fake.bDisableSucceeds = TRUE;
    fake.bRevertSucceeds = FALSE;
    EXPECT_TRUE(guard.SwitchOff(GetCurrentThreadId()));
    EXPECT_EQ("Failed to redirect on.", Thrown([&] { guard.SwitchOn(); }));
    EXPECT_FALSE(guard.TrySwitchOn());
    EXPECT_TRUE(guard.IsOff());
    EXPECT_EQ(1, fake.nOff);

    fake.bRevertSucceeds = TRUE;
    guard.SwitchOn();
    EXPECT_FALSE(guard.IsOff());
    EXPECT_EQ(0, fake.nOff);
    EXPECT_EQ(fake.pLastStored, fake.pLastReverted);
    EXPECT_EQ(1, fake.nQuestions);  // asked once, for the guard's life
}

}  // namespace
