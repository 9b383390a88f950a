#include "CPrivateFile.h"

namespace {

const int MAX_ATTEMPTS = 20;
const DWORD RETRY_PAUSE_MS = 50;

// Full access for one well-known account; false with GetLastError.
bool AllowFullAccess(ACL* pAcl, WELL_KNOWN_SID_TYPE account)
{
    DWORD sid[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    DWORD dwSize = sizeof(sid);
    return CreateWellKnownSid(account, nullptr, sid, &dwSize) &&
           AddAccessAllowedAce(pAcl, ACL_REVISION, FILE_ALL_ACCESS, sid);
}

}  // namespace

HANDLE CPrivateFile::Create(const char* pszPath, DWORD dwShareMode)
{
    DWORD aclBuffer[128];  // the header and two entries with their SIDs
    ACL* pAcl = reinterpret_cast<ACL*>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(pAcl, sizeof(aclBuffer), ACL_REVISION) ||
        !AllowFullAccess(pAcl, WinBuiltinAdministratorsSid) ||
        !AllowFullAccess(pAcl, WinLocalSystemSid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, pAcl, FALSE) ||
        // Nothing inherited from the directory widens it.
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, FALSE};
    // What cannot be removed is left for CREATE_NEW to refuse. A leftover
    // that an ending process still lets go of (a killed run whose process
    // id has come back) goes within moments: tried again for a second.
    for (int nAttempt = 1;; ++nAttempt) {
        DeleteFileA(pszPath);
        const HANDLE hFile = CreateFileA(pszPath, GENERIC_WRITE, dwShareMode, &attributes,
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD dwError = GetLastError();
        const bool bTaken = dwError == ERROR_FILE_EXISTS || dwError == ERROR_ACCESS_DENIED ||
                            dwError == ERROR_SHARING_VIOLATION;
        if (hFile != INVALID_HANDLE_VALUE || !bTaken || nAttempt == MAX_ATTEMPTS) {
            SetLastError(dwError);
            return hFile;
        }
        Sleep(RETRY_PAUSE_MS);
    }
}
