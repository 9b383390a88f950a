#pragma once
#include <memory>
#include <string>
#include <unordered_set>

#include "CCheckData.h"
#include "CCopyBatch.h"
#include "CFileList.h"
#include "CSem.h"
#include "CTroveRun.h"
#include "trovecmd_names.h"
#include "trovecmd_run.h"

// The working middle of a restore: the configuration and the run-wide lock,
// the selection of archived files by date and generation, the copy back and
// the removal of the run's temporary files. What it selects and how that
// ended stays in the run's records.
class CRestoreRun {
public:
    explicit CRestoreRun(CTroveRun& run);
    CRestoreRun(const CRestoreRun&) = delete;
    CRestoreRun& operator=(const CRestoreRun&) = delete;

    // The source directories checked against the restore directory, the
    // lock that keeps two restores apart, and the access rights.
    void Configure();
    // Lists the archived files, newest name first, and queues those
    // selected whose target is not in the restore directory yet.
    void Select();
    // One arkcp call per list file.
    void Copy();
    // Whatever happened before.
    void RemoveTemporaryFiles();
    // Lets the next restore run.
    void Unlock();

private:
    void SelectFile(const CFileList& list, int nIndex, const DateSelection& dates);
    // Selected, by date and, in "LAST" mode, as the newest generation.
    bool IsSelected(const LogFileNameFields& fields, const DateSelection& dates) const;
    // Where the file goes; throws when its name lacks the archived suffix.
    std::string TargetPath(const std::string& fileName);
    // Throws when the target path is longer than 251 characters.
    void CheckTargetLength(const std::string& targetPath);
    // The target is there already, or another file of this run goes there.
    bool IsPresent(const std::string& targetPath);

    CTroveRun& m_run;
    CommandOptions& m_options;
    std::unique_ptr<CSem> m_pLock;
    std::unique_ptr<CCopyBatch> m_pBatch;
    LogFileNameFields m_previous;
    LogFileNameFields m_current;
    std::unordered_set<std::wstring> m_queuedTargets;  // folded
    CCheckData m_check;
};
