// Faults end to end: archive tools that crash, stop half-way or lose a file, a
// device that fills up or refuses writes, a log held open elsewhere, removed
// or written to during its copy, two runs at once, a run killed in its copy,
// an INI rewrite killed half-way. Whatever happens, no file is lost, every
// file reported copied is there byte for byte, and no failure passes for
// success.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "InstalledProduct.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

using namespace e2e;

namespace {

namespace fs = std::filesystem;
using testing_support::ReadWholeFile;
using Contents = std::map<std::string, std::string>;  // path, bytes

const char RESTORE_DIR[] = "C:\\Kelvane\\restore";

Contents ContentsOf(const std::string& dir)
{
    Contents files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[dir + "\\" + entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    return files;
}

// "h0001_app_X_20240101" of a log, of its archived name (numbered or not) and
// of a restored file.
std::string BaseName(const std::string& path)
{
    std::string name = path.substr(path.rfind('\\') + 1);
    name.erase(name.find('.'));
    const size_t n = name.size();
    if (n > 4 && name[n - 4] == '_' &&
        name.find_first_not_of("0123456789", n - 3) == std::string::npos)
        name.erase(n - 4);
    return name;
}

// The audit records of one command line, from the nine fields of each line.
std::vector<AuditRecord> AuditOf(const std::string& commandLine)
{
    std::vector<AuditRecord> records;
    std::istringstream in(ReadWholeFile(std::string(INSTALL_DIR) + "\\log\\audit.log"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        for (size_t nStart = 0, nEnd = 0; nEnd != std::string::npos; nStart = nEnd + 1)
            f.push_back(line.substr(nStart, (nEnd = line.find_first_of("\t\r", nStart)) - nStart));
        if (f.size() >= 9 && f[6] == commandLine) records.push_back({f[4], f[5], f[6], f[8]});
    }
    return records;
}

size_t Count(const std::vector<AuditRecord>& audit, const char* pszResult)
{
    size_t n = 0;
    for (const AuditRecord& record : audit) n += record.result == pszResult;
    return n;
}

// What a scenario adds up; both losses must stay 0.
struct Tally {
    int nFaults = 0, nLost = 0, nFalseSuccesses = 0;
};

// A program of the installation started without waiting for it, its output in
// a file; killed with the children it started if it still runs at the end.
class Started : public testing_support::ChildProcess {
public:
    Started(const std::string& program, const std::string& args, const std::string& outFile)
        : ChildProcess(std::string(INSTALL_DIR) + "\\bin\\" + program + ".exe " + args, outFile,
                       outFile),
          m_outFile(outFile)
    {
    }
    ~Started()
    {
        if (Running()) Kill();
    }
    DWORD Wait() { return ChildProcess::Wait(100000); }
    std::string Output() const { return ReadWholeFile(m_outFile); }

    // Ends the program, then the children it had started (its copy tool), as
    // an operator would; answers how many children there were.
    size_t Kill()
    {
        std::vector<DWORD> children;
        {
            const UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32 entry = {};
            entry.dwSize = sizeof(entry);
            for (BOOL b = Process32First(snapshot.get(), &entry); b;
                 b = Process32Next(snapshot.get(), &entry))
                if (entry.th32ParentProcessID == Pid()) children.push_back(entry.th32ProcessID);
        }
        End();
        for (DWORD dwChild : children) {
            const UniqueHandle child(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwChild));
            if (child && TerminateProcess(child.get(), 1))
                WaitForSingleObject(child.get(), INFINITE);
        }
        return children.size();
    }

private:
    std::string m_outFile;
};

class FaultTest : public InstalledProduct {
protected:
    // Yesterday's logs of nCount hosts; every nLargeEvery-th one 512 KiB.
    static Contents WriteLogs(const char* pszDir, const char* pszExtension, int nCount,
                              int nLargeEvery = 0)
    {
        Contents sources;
        for (int i = 0; i < nCount; ++i) {
            char szName[64];
            snprintf(szName, sizeof(szName), "h%04d_app_X_%s%s", i, DaysAgo(1).c_str(),
                     pszExtension);
            const bool bLarge = nLargeEvery && i % nLargeEvery == 1;
            const std::string path =
                WriteLog(pszDir, szName, bLarge ? 512 * 1024 : 97 + i * 389 % 9000);
            sources[path] = ReadWholeFile(path);
        }
        return sources;
    }

    // The inserts of a report of message dwId; empty when the text is another.
    static std::vector<std::string> Inserts(DWORD dwId, const std::string& text)
    {
        const std::string model = Text(dwId, {"\x01", "\x02", "\x03"});
        std::vector<std::string> values(3);
        size_t nModel = model.find_first_of("\x01\x02\x03"), nText = nModel;
        if (text.compare(0, nModel, model, 0, nModel) != 0) return {};
        while (nModel < model.size()) {
            const size_t nNext = model.find_first_of("\x01\x02\x03", nModel + 1);
            const std::string literal = model.substr(nModel + 1, nNext - nModel - 1);
            size_t nEnd =
                nNext != std::string::npos ? text.find(literal, nText)
                : text.size() >= nText + literal.size() &&
                        text.compare(text.size() - literal.size(), literal.size(), literal) == 0
                    ? text.size() - literal.size()
                    : std::string::npos;
            if (nEnd == std::string::npos) return {};
            values[model[nModel] - 1] = text.substr(nText, nEnd - nText);
            nText = nEnd + literal.size();
            nModel = nNext;
        }
        return values;
    }

    // A run's reports against the sources and what lies on disk now: every
    // file reported copied or present is there whole, every source is
    // reported (unless the run ended before its copy, or was killed), and
    // the exit code says what the reports say.
    // pnUnrecorded: where a source without a report but with a whole copy is
    // counted instead of as lost, when the audit log may have lost its record.
    // archiveDir: where a backup's logs found archived already lie.
    static void Judge(const std::string& what, DWORD dwExit, const std::vector<AuditRecord>& audit,
                      const Contents& sources, Tally& tally, bool bKilled = false,
                      int* pnUnrecorded = nullptr, const std::string& archiveDir = ARCHIVE_DIR)
    {
        std::set<std::string> reported;
        size_t nFailed = 0;
        bool bRunEnded = false;
        Contents archive;  // read when first needed
        auto falseSuccess = [&](const AuditRecord& record) {
            ++tally.nFalseSuccesses;
            ADD_FAILURE() << what << ": no whole copy behind " << record.result << " "
                          << record.message;
        };
        for (const AuditRecord& record : audit) {
            const std::vector<std::string> copied = Inserts(MSG_FILE_COPIED, record.message);
            const std::vector<std::string> failed = Inserts(MSG_FILE_COPY_FAILED, record.message);
            const std::vector<std::string> present =
                Inserts(MSG_FILE_ALREADY_PRESENT, record.message);
            if (record.result == "S" && !copied.empty()) {
                reported.insert(copied[0]);
                const auto source = sources.find(copied[0]);
                if (source == sources.end() || ReadWholeFile(copied[1]) != source->second)
                    falseSuccess(record);
            } else if (record.result == "C" && !present.empty()) {
                // A backup names the log, a restore the file it found restored.
                const bool bBackup = sources.count(present[0]) != 0;
                if (bBackup && archive.empty()) archive = ContentsOf(archiveDir);
                bool bWhole = false;
                for (const auto& source : sources) {
                    if (BaseName(source.first) != BaseName(present[0])) continue;
                    reported.insert(source.first);
                    bWhole = bWhole || (!bBackup && ReadWholeFile(present[0]) == source.second);
                    for (const auto& copy : archive)
                        bWhole =
                            bWhole || (bBackup && BaseName(copy.first) == BaseName(source.first) &&
                                       copy.second == source.second);
                }
                if (!bWhole) falseSuccess(record);
            } else if (record.result == "F") {
                ++nFailed;
                bRunEnded = bRunEnded || failed.empty();  // a run-wide failure
                if (!failed.empty()) reported.insert(failed[0]);
            }
        }
        if (bKilled) return;
        for (const auto& source : sources) {
            if (bRunEnded || reported.count(source.first)) continue;
            if (pnUnrecorded && archive.empty()) archive = ContentsOf(archiveDir);
            bool bWhole = false;
            for (const auto& copy : pnUnrecorded ? archive : Contents())
                bWhole = bWhole || (BaseName(copy.first) == BaseName(source.first) &&
                                    copy.second == source.second);
            if (bWhole && ++*pnUnrecorded) continue;
            ++tally.nLost;
            ADD_FAILURE() << what << ": no report of " << source.first;
        }
        if (nFailed == 0) {
            // A copy command that failed ends the run with 255 even when every
            // file it left out was there already, archived by another run.
            EXPECT_TRUE(dwExit == 0 || dwExit == 255) << what << ": " << dwExit;
        } else if (dwExit == 0 || dwExit == 2) {
            ++tally.nFalseSuccesses;
            ADD_FAILURE() << what << ": exit code " << dwExit << " after " << nFailed
                          << " failures";
        } else {
            EXPECT_TRUE(dwExit == 255 || (dwExit == 1 && Count(audit, "S") > 0))
                << what << ": " << dwExit;
        }
    }

    // A run's audit records and the failures it printed that the audit log
    // lacks: two processes appending to one file under Wine can overwrite each
    // other's lines, the console output of each is its own.
    static std::vector<AuditRecord> ReportsOf(const std::string& commandLine,
                                              const std::string& output)
    {
        std::vector<AuditRecord> records = AuditOf(commandLine);
        std::set<std::string> audited;
        for (const AuditRecord& record : records) audited.insert(record.message);
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!Inserts(MSG_FILE_COPY_FAILED, line).empty() && !audited.count(line))
                records.push_back({"F", "", commandLine, line});
        }
        return records;
    }

    // Every source in dir under its plain or a numbered name, byte for byte,
    // at least once and at most nMaxCopies times; answers the files there that
    // equal no source.
    static std::vector<std::string> CheckStored(const std::string& what, const Contents& sources,
                                                const std::string& dir, int nMaxCopies,
                                                Tally& tally)
    {
        std::map<std::string, const Contents::value_type*> byBase;
        for (const auto& source : sources) byBase[BaseName(source.first)] = &source;
        std::map<std::string, int> copies;
        std::vector<std::string> strays;
        for (const auto& file : ContentsOf(dir)) {
            const auto source = byBase.find(BaseName(file.first));
            if (source != byBase.end() && source->second->second == file.second)
                ++copies[source->second->first];
            else
                strays.push_back(file.first + " (" + std::to_string(file.second.size()) +
                                 " bytes)");
        }
        for (const auto& source : sources) {
            const int nCopies = copies[source.first];
            if (nCopies == 0) ++tally.nLost, ADD_FAILURE() << what << ": lost " << source.first;
            EXPECT_LE(nCopies, nMaxCopies) << what << ": " << source.first;
        }
        return strays;
    }

    // Temporary files in the product's directory, except those naming pszPid.
    static std::vector<std::string> TemporaryFiles(const std::string& exceptPid = "")
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(TMP_DIR)) {
            const std::string name = entry.path().filename().string();
            if (exceptPid.empty() || name.find("_" + exceptPid) == std::string::npos)
                names.push_back(name);
        }
        return names;
    }

    // The text of the failure reported for a source; "" when there is none.
    static std::string FailureOf(const RunResult& run, const std::string& source)
    {
        for (const AuditRecord& record : run.audit) {
            const std::vector<std::string> failed = Inserts(MSG_FILE_COPY_FAILED, record.message);
            if (record.result == "F" && !failed.empty() && failed[0] == source) return failed[2];
        }
        return "";
    }

    static void Summarize(const std::string& scenario, const Tally& tally)
    {
        printf(
            "fault summary: %s: faults injected %d, files lost %d, failures reported as "
            "success %d\n",
            scenario.c_str(), tally.nFaults, tally.nLost, tally.nFalseSuccesses);
        fflush(stdout);
        EXPECT_EQ(0, tally.nLost) << scenario;
        EXPECT_EQ(0, tally.nFalseSuccesses) << scenario;
    }

    testing_support::ScopedTempDir m_dir;
};

// The tools fail in each way a device can; a healthy run afterwards archives
// every log exactly once.
TEST_F(FaultTest, ArchiveToolFaultsThenAHealthyRun)
{
    struct ToolFault {
        const char* pszWhat;
        const char* pszControl;
        bool bTargetTaken;  // a plain target of another size: a listing is needed
    };
    const ToolFault faults[] = {
        {"copy tool crashes after 3 lines", "arkcp.after=3\narkcp.fail=crash\n", false},
        {"copy tool fails after 5 lines", "arkcp.after=5\narkcp.fail=error\n", false},
        {"copy tool loses line 4 silently", "arkcp.skip=4\n", false},
        {"copy tool copies all, then exits with -1", "arkcp.after=99\narkcp.fail=negative\n", false},
        {"copy tool loses line 1 beside a taken name", "arkcp.skip=1\n", true},
        {"listing tool fails", "arkls.fail=error\narkls.message=ARK0200E no medium\n", true},
        {"listing tool crashes", "arkls.fail=crash\n", true},
    };
    for (const ToolFault& fault : faults) {
        SCOPED_TRACE(fault.pszWhat);
        Reset();
        Tally tally;
        const Contents sources = WriteLogs(SAVE_DIR, ".log", 9);
        if (fault.bTargetTaken)
            WriteText(std::string(ARCHIVE_DIR) + "\\" + BaseName(sources.begin()->first) + ".cln",
                      "another file of that name");
        SetToolFaults(fault.pszControl);
        ++tally.nFaults;
        const RunResult failed = Run("trovesave", "-D M:\\archive");
        Judge(fault.pszWhat, failed.exitCode, failed.audit, sources, tally);
        EXPECT_NE(0u, failed.exitCode);
        EXPECT_TRUE(failed.tmpFiles.empty());

        SetToolFaults("");
        const RunResult healthy = Run("trovesave", "-D M:\\archive");
        Judge(std::string(fault.pszWhat) + ", run again", healthy.exitCode, healthy.audit, sources,
              tally);
        EXPECT_TRUE(healthy.tmpFiles.empty());
        const auto strays = CheckStored(fault.pszWhat, sources, ARCHIVE_DIR, 1, tally);
        EXPECT_EQ(fault.bTargetTaken ? 1u : 0u, strays.size());
        Summarize(fault.pszWhat, tally);
    }
}

// The copy tool cannot read a log that this process holds open without
// sharing; once it is let go, the next run archives it.
TEST_F(FaultTest, LogHeldOpenWithoutSharing)
{
    Tally tally;
    const Contents sources = WriteLogs(SAVE_DIR, ".log", 6);
    const std::string held = std::next(sources.begin(), 2)->first;
    UniqueFileHandle heldOpen(CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(heldOpen);
    ++tally.nFaults;
    const RunResult during = Run("trovesave", "-D M:\\archive");
    heldOpen.reset();
    Judge("log held open", during.exitCode, during.audit, sources, tally);
    printf("log held open: exit code %lu, audit %s\n", during.exitCode,
           during.AuditLetters().c_str());
    for (const AuditRecord& record : during.audit)
        if (record.result == "F") printf("  F %s\n", record.message.c_str());
    EXPECT_NE(0u, during.exitCode);
    EXPECT_TRUE(during.tmpFiles.empty());

    const RunResult after = Run("trovesave", "-D M:\\archive");
    Judge("log let go, run again", after.exitCode, after.audit, sources, tally);
    EXPECT_EQ(0u, after.exitCode);
    EXPECT_TRUE(CheckStored("log held open", sources, ARCHIVE_DIR, 1, tally).empty());
    Summarize("log held open without sharing", tally);
}

// Two runs of one program at once, told apart in the audit log by their
// command lines; answers their exit codes and console output.
std::vector<std::pair<DWORD, std::string>> RunTwoAtOnce(const char* pszProgram,
                                                        const std::string (&args)[2],
                                                        const std::string& dir)
{
    Started first(pszProgram, args[0], dir + "\\out0.txt");
    Started second(pszProgram, args[1], dir + "\\out1.txt");
    std::vector<std::pair<DWORD, std::string>> results;
    for (Started* pRun : {&first, &second}) {
        const DWORD dwExit = pRun->Wait();
        results.emplace_back(dwExit, pRun->Output());
    }
    return results;
}

// Two backups of one selection at once: neither overwrites, each reports what
// it did itself; a log may end up archived twice, each copy whole, and one
// that both failed is archived by the next run.
TEST_F(FaultTest, TwoBackupsAtOnce)
{
    Tally tally;
    const Contents sources = WriteLogs(SAVE_DIR, ".log", 200);
    const std::string args[2] = {"-D M:\\archive", "-D M:\\archive -A app"};
    ++tally.nFaults;
    const auto results = RunTwoAtOnce("trovesave", args, m_dir.Path());
    for (int i = 0; i < 2; ++i) {
        const auto audit = ReportsOf("trovesave.exe " + args[i], results[i].second);
        int nUnrecorded = 0;
        Judge("backup " + std::to_string(i) + " of two", results[i].first, audit, sources, tally,
              false, &nUnrecorded);
        printf(
            "backup %d of two at once: exit code %lu, %zu S, %zu F, %zu C, %d archived "
            "without its audit record\n",
            i, results[i].first, Count(audit, "S"), Count(audit, "F"), Count(audit, "C"),
            nUnrecorded);
        for (const AuditRecord& record : audit)
            if (record.result == "F" && Inserts(MSG_FILE_COPY_FAILED, record.message).empty())
                printf("  ended: %s\n", record.message.c_str());
    }
    EXPECT_TRUE(TemporaryFiles().empty());
    // A log both runs failed, each reporting it, is archived by the next run.
    std::set<std::string> archived;
    for (const auto& copy : ContentsOf(ARCHIVE_DIR))
        for (const auto& source : sources)
            if (BaseName(copy.first) == BaseName(source.first) && copy.second == source.second)
                archived.insert(source.first);
    printf("two backups at once: %zu of %zu logs archived by neither\n",
           sources.size() - archived.size(), sources.size());
    const RunResult third = Run("trovesave", args[0]);
    Judge("backup after the two", third.exitCode, third.audit, sources, tally);
    const auto strays = CheckStored("two backups", sources, ARCHIVE_DIR, 2, tally);
    for (const std::string& stray : strays) ADD_FAILURE() << "overwritten or cut: " << stray;
    Summarize("two backups at once", tally);
}

// Two restores at once: one is refused while the other holds the run-wide
// lock, and the other restores everything.
TEST_F(FaultTest, TwoRestoresAtOnce)
{
    Tally tally;
    const Contents sources = WriteLogs(ARCHIVE_DIR, ".cln", 500);
    fs::remove_all(RESTORE_DIR);
    fs::create_directories(RESTORE_DIR);
    const std::string args[2] = {"-D M:\\archive -R C:\\Kelvane\\restore",
                                 "-D M:\\archive -R C:\\Kelvane\\restore -A app"};
    ++tally.nFaults;
    const auto results = RunTwoAtOnce("troveload", args, m_dir.Path());
    int nRefused = 0;
    for (int i = 0; i < 2; ++i) {
        const auto audit = AuditOf("troveload.exe " + args[i]);
        const bool bRefused = audit.size() == 2 && audit[1].message == Text(MSG_ALREADY_RUNNING);
        printf("restore %d of two at once: exit code %lu, %s\n", i, results[i].first,
               bRefused ? "refused: another restore runs"
                        : (std::to_string(Count(audit, "S")) + " restored").c_str());
        Judge("restore " + std::to_string(i) + " of two", results[i].first, audit, sources, tally);
        nRefused += bRefused;
        EXPECT_EQ(bRefused ? 255u : 0u, results[i].first);
        EXPECT_EQ(bRefused, results[i].second.find(Text(MSG_ALREADY_RUNNING)) != std::string::npos)
            << results[i].second;
    }
    EXPECT_EQ(1, nRefused) << "the two restores did not overlap";
    EXPECT_TRUE(TemporaryFiles().empty());
    EXPECT_TRUE(CheckStored("two restores", sources, RESTORE_DIR, 1, tally).empty());
    EXPECT_EQ(sources, ContentsOf(ARCHIVE_DIR));
    Summarize("two restores at once", tally);
}

// A backup killed in the middle of its copy, with its copy tool; the next run
// completes the archive. A target the killed tool had begun stays beside it.
TEST_F(FaultTest, BackupKilledInItsCopyThenRunAgain)
{
    Tally tally;
    const Contents sources = WriteLogs(SAVE_DIR, ".log", 1000, 25);
    std::string pid;
    size_t nChildren = 0, nAtKill = 0;
    {
        Started killed("trovesave", "-D M:\\archive", m_dir.Path() + "\\out.txt");
        pid = std::to_string(killed.Pid());
        for (int i = 0; i < 4000 && killed.Running() && nAtKill < 300; ++i, Sleep(2)) {
            nAtKill = 0;
            for (auto it = fs::directory_iterator(ARCHIVE_DIR); it != fs::directory_iterator();
                 ++it)
                ++nAtKill;
        }
        ASSERT_TRUE(killed.Running()) << "the backup ended before it could be killed";
        nChildren = killed.Kill();
        ++tally.nFaults;
        Judge("killed backup", 1, AuditOf("trovesave.exe -D M:\\archive"), sources, tally, true);
    }
    const std::vector<std::string> left = TemporaryFiles();

    const RunResult again = Run("trovesave", "-D M:\\archive");
    Judge("backup after the kill", again.exitCode, again.audit, sources, tally);
    EXPECT_EQ(0u, again.exitCode);
    EXPECT_TRUE(TemporaryFiles(pid).empty()) << TemporaryFiles(pid).front();
    const auto strays = CheckStored("backup after the kill", sources, ARCHIVE_DIR, 1, tally);
    printf(
        "killed backup: %zu child(ren) killed with it, %zu files archived then, %zu temporary "
        "files left; run again: exit code %lu, %zu C, %zu S, %zu F, archive %zu files, %zu of "
        "them equal to no log:\n",
        nChildren, nAtKill, left.size(), again.exitCode, Count(again.audit, "C"),
        Count(again.audit, "S"), Count(again.audit, "F"), again.archive.size(), strays.size());
    for (const std::string& name : strays) printf("  stray: %s\n", name.c_str());
    for (const std::string& name : left) printf("  left by the killed run: %s\n", name.c_str());
    Summarize("backup killed in its copy", tally);
}

// The archive device fills up in the middle of a log: that log fails (what
// is left of it on the device is no copy), the logs stay; once space is freed
// the next run archives every log.
TEST_F(FaultTest, ArchiveDeviceFullThenFreed)
{
    const std::string archive = "S:\\archive";
    ULARGE_INTEGER room = {}, size = {};
    if (!GetDiskFreeSpaceExA("S:\\", &room, &size, nullptr) || size.QuadPart > 4 << 20) {
        const std::string why = ReadWholeFile("S:\\not-mounted.txt");
        GTEST_SKIP() << (why.empty() ? "S: is no small device (mapped by e2e.devices.mount)"
                                     : why.substr(0, why.find('\r')));
    }
    for (const auto& entry : fs::directory_iterator("S:\\")) fs::remove_all(entry.path());
    fs::create_directories(archive);
    Tally tally;
    const Contents sources = WriteLogs(SAVE_DIR, ".log", 3, 2);  // the second one 512 KiB
    const std::string large = std::next(sources.begin())->first;
    // Room for the small first log and half of the large one.
    GetDiskFreeSpaceExA("S:\\", &room, nullptr, nullptr);
    const std::string filler = WriteLog("S:", "filler", room.QuadPart - 256 * 1024);
    ++tally.nFaults;
    const RunResult full = Run("trovesave", "-D " + archive);
    Judge("device full", full.exitCode, full.audit, sources, tally, false, nullptr, archive);
    EXPECT_EQ(255u, full.exitCode);
    EXPECT_NE(std::string::npos, FailureOf(full, large).find("(error 112)")) << large;
    EXPECT_EQ(sources, ContentsOf(SAVE_DIR));

    DeleteFileA(filler.c_str());
    const RunResult freed = Run("trovesave", "-D " + archive);
    Judge("space freed, run again", freed.exitCode, freed.audit, sources, tally, false, nullptr,
          archive);
    EXPECT_EQ(0u, freed.exitCode);
    const auto strays = CheckStored("device full", sources, archive, 1, tally);
    printf(
        "device full: exit code %lu, audit %s; freed: exit code %lu, audit %s; %zu cut "
        "copies left beside the whole ones\n",
        full.exitCode, full.AuditLetters().c_str(), freed.exitCode, freed.AuditLetters().c_str(),
        strays.size());
    Summarize("archive device full in the middle of a log", tally);
}

// An archive directory that refuses writes (a write-protected device). Where
// the volume keeps access lists, granting them fails and ends the run; on one
// without (FAT) the copy tool is refused each log. Nothing passes for copied,
// the logs stay, and a run to a healthy device archives them all.
TEST_F(FaultTest, ArchiveDirectoryRefusesWrites)
{
    const std::string probe = "W:\\archive\\probe";
    const bool bWritable = static_cast<bool>(UniqueFileHandle(
        CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    if (bWritable || GetFileAttributesA("W:\\archive") == INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(probe.c_str());
        const std::string why = ReadWholeFile("W:\\not-mounted.txt");
        GTEST_SKIP() << (why.empty() ? "W:\\archive is no write-protected directory"
                                     : why.substr(0, why.find('\r')));
    }
    for (const std::string fileSystem : {"", "FAT"}) {
        const std::string what =
            "write-protected " + fileSystem + (fileSystem.empty() ? "" : " ") + "volume";
        SCOPED_TRACE(what);
        Reset();
        Tally tally;
        const Contents sources = WriteLogs(SAVE_DIR, ".log", 5);
        SetEnvironmentVariableA("QWACL_FILESYSTEM", fileSystem.empty() ? nullptr : "FAT");
        ++tally.nFaults;
        const RunResult refused = Run("trovesave", "-D W:\\archive");
        SetEnvironmentVariableA("QWACL_FILESYSTEM", nullptr);
        Judge(what, refused.exitCode, refused.audit, sources, tally);
        EXPECT_EQ(255u, refused.exitCode);
        EXPECT_EQ(fileSystem.empty() ? "BF" : "BFFFFF", refused.AuditLetters());
        EXPECT_TRUE(refused.archive.empty());
        EXPECT_EQ(sources, ContentsOf(SAVE_DIR));

        const RunResult healthy = Run("trovesave", "-D M:\\archive");
        Judge(what + ", then a healthy device", healthy.exitCode, healthy.audit, sources, tally);
        EXPECT_EQ(0u, healthy.exitCode);
        EXPECT_TRUE(CheckStored(what, sources, ARCHIVE_DIR, 1, tally).empty());
        Summarize("archive directory on a " + what, tally);
    }
}

// A log removed by someone else after the run listed it, before its copy:
// that log alone fails, the others are archived, the rest of the logs stay.
TEST_F(FaultTest, LogRemovedBeforeItsCopy)
{
    Tally tally;
    Contents sources = WriteLogs(SAVE_DIR, ".log", 6);
    const std::string removed = std::next(sources.begin(), 2)->first;
    SetToolFaults("arkcp.remove=3\n");
    ++tally.nFaults;
    const RunResult run = Run("trovesave", "-D M:\\archive");
    Judge("log removed before its copy", run.exitCode, run.audit, sources, tally);
    EXPECT_EQ(255u, run.exitCode);
    EXPECT_EQ("BSSFSSS", run.AuditLetters());
    EXPECT_EQ("ARK0012E source " + removed + " not found", FailureOf(run, removed));
    sources.erase(removed);
    EXPECT_EQ(sources, ContentsOf(SAVE_DIR));
    EXPECT_TRUE(CheckStored("log removed", sources, ARCHIVE_DIR, 1, tally).empty());
    Summarize("log removed before its copy", tally);
}

// A log written to while it is copied: the copy holds less than the log, so
// it is not taken for one; the next run archives the log as it is now, beside
// that copy.
TEST_F(FaultTest, LogGrowsWhileItIsCopied)
{
    Tally tally;
    const std::string grown = std::next(WriteLogs(SAVE_DIR, ".log", 6).begin())->first;
    SetToolFaults("arkcp.grow=2\n");
    ++tally.nFaults;
    const RunResult run = Run("trovesave", "-D M:\\archive");
    SetToolFaults("");
    const Contents sources = ContentsOf(SAVE_DIR);  // as the logs are now
    Judge("log grows while it is copied", run.exitCode, run.audit, sources, tally);
    EXPECT_EQ(255u, run.exitCode);
    EXPECT_EQ(Text(MSG_ERROR_DETAILS, {"trovesave.exe", "Copy Not Verified",
                                       std::string(ARCHIVE_DIR) + "\\" + BaseName(grown) + ".cln"}),
              FailureOf(run, grown));

    const RunResult again = Run("trovesave", "-D M:\\archive");
    Judge("grown log, run again", again.exitCode, again.audit, sources, tally);
    EXPECT_EQ(0u, again.exitCode);
    EXPECT_EQ(sources, ContentsOf(SAVE_DIR));
    EXPECT_EQ(1u, CheckStored("grown log", sources, ARCHIVE_DIR, 1, tally).size());
    Summarize("log grows while it is copied", tally);
}

// Whether the text is the [big] section with every key from key0 on set to A
// or B: what one of the rewrites left, not a file cut or mixed.
bool IsWholeBigSection(const std::string& text, int nKeys)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != "[big]\r") return false;
    for (int i = 0; i < nKeys; ++i) {
        const std::string key = "key" + std::to_string(i) + "=";
        if (!std::getline(in, line) || (line != key + "A\r" && line != key + "B\r")) return false;
    }
    return !std::getline(in, line);
}

// Another process rewriting an INI file entry by entry, killed at odd moments:
// every time the file is whole, as one rewrite or the one before left it.
TEST_F(FaultTest, IniRewriteKilledHalfWay)
{
    Tally tally;
    const int nKeys = 3000;
    const std::string ini = m_dir.Path() + "\\killed.ini";
    std::string content = "[big]\r\n";
    for (int i = 0; i < nKeys; ++i) content += "key" + std::to_string(i) + "=A\r\n";
    std::ofstream(ini, std::ios::binary) << content;
    for (int nRound = 0; nRound < 12; ++nRound) {
        const std::string ready = ini + ".ready" + std::to_string(nRound);
        testing_support::ChildProcess writer(
            testing_support::ChildProcess::TestProgram("holder.exe") + " rewrite \"" + ini +
            "\" 60000 \"" + ready + "\"");
        writer.WaitUntilReady(ready);
        Sleep(5 + 11 * nRound);
        writer.End();
        ++tally.nFaults;
        if (!IsWholeBigSection(ReadWholeFile(ini), nKeys)) {
            ++tally.nLost;
            ADD_FAILURE() << "round " << nRound << ": the INI file is cut, "
                          << ReadWholeFile(ini).size() << " bytes";
        }
    }
    EXPECT_NE(content, ReadWholeFile(ini)) << "no rewrite was done";
    Summarize("INI rewrite killed half-way", tally);
}

}  // namespace
