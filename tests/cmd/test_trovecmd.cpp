// Cases both programs share; built into the backup and the restore tests.
#include "ParseSupport.h"
#include "zoratmsg.h"

namespace {

struct Case {
    std::vector<std::string> args;  // "<dir>" stands for the scratch directory
    std::string expected;
};

}  // namespace

class SharedParseTest : public ParseTest {
protected:
    // What every accepted command line of this program needs.
    std::vector<std::string> Required() const
    {
#ifdef TROVE_RESTORE
        return {"-D", dir, "-R", dir};
#else
        return {"-D", dir};
#endif
    }
    // Each case after the required options.
    void Check(const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            std::vector<std::string> args = Required();
            for (const std::string& arg : c.args) args.push_back(arg == "<dir>" ? dir : arg);
            std::string line;
            for (const std::string& arg : args) line += arg + " ";
            EXPECT_EQ(c.expected, Parse(args)) << line;
        }
    }
};

TEST_F(SharedParseTest, NoArgumentsMissesTheArchiveDirectory)
{
    EXPECT_EQ(Report(MSG_OPTION_ERROR, 1969, "-D"), Parse({}));
}

TEST_F(SharedParseTest, PairWalk)
{
    Check({{{"H", "host"}, Report(MSG_OPTION_ERROR, 1513, "H")},
           {{"", "host"}, Report(MSG_OPTION_ERROR, 1513, "")},
           {{"-H"}, Report(MSG_OPTION_ERROR, 1523, "-H")},
           // A value beginning with "-" fails here, before the host check.
           {{"-H", "-x"}, Report(MSG_OPTION_VALUE_INVALID, 1532, "-H", "-x")},
           {{"-X", "1"}, Report(MSG_OPTION_ERROR, 1958, "-X")},
           {{"-h", "host"}, Report(MSG_OPTION_ERROR, 1958, "-h")}});
}

TEST_F(SharedParseTest, HostAndSecondName)
{
    Check(
        {{{"-H", "web-01.example"}, ""},
         {{"-H", std::string(128, 'h')}, ""},
         {{"-H", std::string(129, 'h')}, Report(MSG_OPTION_VALUE_LENGTH, 1572, "-H", "128", "129")},
         {{"-H", ""}, Report(MSG_OPTION_VALUE_LENGTH, 1572, "-H", "128", "0")},
         {{"-H", "web_01"}, Report(MSG_OPTION_VALUE_INVALID, 1582, "-H", "web_01")},
         {{"-H", "web."}, Report(MSG_OPTION_VALUE_INVALID, 1582, "-H", "web.")},
         {{"-H", "*"}, Report(MSG_OPTION_VALUE_INVALID, 1582, "-H", "*")},
         {{"-A", "app-2"}, ""},
         {{"-A", std::string(81, 'a')}, Report(MSG_OPTION_VALUE_LENGTH, 1604, "-A", "80", "81")},
         {{"-A", ""}, Report(MSG_OPTION_VALUE_LENGTH, 1604, "-A", "80", "0")},
         {{"-A", "app.2"}, Report(MSG_OPTION_VALUE_INVALID, 1614, "-A", "app.2")},
         {{"-A", "app-"}, Report(MSG_OPTION_VALUE_INVALID, 1614, "-A", "app-")}});
}

TEST_F(SharedParseTest, LogKindIsCaseSensitive)
{
    Check({{{"-L", "LOG"}, ""},
           {{"-L", "CSV"}, ""},
           {{"-L", "log"}, Report(MSG_OPTION_VALUE_INVALID, 1944, "-L", "log")},
           {{"-L", "TXT"}, Report(MSG_OPTION_VALUE_INVALID, 1944, "-L", "TXT")}});
}

TEST_F(SharedParseTest, OneDate)
{
    const std::string yesterday = DaysFromToday(-1);
    Check(
        {{{"-B", yesterday}, ""},
         {{"-B", Today()}, Report(MSG_OPTION_VALUE_INVALID, 1713, "-B", Today())},
         {{"-B", DaysFromToday(1)}, Report(MSG_OPTION_VALUE_INVALID, 1713, "-B", DaysFromToday(1))},
         {{"-B", "20070230"}, ""},  // no calendar check beyond 1..31
         {{"-B", "2007023"}, Report(MSG_OPTION_VALUE_INVALID, 1696, "-B", "2007023")},
         {{"-B", "200702300"}, Report(MSG_OPTION_VALUE_INVALID, 1696, "-B", "200702300")},
         {{"-B", "2007023a"}, Report(MSG_OPTION_VALUE_INVALID, 1722, "-B", "2007023a")},
         {{"-B", "20071301"}, Report(MSG_OPTION_VALUE_INVALID, 1739, "-B", "20071301")},
         {{"-B", "20070001"}, Report(MSG_OPTION_VALUE_INVALID, 1739, "-B", "20070001")},
         {{"-B", "20070132"}, Report(MSG_OPTION_VALUE_INVALID, 1754, "-B", "20070132")},
         {{"-B", "20070100"}, Report(MSG_OPTION_VALUE_INVALID, 1754, "-B", "20070100")}});
}

TEST_F(SharedParseTest, RangeOfDays)
{
    Check({{{"-F", "8", "-T", "7"}, ""},
           {{"-T", "7", "-F", "30"}, ""},
           {{"-F", "7", "-T", "7"}, Report(MSG_OPTION_VALUE_INVALID, 2008, "-F", "7")},
           {{"-F", "7", "-T", "8"}, Report(MSG_OPTION_VALUE_INVALID, 2008, "-F", "7")},
           {{"-F", "3"}, Report(MSG_OPTION_ERROR, 1988, "-F")},
           {{"-T", "3"}, Report(MSG_OPTION_ERROR, 1995, "-T")},
           {{"-F", "3", "-T", "1", "-B", "20070101"}, Report(MSG_OPTION_ERROR, 2018, "-B")},
           {{"-F", "0"}, Report(MSG_OPTION_VALUE_INVALID, 1645, "-F", "0")},
           {{"-F", "3x"}, Report(MSG_OPTION_VALUE_INVALID, 1636, "-F", "3x")},
           {{"-T", "000"}, Report(MSG_OPTION_VALUE_INVALID, 1675, "-T", "000")},
           {{"-T", ""}, Report(MSG_OPTION_VALUE_INVALID, 1666, "-T", "")},
           {{"-F", "10", "-T", "9"}, ""}});  // compared as numbers, not texts
}

TEST_F(SharedParseTest, SecondOccurrenceIsRefusedEvenWithTheSameValue)
{
    Check({{{"-H", "a", "-H", "a"}, Report(MSG_OPTION_DUPLICATE, 1565, "-H")},
           {{"-A", "a", "-A", "b"}, Report(MSG_OPTION_DUPLICATE, 1597, "-A")},
           {{"-F", "9", "-F", "9"}, Report(MSG_OPTION_DUPLICATE, 1629, "-F")},
           {{"-T", "1", "-T", "1"}, Report(MSG_OPTION_DUPLICATE, 1659, "-T")},
           {{"-B", "20070101", "-B", "20070101"}, Report(MSG_OPTION_DUPLICATE, 1689, "-B")},
           {{"-L", "LOG", "-L", "LOG"}, Report(MSG_OPTION_DUPLICATE, 1934, "-L")},
           // Refused before the bad value is looked at.
           {{"-H", "a", "-H", "_"}, Report(MSG_OPTION_DUPLICATE, 1565, "-H")},
           {{"-D", "<dir>"}, Report(MSG_OPTION_DUPLICATE, 1769, "-D")}});
}

TEST_F(SharedParseTest, ArchiveDirectory)
{
    const std::string longDir = "C:\\" + std::string(77, 'd');  // 80 characters
    const std::string file = dir + "\\file.log";
    std::ofstream(file) << "x";
    for (const auto& c : std::vector<std::pair<std::string, std::string>>{
             {"C:\\", Report(MSG_OPTION_VALUE_INVALID, 1781, "-D", "C:\\")},
             {"C:\\data\\", Report(MSG_OPTION_VALUE_INVALID, 1781, "-D", "C:\\data\\")},
             {"C:", Report(MSG_OPTION_VALUE_INVALID, 1822, "-D", "C:")},
             {"C", Report(MSG_OPTION_VALUE_INVALID, 1822, "-D", "C")},
             {"", Report(MSG_OPTION_VALUE_INVALID, 1822, "-D", "")},
             {"1:\\data", Report(MSG_OPTION_VALUE_INVALID, 1822, "-D", "1:\\data")},
             {"C;\\data", Report(MSG_OPTION_VALUE_INVALID, 1822, "-D", "C;\\data")},
             {"\\\\server\\share",
              Report(MSG_OPTION_VALUE_INVALID, 1822, "-D", "\\\\server\\share")},
             {longDir + "d", Report(MSG_OPTION_VALUE_LENGTH, 1805, "-D", "80", "81")},
             {longDir, Report(MSG_OPTION_VALUE_INVALID, 1814, "-D", longDir)},
             {dir + "\\missing", Report(MSG_OPTION_VALUE_INVALID, 1814, "-D", dir + "\\missing")},
             {file, Report(MSG_OPTION_VALUE_INVALID, 1814, "-D", file)}}) {
        std::vector<std::string> args = {"-D", c.first};
#ifdef TROVE_RESTORE
        args.insert(args.end(), {"-R", dir});
#endif
        EXPECT_EQ(c.second, Parse(args)) << c.first;
    }
}

TEST_F(SharedParseTest, DoubleByteCharacterEndingIn5CIsNoTrailingBackslash)
{
    ASSERT_EQ(932u, GetACP());
    // One character whose second byte is 0x5C: the value goes on to the
    // existence check (which this missing directory fails).
    const std::string dbcsDir = dir + "\\\x83\x5C";
    std::vector<std::string> args = Required();
    args[1] = dbcsDir;
    EXPECT_EQ(Report(MSG_OPTION_VALUE_INVALID, 1814, "-D", dbcsDir), Parse(args));
    args[1] = dbcsDir + "\\";
    EXPECT_EQ(Report(MSG_OPTION_VALUE_INVALID, 1781, "-D", dbcsDir + "\\"), Parse(args));
}

TEST_F(SharedParseTest, ValuesAsTypedAndDefaults)
{
    ASSERT_EQ("", Parse(Required()));
    EXPECT_EQ("*", options.hostName);
    EXPECT_EQ("*", options.secondName);
    EXPECT_EQ(dir, options.archiveDir);
    EXPECT_EQ("LOG", options.logKind);
    EXPECT_EQ("", options.logDate);
    EXPECT_EQ("", options.fromDays);
    EXPECT_EQ("", options.toDays);

    std::vector<std::string> args = Required();
    args.insert(args.end(), {"-H", "web01", "-A", "app", "-L", "CSV", "-F", "030", "-T", "7"});
    ASSERT_EQ("", Parse(args));
    EXPECT_EQ("web01", options.hostName);
    EXPECT_EQ("app", options.secondName);
    EXPECT_EQ("CSV", options.logKind);
    EXPECT_EQ("030", options.fromDays);
    EXPECT_EQ("7", options.toDays);
}

TEST_F(SharedParseTest, FirstFaultInCommandLineOrderWins)
{
    Check({{{"-H", "bad_", "-Q", "x"}, Report(MSG_OPTION_VALUE_INVALID, 1582, "-H", "bad_")},
           {{"-Q", "x", "-H", "bad_"}, Report(MSG_OPTION_ERROR, 1958, "-Q")},
           // The pair walk comes before any value check.
           {{"-H", "bad_", "-A"}, Report(MSG_OPTION_ERROR, 1523, "-A")}});
}
