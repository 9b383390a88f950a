#pragma once
#include <memory>
#include <string>

#include "CArchiveTarget.h"
#include "CCopyBatch.h"
#include "CFileList.h"
#include "CFileOperation.h"
#include "CTroveRun.h"
#include "trovecmd_names.h"
#include "trovecmd_run.h"

// The working middle of a backup: the configuration, the selection of the
// log files with their archived names, the copy and the removal of the
// run's temporary files. What it selects and how that ended stays in the
// run's records.
class CBackupRun {
public:
    explicit CBackupRun(CTroveRun& run);
    CBackupRun(const CBackupRun&) = delete;
    CBackupRun& operator=(const CBackupRun&) = delete;

    // The source directories, the archive directory checked against them
    // and given its access rights.
    void Configure();
    // Lists the log files of the source directory, names their targets and
    // queues them for the copy.
    void Select();
    // One arkcp call per list file.
    void Copy();
    // Whatever happened before.
    void RemoveTemporaryFiles();

private:
    void SelectFile(const CFileList& list, int nIndex, const DateSelection& dates);
    // The log's lock, held by the programs that still write it, is tried
    // and given back at once.
    void CheckLogLock(const LogFileNameFields& fields, const std::string& sourcePath);

    CTroveRun& m_run;
    const CommandOptions& m_options;
    SourceDirectories m_sources;
    CFileOperation m_file;
    std::unique_ptr<CCopyBatch> m_pBatch;
    std::unique_ptr<CArchiveTarget> m_pTargets;
};
