#include "CAuthority.h"

#include <cerrno>
#include <cstring>

#include "CReportException.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CAuthority";
const DWORD NAME_BUFFER_SIZE = 1024;

struct FreeSidCloser {
    void operator()(PSID p) const { FreeSid(p); }
};
using UniqueSid = UniqueHandleOf<PSID, FreeSidCloser>;

}  // namespace

CAuthority::CAuthority(DWORD dwGroupBufferSize) : m_dwGroupBufferSize(dwGroupBufferSize) {}

// The account name of the built-in Administrators group on this computer.
std::string CAuthority::AdministratorsName()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID pSid = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &pSid))
        ThrowError(SOURCE_FILE, __LINE__, MSG_ADMIN_CHECK_FAILED,
                   GetSystemErrorText(GetLastError()));
    UniqueSid sid(pSid);

    char szName[256];
    char szDomain[132];
    DWORD dwName = sizeof(szName);
    DWORD dwDomain = sizeof(szDomain);
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, sid.get(), szName, &dwName, szDomain, &dwDomain, &use)) {
        const DWORD dwError = GetLastError();
        sid.reset();
        ThrowError(SOURCE_FILE, __LINE__, MSG_ADMIN_CHECK_FAILED, GetSystemErrorText(dwError));
    }
    return szName;
}

// A failed allocation is reported; bWrap reports that report again as a
// failure of the membership check.
CAuthority::HeapBlock CAuthority::Allocate(const char* pszWhat, DWORD dwSize, bool bWrap)
{
    HeapBlock block(static_cast<BYTE*>(malloc(dwSize)));
    if (block) return block;
    const std::string size = std::to_string(dwSize);
    if (!bWrap)
        ThrowError(SOURCE_FILE, __LINE__, MSG_OUT_OF_MEMORY, pszWhat, size.c_str(),
                   strerror(errno));
    const std::string report = ErrorTrace(SOURCE_FILE, __LINE__, MSG_OUT_OF_MEMORY, pszWhat,
                                          size.c_str(), strerror(errno));
    ThrowError(SOURCE_FILE, __LINE__, MSG_ADMIN_CHECK_FAILED, report.c_str());
}

void CAuthority::ReadTokenGroups(HANDLE hToken)
{
    DWORD dwSize = m_dwGroupBufferSize;
    m_pTokenGroups = Allocate("TOKEN_GROUPS", dwSize, false);
    DWORD dwNeeded = 0;
    while (!GetTokenInformation(hToken, TokenGroups, m_pTokenGroups.get(), dwSize, &dwNeeded)) {
        const DWORD dwError = GetLastError();
        if (dwError != ERROR_INSUFFICIENT_BUFFER || dwNeeded <= dwSize)
            ThrowError(SOURCE_FILE, __LINE__, MSG_ADMIN_CHECK_FAILED, GetSystemErrorText(dwError));
        dwSize = dwNeeded;
        m_pTokenGroups = Allocate("TOKEN_GROUPS", dwSize, true);
    }
}

int CAuthority::IsAdministrator()
{
    const std::string administrators = AdministratorsName();

    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        ThrowError(SOURCE_FILE, __LINE__, MSG_ADMIN_CHECK_FAILED,
                   GetSystemErrorText(GetLastError()));
    UniqueHandle token(hToken);
    ReadTokenGroups(token.get());
    m_pAccountName = Allocate("LPTSTR", NAME_BUFFER_SIZE, true);
    m_pDomainName = Allocate("LPTSTR", NAME_BUFFER_SIZE, true);

    const TOKEN_GROUPS* pGroups = reinterpret_cast<const TOKEN_GROUPS*>(m_pTokenGroups.get());
    char* pszAccount = reinterpret_cast<char*>(m_pAccountName.get());
    char* pszDomain = reinterpret_cast<char*>(m_pDomainName.get());
    for (DWORD i = 0; i < pGroups->GroupCount; ++i) {
        DWORD dwAccount = NAME_BUFFER_SIZE;
        DWORD dwDomain = NAME_BUFFER_SIZE;
        SID_NAME_USE use;
        if (!LookupAccountSidA(nullptr, pGroups->Groups[i].Sid, pszAccount, &dwAccount,
                               pszDomain, &dwDomain, &use))
            continue;
        if (administrators == pszAccount) {
            KeepUserName();
            return 1;
        }
    }
    return 0;
}

void CAuthority::KeepUserName()
{
    char szUser[33];
    DWORD dwSize = sizeof(szUser);
    if (GetUserNameA(szUser, &dwSize)) {
        m_strUserName = szUser;
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_INFORMATION, "UserName=", szUser);
    } else {
        m_strUserName.clear();
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_INFORMATION, "GetUserName failed.");
    }
}
