#include "CRedirectionGuard.h"

#include "CBase.h"
#include "CReportException.h"

namespace {
const int SWITCH_ERROR_SIZE = 4096;
}  // namespace

CRedirectionGuard::~CRedirectionGuard()
{
    if (m_bOff && GetThreadRedirect(m_dwThreadId) == 0) TrySwitchOn();
}

bool CRedirectionGuard::SwitchOff(DWORD dwThreadId)
{
    char szError[SWITCH_ERROR_SIZE] = {};
    if (!m_pWin64) m_pWin64 = std::make_unique<CWin64Process>();
    if (m_nWow64 == -1) {
        int nWow64 = 0;
        if (!m_pWin64->IsWow64(szError, sizeof(szError), &nWow64)) throw CReportException(szError);
        m_nWow64 = nWow64;
    }
    if (m_nWow64 != 1) return false;
    m_dwThreadId = dwThreadId;
    if (!m_pWin64->RedirectOff(szError, sizeof(szError))) throw CReportException(szError);
    m_bOff = true;
    SetThreadRedirect(m_dwThreadId, 0);
    return true;
}

bool CRedirectionGuard::TrySwitchOn()
{
    char szError[SWITCH_ERROR_SIZE] = {};
    return SwitchBackOn(szError, sizeof(szError));
}

void CRedirectionGuard::SwitchOn()
{
    char szError[SWITCH_ERROR_SIZE] = {};
    if (!SwitchBackOn(szError, sizeof(szError))) throw CReportException(szError);
}

bool CRedirectionGuard::SwitchBackOn(char* pszError, int nLength)
{
    if (!m_bOff) return true;
    if (!m_pWin64->RedirectOn(pszError, nLength)) return false;
    m_bOff = false;
    SetThreadRedirect(m_dwThreadId, 1);
    return true;
}
