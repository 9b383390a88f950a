#pragma once
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "CAuditLog.h"
#include "CBase.h"
#include "CCommonTrace.h"
#include "CListingFault.h"
#include "trovecmd.h"

// Takes the current directory and PATH out of the library search where the
// system can: what the programs load comes from the system, their own
// directory or a full path. Called first thing.
void RestrictLibrarySearch();

// "/?" or "-?" alone on the command line: the program's usage instead of a
// run.
bool IsUsageRequest(int argc, char** argv);
// Prints the usage on standard output, from the message file in the
// installed language, and nothing anywhere else; returns the exit code 0.
int PrintUsage();

// The first report object of a process decides the language of the messages,
// and a language setting it cannot read makes that construction throw. Makes
// that first object and returns the text it threw ("" when it was made); the
// messages then stay in English.
std::string DecideLanguage();

// One file that a run tried to copy, and how that ended.
struct CopyRecord {
    std::string sourcePath;
    std::string targetPath;
    std::string message;  // empty, or the failure text
    int copied = 1;       // 1 while the file counts as copied (or restored)
};

// The frame that both programs' runs share: the start with its trace and
// audit record, the checks before any file is looked at, the fatal-error
// guard, the per-file and final reports and the exit code. Its error record
// is the run's.
class CTroveRun : public virtual CBase {
public:
    // Opens the common trace, reports the start and writes audit "B".
    // languageFault: what DecideLanguage returned, called before this; the
    // checks before any file end the run on it.
    CTroveRun(int argc, char** argv, std::string languageFault);
    ~CTroveRun() override;
    CTroveRun(const CTroveRun&) = delete;
    CTroveRun& operator=(const CTroveRun&) = delete;

    // Runs step under the fatal-error guard: whatever it throws ends it, is
    // written as audit "F" on standard error and makes the exit code 255.
    template <typename Step>
    void Guard(Step step)
    {
        try {
            step();
        } catch (const CListingFault& e) {
            m_bListingFault = true;
            Fatal(e.what());
        } catch (const std::exception& e) {
            Fatal(e.what());
        }
    }

    // The language setting must have been read, the user must be an
    // administrator, the server of type 8.
    void CheckUserAndServer();
    CommandOptions& Options() { return m_options; }

    // A file that passed the selection.
    void CountSelected() { ++m_nSelected; }
    // Appends a record of a file queued for the copy; returns its index.
    size_t AddRecord(const std::string& sourcePath, const std::string& targetPath);
    // A file whose handling failed before the copy; the run goes on.
    void AddFailure(const std::string& sourcePath, const std::string& targetPath,
                    const std::string& message);
    const std::vector<CopyRecord>& Records() const { return m_records; }
    // A queued file that the copy did not bring: failed, with the text.
    void FailRecord(size_t nRecord, const std::string& message);
    // After a failed or unverified copy.
    void SetCopyFailed() { m_nExitCode = 255; }

    // An audit record with the run's program and command-line texts.
    void Audit(const char* pszMessage, const char* pszResult, int nConsole);

    // Reports each record as copied or failed; none after a listing fault.
    void ReportFiles();
    // The final report; returns the exit code.
    int Finish();

private:
    void Fatal(const char* pszText);

    CCommonTrace* m_pTrace;
    std::string m_commandText;
    std::string m_languageFault;
    std::unique_ptr<CAuditLog> m_pAudit;
    CommandOptions m_options;
    std::vector<CopyRecord> m_records;
    int m_nExitCode;
    int m_nSelected;
    int m_nCopied;
    bool m_bListingFault;
};
