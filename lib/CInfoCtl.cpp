// Windows Sockets 2 must come before windows.h.
#include <winsock2.h>

#include "CInfoCtl.h"

#include <cstring>
#include <string>

#include "CProductInfo.h"
#include "zoratmsg.h"

namespace {
const char SOURCE_FILE[] = "..\\..\\src\\CInfoCtl";
}

CInfoCtl::CInfoCtl() : m_szHostName() {}

void CInfoCtl::AcquireHostName()
{
    const int nAnswer = AskHostNameLibrary();
    m_hNodeApi.reset();
    if (nAnswer != 0) AskWindowsSockets();
}

// The library's answer, 1 when the library or its export is missing.
int CInfoCtl::AskHostNameLibrary()
{
    m_hNodeApi.reset(LoadFamilyLibrary("\\Brannoc.DM\\bin\\nodeapi.dll"));

    int nAnswer = 1;
    int nDetail = 0;
    if (m_hNodeApi) {
        auto pfnGetHostname = GetProcAs<NdGetHostnameFn>(m_hNodeApi.get(), "NdGetHostname");
        if (pfnGetHostname) nAnswer = pfnGetHostname(m_szHostName, &nDetail);
        m_szHostName[sizeof(m_szHostName) - 1] = '\0';
    }
    if (nAnswer != 0)
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_HOST_NAME_LIBRARY_FAILED,
                   std::to_string(nAnswer).c_str(), std::to_string(nDetail).c_str());
    return nAnswer;
}

void CInfoCtl::AskWindowsSockets()
{
    WSADATA data;
    const int nStartError = WSAStartup(MAKEWORD(1, 1), &data);
    if (nStartError != 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_SOCKETS_STARTUP_FAILED, "WSAStartup",
                   GetSystemErrorText(static_cast<DWORD>(nStartError)));
    if (gethostname(m_szHostName, sizeof(m_szHostName)) != 0) {
        const int nError = WSAGetLastError();
        WSACleanup();
        ThrowError(SOURCE_FILE, __LINE__, MSG_HOST_NAME_FAILED,
                   GetSystemErrorText(static_cast<DWORD>(nError)));
    }
    if (WSACleanup() != 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_SOCKETS_CLEANUP_FAILED, "WSACleanup", m_szHostName,
                   GetSystemErrorText(static_cast<DWORD>(WSAGetLastError())));
}

void CInfoCtl::GetOwnHostName(char* pszBuffer, DWORD* pdwSize)
{
    const size_t nLength = strlen(m_szHostName);
    if (nLength >= *pdwSize)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "GetOwnHostName()",
                   "Not enough buffer", std::to_string(*pdwSize).c_str(),
                   std::to_string(nLength).c_str());
    memcpy(pszBuffer, m_szHostName, nLength + 1);
    *pdwSize = static_cast<DWORD>(nLength);
}
