#include <gtest/gtest.h>

#include <cstring>

#include "CDateTime.h"
#include "CReportException.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

SYSTEMTIME At(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond,
              WORD wMilliseconds)
{
    SYSTEMTIME st = {};
    st.wYear = wYear;
    st.wMonth = wMonth;
    st.wDay = wDay;
    st.wHour = wHour;
    st.wMinute = wMinute;
    st.wSecond = wSecond;
    st.wMilliseconds = wMilliseconds;
    return st;
}

std::string Now(CDateTime& time)
{
    char szStamp[STAMP_BUFFER_SIZE];
    time.NowDateTime(szStamp, sizeof(szStamp));
    return szStamp;
}

std::string Back(CDateTime& time, int nDays)
{
    char szStamp[STAMP_BUFFER_SIZE];
    time.BakDateTime(szStamp, sizeof(szStamp), nDays);
    return szStamp;
}

class CDateTimeTest : public ProductTest {
protected:
    CDateTimeTest() : ProductTest(NO_TRACE) {}
};

TEST_F(CDateTimeTest, StampsOfAKnownInstant)
{
    CDateTime time(At(2008, 3, 4, 9, 5, 3, 7));
    EXPECT_EQ("20080304090503007", Now(time));
    EXPECT_EQ("20080304000000000", Back(time, 0));
    EXPECT_EQ("20080303000000000", Back(time, 1));
    EXPECT_EQ("20080229000000000", Back(time, 4));  // across a leap month end
    EXPECT_EQ("20080305000000000", Back(time, -1));
    EXPECT_EQ("20070304000000000", Back(time, 366));
}

TEST_F(CDateTimeTest, BackDatesAcrossYearAndMonthEnds)
{
    CDateTime newYear(At(2009, 1, 1, 0, 0, 0, 0));
    EXPECT_EQ("20081231000000000", Back(newYear, 1));
    CDateTime lateEvening(At(2007, 3, 1, 23, 59, 59, 999));
    EXPECT_EQ("20070301235959999", Now(lateEvening));
    EXPECT_EQ("20070228000000000", Back(lateEvening, 1));
    EXPECT_EQ("20070131000000000", Back(lateEvening, 29));
}

TEST_F(CDateTimeTest, NowIsTheConstructionInstant)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    CDateTime time;
    SYSTEMTIME after;
    GetLocalTime(&after);
    CDateTime first(before);
    CDateTime last(after);
    const std::string stamp = Now(time);
    EXPECT_LE(Now(first), stamp);
    EXPECT_GE(Now(last), stamp);
    EXPECT_EQ(Back(first, 1) <= Back(time, 1) && Back(time, 1) <= Back(last, 1), true);
}

TEST_F(CDateTimeTest, BufferOf17IsTooSmall)
{
    CDateTime time(At(2008, 3, 4, 9, 5, 3, 7));
    char szStamp[20];
    memset(szStamp, 'x', sizeof(szStamp));
    for (const char* pszFunction : {"NowDateTime()", "BakDateTime()"}) {
        try {
            if (strcmp(pszFunction, "NowDateTime()") == 0)
                time.NowDateTime(szStamp, 17);
            else
                time.BakDateTime(szStamp, 17, 1);
            FAIL() << pszFunction << " accepted 17";
        } catch (const CReportException& e) {
            EXPECT_NE(nullptr, strstr(e.what(), (std::string("(") + pszFunction +
                                                 ",Not enough buffer,17,(NULL),(NULL))")
                                                    .c_str()))
                << e.what();
        }
    }
    EXPECT_EQ('x', szStamp[0]);  // untouched

    time.NowDateTime(szStamp, 20);  // cleared to its size
    EXPECT_EQ(0, memcmp(szStamp, "20080304090503007\0\0\0", 20));
    memset(szStamp, 'x', sizeof(szStamp));
    time.BakDateTime(szStamp, 18, 1);
    EXPECT_STREQ("20080303000000000", szStamp);
}

}  // namespace
