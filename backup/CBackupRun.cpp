#include "CBackupRun.h"

#include "CSem.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;

}  // namespace

CBackupRun::CBackupRun(CTroveRun& run) : m_run(run), m_options(run.Options()) {}

void CBackupRun::Configure()
{
    m_sources = ReadSourceDirectories(m_options.logKind, m_run);
    CheckNotSourceDir(m_sources, m_options.archiveDir, m_run);
    GrantAccessOnFixedDrive(m_options.archiveDir);
}

void CBackupRun::Select()
{
    const bool bCsv = m_options.logKind == "CSV";
    const DateSelection dates = SelectDates(m_options);
    const std::string pattern = SearchPattern(bCsv ? m_sources.normalizeDir : m_sources.saveDir,
                                              m_options, dates, bCsv ? ".csv" : ".log");
    CFileList list;
    list.ExecFileListCmd(pattern.c_str(), 1);

    m_pBatch = std::make_unique<CCopyBatch>(m_run);
    m_pTargets = std::make_unique<CArchiveTarget>(m_run, m_pBatch->ToolDir(),
                                                  m_pBatch->TemporaryFile("arkls", false));
    m_pBatch->Open();
    for (int i = 0; i < list.GetFileCount(); ++i) SelectFile(list, i, dates);
}

void CBackupRun::SelectFile(const CFileList& list, int nIndex, const DateSelection& dates)
{
    char szName[DIR_BUFFER_SIZE];
    list.GetFileName(szName, sizeof(szName), nIndex);
    std::string sourcePath;
    bool bNamed = false;  // the record of a failure names the last candidate
    try {
        const LogFileNameFields fields = ParseLogFileName(szName, m_options.logKind, m_run);
        if (!dates.Selects(fields.dateField)) return;
        m_run.CountSelected();
        char szPath[DIR_BUFFER_SIZE];
        list.GetFilePathName(szPath, sizeof(szPath), nIndex);
        sourcePath = szPath;
        const long long nSize = m_file.FileSize(szPath);
        bNamed = true;
        if (!m_pTargets->AssignArchiveTarget(szName, sourcePath, nSize)) return;
        CheckLogLock(fields, sourcePath);
        m_pBatch->Add(sourcePath, m_pTargets->TargetPath());
    } catch (const CListingFault&) {
        throw;
    } catch (const std::exception& e) {
        m_run.AddFailure(sourcePath, bNamed ? m_pTargets->TargetPath() : "", e.what());
    }
}

void CBackupRun::CheckLogLock(const LogFileNameFields& fields, const std::string& sourcePath)
{
    const std::string name = fields.hostField + fields.secondField + fields.dateField + "savelog";
    CSem lock(name.c_str(), 1);
    if (lock.Lock() == 0)
        m_run.ThrowError(SOURCE_FILE, 1086, MSG_LOG_FILE_LOCKED, sourcePath.c_str());
    lock.Unlock();
}

void CBackupRun::Copy()
{
    m_pBatch->Close();
    m_pBatch->Copy(" -a -m ");
}

void CBackupRun::RemoveTemporaryFiles()
{
    if (!m_pBatch) return;
    std::vector<std::string> others;
    if (m_pTargets) others.push_back(m_pTargets->ListingCapture());
    m_pBatch->RemoveFiles(others);
}
