// Stand-in for the product family's access-rights library: grants the named
// accounts their access masks on a file or directory, for real.
#include "qwacl.h"

#include "UniqueHandle.h"
#include "familycommon.h"

#include <aclapi.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// Answers 0 with the error as the last error, the library's failure answer.
int Fail(DWORD dwError)
{
    SetLastError(dwError);
    return 0;
}

// ERROR_SUCCESS when the path's volume keeps access lists, ERROR_PATH_NOT_FOUND
// when it does not. QWACL_FILESYSTEM=FAT makes every volume look like one
// without, for tests.
DWORD CheckVolume(const char* pszPath)
{
    std::string fileSystem;
    if (GetEnvironmentText("QWACL_FILESYSTEM", fileSystem) && fileSystem == "FAT")
        return ERROR_PATH_NOT_FOUND;
    // By handle: the query by root path makes Wine try to read the device and
    // complain on standard error.
    HANDLE hPath = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hPath == INVALID_HANDLE_VALUE) return GetLastError();
    UniqueHandle path(hPath);
    DWORD dwFlags = 0;
    if (!GetVolumeInformationByHandleW(path.get(), nullptr, 0, nullptr, nullptr, &dwFlags, nullptr,
                                       0))
        return GetLastError();
    return (dwFlags & FILE_PERSISTENT_ACLS) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
}

// With QWACL_CALL_LOG naming a file, one line per call, for tests: the path,
// each account with its kind and mask, and the three switches, separated by
// tabs. Wine keeps no access lists, so this is what a test can look at.
void NoteRequest(const char* pszPath, int nAccounts, const char* const* ppszAccounts,
                 const int* pnKinds, const DWORD* pdwMasks, int bInherit, int bKeep, int bFollow)
{
    char szEntry[64];
    std::string call = pszPath;
    for (int i = 0; i < nAccounts; ++i) {
        snprintf(szEntry, sizeof(szEntry), " %d 0x%08lx", pnKinds[i],
                 static_cast<unsigned long>(pdwMasks[i]));
        call += std::string("\t") + (ppszAccounts[i] ? ppszAccounts[i] : "") + szEntry;
    }
    snprintf(szEntry, sizeof(szEntry), "\t%d %d %d", bInherit, bKeep, bFollow);
    NoteCall("QWACL_CALL_LOG", call + szEntry);
}

struct Account {
    BYTE sid[SECURITY_MAX_SID_SIZE];
};

bool LookupAccount(const char* pszName, Account& account)
{
    DWORD cbSid = sizeof(account.sid);
    char szDomain[256];
    DWORD cchDomain = sizeof(szDomain);
    SID_NAME_USE use;
    return LookupAccountNameA(nullptr, pszName, account.sid, &cbSid, szDomain, &cchDomain, &use);
}

EXPLICIT_ACCESS_A GrantEntry(Account& account, DWORD dwMask, DWORD dwInheritance)
{
    EXPLICIT_ACCESS_A entry = {};
    entry.grfAccessPermissions = dwMask;
    entry.grfAccessMode = GRANT_ACCESS;
    entry.grfInheritance = dwInheritance;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
    entry.Trustee.ptstrName = reinterpret_cast<LPSTR>(account.sid);
    return entry;
}

// Sets the path's DACL to the entries, merged into the present DACL when
// bKeep; answers the Win32 error.
DWORD ApplyEntries(const char* pszPath, std::vector<EXPLICIT_ACCESS_A>& entries, bool bKeep)
{
    PACL pPresent = nullptr;
    UniqueLocalMem descriptor;
    if (bKeep) {
        PSECURITY_DESCRIPTOR pDescriptor = nullptr;
        DWORD dwError = GetNamedSecurityInfoA(pszPath, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                              nullptr, nullptr, &pPresent, nullptr, &pDescriptor);
        if (dwError != ERROR_SUCCESS) return dwError;
        descriptor.reset(pDescriptor);
    }
    PACL pNew = nullptr;
    DWORD dwError =
        SetEntriesInAclA(static_cast<ULONG>(entries.size()), entries.data(), pPresent, &pNew);
    if (dwError != ERROR_SUCCESS) return dwError;
    UniqueLocalMem newList(pNew);
    return SetNamedSecurityInfoA(const_cast<char*>(pszPath), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION, nullptr, nullptr, pNew, nullptr);
}

}  // namespace

// pReserved is accepted as the callers pass it and not used; bFollow only
// appears in the call log.
extern "C" int WINAPI QwAcl_SetAccessRights(const char* pszPath, int nAccounts,
                                            void* const* /*pReserved*/,
                                            const char* const* ppszAccounts, const int* pnKinds,
                                            const DWORD* pdwMasks, int bInherit, int bKeep,
                                            int bFollow)
{
    if (!pszPath || nAccounts <= 0 || !ppszAccounts || !pnKinds || !pdwMasks)
        return Fail(ERROR_INVALID_PARAMETER);
    NoteRequest(pszPath, nAccounts, ppszAccounts, pnKinds, pdwMasks, bInherit, bKeep, bFollow);
    DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) return Fail(GetLastError());
    DWORD dwError = CheckVolume(pszPath);
    if (dwError != ERROR_SUCCESS) return Fail(dwError);

    bool bDirectory = (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    DWORD dwInheritance =
        bInherit && bDirectory ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
    std::vector<Account> accounts(nAccounts);
    std::vector<EXPLICIT_ACCESS_A> entries;
    for (int i = 0; i < nAccounts; ++i) {
        if (pnKinds[i] != QWACL_KIND_GRANT) return Fail(ERROR_INVALID_PARAMETER);
        if (!LookupAccount(ppszAccounts[i], accounts[i])) return Fail(GetLastError());
        entries.push_back(GrantEntry(accounts[i], pdwMasks[i], dwInheritance));
    }
    dwError = ApplyEntries(pszPath, entries, bKeep != 0);
    return dwError == ERROR_SUCCESS ? 1 : Fail(dwError);
}
static_assert(std::is_same<decltype(&QwAcl_SetAccessRights), QwAclSetAccessRightsFn>::value,
              "QwAcl_SetAccessRights must match the callers' declaration");
