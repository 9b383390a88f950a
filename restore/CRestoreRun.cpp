#include "CRestoreRun.h"

#include <new>

#include "CAuditLog.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
const char RESTORE_LOCK[] = "troveload";
const char ARCHIVED_SUFFIX[] = ".cln";
const char NOT_THIS_KIND[] = "00000000";
const size_t MAX_TARGET_PATH = 251;

// Generations of one log differ only in the last field of their names.
bool SameLog(const LogFileNameFields& a, const LogFileNameFields& b)
{
    return a.hostField == b.hostField && a.secondField == b.secondField &&
           a.dateField == b.dateField && a.kindField == b.kindField &&
           a.extraField == b.extraField && a.shortField == b.shortField;
}

}  // namespace

CRestoreRun::CRestoreRun(CTroveRun& run) : m_run(run), m_options(run.Options()) {}

void CRestoreRun::Configure()
{
    // CSV logs have no generations to choose from.
    if (m_options.logKind == "CSV") m_options.generation = "ALL";
    const SourceDirectories sources = ReadSourceDirectories(m_options.logKind, m_run);
    CheckNotSourceDir(sources, m_options.restoreDir, m_run);

    m_pLock.reset(new (std::nothrow) CSem(RESTORE_LOCK, 1));
    if (!m_pLock)
        m_run.ThrowError(SOURCE_FILE, 419, MSG_OUT_OF_MEMORY, "CSem", "length of class",
                         "Failed to allocate memory");
    // Never waited for: a second restore fails at once.
    if (m_pLock->Lock() == 0) m_run.ThrowError(SOURCE_FILE, 428, MSG_ALREADY_RUNNING);
    GrantAccessOnFixedDrive(m_options.restoreDir);
}

void CRestoreRun::Select()
{
    const DateSelection dates = SelectDates(m_options);
    const std::string pattern = SearchPattern(m_options.archiveDir, m_options, dates, "");
    CFileList list;
    list.ExecFileListCmd(pattern.c_str(), 2);

    m_pBatch = std::make_unique<CCopyBatch>(m_run);
    m_pBatch->Open();
    for (int i = 0; i < list.GetFileCount(); ++i) SelectFile(list, i, dates);
}

void CRestoreRun::SelectFile(const CFileList& list, int nIndex, const DateSelection& dates)
{
    m_previous = m_current;
    m_current = LogFileNameFields();
    char szName[DIR_BUFFER_SIZE];
    list.GetFileName(szName, sizeof(szName), nIndex);
    std::string sourcePath, targetPath;
    try {
        m_current = ParseLogFileName(szName, m_options.logKind, m_run);
        if (!IsSelected(m_current, dates)) return;
        m_run.CountSelected();
        char szPath[DIR_BUFFER_SIZE];
        list.GetFilePathName(szPath, sizeof(szPath), nIndex);
        sourcePath = szPath;
        targetPath = TargetPath(szName);
        // The record of a path too long keeps it, so the failure names it.
        CheckTargetLength(targetPath);
        if (IsPresent(targetPath)) {
            m_run.Audit(
                m_run.InfoTrace(SOURCE_FILE, 1065, MSG_FILE_ALREADY_PRESENT, targetPath.c_str()),
                "C", AUDIT_CONSOLE_STDOUT);
            return;
        }
        m_pBatch->Add(sourcePath, targetPath);
        m_queuedTargets.insert(FoldedName(targetPath));
    } catch (const std::exception& e) {
        m_run.AddFailure(sourcePath, targetPath, e.what());
    }
}

bool CRestoreRun::IsSelected(const LogFileNameFields& fields, const DateSelection& dates) const
{
    if (fields.dateField == NOT_THIS_KIND || !dates.Selects(fields.dateField)) return false;
    // Names come newest first: of one log's generations the first is kept.
    return m_options.generation != "LAST" || !SameLog(fields, m_previous);
}

std::string CRestoreRun::TargetPath(const std::string& fileName)
{
    const size_t nSuffix = FindNameSuffix(fileName, ARCHIVED_SUFFIX);
    if (nSuffix == std::string::npos)
        m_run.ThrowError(SOURCE_FILE, 830, MSG_ERROR_DETAILS, "Not Found log extension",
                         fileName.c_str());
    return m_options.restoreDir + "\\" + fileName.substr(0, nSuffix) +
           (m_options.logKind == "CSV" ? ".csv" : ".log");
}

void CRestoreRun::CheckTargetLength(const std::string& targetPath)
{
    if (targetPath.size() > MAX_TARGET_PATH)
        m_run.ThrowError(SOURCE_FILE, 847, MSG_OPTION_VALUE_INVALID, "-R",
                         m_options.restoreDir.c_str());
}

bool CRestoreRun::IsPresent(const std::string& targetPath)
{
    return m_queuedTargets.count(FoldedName(targetPath)) != 0 ||
           m_check.CheckFileExist(targetPath.c_str(), CHECK_MODE_FILE) == 1;
}

void CRestoreRun::Copy()
{
    m_pBatch->Close();
    m_pBatch->Copy(" -r -m ");
}

void CRestoreRun::RemoveTemporaryFiles()
{
    if (m_pBatch) m_pBatch->RemoveFiles({});
}

void CRestoreRun::Unlock()
{
    if (!m_pLock) return;
    m_pLock->Unlock();
    m_pLock.reset();
}
