#pragma once
#include <windows.h>

#include "CBase.h"
#include "UniqueHandle.h"

#define REG_ACCESS_READ 1
#define REG_ACCESS_FULL 2

// One key below HKEY_LOCAL_MACHINE, on this computer or a remote one. The key
// is opened on first use and stays open for the object's lifetime.
class CRegistry : public virtual CBase {
public:
    // pszHost: none for the local computer.
    CRegistry(const char* pszKeyPath, const char* pszHost, int nAccessType);
    ~CRegistry() override;

    // 1 when open, 0 when the key does not exist; throws on other failures.
    int CheckAndOpenRegKey();
    // 1 when read (*pdwSize then holds the stored size), 0 when the key or the
    // value does not exist; throws on other failures.
    int CheckAndReadRegVal(const char* pszValueName, void* pBuffer, DWORD* pdwSize);
    // Like the Check... forms, but a missing key or value is a failure too.
    int OpenRegKey();
    int ReadRegStringVal(const char* pszValueName, void* pBuffer, DWORD* pdwSize);
    // A directory: a string that must be a full path with a drive letter or
    // a UNC path; an empty or relative one is a failure, as a path read from
    // there would lead anywhere.
    int ReadRegPathVal(const char* pszValueName, char* pszBuffer, DWORD* pdwSize);
    // Exactly four bytes of any type.
    void ReadRegDwordVal(const char* pszValueName, DWORD* pdwValue);

private:
    void RepairTerminator(const char* pszValueName, DWORD dwType, BYTE* pData, DWORD* pdwSize,
                          DWORD dwCapacity);

    UniqueHKey m_hRemoteRoot;
    UniqueHKey m_hKey;
    char m_szKeyPath[256];
    const char* m_pszHost;
    char m_szHost[132];
    int m_nAccessType;
    char m_szRootName[385];
};
