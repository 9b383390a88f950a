#include "CCopyBatch.h"

#include "CAuditLog.h"
#include "CProductInfo.h"
#include "CReportException.h"
#include "trovecmd_config.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
const size_t MAX_LIST_LINES = 2048;

}  // namespace

CCopyBatch::CCopyBatch(CTroveRun& run) : m_run(run), m_nLines(0), m_nAllLines(0)
{
    char szDir[DIR_BUFFER_SIZE] = {};
    GetArchiveToolDir(szDir, sizeof(szDir));
    m_toolDir = szDir;
    DWORD dwSize = sizeof(szDir);
    CProductInfo(PRODUCT_ZORAT).GetTmpPath(szDir, &dwSize);
    m_tmpDir = szDir;
    m_capturePath = TemporaryFile("arkcp", false);
}

std::string CCopyBatch::TemporaryFile(const char* pszStem, bool bNumbered) const
{
    char szPid[16];
    FormatNumber(szPid, sizeof(szPid), static_cast<int>(m_run.GetObjProcessID()), 1);
    std::string path = m_tmpDir + "\\" + TROVE_MODULE + "_" + pszStem + "_" + szPid;
    if (bNumbered) {
        char szNumber[16];
        path += std::string("_") +
                FormatNumber(szNumber, sizeof(szNumber), static_cast<int>(m_lists.size()), 1);
    }
    return path + ".tmp";
}

void CCopyBatch::StartListFile()
{
    m_file.FileClose();
    m_lists.push_back(ListFile{TemporaryFile("arkcplist", true), {}});
    m_nLines = 0;
    m_file.FileOpen(m_lists.back().path.c_str(), FILE_MODE_PRIVATE, 0);
}

void CCopyBatch::Open() { StartListFile(); }

void CCopyBatch::Add(const std::string& sourcePath, const std::string& targetPath)
{
    if (m_nLines >= MAX_LIST_LINES) StartListFile();
    m_file.FileWrite(sourcePath + "\t" + targetPath + "\r\n");
    m_lists.back().records.push_back(m_run.AddRecord(sourcePath, targetPath));
    ++m_nLines;
    ++m_nAllLines;
}

void CCopyBatch::Close() { m_file.FileClose(); }

void CCopyBatch::Copy(const char* pszOptions)
{
    if (m_nAllLines == 0) return;
    for (const ListFile& list : m_lists) {
        const std::string command = "\"" + m_toolDir + "\\cmd\\bin\\arkcp\"" + pszOptions + "\"" +
                                    list.path + "\" 2> " + m_capturePath;
        try {
            RunArchiveCommand(command.c_str(), m_run, m_capturePath.c_str());
        } catch (const CReportException& e) {
            MarkFailed(e.what());
            continue;
        }
        Verify(list);
    }
}

bool CCopyBatch::IsComplete(const CopyRecord& record)
{
    try {
        return m_check.CheckFileExist(record.targetPath.c_str(), CHECK_MODE_FILE) == 1 &&
               m_file.FileSize(record.targetPath.c_str()) ==
                   m_file.FileSize(record.sourcePath.c_str());
    } catch (const CReportException&) {
        return false;  // what cannot be checked does not count as copied
    }
}

// Files copied before the failure stay copied: their targets are complete.
// A target left half-written is no copy.
void CCopyBatch::MarkFailed(const std::string& text)
{
    const std::vector<CopyRecord>& records = m_run.Records();
    for (size_t nRecord = 0; nRecord < records.size(); ++nRecord) {
        if (records[nRecord].copied != 1 || IsComplete(records[nRecord])) continue;
        m_run.FailRecord(nRecord, text);
    }
    m_run.SetCopyFailed();
}

// A tool that says it copied is taken at its word only where the target is
// there in full.
void CCopyBatch::Verify(const ListFile& list)
{
    for (size_t nRecord : list.records) {
        const CopyRecord& record = m_run.Records()[nRecord];
        if (record.copied != 1 || IsComplete(record)) continue;
        m_run.FailRecord(nRecord,
                         m_run.ErrorTrace(SOURCE_FILE, 1352, MSG_ERROR_DETAILS, TROVE_PROGRAM_FILE,
                                          "Copy Not Verified", record.targetPath.c_str()));
        m_run.SetCopyFailed();
    }
}

void CCopyBatch::RemoveFiles(const std::vector<std::string>& others)
{
    m_file.FileClose();
    std::vector<std::string> paths;
    for (const ListFile& list : m_lists) paths.push_back(list.path);
    paths.push_back(m_capturePath);
    paths.insert(paths.end(), others.begin(), others.end());
    // Tried once each: this object never opens a file.
    CFileOperation remover;
    for (const std::string& path : paths) {
        try {
            if (m_check.CheckFileExist(path.c_str(), CHECK_MODE_FILE) == 1)
                remover.FileNoErrRemove(path.c_str());
        } catch (const CReportException&) {
        }
    }
}
