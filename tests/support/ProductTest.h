#pragma once
// The fixture the library's tests start from: the product installed in a
// scratch directory, in English, with no message file below it (so reports
// come out in the fixed template), and the common trace open for the test
// unless the fixture asks for none.
#include <gtest/gtest.h>

#include <string>

#include "CCommonTrace.h"
#include "CReportException.h"
#include "TestSupport.h"

namespace testing_support {

class ProductTest : public ::testing::Test {
protected:
    enum TraceChoice { OPEN_TRACE, NO_TRACE };

    explicit ProductTest(TraceChoice choice = OPEN_TRACE) : m_choice(choice) {}

    void SetUp() override
    {
        registry.SetString(PRODUCT_KEY, "DM Language", "ENGLISH");
        registry.SetString(ZORAT_KEY, "Install", install.Path());
        if (m_choice == OPEN_TRACE) {
            ASSERT_EQ(1, OpenCommonTrace(TRACE_IDENTITY, &trace));
        }
    }
    void TearDown() override { CloseCommonTrace(&trace); }

    // What the reports wrote to the trace opened in SetUp, or to the trace of
    // another identity.
    std::string Trace() const { return TraceOf(TRACE_IDENTITY); }
    std::string TraceOf(const char* pszIdentity) const
    {
        return ReadWholeFile(install.Path() + "\\trace\\" + pszIdentity + ".trc");
    }

    // The report text of what the call throws, "" when it does not throw.
    template <typename Call>
    static std::string Thrown(Call call)
    {
        try {
            call();
        } catch (const CReportException& e) {
            return e.what();
        }
        return "";
    }

    static constexpr const char* TRACE_IDENTITY = "test";

    ScopedProductRegistry registry;
    ScopedTempDir install;
    CCommonTrace* trace = nullptr;

private:
    TraceChoice m_choice;
};

}  // namespace testing_support
