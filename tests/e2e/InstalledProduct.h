#pragma once
// The product as scripts/layout.sh installs it in the test prefix, and the one
// way the end-to-end cases run a program there and gather what it left.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace e2e {

// Where the layout puts things.
extern const char* const INSTALL_DIR;          // C:\Kelvane\Zorat
extern const char* const TMP_DIR;              // <Install>\tmp
extern const char* const SAVE_DIR;             // SAVE_DIR of the manager definition file
extern const char* const NORMALIZE_DIR;        // NormalizeDir of the agent configuration
extern const char* const ARCHIVE_DIR;          // M:\archive, on a fixed drive
extern const char* const NETWORK_ARCHIVE_DIR;  // N:\archive, on a network drive
extern const char* const ARKSTORE_DIR;         // the archive storage software
extern const char* const AGENT_CONFIG;         // the agent's configuration file

// What a failed copy on the device is reported with, in code page 932.
extern const char DEVICE_ERROR_TEXT[];

struct AuditRecord {
    std::string result;  // the letter
    std::string program;
    std::string commandLine;
    std::string message;
};

// One call of an archive storage tool, from the tools' call record.
struct ToolCall {
    std::string tool;                // "arkcp" or "arkls"
    std::string command;             // the command line the tool received
    std::vector<std::string> lines;  // arkcp: the list file's lines
};

// What one run of a program left behind.
struct RunResult {
    DWORD exitCode = 0;
    DWORD processId = 0;
    std::vector<std::string> out, err;   // console lines, without line ends
    std::vector<AuditRecord> audit;      // records written during the run
    std::string trace;                   // common trace written during the run
    std::vector<ToolCall> calls;         // archive tool calls during the run
    std::map<std::string, ULONGLONG> archive;  // the -D directory afterwards: name, size
    std::vector<std::string> tmpFiles;   // left in the product's temporary directory
    std::vector<std::string> aclCalls;   // access-rights library calls during the run

    std::string AuditLetters() const;  // "BSF..." in order
    std::vector<std::string> AuditLines() const;  // "<letter> <message>" each
};

class InstalledProduct : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }

    // Back to the laid-out state: registry values imported again from the
    // layout's file, configuration files rewritten, the log, archive,
    // temporary, trace and audit directories emptied, healthy archive tools
    // with an empty call record.
    void Reset();

    // Runs "<Install>\bin\<program>.exe args", waits for it and gathers what
    // it left; beforeStart sees the process id before the program runs.
    RunResult Run(const std::string& program, const std::string& args,
                  const std::function<void(DWORD)>& beforeStart = {});

    // A file of that many bytes (its name repeated), made sparse above
    // 1 MiB; returns its path.
    static std::string WriteLog(const std::string& dir, const std::string& name,
                                ULONGLONG size);
    static void WriteText(const std::string& path, const std::string& text);

    // The archive tools' control file; "" for a healthy device.
    static void SetToolFaults(const std::string& control);

    // The message in English with its inserts, as the programs format it
    // (absent inserts as "(NULL)").
    static std::string Text(DWORD dwMessageId, const std::vector<std::string>& inserts = {});

    // The local date n days back, YYYYMMDD.
    static std::string DaysAgo(int nDays);
    // The text with each "{n}" replaced by the date n days back.
    static std::string Dated(std::string text);

private:
    testing_support::ScopedTempDir m_scratch;
};

}  // namespace e2e
