// trovesave end to end: the installed program with the archive storage tools
// and the family's libraries, in the laid-out installation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>

#include "InstalledProduct.h"
#include "zoratmsg.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

const char PROGRAM[] = "trovesave.exe";
const char ARKCP[] = "\"C:\\Kelvane\\Arkstore\\cmd\\bin\\arkcp\"";
const char ARKLS[] = "\"C:\\Kelvane\\Arkstore\\cmd\\bin\\arkls\"";
const ULONGLONG FOUR_GIB = 0x100000000ULL;
const char ARKSTORE_KEY[] = "SOFTWARE\\Kelvane\\Install\\Arkstore";


class TrovesaveTest : public InstalledProduct {
protected:
    // Runs the program and checks what every run leaves: no temporary file,
    // the start on the console and as the first audit record, every record
    // with the program and the command-line text, and the reports traced.
    RunResult Save(const std::string& args)
    {
        RunResult run = Run("trovesave", args);
        EXPECT_TRUE(run.tmpFiles.empty()) << Joined(run.tmpFiles);
        EXPECT_TRUE(!run.out.empty() && run.out.front() == Started()) << Joined(run.out);
        EXPECT_TRUE(!run.audit.empty() && run.audit.front().result == "B");
        for (const AuditRecord& record : run.audit) {
            EXPECT_EQ(PROGRAM, record.program);
            EXPECT_EQ(CommandText(args), record.commandLine);
            // A fatal one may be a tool's own line, which is no report.
            if (record.result != "F") {
                EXPECT_NE(std::string::npos, run.trace.find(record.message)) << record.message;
            }
        }
        if (!run.out.empty()) {
            EXPECT_NE(std::string::npos, run.trace.find(run.out.back())) << run.out.back();
        }
        return run;
    }

    static std::string CommandText(const std::string& args) { return PROGRAM + (" " + args); }
    static std::string Final(DWORD dwMessageId, const std::string& args)
    {
        return Text(dwMessageId, {CommandText(args)});
    }
    static std::string Started() { return Text(MSG_PROGRAM_START, {PROGRAM}); }
    static std::string Copied(const std::string& source, const std::string& target)
    {
        return Text(MSG_FILE_COPIED, {source, target});
    }
    static std::string Failed(const std::string& source, const std::string& target,
                              const std::string& message)
    {
        return Text(MSG_FILE_COPY_FAILED, {source, target, message});
    }
    static std::string AlreadyThere(const std::string& source)
    {
        return Text(MSG_FILE_ALREADY_PRESENT, {source});
    }

    // The tool calls as "<tool>: <command>", each followed by its list lines.
    static Lines Calls(const RunResult& run)
    {
        Lines calls;
        for (const ToolCall& call : run.calls) {
            calls.push_back(call.tool + ": " + call.command);
            for (const std::string& line : call.lines) calls.push_back("  " + line);
        }
        return calls;
    }
    static std::string CopyCall(const RunResult& run, int nList)
    {
        return std::string("arkcp: ") + ARKCP + " -a -m \"" + ListFile(run, nList) + "\"";
    }
    static std::string ListFile(const RunResult& run, int nList)
    {
        return std::string(TMP_DIR) + "\\trovesv_arkcplist_" + std::to_string(run.processId) +
               "_" + std::to_string(nList) + ".tmp";
    }
    static std::string ListingCall()
    {
        return std::string("arkls: ") + ARKLS + " -f -s \"" + ARCHIVE_DIR + "\"";
    }
    static std::string ListingCapture(const RunResult& run)
    {
        return std::string(TMP_DIR) + "\\trovesv_arkls_" + std::to_string(run.processId) + ".tmp";
    }

    static std::string Archived(const std::string& name)
    {
        return std::string(ARCHIVE_DIR) + "\\" + name;
    }
    static std::string Joined(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }
};

// Which logs a run selects: only the selected ones are copied (under their
// name with .cln) and recorded, the others are neither counted nor recorded.
struct SelectionCase {
    const char* pszWhat;
    std::vector<std::pair<const char*, const char*>> files;  // directory, name
    const char* pszArgs;
    std::vector<size_t> selected;  // indexes into files, in the order handled
};

TEST_F(TrovesaveTest, SelectsByDateHostAndKindAndCopiesWhatItSelects)
{
    const SelectionCase cases[] = {
        {"yesterday's logs by default",
         {{SAVE_DIR, "hostA_app_X_{1}.log"}, {SAVE_DIR, "hostA_app_X_{2}.log"},
          {SAVE_DIR, "hostA_app_X_{0}.log"}, {SAVE_DIR, "hostB_db_X_{1}_01_002.log"},
          {NORMALIZE_DIR, "hostA_app_X_{1}001.csv"}},
         "-D M:\\archive", {0, 3}},
        {"one date",
         {{SAVE_DIR, "hostA_app_X_{4}.log"}, {SAVE_DIR, "hostA_app_X_{3}.log"},
          {SAVE_DIR, "hostA_app_X_{1}.log"}},
         "-D M:\\archive -B {3}", {1}},
        {"a range with both ends",
         {{SAVE_DIR, "hostA_app_X_{6}.log"}, {SAVE_DIR, "hostA_app_X_{5}.log"},
          {SAVE_DIR, "hostA_app_X_{4}.log"}, {SAVE_DIR, "hostA_app_X_{3}.log"},
          {SAVE_DIR, "hostA_app_X_{2}.log"}},
         "-D M:\\archive -F 5 -T 3", {1, 2, 3}},
        {"host and second name",
         {{SAVE_DIR, "hostA_app_X_{1}.log"}, {SAVE_DIR, "hostA_web_X_{1}.log"},
          {SAVE_DIR, "hostB_app_X_{1}.log"}},
         "-D M:\\archive -H hostA -A app", {0}},
        {"normalized logs",
         {{NORMALIZE_DIR, "hostA_app_X_{1}001.csv"}, {NORMALIZE_DIR, "hostA_app_X_{2}001.csv"},
          {SAVE_DIR, "hostA_app_X_{1}.log"}},
         "-D M:\\archive -L CSV", {0}},
        {"nothing of yesterday",
         {{SAVE_DIR, "hostA_app_X_{2}.log"}, {NORMALIZE_DIR, "hostA_app_X_{1}001.csv"}},
         "-D M:\\archive", {}},
        {"nothing in the range",
         {{SAVE_DIR, "hostA_app_X_{6}.log"}, {SAVE_DIR, "hostA_app_X_{2}.log"}},
         "-D M:\\archive -F 5 -T 3", {}},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Reset();
        Lines sources, names;
        for (size_t i = 0; i < c.files.size(); ++i) {
            names.push_back(Dated(c.files[i].second));
            sources.push_back(WriteLog(c.files[i].first, names.back(), 50 + 10 * i));
        }
        const std::string args = Dated(c.pszArgs);
        const RunResult run = Save(args);

        EXPECT_TRUE(run.err.empty()) << Joined(run.err);
        if (c.selected.empty()) {
            EXPECT_EQ(2u, run.exitCode);
            EXPECT_EQ((Lines{Started(), Final(MSG_RUN_NOTHING_SELECTED, args)}), run.out);
            EXPECT_EQ((Lines{"B " + Started(), "S " + Final(MSG_RUN_NOTHING_SELECTED, args)}),
                      run.AuditLines());
            EXPECT_TRUE(run.calls.empty()) << Joined(Calls(run));
            EXPECT_TRUE(run.archive.empty());
            continue;
        }
        Lines audit = {"B " + Started()};
        Lines calls = {CopyCall(run, 0)};
        std::map<std::string, ULONGLONG> archive;
        for (size_t i : c.selected) {
            const std::string name = names[i].substr(0, names[i].find('.')) + ".cln";
            audit.push_back("S " + Copied(sources[i], Archived(name)));
            calls.push_back("  " + sources[i] + "\t" + Archived(name));
            archive[name] = 50 + 10 * i;
        }
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ((Lines{Started(), Final(MSG_RUN_SUCCEEDED, args)}), run.out);
        EXPECT_EQ(audit, run.AuditLines());
        EXPECT_EQ(calls, Calls(run));
        EXPECT_EQ(archive, run.archive);
    }
}

TEST_F(TrovesaveTest, SecondRunFindsTheLogsArchivedWithOneListing)
{
    const std::string a = WriteLog(SAVE_DIR, Dated("hostA_app_X_{1}.log"), 300);
    const std::string b = WriteLog(SAVE_DIR, Dated("hostB_app_X_{1}.log"), 301);
    const std::string args = "-D M:\\archive";
    const RunResult first = Save(args);
    ASSERT_EQ(0u, first.exitCode) << Joined(first.out);
    ASSERT_EQ(2u, first.archive.size());

    const RunResult second = Save(args);
    EXPECT_EQ(0u, second.exitCode);
    EXPECT_EQ((Lines{Started(), AlreadyThere(a), AlreadyThere(b), Final(MSG_RUN_SUCCEEDED, args)}),
              second.out);
    EXPECT_EQ((Lines{"B " + Started(), "C " + AlreadyThere(a),
                                        "C " + AlreadyThere(b)}),
              second.AuditLines());
    EXPECT_EQ(Lines{ListingCall()}, Calls(second));
    EXPECT_EQ(first.archive, second.archive);
}

// Against the device listing: a name taken with another size is numbered, one
// with the same size (in 64 bits) counts as archived already.
TEST_F(TrovesaveTest, NumberedNamesAgainstTheListedSizes)
{
    struct Log {
        const char* pszHost;
        ULONGLONG size;
        std::vector<std::pair<const char*, ULONGLONG>> archived;  // suffix, size
        const char* pszOutcome;  // target suffix, or "" when already archived
    };
    const Log logs[] = {
        {"hostA", 10, {{"", 11}}, "_001"},
        {"hostB", 10, {{"", 11}, {"_001", 10}}, ""},
        {"hostC", 10, {{"", 11}, {"_001", 12}}, "_002"},
        {"hostD", 5, {{"", FOUR_GIB + 5}}, "_001"},
        {"hostE", FOUR_GIB + 5, {{"", FOUR_GIB + 5}}, ""},
    };
    Lines skipped, copied, lines;
    std::map<std::string, ULONGLONG> archive;
    for (const Log& log : logs) {
        const std::string base = Dated(std::string(log.pszHost) + "_app_X_{1}");
        const std::string source = WriteLog(SAVE_DIR, base + ".log", log.size);
        for (const auto& name : log.archived) {
            WriteLog(ARCHIVE_DIR, base + name.first + ".cln", name.second);
            archive[base + name.first + ".cln"] = name.second;
        }
        if (*log.pszOutcome == '\0') {
            skipped.push_back(source);
            continue;
        }
        const std::string target = base + log.pszOutcome + ".cln";
        copied.push_back("S " + Copied(source, Archived(target)));
        lines.push_back("  " + source + "\t" + Archived(target));
        archive[target] = log.size;
    }
    const RunResult run = Save("-D M:\\archive");

    EXPECT_EQ(0u, run.exitCode);
    Lines out = {Started()}, audit = {"B " + Started()};
    for (const std::string& source : skipped) {
        out.push_back(AlreadyThere(source));
        audit.push_back("C " + AlreadyThere(source));
    }
    out.push_back(Final(MSG_RUN_SUCCEEDED, "-D M:\\archive"));
    audit.insert(audit.end(), copied.begin(), copied.end());
    EXPECT_EQ(out, run.out);
    EXPECT_EQ(audit, run.AuditLines());
    Lines calls = {ListingCall(), CopyCall(run, 0)};
    calls.insert(calls.end(), lines.begin(), lines.end());
    EXPECT_EQ(calls, Calls(run));
    EXPECT_EQ(archive, run.archive);
}

TEST_F(TrovesaveTest, NoNumberLeftFailsThatLogOnly)
{
    const std::string base = Dated("hostA_app_X_{1}");
    const std::string full = WriteLog(SAVE_DIR, base + ".log", 10);
    const std::string other = WriteLog(SAVE_DIR, Dated("hostB_app_X_{1}.log"), 10);
    WriteLog(ARCHIVE_DIR, base + ".cln", 11);
    for (int i = 1; i <= 999; ++i) {
        char szSuffix[8];
        snprintf(szSuffix, sizeof(szSuffix), "_%03d", i);
        WriteLog(ARCHIVE_DIR, base + szSuffix + ".cln", 11);
    }
    const std::string args = "-D M:\\archive";
    const RunResult run = Save(args);

    const std::string otherTarget = Archived(Dated("hostB_app_X_{1}.cln"));
    const std::string failed =
        Failed(full, Archived(base + "_999.cln"), Text(MSG_NO_FREE_ARCHIVE_NAME, {full}));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ((Lines{Started(), failed, Final(MSG_RUN_PARTIAL, args)}), run.out);
    EXPECT_EQ((Lines{"B " + Started(), "F " + failed,
                                        "S " + Copied(other, otherTarget)}),
              run.AuditLines());
    EXPECT_EQ((Lines{ListingCall(), CopyCall(run, 0),
                                        "  " + other + "\t" + otherTarget}),
              Calls(run));
    EXPECT_EQ(1001u, run.archive.size());
}

// A listing the run cannot trust ends it before anything is copied.
TEST_F(TrovesaveTest, UnusableListingEndsTheRun)
{
    struct ListingCase {
        const char* pszControl;
        int nLine;  // where the report is made; 0: the tool's own line
        std::function<std::string(const RunResult&, const std::string&)> text;
    };
    const ListingCase cases[] = {
        {"arkls.listing=omit:hostA_app_X_{1}.cln", 998,
         [](const RunResult& run, const std::string& source) {
             return Text(MSG_ERROR_DETAILS,
                         {PROGRAM, "File Not Found", ListingCapture(run), source});
         }},
        {"arkls.listing=empty", 942,
         [](const RunResult& run, const std::string&) {
             return Text(MSG_ERROR_DETAILS,
                         {PROGRAM, "Invalid File Format", ListingCapture(run), ""});
         }},
        {"arkls.listing=notab", 955,
         [](const RunResult& run, const std::string&) {
             return Text(MSG_ERROR_DETAILS, {PROGRAM, "Invalid File Format", ListingCapture(run),
                                             "ARK0301W entry damaged"});
         }},
        {"arkls.fail=error\narkls.message=ARK0200E no medium", 0,
         [](const RunResult&, const std::string&) { return std::string("ARK0200E no medium"); }},
    };
    for (const ListingCase& c : cases) {
        SCOPED_TRACE(c.pszControl);
        Reset();
        const std::string source = WriteLog(SAVE_DIR, Dated("hostA_app_X_{1}.log"), 10);
        WriteLog(SAVE_DIR, Dated("hostB_app_X_{1}.log"), 10);
        WriteLog(ARCHIVE_DIR, Dated("hostA_app_X_{1}.cln"), 11);
        SetToolFaults(Dated(c.pszControl));
        const std::string args = "-D M:\\archive";
        const RunResult run = Save(args);

        const std::string text = c.text(run, source);
        EXPECT_EQ(255u, run.exitCode);
        EXPECT_EQ((Lines{Started(), Final(MSG_RUN_FAILED, args)}), run.out);
        EXPECT_EQ(Lines{text}, run.err);
        EXPECT_EQ((Lines{"B " + Started(), "F " + text}), run.AuditLines());
        EXPECT_EQ(Lines{ListingCall()}, Calls(run));
        EXPECT_EQ(1u, run.archive.size());
        if (c.nLine) {
            EXPECT_NE(std::string::npos,
                      run.trace.find("trovecmd(" + std::to_string(c.nLine) + ") " + text));
        }
    }
}

// A copy that fails, wholly or in part, or that the device claims without
// doing it: each log not on the device is reported failed.
TEST_F(TrovesaveTest, FailedCopiesAreReportedPerLog)
{
    enum Why { DEVICE, TOOL_LINE, CRASH, NOT_VERIFIED };
    struct CopyCase {
        const char* pszControl;
        const char* pszCopied;  // per log: '+' copied, '-' failed
        Why why;
        DWORD dwFinal;
    };
    const CopyCase cases[] = {
        {"arkcp.fail=arena", "---", DEVICE, MSG_RUN_FAILED},
        {"arkcp.after=1", "+--", TOOL_LINE, MSG_RUN_PARTIAL},
        {"arkcp.fail=crash", "---", CRASH, MSG_RUN_FAILED},
        {"arkcp.skip=2", "+-+", NOT_VERIFIED, MSG_RUN_PARTIAL},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.pszControl);
        Reset();
        Lines sources, targets;
        for (const char* pszHost : {"hostA", "hostB", "hostC"}) {
            const std::string base = Dated(std::string(pszHost) + "_app_X_{1}");
            sources.push_back(WriteLog(SAVE_DIR, base + ".log", 10 + sources.size()));
            targets.push_back(Archived(base + ".cln"));
        }
        SetToolFaults(c.pszControl);
        const std::string args = "-D M:\\archive";
        const RunResult run = Save(args);

        const std::string captured = std::string(TMP_DIR) + "\\trovesv_arkcp_" +
                                     std::to_string(run.processId) + ".tmp";
        Lines out = {Started()}, audit = {"B " + Started()};
        Lines calls = {CopyCall(run, 0)};
        size_t nCopied = 0;
        for (size_t i = 0; i < sources.size(); ++i) {
            calls.push_back("  " + sources[i] + "\t" + targets[i]);
            if (c.pszCopied[i] == '+') {
                audit.push_back("S " + Copied(sources[i], targets[i]));
                ++nCopied;
                continue;
            }
            const std::string why =
                c.why == DEVICE      ? std::string(DEVICE_ERROR_TEXT)
                : c.why == TOOL_LINE ? std::string("ARK0050E request failed")
                : c.why == CRASH
                    ? Text(MSG_COMMAND_FAILED, {std::string(ARKCP) + " -a -m \"" +
                                                    ListFile(run, 0) + "\" 2> " + captured,
                                                "-1073741819"})
                    : Text(MSG_ERROR_DETAILS, {PROGRAM, "Copy Not Verified", targets[i]});
            out.push_back(Failed(sources[i], targets[i], why));
            audit.push_back("F " + out.back());
        }
        out.push_back(Final(c.dwFinal, args));
        EXPECT_EQ(255u, run.exitCode);
        EXPECT_EQ(out, run.out);
        EXPECT_TRUE(run.err.empty()) << Joined(run.err);
        EXPECT_EQ(audit, run.AuditLines());
        EXPECT_EQ(calls, Calls(run));
        EXPECT_EQ(nCopied, run.archive.size());
    }
}

// 2049 logs take two list files, copied in order. When the first copy fails,
// every log not on the device yet is failed, also the one the second copies.
TEST_F(TrovesaveTest, MoreThan2048LogsTakeTwoListFiles)
{
    Lines sources;
    for (int i = 0; i < 2049; ++i) {
        char szHost[16];
        snprintf(szHost, sizeof(szHost), "h%04d", i);
        sources.push_back(WriteLog(SAVE_DIR, Dated(szHost + std::string("_app_X_{1}.log")), 8));
    }
    SetToolFaults("arkcp.fail=error\narkcp.call=1\narkcp.message=ARK0100E tape full\n");
    const std::string args = "-D M:\\archive";
    const RunResult run = Save(args);

    EXPECT_EQ(255u, run.exitCode);
    ASSERT_EQ(2u, run.calls.size());
    EXPECT_EQ(CopyCall(run, 0), "arkcp: " + run.calls[0].command);
    EXPECT_EQ(CopyCall(run, 1), "arkcp: " + run.calls[1].command);
    ASSERT_EQ(2048u, run.calls[0].lines.size());
    ASSERT_EQ(1u, run.calls[1].lines.size());
    EXPECT_EQ(0u, run.calls[0].lines[0].find(sources[0] + "\t"));
    EXPECT_EQ(0u, run.calls[0].lines[2047].find(sources[2047] + "\t"));
    EXPECT_EQ(0u, run.calls[1].lines[0].find(sources[2048] + "\t"));
    EXPECT_EQ("B" + std::string(2049, 'F'), run.AuditLetters());
    const std::string lastTarget = run.calls[1].lines[0].substr(sources[2048].size() + 1);
    EXPECT_EQ("F " + Failed(sources[2048], lastTarget, "ARK0100E tape full"),
              run.AuditLines().back());
    ASSERT_EQ(2051u, run.out.size());
    EXPECT_EQ(Final(MSG_RUN_FAILED, args), run.out.back());
    EXPECT_EQ(1u, run.archive.size());
    EXPECT_EQ(1u, run.archive.count(lastTarget.substr(lastTarget.rfind('\\') + 1)));
}

TEST_F(TrovesaveTest, NameThatDoesNotSplitFailsWithoutPaths)
{
    const std::string good = Dated("hostA_app_X_{1}.log");
    const std::string goodTarget = Archived(Dated("hostA_app_X_{1}.cln"));
    const std::string bad = Dated("hostA_app__{1}.log");
    const std::string failed =
        Failed("", "", Text(MSG_ERROR_DETAILS, {PROGRAM, "Invalid FileName Format", bad}));
    const std::string args = "-D M:\\archive";
    for (bool bWithGood : {true, false}) {
        SCOPED_TRACE(bWithGood ? "with a good one" : "alone");
        Reset();
        const std::string source = bWithGood ? WriteLog(SAVE_DIR, good, 10) : "";
        WriteLog(SAVE_DIR, bad, 10);
        const RunResult run = Save(args);

        EXPECT_EQ(bWithGood ? 1u : 255u, run.exitCode);
        EXPECT_EQ(
            (Lines{Started(), failed, Final(bWithGood ? MSG_RUN_PARTIAL : MSG_RUN_FAILED, args)}),
            run.out);
        Lines audit = {"B " + Started()};
        if (bWithGood) audit.push_back("S " + Copied(source, goodTarget));
        audit.push_back("F " + failed);
        EXPECT_EQ(audit, run.AuditLines());
        EXPECT_EQ(bWithGood ? 1u : 0u, run.archive.size());
    }
}

// A target path may have 251 characters, counted in bytes of code page 932.
// A log whose plain or numbered target would be longer, or whose name lacks
// the extension the run looks for, fails alone, naming the candidate built so
// far (none before the base name is known); the log beside it is copied.
TEST_F(TrovesaveTest, TargetPathsAtTheLengthLimit)
{
    const std::string dir = Archived(std::string(69, 'd'));  // 80 characters, the most -D takes
    const std::string so = "\x83\x5C";  // one double-byte character, a backslash's byte second
    // A log name whose base name has that many bytes, ending in tail.
    const auto name = [](size_t nBase, const std::string& tail) {
        const std::string rest = Dated("_app_X_{1}") + tail;
        return std::string(nBase - rest.size(), 'h') + rest + ".log";
    };
    struct LimitCase {
        const char* pszWhat;
        std::string name;
        bool bPlainTaken;       // by an archived file of another size
        const char* pszTarget;  // suffix of the target or candidate; nullptr: none built
        int nTag;               // where the failure is reported; 0: copied
    };
    const LimitCase cases[] = {
        {"251 characters", name(166, ""), false, "", 0},
        {"252 characters", name(167, ""), false, "", 800},
        {"numbered, 255 characters", name(166, ""), true, "_001", 1042},
        {"251 bytes, 250 characters", name(166, "_" + so), false, "", 0},
        {"252 bytes, 251 characters", name(167, "_" + so), false, "", 800},
        // Fields after the date: the name splits at its ".log", while the
        // file list matched ".CSV" without regard to case.
        {"no .csv in a CSV log's name", Dated("hA_app_X_{1}001_01.log.CSV"), false, nullptr, 786},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Reset();
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        const bool bCsv = c.nTag == 786;
        const char* pszSourceDir = bCsv ? NORMALIZE_DIR : SAVE_DIR;
        const std::string otherBase = Dated(bCsv ? "z_a_X_{1}001" : "z_a_X_{1}");
        const std::string source = WriteLog(pszSourceDir, c.name, 10);
        const std::string other = WriteLog(pszSourceDir, otherBase + (bCsv ? ".csv" : ".log"), 10);
        const std::string base = c.name.substr(0, c.name.find('.'));
        if (c.bPlainTaken) WriteLog(dir, base + ".cln", 11);
        const std::string target = c.pszTarget ? dir + "\\" + base + c.pszTarget + ".cln" : "";
        const std::string otherTarget = dir + "\\" + otherBase + ".cln";
        const std::string args = "-D " + dir + (bCsv ? " -L CSV" : "");
        const RunResult run = Save(args);

        const std::string why = bCsv ? Text(MSG_ERROR_DETAILS, {"Not Found log extension", c.name})
                                     : Text(MSG_OPTION_VALUE_INVALID, {"-D", dir});
        const std::string failed = Failed(source, target, why);
        Lines out = {Started()}, audit = {"B " + Started()}, lines;
        if (c.nTag) {
            out.push_back(failed);
            audit.push_back("F " + failed);
            EXPECT_NE(std::string::npos,
                      run.trace.find("trovecmd(" + std::to_string(c.nTag) + ") " + why));
        } else {
            audit.push_back("S " + Copied(source, target));
            lines.push_back(source + "\t" + target);
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str()));
        }
        audit.push_back("S " + Copied(other, otherTarget));
        lines.push_back(other + "\t" + otherTarget);
        out.push_back(Final(c.nTag ? MSG_RUN_PARTIAL : MSG_RUN_SUCCEEDED, args));
        EXPECT_EQ(c.nTag ? 1u : 0u, run.exitCode);
        EXPECT_EQ(out, run.out);
        EXPECT_EQ(audit, run.AuditLines());
        ASSERT_EQ(c.bPlainTaken ? 2u : 1u, run.calls.size());
        EXPECT_EQ(lines, run.calls.back().lines);
        EXPECT_EQ(lines.size() + c.bPlainTaken, run.archive.size());
    }
}

TEST_F(TrovesaveTest, LogLockedElsewhereFailsThatLogOnly)
{
    const std::string locked = WriteLog(SAVE_DIR, Dated("hostA_app_X_{1}.log"), 10);
    const std::string free = WriteLog(SAVE_DIR, Dated("hostB_app_X_{1}.log"), 10);
    const std::string ready = std::string(INSTALL_DIR) + "\\holder.ready";
    testing_support::ChildProcess holder(testing_support::ChildProcess::TestProgram("holder.exe") +
                                         Dated(" sem hostAapp{1}savelog 60000 \"") + ready + "\"");
    holder.WaitUntilReady(ready);
    DeleteFileA(ready.c_str());
    const std::string args = "-D M:\\archive";
    const RunResult run = Save(args);
    holder.End();

    const std::string failed =
        Failed(locked, Archived(Dated("hostA_app_X_{1}.cln")), Text(MSG_LOG_FILE_LOCKED, {locked}));
    const std::string freeTarget = Archived(Dated("hostB_app_X_{1}.cln"));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ((Lines{Started(), failed, Final(MSG_RUN_PARTIAL, args)}), run.out);
    EXPECT_EQ((Lines{"B " + Started(), "F " + failed,
                                        "S " + Copied(free, freeTarget)}),
              run.AuditLines());
    EXPECT_EQ((Lines{CopyCall(run, 0), "  " + free + "\t" + freeTarget}),
              Calls(run));
}

void SetServerType(DWORD dwType)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE,
                                             "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat",
                                             "ServerType", REG_DWORD, &dwType, sizeof(dwType)));
}

// Faults found before any log is looked at: the text on standard error, the
// failed run on standard output, exit code 255.
TEST_F(TrovesaveTest, FaultsBeforeSelectionEndTheRun)
{
    struct FatalCase {
        const char* pszWhat;
        std::function<void()> setUp;
        const char* pszArgs;
        std::string text;
    };
    const FatalCase cases[] = {
        {"unknown option", [] {}, "-D M:\\archive -X 1", Text(MSG_OPTION_ERROR, {"-X"})},
        {"archive directory is the save directory", [] {}, "-D c:\\zoratlogs\\SAVE",
         Text(MSG_OPTION_VALUE_INVALID, {"-D", "c:\\zoratlogs\\SAVE"})},
        {"not a manager server", [] { SetServerType(7); }, "-D M:\\archive",
         Text(MSG_WRONG_SERVER_TYPE, {PROGRAM})},
        {"CSV logs without their directory", [] { WriteText(AGENT_CONFIG, "[Directory]\r\n"); },
         "-D M:\\archive -L CSV", Text(MSG_DIRECTORY_SETTING_MISSING)},
        // Read before the run can report anything: the run still reports it.
        {"no language setting",
         [] {
             RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, testing_support::PRODUCT_KEY, "DM Language");
         },
         "-D M:\\archive",
         Text(MSG_REG_VALUE_READ_FAILED,
              {"HKEY_LOCAL_MACHINE", testing_support::PRODUCT_KEY, "DM Language", "2"})},
        // Never "\cmd\bin\arkcp" of the current drive, where anyone may plant one.
        {"empty archive tool directory",
         [] {
             RegSetKeyValueA(HKEY_LOCAL_MACHINE, ARKSTORE_KEY, "Directory", REG_SZ, "", 1);
             testing_support::CopyInto(std::string(ARKSTORE_DIR) + "\\cmd\\bin\\arkcp.exe",
                                       "C:\\cmd\\bin");
         },
         "-D M:\\archive",
         Text(MSG_REG_VALUE_READ_FAILED, {"HKEY_LOCAL_MACHINE", ARKSTORE_KEY, "Directory", "161"})},
    };
    for (const FatalCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Reset();
        WriteLog(SAVE_DIR, Dated("hostA_app_X_{1}.log"), 10);
        WriteLog(NORMALIZE_DIR, Dated("hostA_app_X_{1}001.csv"), 10);
        c.setUp();
        const RunResult run = Save(c.pszArgs);

        EXPECT_EQ(255u, run.exitCode);
        EXPECT_EQ((Lines{Started(), Final(MSG_RUN_FAILED, c.pszArgs)}), run.out);
        EXPECT_EQ(Lines{c.text}, run.err);
        EXPECT_EQ((Lines{"B " + Started(), "F " + c.text}), run.AuditLines());
        EXPECT_TRUE(run.calls.empty()) << Joined(Calls(run));
    }
}

// Access rights are granted on an archive directory of a fixed drive only.
TEST_F(TrovesaveTest, AccessRightsOnFixedDrivesOnly)
{
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("M:\\"));
    ASSERT_EQ(static_cast<UINT>(DRIVE_REMOTE), GetDriveTypeA("N:\\"));
    for (const char* pszDir : {ARCHIVE_DIR, NETWORK_ARCHIVE_DIR}) {
        SCOPED_TRACE(pszDir);
        Reset();
        WriteLog(SAVE_DIR, Dated("hostA_app_X_{1}.log"), 10);
        const RunResult run = Save(std::string("-D ") + pszDir);

        EXPECT_EQ(0u, run.exitCode) << Joined(run.out) << Joined(run.err);
        EXPECT_EQ(1u, run.archive.size());
        if (std::string(pszDir) == NETWORK_ARCHIVE_DIR) {
            EXPECT_TRUE(run.aclCalls.empty()) << Joined(run.aclCalls);
            continue;
        }
        ASSERT_EQ(1u, run.aclCalls.size());
        const std::string& call = run.aclCalls[0];
        EXPECT_EQ(std::string(ARCHIVE_DIR) + "\t", call.substr(0, call.find('\t') + 1));
        EXPECT_NE(std::string::npos, call.find("\tAdministrators "));
        EXPECT_NE(std::string::npos, call.find("\tSYSTEM "));
    }
}

// Two logs of one run with the same base name never share a target, also
// when the plain name is taken on the device already.
TEST_F(TrovesaveTest, LogsWithOneBaseNameGetTargetsOfTheirOwn)
{
    const std::string base = Dated("h_a_x_{1}");
    struct CollisionCase {
        bool bPlainTaken;
        const char *pszFirst, *pszSecond;  // target suffixes
    };
    for (const CollisionCase& c :
         {CollisionCase{false, "", "_001"}, CollisionCase{true, "_001", "_002"}}) {
        SCOPED_TRACE(c.bPlainTaken ? "plain name taken" : "plain name free");
        Reset();
        const std::string first = WriteLog(SAVE_DIR, base + ".log", 10);
        const std::string second = WriteLog(SAVE_DIR, base + ".log.log", 20);
        std::map<std::string, ULONGLONG> archive = {{base + c.pszFirst + ".cln", 10},
                                                    {base + c.pszSecond + ".cln", 20}};
        if (c.bPlainTaken) {
            WriteLog(ARCHIVE_DIR, base + ".cln", 5);
            archive[base + ".cln"] = 5;
        }
        const RunResult run = Save("-D M:\\archive");

        EXPECT_EQ(0u, run.exitCode) << Joined(run.out) << Joined(run.err);
        Lines calls = {CopyCall(run, 0), "  " + first + "\t" + Archived(base + c.pszFirst + ".cln"),
                       "  " + second + "\t" + Archived(base + c.pszSecond + ".cln")};
        if (c.bPlainTaken) calls.insert(calls.begin(), ListingCall());
        EXPECT_EQ(calls, Calls(run));
        EXPECT_EQ("BSS", run.AuditLetters());
        EXPECT_EQ(archive, run.archive);
    }
}

// Every file of the product carries the project's version, as Windows shows
// it in the file's properties.
TEST_F(TrovesaveTest, EveryFileCarriesTheVersion)
{
    for (const char* pszFile : {"trovesave.exe", "troveload.exe", "zoratmsg.dll"}) {
        SCOPED_TRACE(pszFile);
        const std::string path = std::string(INSTALL_DIR) + "\\bin\\" + pszFile;
        std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(path.c_str(), 0,
                                                         static_cast<DWORD>(info.size()),
                                                         info.data()));
        const auto value = [&](const std::string& name) {
            void* pValue = nullptr;
            UINT nLength = 0;
            const std::string key = "\\StringFileInfo\\040904B0\\" + name;
            VerQueryValueA(info.data(), key.c_str(), &pValue, &nLength);
            return std::string(pValue && nLength ? static_cast<const char*>(pValue) : "");
        };
        for (const char* pszName : {"FileVersion", "ProductVersion"})
            EXPECT_EQ(TROVE_VERSION, value(pszName)) << pszName;
        EXPECT_EQ(pszFile, value("OriginalFilename"));
        for (const char* pszName :
             {"FileDescription", "ProductName", "CompanyName", "LegalCopyright"})
            EXPECT_NE("", value(pszName)) << pszName;
        void* pFixed = nullptr;
        UINT nLength = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &pFixed, &nLength));
        const VS_FIXEDFILEINFO& fixed = *static_cast<const VS_FIXEDFILEINFO*>(pFixed);
        EXPECT_EQ(TROVE_VERSION, std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." +
                                     std::to_string(LOWORD(fixed.dwFileVersionMS)) + "." +
                                     std::to_string(HIWORD(fixed.dwFileVersionLS)));
    }
}

// "/?" or "-?" alone prints the program's usage and runs nothing: no trace,
// no audit record, no tool; with anything beside it the line is refused.
TEST_F(TrovesaveTest, UsageOnRequestAndNothingElse)
{
    const std::pair<const char*, DWORD> programs[] = {{"trovesave", MSG_USAGE_BACKUP},
                                                      {"troveload", MSG_USAGE_RESTORE}};
    for (const auto& program : programs) {
        std::istringstream text(Text(program.second, {program.first + std::string(".exe")}));
        Lines usage;
        for (std::string line; std::getline(text, line);)
            usage.push_back(line.substr(0, line.find('\r')));
        for (const char* pszArgs : {"/?", "-?"}) {
            SCOPED_TRACE(std::string(program.first) + " " + pszArgs);
            const RunResult run = Run(program.first, pszArgs);
            EXPECT_EQ(0u, run.exitCode);
            EXPECT_EQ(usage, run.out);
            EXPECT_TRUE(run.err.empty() && run.audit.empty() && run.calls.empty());
            EXPECT_EQ("", run.trace);
        }
        EXPECT_EQ(255u, Run(program.first, "/? -D M:\\archive").exitCode);
    }
}

}  // namespace
