// troveload end to end: archived files written straight into M:\archive,
// restored by the installed program with the archive storage tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "InstalledProduct.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

using namespace e2e;
using testing::PrintToString;
using testing_support::ReadWholeFile;

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Contents = std::map<std::string, std::string>;  // file name, bytes

const char PROGRAM[] = "troveload.exe";
const char RESTORE_DIR[] = "C:\\Kelvane\\restore";
const char NETWORK_RESTORE_DIR[] = "N:\\restore";
const char ARGS[] = "-D M:\\archive -R C:\\Kelvane\\restore";

Contents ContentsOf(const std::string& dir)
{
    Contents files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    return files;
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Where an archived file is restored to.
std::string Target(const std::string& source, const char* pszExtension = ".log")
{
    const std::string name = NameOf(source);
    return RESTORE_DIR + ("\\" + name.substr(0, name.find(".cln"))) + pszExtension;
}

class TroveloadTest : public InstalledProduct {
protected:
    void SetUp() override { Fresh(); }
    void Fresh()
    {
        Reset();
        for (const char* pszDir : {RESTORE_DIR, NETWORK_RESTORE_DIR}) {
            fs::remove_all(pszDir);
            fs::create_directories(pszDir);
        }
    }

    // Runs the program and checks what every run leaves: the archive as it
    // was, no temporary file, the start first on the console and in the audit
    // log, every record with the program and the command line.
    RunResult Load(const std::string& args)
    {
        std::map<std::string, ULONGLONG> archive;
        for (const auto& entry : fs::directory_iterator(ARCHIVE_DIR))
            archive[entry.path().filename().string()] = entry.file_size();
        RunResult run = Run("troveload", args);
        EXPECT_EQ(archive, run.archive);
        EXPECT_TRUE(run.tmpFiles.empty()) << PrintToString(run.tmpFiles);
        EXPECT_TRUE(!run.out.empty() && run.out.front() == Started()) << PrintToString(run.out);
        for (const AuditRecord& record : run.audit) {
            EXPECT_EQ(PROGRAM, record.program);
            EXPECT_EQ(PROGRAM + (" " + args), record.commandLine);
        }
        return run;
    }

    static std::string Archive(const std::string& name, ULONGLONG size = 40)
    {
        return WriteLog(ARCHIVE_DIR, Dated(name), size);
    }
    static std::string Started() { return Text(MSG_PROGRAM_START, {PROGRAM}); }
    static std::string Final(DWORD dwId, const std::string& args)
    {
        return Text(dwId, {PROGRAM + (" " + args)});
    }
    static std::string Failed(const std::string& source, const std::string& target,
                              const std::string& why)
    {
        return Text(MSG_FILE_COPY_FAILED, {source, target, why});
    }
    // The copy command of list file n, as the tool receives it.
    static std::string CopyCall(const RunResult& run, int nList)
    {
        return "\"C:\\Kelvane\\Arkstore\\cmd\\bin\\arkcp\" -r -m \"" + std::string(TMP_DIR) +
               "\\trovers_arkcplist_" + std::to_string(run.processId) + "_" +
               std::to_string(nList) + ".tmp\"";
    }
};

// What becomes of each archived file, handled in descending name order:
// 'S' restored byte for byte, '.' not selected, 'C' in the restore directory
// already (left as it is), 'N' its name does not split, 'L' its target path is
// too long (the failure names it), 'M' its name has no ".cln" (no target);
// failed in the copy:
// 'D' device error, 'E' the tool's line, 'X' the tool crashed, 'V' claimed
// but not copied.
struct RestoreCase {
    const char* pszWhat;
    std::vector<std::pair<const char*, char>> files;
    const char* pszOptions;  // after -D and -R
    const char* pszFaults;   // of the archive tools
    DWORD dwExit, dwFinal;
};

TEST_F(TroveloadTest, SelectsRestoresAndReportsEachFile)
{
    const char *a = "hA_app_X_{1}.cln", *b = "hB_app_X_{1}.cln", *c = "hC_app_X_{1}.cln";
    // C:\Kelvane\restore\<235 characters>.log: 258 characters, over the 251.
    const std::string tooLong = std::string(220, 'h') + "_app_X_{1}.cln";
    const char *g2 = "h_a_X_{1}_01_002.cln", *g3 = "h_a_X_{1}_01_003.cln",
               *other = "h_b_X_{1}_01_002.cln", *split = "hA_app__{1}.cln";
    const RestoreCase cases[] = {
        {"yesterday's logs by default",
         {{a, 'S'},
          {"hA_app_X_{2}.cln", '.'},
          {"hB_db_X_{1}_01_002.cln", 'S'},
          {"hA_app_X_{1}001.cln", '.'},
          {"hA_app_X_{0}.cln", '.'}},
         "",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"the last generation", {{g2, '.'}, {g3, 'S'}, {other, 'S'}}, "", "", 0, MSG_RUN_SUCCEEDED},
        {"every generation",
         {{g2, 'S'}, {g3, 'S'}, {other, 'S'}},
         " -G ALL",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"a numbered name is a later generation",
         {{"h_a_X_{1}.cln", '.'}, {"h_a_X_{1}_001.cln", 'S'}},
         "",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"CSV logs, every generation",
         {{"h_a_X_{1}001.cln", 'S'}, {"h_a_X_{1}001_001.cln", 'S'}, {"h_a_X_{1}.cln", '.'}},
         " -L CSV",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"one date",
         {{"h_a_X_{4}.cln", '.'}, {"h_a_X_{3}.cln", 'S'}, {"h_a_X_{1}.cln", '.'}},
         " -B {3}",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"a range with both ends",
         {{"h_a_X_{6}.cln", '.'},
          {"h_a_X_{5}.cln", 'S'},
          {"h_a_X_{4}.cln", 'S'},
          {"h_a_X_{3}.cln", 'S'},
          {"h_a_X_{2}.cln", '.'}},
         " -F 5 -T 3",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"host and second name",
         {{a, 'S'}, {"hA_web_X_{1}.cln", '.'}, {b, '.'}},
         " -H hA -A app",
         "",
         0,
         MSG_RUN_SUCCEEDED},
        {"nothing of yesterday",
         {{"h_a_X_{2}.cln", '.'}, {"h_a_X_{1}001.cln", '.'}},
         "",
         "",
         2,
         MSG_RUN_NOTHING_SELECTED},
        {"nothing in the range",
         {{"h_a_X_{6}.cln", '.'}, {"h_a_X_{2}.cln", '.'}},
         " -F 5 -T 3",
         "",
         2,
         MSG_RUN_NOTHING_SELECTED},
        {"all present", {{a, 'C'}, {b, 'C'}}, "", "", 0, MSG_RUN_SUCCEEDED},
        {"one present", {{a, 'S'}, {b, 'C'}}, "", "", 0, MSG_RUN_SUCCEEDED},
        {"a name that does not split", {{split, 'N'}, {a, 'S'}}, "", "", 1, MSG_RUN_PARTIAL},
        {"only a name that does not split", {{split, 'N'}}, "", "", 255, MSG_RUN_FAILED},
        {"present and not split", {{split, 'N'}, {b, 'C'}}, "", "", 255, MSG_RUN_FAILED},
        {"device error",
         {{a, 'D'}, {b, 'D'}, {c, 'D'}},
         "",
         "arkcp.fail=arena",
         255,
         MSG_RUN_FAILED},
        {"copy ends after one",
         {{a, 'E'}, {b, 'E'}, {c, 'S'}},
         "",
         "arkcp.after=1",
         255,
         MSG_RUN_PARTIAL},
        {"the tool crashes", {{a, 'X'}, {b, 'X'}}, "", "arkcp.fail=crash", 255, MSG_RUN_FAILED},
        {"one file lost", {{a, 'S'}, {b, 'V'}, {c, 'S'}}, "", "arkcp.skip=2", 255, MSG_RUN_PARTIAL},
        {"a target path too long", {{a, 'S'}, {tooLong.c_str(), 'L'}}, "", "", 1, MSG_RUN_PARTIAL},
        // A CSV name ends at its date field: nothing after it is looked at.
        {"a CSV name without .cln",
         {{"h_a_X_{1}001_001.CLN", 'M'}, {"h_a_X_{1}001.cln", 'S'}},
         " -L CSV",
         "",
         1,
         MSG_RUN_PARTIAL},
    };
    for (const RestoreCase& rc : cases) {
        SCOPED_TRACE(rc.pszWhat);
        Fresh();
        std::vector<std::pair<std::string, char>> files;  // archived path, fate
        for (size_t i = 0; i < rc.files.size(); ++i)
            files.emplace_back(Archive(rc.files[i].first, 40 + 10 * i), rc.files[i].second);
        std::sort(files.rbegin(), files.rend());
        Contents restored;
        for (const auto& file : files) {
            if (file.second != 'C') continue;
            restored[NameOf(Target(file.first))] = "kept";
            WriteText(Target(file.first), "kept");
        }
        SetToolFaults(rc.pszFaults);
        const std::string args = ARGS + Dated(rc.pszOptions);
        const RunResult run = Load(args);

        const std::string crash =
            Text(MSG_COMMAND_FAILED, {CopyCall(run, 0) + " 2> " + TMP_DIR + "\\trovers_arkcp_" +
                                          std::to_string(run.processId) + ".tmp",
                                      "-1073741819"});
        Lines out = {Started()}, audit = {"B " + Started()}, failed, records, calls;
        for (const auto& [path, fate] : files) {
            if (fate == '.') continue;
            // A name that does not split fails before its paths are made.
            const std::string source = fate == 'N' ? "" : path;
            const std::string target =
                fate == 'N' || fate == 'M'
                    ? ""
                    : Target(path, strstr(rc.pszOptions, "CSV") ? ".csv" : ".log");
            if (fate == 'C') {
                out.push_back(Text(MSG_FILE_ALREADY_PRESENT, {target}));
                audit.push_back("C " + out.back());
                continue;
            }
            if (!strchr("NLM", fate)) calls.push_back("  " + source + "\t" + target);
            if (fate == 'S') {
                records.push_back("S " + Text(MSG_FILE_COPIED, {source, target}));
                restored[NameOf(target)] = ReadWholeFile(source);
                continue;
            }
            const std::map<char, std::string> why = {
                {'N', Text(MSG_ERROR_DETAILS, {PROGRAM, "Invalid FileName Format", NameOf(path)})},
                {'L', Text(MSG_OPTION_VALUE_INVALID, {"-R", RESTORE_DIR})},
                {'M', Text(MSG_ERROR_DETAILS, {"Not Found log extension", NameOf(path)})},
                {'D', DEVICE_ERROR_TEXT},
                {'E', "ARK0050E request failed"},
                {'X', crash},
                {'V', Text(MSG_ERROR_DETAILS, {PROGRAM, "Copy Not Verified", target})}};
            failed.push_back(Failed(source, target, why.at(fate)));
            records.push_back("F " + failed.back());
        }
        if (!calls.empty()) calls.insert(calls.begin(), CopyCall(run, 0));
        audit.insert(audit.end(), records.begin(), records.end());
        if (rc.dwExit == 2) audit.push_back("S " + Final(rc.dwFinal, args));
        out.insert(out.end(), failed.begin(), failed.end());
        out.push_back(Final(rc.dwFinal, args));
        Lines called;
        for (const ToolCall& call : run.calls) {
            called.push_back(call.command);
            for (const std::string& line : call.lines) called.push_back("  " + line);
        }
        EXPECT_EQ(rc.dwExit, run.exitCode);
        EXPECT_EQ(out, run.out);
        EXPECT_TRUE(run.err.empty()) << PrintToString(run.err);
        EXPECT_EQ(audit, run.AuditLines());
        EXPECT_EQ(calls, called);
        EXPECT_EQ(restored, ContentsOf(RESTORE_DIR));
    }
}

// 2049 files take two list files, copied in order. When the first copy fails,
// every file not restored yet is failed, also the one the second copy then
// restores.
TEST_F(TroveloadTest, MoreThan2048FilesTakeTwoListFiles)
{
    Lines sources;  // in descending name order, as they are handled
    for (int i = 2048; i >= 0; --i) {
        char szName[32];
        snprintf(szName, sizeof(szName), "h%04d_app_X_{1}.cln", i);
        sources.push_back(Archive(szName, 8));
    }
    SetToolFaults("arkcp.fail=error\narkcp.call=1\narkcp.message=ARK0100E tape full\n");
    const RunResult run = Load(ARGS);

    const std::string last = sources[2048];
    EXPECT_EQ(255u, run.exitCode);
    ASSERT_EQ(2u, run.calls.size());
    EXPECT_EQ(CopyCall(run, 0), run.calls[0].command);
    EXPECT_EQ(CopyCall(run, 1), run.calls[1].command);
    ASSERT_EQ(2048u, run.calls[0].lines.size());
    EXPECT_EQ(sources[0] + "\t" + Target(sources[0]), run.calls[0].lines[0]);
    EXPECT_EQ(sources[2047] + "\t" + Target(sources[2047]), run.calls[0].lines[2047]);
    EXPECT_EQ(Lines{last + "\t" + Target(last)}, run.calls[1].lines);
    EXPECT_EQ("B" + std::string(2049, 'F'), run.AuditLetters());
    EXPECT_EQ("F " + Failed(last, Target(last), "ARK0100E tape full"), run.AuditLines().back());
    ASSERT_EQ(2051u, run.out.size());
    EXPECT_EQ(Final(MSG_RUN_FAILED, ARGS), run.out.back());
    EXPECT_EQ((Contents{{NameOf(Target(last)), ReadWholeFile(last)}}), ContentsOf(RESTORE_DIR));
}

// Refused before anything is selected: the text on standard error, the failed
// run on standard output, exit code 255, nothing restored. The run-wide lock,
// held here by this process (another one to the program), is not waited for.
TEST_F(TroveloadTest, FaultsBeforeSelectionEndTheRun)
{
    struct FatalCase { const char* pszWhat; bool bLockHeld; std::string args, text; };
    const FatalCase cases[] = {
        {"another restore runs", true, ARGS, Text(MSG_ALREADY_RUNNING)},
        // Checked before the lock is taken: held, it makes no difference.
        {"restore directory is the save directory", true, "-D M:\\archive -R c:\\zoratlogs\\SAVE",
         Text(MSG_OPTION_VALUE_INVALID, {"-D", "c:\\zoratlogs\\SAVE"})},
        {"restore directory is the normalized-log directory", false,
         "-D M:\\archive -R C:\\ZoratLogs\\Normalize",
         Text(MSG_OPTION_VALUE_INVALID, {"-D", "C:\\ZoratLogs\\Normalize"})},
        {"no restore directory", false, "-D M:\\archive", Text(MSG_OPTION_ERROR, {"-R"})},
        {"restore directory is the save directory, spelt with a dot", false,
         "-D M:\\archive -R C:\\ZoratLogs\\save\\.",
         Text(MSG_OPTION_VALUE_INVALID, {"-D", "C:\\ZoratLogs\\save\\."})},
    };
    for (const FatalCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Fresh();
        Archive("hA_app_X_{1}.cln");
        UniqueHandle lock(c.bLockHeld ? CreateMutexA(nullptr, TRUE, "troveload") : nullptr);
        ASSERT_TRUE(!c.bLockHeld || lock);
        const RunResult run = Load(c.args);
        if (lock) ReleaseMutex(lock.get());
        lock.reset();
        // Nobody holds it now: the program left none behind.
        const UniqueHandle left(OpenMutexA(SYNCHRONIZE, FALSE, "troveload"));
        EXPECT_FALSE(left);

        EXPECT_EQ(255u, run.exitCode);
        EXPECT_EQ((Lines{Started(), Final(MSG_RUN_FAILED, c.args)}), run.out);
        EXPECT_EQ(Lines{c.text}, run.err);
        EXPECT_EQ((Lines{"B " + Started(), "F " + c.text}), run.AuditLines());
        EXPECT_TRUE(run.calls.empty());
        EXPECT_TRUE(ContentsOf(RESTORE_DIR).empty());
    }
}

// Access rights are granted on a restore directory of a fixed drive only.
TEST_F(TroveloadTest, AccessRightsOnFixedDrivesOnly)
{
    ASSERT_EQ(static_cast<UINT>(DRIVE_REMOTE), GetDriveTypeA("N:\\"));
    for (const std::string dir : {RESTORE_DIR, NETWORK_RESTORE_DIR}) {
        SCOPED_TRACE(dir);
        Fresh();
        const std::string source = Archive("hA_app_X_{1}.cln"), name = NameOf(Target(source));
        const RunResult run = Load("-D M:\\archive -R " + dir);

        EXPECT_EQ(0u, run.exitCode) << PrintToString(run.out) << PrintToString(run.err);
        EXPECT_EQ((Contents{{name, ReadWholeFile(source)}}), ContentsOf(dir));
        if (dir == NETWORK_RESTORE_DIR) {
            EXPECT_TRUE(run.aclCalls.empty()) << PrintToString(run.aclCalls);
            continue;
        }
        ASSERT_EQ(1u, run.aclCalls.size());
        EXPECT_EQ(0u, run.aclCalls[0].find(dir + "\tAdministrators "));
        EXPECT_NE(std::string::npos, run.aclCalls[0].find("\tSYSTEM "));
    }
}

}  // namespace
