#include <gtest/gtest.h>

#include "CBase.h"
#include "CCommonTrace.h"
#include "ProductTest.h"
#include "zoratmsg.h"

using namespace testing_support;

namespace {

// Each test opens the trace itself, under identities of its own.
class CCommonTraceTest : public ProductTest {
protected:
    CCommonTraceTest() : ProductTest(NO_TRACE) {}

    CCommonTrace*& slot = trace;  // closed in TearDown
};

TEST_F(CCommonTraceTest, ReportsReachTheTraceFileThroughTheOrdinals)
{
    ASSERT_EQ(1, OpenCommonTrace("trovesv", &slot));
    ASSERT_NE(nullptr, slot);
    EXPECT_EQ(slot, CCommonTrace::Current());

    CBase base;
    const std::string error = base.ErrorTrace("..\\..\\src\\CRegistry", 60, MSG_ERROR_DETAILS, "e");
    const std::string warning = base.WarningTrace("..\\..\\src\\CSem", 61, MSG_ERROR_DETAILS, "w");
    const std::string info = base.InfoTrace("..\\..\\src\\CSem", 62, MSG_INFORMATION, "i");

    char szIds[64];
    snprintf(szIds, sizeof(szIds), " pid=%lu tid=%lu ", GetCurrentProcessId(),
             GetCurrentThreadId());
    const std::string trace = TraceOf("trovesv");
    EXPECT_NE(std::string::npos, trace.find(szIds + std::string("ERR CRegistry(60) ") + error +
                                            "\r\n"))
        << trace;
    EXPECT_NE(std::string::npos, trace.find(szIds + std::string("ERR CSem(61) ") + warning))
        << trace;
    EXPECT_NE(std::string::npos, trace.find(szIds + std::string("INF CSem(62) ") + info))
        << trace;
}

TEST_F(CCommonTraceTest, SecondOpenOnAFilledSlotKeepsTheClient)
{
    ASSERT_EQ(1, OpenCommonTrace("first", &slot));
    CCommonTrace* first = slot;
    EXPECT_EQ(1, OpenCommonTrace("second", &slot));
    EXPECT_EQ(first, slot);

    CBase().InfoTrace("x", 1, MSG_INFORMATION, "still first");
    EXPECT_NE(std::string::npos, TraceOf("first").find("still first"));
    EXPECT_EQ("", TraceOf("second"));
}

TEST_F(CCommonTraceTest, NothingIsWrittenAfterClose)
{
    ASSERT_EQ(1, OpenCommonTrace("closing", &slot));
    CBase base;
    base.InfoTrace("x", 1, MSG_INFORMATION, "open");
    CloseCommonTrace(&slot);
    EXPECT_EQ(nullptr, slot);
    EXPECT_EQ(nullptr, CCommonTrace::Current());

    const std::string before = TraceOf("closing");
    const std::string text = base.InfoTrace("x", 2, MSG_INFORMATION, "closed");
    EXPECT_NE(std::string::npos, text.find("closed"));  // still formatted and kept
    EXPECT_EQ(before, TraceOf("closing"));
    CloseCommonTrace(&slot);  // an empty slot is fine
}

TEST_F(CCommonTraceTest, IdentityDefaultsAndIsCutAtTwentyCharacters)
{
    ASSERT_EQ(1, OpenCommonTrace(nullptr, &slot));
    CBase().InfoTrace("x", 1, MSG_INFORMATION, "default");
    EXPECT_NE(std::string::npos, TraceOf("zorat").find("default"));
    CloseCommonTrace(&slot);

    ASSERT_EQ(1, OpenCommonTrace("abcdefghijklmnopqrstuvwxyz", &slot));
    CBase().InfoTrace("x", 1, MSG_INFORMATION, "long");
    EXPECT_NE(std::string::npos, TraceOf("abcdefghijklmnopqrst").find("long"));
}

TEST_F(CCommonTraceTest, FailedOpenLeavesNoClient)
{
    // The trace library refuses an empty identity.
    EXPECT_EQ(0, OpenCommonTrace("", &slot));
    EXPECT_EQ(nullptr, slot);
    EXPECT_EQ(nullptr, CCommonTrace::Current());
}

TEST_F(CCommonTraceTest, ClientOpensOnlyOnce)
{
    CCommonTrace client;
    EXPECT_EQ(1, client.Open("once", QWTRC_OPEN_MODE));
    EXPECT_EQ(0, client.Open("once", QWTRC_OPEN_MODE));
    EXPECT_EQ(1, client.Close());
    EXPECT_EQ(0, client.Close());
}

}  // namespace
