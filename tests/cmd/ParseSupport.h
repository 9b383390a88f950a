#pragma once
// Runs ParseCommandLine the way a program does and says what it threw, in the
// fixed template's words (the tests run without a message file).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "CBase.h"
#include "ProductTest.h"
#include "trovecmd.h"
#include "trovecmd_names.h"
#include "zoratmsg.h"

class ParseTest : public testing_support::ProductTest {
protected:
    ParseTest() : ProductTest(NO_TRACE) {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        dir = archive.Path();
    }

    // "" when the command line is accepted; options then holds the result.
    std::string Parse(const std::vector<std::string>& args)
    {
        std::vector<char*> argv = {const_cast<char*>("trove.exe")};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        options = CommandOptions();
        CBase record;
        return Thrown([&] {
            ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options, record);
        });
    }

    // The report of message id at line tag with up to three inserts.
    static std::string Report(DWORD id, int tag, const std::string& s1,
                              const std::string& s2 = "(NULL)", const std::string& s3 = "(NULL)")
    {
        return testing_support::TemplateText(id, "trovecmd", tag,
                                             s1 + "," + s2 + "," + s3 + ",(NULL),(NULL)");
    }

    // The fields of a log file name as "host|second|kind|date|extra|short|last",
    // or the report it threw.
    static std::string Fields(const std::string& name, const std::string& logKind)
    {
        CBase record;
        std::string fields;
        const std::string thrown = Thrown([&] {
            const LogFileNameFields f = ParseLogFileName(name, logKind, record);
            fields = f.hostField + "|" + f.secondField + "|" + f.kindField + "|" + f.dateField +
                     "|" + f.extraField + "|" + f.shortField + "|" + f.lastField;
        });
        return thrown.empty() ? fields : thrown;
    }

    // The report of a name that does not split.
    static std::string BadName(const char* pszProgram, int tag, const std::string& name)
    {
        return Report(MSG_ERROR_DETAILS, tag, pszProgram, "Invalid FileName Format", name);
    }

    struct NameCase {
        std::string name;
        std::string logKind;
        std::string expected;
    };
    static void CheckNames(const std::vector<NameCase>& cases)
    {
        for (const NameCase& c : cases)
            EXPECT_EQ(c.expected, Fields(c.name, c.logKind)) << c.name << " " << c.logKind;
    }

    static std::string Today() { return DaysFromToday(0); }

    static std::string DaysFromToday(int nDays)
    {
        SYSTEMTIME st;
        GetLocalTime(&st);
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        ULARGE_INTEGER t;
        t.LowPart = ft.dwLowDateTime;
        t.HighPart = ft.dwHighDateTime;
        t.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(nDays) * 864000000000LL);
        ft.dwLowDateTime = t.LowPart;
        ft.dwHighDateTime = t.HighPart;
        FileTimeToSystemTime(&ft, &st);
        char szDate[16];
        snprintf(szDate, sizeof(szDate), "%04d%02d%02d", st.wYear, st.wMonth, st.wDay);
        return szDate;
    }

    testing_support::ScopedTempDir archive;
    std::string dir;
    CommandOptions options;
};
