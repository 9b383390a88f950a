// Log file names and command lines, in the flavour this is built into.
#include <map>
#include <set>

#include "RandomInput.h"

#ifdef TROVE_RESTORE
const char* const PROGRAM = "troveload.exe";
const std::map<int, std::string> NAME_SUFFIX_TAGS = {
    {2241, ".cln"}, {2266, ".cln"}, {2322, ".cln"}, {2347, ".cln"}, {2375, ".cln"}};
#else
const char* const PROGRAM = "trovesave.exe";
const std::map<int, std::string> NAME_SUFFIX_TAGS = {
    {2230, ".csv"}, {2266, ".log"}, {2322, ".log"}, {2347, ".log"}, {2375, ".log"}};
#endif

TEST_F(RandomInputTest, LogFileNamesSplitAtTheirSeparators)
{
    std::set<int> tagsSeen;
    int nAccepted = 0;
    Cases("log file names", 5000, 20000, [&](Random& random) {
        const std::vector<std::string> suffixes = {".log",     ".csv",   ".cln", "",
                                                   ".log.log", ".cln_1", "_.log"};
        const std::vector<std::string> pieces = {"h",  "B",    "20070105", "20070105001",
                                                 "01", "0001", "003",      ""};
        // Half of them shaped like names, half any mix of separators.
        const bool bShaped = random.Percent(50);
        std::string name = bShaped ? random.Text(random.Int(1, 6)) + "_app_" +
                                         random.Pick(std::vector<std::string>{"X", "B"})
                                   : "";
        for (int nFields = random.Int(bShaped ? 1 : 0, 4); nFields > 0; --nFields) {
            name += bShaped ? "_" : random.From("_.-0", random.Int(0, 2));
            name += random.Percent(70) ? random.Pick(pieces) : random.Text(random.Int(0, 3));
        }
        name += random.Pick(suffixes);
        if (random.Percent(5))
            name = random.Text(random.Int(240, 260)) + name;  // at the path limit
        // What no file name holds, or names a device: such a name leads out of
        // its directory, and is refused before anything else.
        const std::vector<std::string> hostile = {"\\",   "/",    ":",     "*",    "?",
                                                  "\"",   "<",    ">",     "|",    "\x01",
                                                  "\x7f", "CON.", "nul .", "Com9."};
        if (random.Percent(4)) name = random.Pick(hostile) + name;
        if (random.Percent(2)) name += random.Pick(std::vector<std::string>{".", " "});
        const bool bHostile =
            name.empty() || name.back() == '.' || name.back() == ' ' ||
            std::any_of(hostile.begin(), hostile.end(),
                        [&](const std::string& h) { return name.compare(0, h.size(), h) == 0; });
        const std::string logKind = random.Percent(50) ? "LOG" : "CSV";

        CBase record;
        LogFileNameFields fields;
        const std::string thrown =
            Thrown([&] { fields = ParseLogFileName(name, logKind, record); });

        // The reference: the first two separators and the third at least two on.
        const size_t p1 = name.find('_');
        const size_t p2 = p1 == std::string::npos ? p1 : name.find('_', p1 + 1);
        const size_t p3 = p2 == std::string::npos ? p2 : name.find('_', p2 + 2);
        const int nSplitTag = bHostile                  ? 2170
                              : p1 == std::string::npos ? 2185
                              : p2 == std::string::npos ? 2197
                              : p3 == std::string::npos ? 2210
                                                        : 0;
        if (!thrown.empty()) {
            ReportParts report;
            ASSERT_TRUE(ParseReport(thrown, report)) << thrown;
            tagsSeen.insert(report.nLine);
            ASSERT_EQ(Expected(MSG_ERROR_DETAILS, report.nLine,
                               {PROGRAM, "Invalid FileName Format", name}),
                      thrown);
            if (nSplitTag != 0) {
                EXPECT_EQ(nSplitTag, report.nLine) << name;
                return;
            }
            const auto suffix = NAME_SUFFIX_TAGS.find(report.nLine);
            ASSERT_NE(NAME_SUFFIX_TAGS.end(), suffix) << name << " " << report.nLine;
            // A name refused for its suffix does not end in it.
            EXPECT_FALSE(name.size() >= 4 && name.compare(name.size() - 4, 4, suffix->second) == 0)
                << name;
            return;
        }
        ++nAccepted;
        ASSERT_EQ(0, nSplitTag) << name;  // too few separators is never a name
        EXPECT_EQ(name.substr(0, p1), fields.hostField);
        EXPECT_EQ(name.substr(p1 + 1, p2 - p1 - 1), fields.secondField);
        EXPECT_EQ(name.substr(p2 + 1, p3 - p2 - 1), fields.kindField);
        for (const std::string* pField :
             {&fields.dateField, &fields.extraField, &fields.shortField})
            EXPECT_EQ(std::string::npos, pField->find('_')) << name;
        EXPECT_TRUE(fields.extraField.empty() || fields.kindField == "B") << name;
    });
    // The generator reaches every way a name can be refused, and names that split.
    std::set<int> tagsExpected = {2170, 2185, 2197, 2210};
    for (const auto& suffix : NAME_SUFFIX_TAGS) tagsExpected.insert(suffix.first);
    EXPECT_EQ(tagsExpected, tagsSeen);
    EXPECT_GT(nAccepted, 100);
}

TEST_F(RandomInputTest, CommandLinesNeverAcceptedWhenRefusable)
{
#ifdef TROVE_RESTORE
    const std::vector<std::string> optionNames = {"-H", "-A", "-F", "-T", "-B",
                                                  "-D", "-R", "-G", "-L"};
    const size_t nMaxArguments = 16;
#else
    const std::vector<std::string> optionNames = {"-H", "-A", "-F", "-T", "-B", "-D", "-L"};
    const size_t nMaxArguments = 12;
#endif
    // Each line tag with its identifier.
    std::map<int, DWORD> tagIds = {{1498, MSG_TOO_MANY_ARGUMENTS}};
    for (int nTag : {1513, 1523, 1958, 1969, 1978, 1988, 1995, 2018})
        tagIds[nTag] = MSG_OPTION_ERROR;
    for (int nTag : {1565, 1597, 1629, 1659, 1689, 1769, 1838, 1906, 1934})
        tagIds[nTag] = MSG_OPTION_DUPLICATE;
    for (int nTag : {1572, 1604, 1805, 1874}) tagIds[nTag] = MSG_OPTION_VALUE_LENGTH;
    for (int nTag : {1532, 1582, 1614, 1636, 1645, 1666, 1675, 1696, 1713, 1722, 1739,
                     1754, 1781, 1822, 1814, 1850, 1891, 1883, 1916, 1944, 2008})
        tagIds[nTag] = MSG_OPTION_VALUE_INVALID;

    Cases("command lines", 30000, 20000, [&](Random& random) {
        const std::vector<std::string> values = {"host-1",
                                                 "app",
                                                 "7",
                                                 "30",
                                                 "0",
                                                 "-1",
                                                 "20070105",
                                                 "20071332",
                                                 "ALL",
                                                 "LAST",
                                                 "LOG",
                                                 "CSV",
                                                 dir,
                                                 dir + "\\",
                                                 "C:",
                                                 "M:\\x",
                                                 "\"quoted value\"",
                                                 "with blank",
                                                 "",
                                                 std::string(5000, 'v'),
                                                 random.Percent(10) ? random.Text(5000) : "v",
                                                 random.Text(random.Int(1, 90)),
                                                 random.Bytes(random.Int(1, 20))};
        std::vector<std::string> args;
        std::set<std::string> given;
        for (int nPairs = random.Int(0, 9); nPairs > 0; --nPairs) {
            std::string option = random.Pick(optionNames);
            if (random.Percent(5))
                option = random.Pick(std::vector<std::string>{"-X", "-", "H", "-h"});
            args.push_back(option);
            if (random.Percent(95)) args.push_back(random.Pick(values));
        }
        if (random.Percent(60)) {  // what every run needs, at the front
            args.insert(args.begin(), {"-D", dir});
#ifdef TROVE_RESTORE
            args.insert(args.begin(), {"-R", dir});
#endif
        }
        // Arguments pair up by position: an option whose value was left out
        // takes the next argument as its value, whatever it looks like.
        bool bRefusable = args.size() % 2 != 0 || args.size() > nMaxArguments;
        for (size_t i = 0; i < args.size(); i += 2) {
            bRefusable |=
                !given.insert(args[i]).second ||
                std::find(optionNames.begin(), optionNames.end(), args[i]) == optionNames.end();
        }
#ifdef TROVE_RESTORE
        bRefusable |= given.count("-R") == 0;
#endif
        bRefusable |= given.count("-D") == 0;

        const std::string thrown = Parse(args);
        std::string line;
        for (const std::string& arg : args) line += "[" + arg.substr(0, 40) + "]";
        if (thrown.empty()) {
            EXPECT_FALSE(bRefusable) << line;
            for (size_t i = 0; i + 1 < args.size(); i += 2) {
                const std::map<std::string, const std::string*> fields = {
                    {"-H", &options.hostName},   {"-A", &options.secondName},
                    {"-F", &options.fromDays},   {"-T", &options.toDays},
                    {"-B", &options.logDate},    {"-D", &options.archiveDir},
                    {"-R", &options.restoreDir}, {"-G", &options.generation},
                    {"-L", &options.logKind}};
                EXPECT_EQ(args[i + 1], *fields.at(args[i])) << line;
            }
            return;
        }
        ReportParts report;
        ASSERT_TRUE(ParseReport(thrown, report)) << line << "\n" << thrown;
        ASSERT_TRUE(tagIds.count(report.nLine)) << line << "\n" << thrown;
        EXPECT_EQ(tagIds[report.nLine], report.dwId) << line;
        EXPECT_LE(thrown.size(), 4096u);
        EXPECT_FALSE(EndsInHalfCharacter(thrown)) << line;
        if (args.size() > nMaxArguments) {
            EXPECT_EQ(1498, report.nLine) << line;
        }
    });
}
