#pragma once
#include <cstdlib>
#include <memory>
#include <string>

#include "CBase.h"

#define TOKEN_GROUPS_INITIAL_SIZE 1024

// Whether the user running the program belongs to the local Administrators
// group, and who that user is.
class CAuthority : public virtual CBase {
public:
    // Tests start the group buffer smaller to take the path that enlarges it.
    explicit CAuthority(DWORD dwGroupBufferSize = TOKEN_GROUPS_INITIAL_SIZE);
    ~CAuthority() override = default;

    // 1 when the process token holds the Administrators group; throws on
    // system failures.
    int IsAdministrator();
    // Empty until IsAdministrator found the user in the group.
    const std::string& GetUser() const { return m_strUserName; }

private:
    struct FreeDeleter {
        void operator()(void* p) const { free(p); }
    };
    using HeapBlock = std::unique_ptr<BYTE, FreeDeleter>;

    std::string AdministratorsName();
    void ReadTokenGroups(HANDLE hToken);
    HeapBlock Allocate(const char* pszWhat, DWORD dwSize, bool bWrap);
    void KeepUserName();

    DWORD m_dwGroupBufferSize;
    HeapBlock m_pTokenGroups;
    HeapBlock m_pAccountName;
    HeapBlock m_pDomainName;
    std::string m_strUserName;
};
