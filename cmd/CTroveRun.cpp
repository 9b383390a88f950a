#include "CTroveRun.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "CAuthority.h"
#include "CProductInfo.h"
#include "CReportException.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
const DWORD REQUIRED_SERVER_TYPE = 8;

// What the per-file reports say instead of a device error: that an error
// occurred in the device and a technician should be contacted (code page 932).
const char DEVICE_ERROR_TEXT[] =
    "STRAVIK QX900\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc"
    "\x82\xb5\x82\xbd\x81\x42\x8b\x5a\x8f\x70\x88\xf5\x82\xc9\x98\x41\x97\x8d\x82\xb5\x82\xc4"
    "\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";
const char DEVICE_ERROR_MARK[] = ":arena";

std::string CommandText(int argc, char** argv)
{
    std::string text = TROVE_PROGRAM_FILE;
    for (int i = 1; i < argc; ++i) text += std::string(" ") + argv[i];
    return text;
}

// The usage, formatted as every report is.
class UsageText : public virtual CBase {
public:
    const char* Format()
    {
#ifdef TROVE_RESTORE
        const DWORD dwMessageId = MSG_USAGE_RESTORE;
#else
        const DWORD dwMessageId = MSG_USAGE_BACKUP;
#endif
        FormatErrorMessage(SOURCE_FILE, 0, dwMessageId, TROVE_PROGRAM_FILE, nullptr, nullptr,
                           nullptr, nullptr);
        return m_szMessage;
    }
};

}  // namespace

void RestrictLibrarySearch()
{
    // Looked up: older systems lack it, and keep their own search order.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto pfnSetDefault = GetProcAs<SetDefaultDllDirectoriesFn>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (pfnSetDefault) pfnSetDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

bool IsUsageRequest(int argc, char** argv)
{
    return argc == 2 && (strcmp(argv[1], "/?") == 0 || strcmp(argv[1], "-?") == 0);
}

int PrintUsage()
{
    // An unreadable language setting leaves English; the usage still comes.
    DecideLanguage();
    // Its lines end in CR LF already; the console stream adds the CR itself.
    std::string text = UsageText().Format();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    printf("%s\n", text.c_str());
    return 0;
}

std::string DecideLanguage()
{
    try {
        const CBase first;
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

CTroveRun::CTroveRun(int argc, char** argv, std::string languageFault)
    : m_pTrace(nullptr), m_commandText(CommandText(argc, argv)),
      m_languageFault(std::move(languageFault)), m_nExitCode(0), m_nSelected(0), m_nCopied(0),
      m_bListingFault(false)
{
    // Without the trace the run goes on; the reports keep their texts.
    OpenCommonTrace(TROVE_MODULE, &m_pTrace);
    m_pAudit = std::make_unique<CAuditLog>(nullptr);
    Audit(InfoTrace(SOURCE_FILE, 301, MSG_PROGRAM_START, TROVE_PROGRAM_FILE), "B",
          AUDIT_CONSOLE_STDOUT);
}

CTroveRun::~CTroveRun()
{
    m_pAudit.reset();
    CloseCommonTrace(&m_pTrace);
}

void CTroveRun::CheckUserAndServer()
{
    if (!m_languageFault.empty()) throw CReportException(m_languageFault.c_str());
    if (CAuthority().IsAdministrator() != 1) ThrowError(SOURCE_FILE, 310, MSG_NOT_ADMINISTRATOR);
    if (CProductInfo(PRODUCT_ZORAT).GetServerType() != REQUIRED_SERVER_TYPE)
        ThrowError(SOURCE_FILE, 325, MSG_WRONG_SERVER_TYPE, TROVE_PROGRAM_FILE);
}

size_t CTroveRun::AddRecord(const std::string& sourcePath, const std::string& targetPath)
{
    m_records.push_back(CopyRecord{sourcePath, targetPath, "", 1});
    return m_records.size() - 1;
}

void CTroveRun::AddFailure(const std::string& sourcePath, const std::string& targetPath,
                           const std::string& message)
{
    m_records.push_back(CopyRecord{sourcePath, targetPath, message, 0});
    m_nExitCode = std::max(m_nExitCode, 1);
}

void CTroveRun::FailRecord(size_t nRecord, const std::string& message)
{
    CopyRecord& record = m_records.at(nRecord);
    record.copied = 0;
    record.message = message;
}

void CTroveRun::Audit(const char* pszMessage, const char* pszResult, int nConsole)
{
    m_pAudit->WriteAuditLog("", TROVE_PROGRAM_FILE, m_commandText.c_str(), pszMessage, pszResult,
                            nConsole);
}

void CTroveRun::Fatal(const char* pszText)
{
    Audit(pszText, "F", AUDIT_CONSOLE_STDERR);
    m_nExitCode = 255;
}

void CTroveRun::ReportFiles()
{
    if (m_bListingFault) return;
    for (const CopyRecord& record : m_records) {
        if (record.copied == 1) {
            Audit(InfoTrace(SOURCE_FILE, 1340, MSG_FILE_COPIED, record.sourcePath.c_str(),
                            record.targetPath.c_str()),
                  "S", AUDIT_CONSOLE_NONE);
            ++m_nCopied;
            continue;
        }
        const char* pszMessage = record.message.find(DEVICE_ERROR_MARK) != std::string::npos
                                     ? DEVICE_ERROR_TEXT
                                     : record.message.c_str();
        Audit(ErrorTrace(SOURCE_FILE, 1365, MSG_FILE_COPY_FAILED, record.sourcePath.c_str(),
                         record.targetPath.c_str(), pszMessage),
              "F", AUDIT_CONSOLE_STDOUT);
    }
}

int CTroveRun::Finish()
{
    const char* pszCommand = m_commandText.c_str();
    int nExitCode = 255;
    const char* pszFinal = nullptr;
    if (m_nExitCode == 0 && m_nSelected > 0) {
        pszFinal = InfoLog(SOURCE_FILE, 1408, MSG_RUN_SUCCEEDED, pszCommand);
        nExitCode = 0;
    } else if (m_nExitCode == 0) {
        Audit(WarningTrace(SOURCE_FILE, 1395, MSG_RUN_NOTHING_SELECTED, pszCommand), "S",
              AUDIT_CONSOLE_NONE);
        pszFinal = InfoLog(SOURCE_FILE, 1399, MSG_RUN_NOTHING_SELECTED, pszCommand);
        nExitCode = 2;
    } else if (m_nCopied == 0) {
        pszFinal = ErrorLog(SOURCE_FILE, 1424, MSG_RUN_FAILED, pszCommand);
    } else if (m_nExitCode == 1) {
        pszFinal = WarningLog(SOURCE_FILE, 1415, MSG_RUN_PARTIAL, pszCommand);
        nExitCode = 1;
    } else {
        pszFinal = WarningLog(SOURCE_FILE, 1432, MSG_RUN_PARTIAL, pszCommand);
    }
    printf("%s\n", pszFinal);
    fflush(stdout);
    return nExitCode;
}
