#include "CAuditLog.h"

#include <cstdio>
#include <cstring>

#include "CInfoCtl.h"
#include "CProductInfo.h"
#include "CReportException.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CAuditLog";
const int NOT_CALLED = 7;

// "<Install>\bin\auvex.dll": beside the programs, never searched for.
std::string ClientLibraryPath()
{
    char szInstall[PATH_BUFFER_SIZE];
    DWORD dwSize = sizeof(szInstall);
    CProductInfo(PRODUCT_ZORAT).GetInstallPath(szInstall, &dwSize);
    return std::string(szInstall) + "\\bin\\auvex.dll";
}

}  // namespace

CAuditLog::CAuditLog(const char* pszIdentity)
    : m_dwContext(0), m_nLastResult(NOT_CALLED), m_nOpenResult(NOT_CALLED), m_szIdentity(),
      m_pfnOpen(nullptr), m_pfnWrite(nullptr), m_pfnClose(nullptr)
{
    strncpy(m_szIdentity, pszIdentity ? pszIdentity : "zorat", sizeof(m_szIdentity) - 1);
    if (!LoadClientLibrary()) return;
    m_strHostName = FindHostName();
    m_nOpenResult = m_nLastResult = m_pfnOpen(0, 0, &m_dwContext, 0);
}

CAuditLog::~CAuditLog() { CloseAuditLog(); }

// The library and its three exports; traced and false when any is missing.
bool CAuditLog::LoadClientLibrary()
{
    DWORD dwError = ERROR_BAD_PATHNAME;
    try {
        m_hAuvex.reset(LoadLibraryA(ClientLibraryPath().c_str()));
        dwError = GetLastError();
    } catch (const CReportException&) {
        // The installation directory is reported already; no library then.
    }
    if (!m_hAuvex) {
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "Load library failed.", "auvex.dll",
                   GetSystemErrorText(dwError));
        return false;
    }
    m_pfnOpen = GetProcAs<AvOpenAuditLogFn>(m_hAuvex.get(), "Av_OpenAuditLog");
    m_pfnWrite = m_pfnOpen ? GetProcAs<AvWriteAuditLogFn>(m_hAuvex.get(), "Av_WriteAuditLog")
                           : nullptr;
    m_pfnClose = m_pfnWrite ? GetProcAs<AvCloseAuditLogFn>(m_hAuvex.get(), "Av_CloseAuditLog")
                            : nullptr;
    if (m_pfnClose) return true;

    dwError = GetLastError();
    const char* pszMissing = !m_pfnOpen    ? "Av_OpenAuditLog"
                             : !m_pfnWrite ? "Av_WriteAuditLog"
                                           : "Av_CloseAuditLog";
    ErrorTrace(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS,
               "To getting address of function in dll failed.", pszMissing,
               GetSystemErrorText(dwError));
    m_pfnOpen = nullptr;
    m_pfnWrite = nullptr;
    m_hAuvex.reset();
    return false;
}

// This computer's name, or "" when it cannot be found.
std::string CAuditLog::FindHostName()
{
    try {
        CInfoCtl info;
        info.AcquireHostName();
        char szHost[NODEAPI_HOSTNAME_SIZE];
        DWORD dwSize = sizeof(szHost);
        info.GetOwnHostName(szHost, &dwSize);
        return szHost;
    } catch (const CReportException&) {
        return "";
    }
}

const char* CAuditLog::WriteAuditLog(const char* pszSubject, const char* pszProgram,
                                     const char* pszCommandLine, const char* pszMessage,
                                     const char* pszResult, int nConsole)
{
    if (m_nOpenResult == 0)
        m_nLastResult = m_pfnWrite(&m_dwContext, m_strHostName.c_str(), m_strHostName.c_str(),
                                   pszSubject, pszProgram, pszCommandLine, pszMessage, pszResult,
                                   m_szIdentity, 0, 0);
    FILE* pConsole = nConsole == AUDIT_CONSOLE_STDOUT   ? stdout
                     : nConsole == AUDIT_CONSOLE_STDERR ? stderr
                                                        : nullptr;
    if (pConsole) {
        fprintf(pConsole, "%s\n", pszMessage);
        fflush(pConsole);
    }
    return pszMessage;
}

void CAuditLog::CloseAuditLog()
{
    if (m_nOpenResult == 0) m_nLastResult = m_pfnClose(&m_dwContext, 0);
}

char* FormatNumber(char* pszBuffer, size_t nSize, int nValue, int nStyle)
{
    if (nStyle == 1)
        snprintf(pszBuffer, nSize, "%d", nValue);
    else if (nStyle == 2)
        snprintf(pszBuffer, nSize, "0x%08x", static_cast<unsigned int>(nValue));
    else
        snprintf(pszBuffer, nSize, "*");
    return pszBuffer;
}
