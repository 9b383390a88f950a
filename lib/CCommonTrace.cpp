#include "CCommonTrace.h"

#include <cstring>
#include <memory>

namespace {
CCommonTrace* s_pCurrent = nullptr;
}

CCommonTrace::CCommonTrace() : m_context(), m_nOpen(0) {}

CCommonTrace::~CCommonTrace()
{
    if (m_nOpen == 1) Close();
}

CCommonTrace* CCommonTrace::Current() { return s_pCurrent; }

int CCommonTrace::Open(const char* pszIdentity, DWORD dwMode)
{
    if (m_nOpen == 1) return 0;
    m_nOpen = QwTrcOpen(m_context, dwMode, pszIdentity);
    return m_nOpen;
}

void CCommonTrace::Write(int nLevel, const char* pszSourceName, int nLine, int nKind,
                         int nTextLength, DWORD dwProcessId, DWORD dwThreadId,
                         const char* pszText)
{
    QwTrcWrite(m_context, 0, nLevel, pszSourceName, nLine, nKind, nTextLength, dwProcessId,
               dwThreadId, pszText);
}

int CCommonTrace::Close()
{
    if (m_nOpen == 0) return 0;
    m_nOpen = 0;
    return QwTrcClose(m_context, 0);
}

int OpenCommonTrace(const char* pszIdentity, CCommonTrace** ppSlot)
{
    s_pCurrent = *ppSlot;
    if (*ppSlot) return 1;

    std::unique_ptr<CCommonTrace> client(new CCommonTrace);
    char szIdentity[QWTRC_IDENTITY_SIZE + 1] = {};
    strncpy(szIdentity, pszIdentity ? pszIdentity : "zorat", QWTRC_IDENTITY_SIZE);
    if (client->Open(szIdentity, QWTRC_OPEN_MODE) == 0) return 0;

    s_pCurrent = *ppSlot = client.release();
    return 1;
}

void CloseCommonTrace(CCommonTrace** ppSlot)
{
    CCommonTrace* pClient = *ppSlot;
    if (!pClient) return;
    s_pCurrent = nullptr;
    *ppSlot = nullptr;
    pClient->Close();
    delete pClient;
}
