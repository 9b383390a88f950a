#pragma once
#include <windows.h>

#include "qwtrcapi.h"

// Client of the product family's common trace library. One client is open
// per process at a time; the reports of every object write through it.
class CCommonTrace {
public:
    CCommonTrace();
    virtual ~CCommonTrace();
    CCommonTrace(const CCommonTrace&) = delete;
    CCommonTrace& operator=(const CCommonTrace&) = delete;

    int Open(const char* pszIdentity, DWORD dwMode);
    void Write(int nLevel, const char* pszSourceName, int nLine, int nKind, int nTextLength,
               DWORD dwProcessId, DWORD dwThreadId, const char* pszText);
    int Close();

    // The process-wide client, or none.
    static CCommonTrace* Current();

private:
    BYTE m_context[QWTRC_CONTEXT_SIZE];
    int m_nOpen;
};

// Opens a client under the identity ("zorat" when none) into the caller's
// slot and makes it the process-wide client. 1 when a client is open.
int OpenCommonTrace(const char* pszIdentity, CCommonTrace** ppSlot);
// Closes and frees the slot's client, if any.
void CloseCommonTrace(CCommonTrace** ppSlot);
