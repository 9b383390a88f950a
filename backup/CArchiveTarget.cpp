#include "CArchiveTarget.h"

#include <cstdio>
#include <utility>

#include "CAuditLog.h"
#include "trovecmd_config.h"
#include "trovecmd_names.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
const int MAX_ATTEMPTS = 1000;
const int MAX_TARGET_PATH = 251;

}  // namespace

CArchiveTarget::CArchiveTarget(CTroveRun& run, const std::string& toolDir,
                               const std::string& capturePath)
    : m_run(run), m_archiveDir(run.Options().archiveDir),
      m_extension(run.Options().logKind == "CSV" ? ".csv" : ".log"), m_toolDir(toolDir),
      m_capturePath(capturePath), m_bListingDone(false)
{
}

bool CArchiveTarget::AssignArchiveTarget(const std::string& fileName,
                                         const std::string& sourcePath, long long nSourceSize)
{
    m_targetPath.clear();
    const size_t nExtension = FindNameSuffix(fileName, m_extension.c_str());
    if (nExtension == std::string::npos)
        m_run.ThrowError(SOURCE_FILE, 786, MSG_ERROR_DETAILS, "Not Found log extension",
                         fileName.c_str());
    const std::string baseName = fileName.substr(0, nExtension);
    SetCandidate(baseName, 0, 800);

    for (int nAttempt = 1;; ++nAttempt) {
        // A name given earlier in this run is taken even before the copy.
        std::wstring folded = FoldedName(m_targetName);
        const bool bAssigned = m_assigned.count(folded) != 0;
        if (!bAssigned && m_check.CheckFileExist(m_targetPath.c_str(), CHECK_MODE_ANY) != 1) {
            m_assigned.insert(std::move(folded));
            return true;
        }
        // A directory of that name holds no archived copy, and never will.
        const bool bFile =
            !bAssigned && m_check.CheckFileExist(m_targetPath.c_str(), CHECK_MODE_FILE) == 1;
        if (bFile && ListedSize(sourcePath) == nSourceSize) {
            m_run.Audit(
                m_run.InfoTrace(SOURCE_FILE, 1008, MSG_FILE_ALREADY_PRESENT, sourcePath.c_str()),
                "C", AUDIT_CONSOLE_STDOUT);
            return false;
        }
        if (nAttempt == MAX_ATTEMPTS)
            m_run.ThrowError(SOURCE_FILE, 1022, MSG_NO_FREE_ARCHIVE_NAME, sourcePath.c_str());
        SetCandidate(baseName, nAttempt, 1042);
    }
}

void CArchiveTarget::SetCandidate(const std::string& baseName, int nAttempt, int nLengthTag)
{
    char szCounter[20] = "";
    if (nAttempt > 0) snprintf(szCounter, sizeof(szCounter), "_%03d", nAttempt);
    m_targetName = baseName + szCounter + ".cln";
    m_targetPath = m_archiveDir + "\\" + m_targetName;
    if (m_targetPath.size() > MAX_TARGET_PATH)
        m_run.ThrowError(SOURCE_FILE, nLengthTag, MSG_OPTION_VALUE_INVALID, "-D",
                         m_archiveDir.c_str());
}

long long CArchiveTarget::ListedSize(const std::string& sourcePath)
{
    if (!m_bListingDone) MakeListing();
    long long nListedSize = 0;
    if (!m_listing.Find(m_targetName, nListedSize))
        throw CListingFault(m_run.ErrorTrace(SOURCE_FILE, 998, MSG_ERROR_DETAILS,
                                             TROVE_PROGRAM_FILE, "File Not Found",
                                             m_capturePath.c_str(), sourcePath.c_str()));
    return nListedSize;
}

void CArchiveTarget::MakeListing()
{
    const std::string command = "\"" + m_toolDir + "\\cmd\\bin\\arkls\" -f -s \"" +
                                m_archiveDir + "\" 2> " + m_capturePath;
    // Without a trustworthy listing no name can be judged: the run ends.
    try {
        RunArchiveCommand(command.c_str(), m_run, m_capturePath.c_str());
        m_listing.Read(m_capturePath, m_run);
    } catch (const CListingFault&) {
        throw;
    } catch (const std::exception& e) {
        throw CListingFault(e.what());
    }
    m_bListingDone = true;
}
