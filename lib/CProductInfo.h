#pragma once
#include <windows.h>

#include <string>

#include "CBase.h"

#define PRODUCT_ZORAT 1     // this product
#define PRODUCT_KEYSTONE 2  // the sibling holding the family's shared libraries
#define PATH_BUFFER_SIZE 1025

// Where the product (or a sibling) is installed, paths below that, and the
// product's numeric settings, read from the registry and cached per object.
class CProductInfo : public virtual CBase {
public:
    explicit CProductInfo(int nProductType);
    ~CProductInfo() override = default;

    DWORD GetServerType();
    // Their defaults (0, 0, 8192) when they cannot be read; read again then.
    int GetFileRtyNum();
    int GetFileRtyTime();
    int GetFileReadSize();

    // *pdwSize: the buffer's capacity; after a registry read, the bytes read.
    void GetInstallPath(char* pszBuffer, DWORD* pdwSize);
    void GetMgrEnvFileName(char* pszBuffer, DWORD* pdwSize);
    void GetExcFileName(const char* pszName, char* pszBuffer, DWORD* pdwSize);
    void GetTmpPath(char* pszBuffer, DWORD* pdwSize);

private:
    struct CachedPath {
        char szPath[PATH_BUFFER_SIZE];
        int nCached;
    };

    int ReadFileSetting(const char* pszFunction, const char* pszValueName, int& nCache,
                        int nDefault);
    void CheckZoratProduct(const char* pszFunction);
    [[noreturn]] void ThrowNotEnoughBuffer(const char* pszFunction, DWORD dwSize);
    // Serves a cached path; false when there is none.
    bool CopyCached(const CachedPath& cache, const char* pszFunction, char* pszBuffer,
                    DWORD dwSize);
    // The install path with the suffix appended, or a shortage report when
    // the capacity cannot take it.
    void InstallPathWith(const char* pszFunction, const std::string& suffix, char* pszBuffer,
                         DWORD* pdwSize);
    static void Store(CachedPath& cache, const char* pszPath);

    int m_nProductType;
    CachedPath m_installPath;
    CachedPath m_mgrEnvFile;
    CachedPath m_tmpPath;
    int m_nServerType;
    int m_nFileRtyNum;
    int m_nFileRtyTime;
    int m_nFileReadSize;
};

// Loads a shared library of the product family from below the sibling
// product's installation ("<DM PathName>" + pszRelative, at most 1024
// characters). Throws when the sibling is not installed; null when the
// library does not load (GetLastError tells why).
HMODULE LoadFamilyLibrary(const char* pszRelative);
