#include "CProductInfo.h"

#include <cstdio>
#include <cstring>

#include "CRegistry.h"
#include "CReportException.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CProductInfo";
const char ZORAT_KEY[] = "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat";
const char FAMILY_KEY[] = "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion";

struct InstallLocation {
    const char* pszKey;
    const char* pszValue;
};

// Key and value of each product type's installation directory; type 4 is
// no product.
bool LocationOf(int nProductType, InstallLocation& location)
{
    switch (nProductType) {
    case 1: location = {ZORAT_KEY, "Install"}; return true;
    case 2: location = {FAMILY_KEY, "DM PathName"}; return true;
    case 3: location = {FAMILY_KEY, "JM PathName"}; return true;
    case 5:
    case 6: location = {FAMILY_KEY, "PathName"}; return true;
    default: return false;
    }
}

std::string Decimal(long long nValue) { return std::to_string(nValue); }

}  // namespace

CProductInfo::CProductInfo(int nProductType)
    : m_nProductType(nProductType), m_installPath(), m_mgrEnvFile(), m_tmpPath(),
      m_nServerType(-1), m_nFileRtyNum(-1), m_nFileRtyTime(-1), m_nFileReadSize(-1)
{
}

void CProductInfo::CheckZoratProduct(const char* pszFunction)
{
    if (m_nProductType != PRODUCT_ZORAT)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, pszFunction, "Invalid ProductType",
                   Decimal(m_nProductType).c_str());
}

void CProductInfo::ThrowNotEnoughBuffer(const char* pszFunction, DWORD dwSize)
{
    ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, pszFunction, "Not enough buffer",
               Decimal(dwSize).c_str());
}

DWORD CProductInfo::GetServerType()
{
    if (m_nServerType != -1) return static_cast<DWORD>(m_nServerType);
    CheckZoratProduct("GetServerType()");
    DWORD dwValue = 0;
    CRegistry(ZORAT_KEY, nullptr, REG_ACCESS_READ).ReadRegDwordVal("ServerType", &dwValue);
    m_nServerType = static_cast<int>(dwValue);
    return dwValue;
}

int CProductInfo::GetFileRtyNum()
{
    return ReadFileSetting("GetFileRtyNum()", "FileRtyNum", m_nFileRtyNum, 0);
}

int CProductInfo::GetFileRtyTime()
{
    return ReadFileSetting("GetFileRtyTime()", "FileRtyTime", m_nFileRtyTime, 0);
}

int CProductInfo::GetFileReadSize()
{
    return ReadFileSetting("GetFileReadSize()", "FileReadSize", m_nFileReadSize, 8192);
}

int CProductInfo::ReadFileSetting(const char* pszFunction, const char* pszValueName, int& nCache,
                                  int nDefault)
{
    if (nCache != -1) return nCache;
    CheckZoratProduct(pszFunction);
    try {
        // Into a local first: a value of the wrong size must not leave a
        // half-written cache behind.
        DWORD dwValue = 0;
        CRegistry(ZORAT_KEY, nullptr, REG_ACCESS_READ).ReadRegDwordVal(pszValueName, &dwValue);
        nCache = static_cast<int>(dwValue);
        return nCache;
    } catch (const CReportException&) {
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, pszFunction,
                   "Acquisition failure of value.");
        return nDefault;
    }
}

bool CProductInfo::CopyCached(const CachedPath& cache, const char* pszFunction, char* pszBuffer,
                              DWORD dwSize)
{
    if (!cache.nCached) return false;
    if (dwSize <= strlen(cache.szPath)) ThrowNotEnoughBuffer(pszFunction, dwSize);
    memset(pszBuffer, 0, dwSize);
    strcpy(pszBuffer, cache.szPath);
    return true;
}

void CProductInfo::Store(CachedPath& cache, const char* pszPath)
{
    const size_t nLength = strnlen(pszPath, PATH_BUFFER_SIZE - 1);
    memcpy(cache.szPath, pszPath, nLength);
    cache.szPath[nLength] = '\0';
    cache.nCached = 1;
}

void CProductInfo::GetInstallPath(char* pszBuffer, DWORD* pdwSize)
{
    if (CopyCached(m_installPath, "GetInstallPath()", pszBuffer, *pdwSize)) return;
    memset(pszBuffer, 0, *pdwSize);
    InstallLocation location;
    if (!LocationOf(m_nProductType, location))
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "GetInstallPath()",
                   "Invalid ProductType", Decimal(m_nProductType).c_str());
    const DWORD dwCapacity = *pdwSize;
    CRegistry(location.pszKey, nullptr, REG_ACCESS_READ)
        .ReadRegPathVal(location.pszValue, pszBuffer, pdwSize);
    // A value that fills the buffer without a terminator is too long for it.
    if (strnlen(pszBuffer, dwCapacity) == dwCapacity)
        ThrowNotEnoughBuffer("GetInstallPath()", dwCapacity);
    Store(m_installPath, pszBuffer);
}

void CProductInfo::InstallPathWith(const char* pszFunction, const std::string& suffix,
                                   char* pszBuffer, DWORD* pdwSize)
{
    const DWORD dwCapacity = *pdwSize;
    memset(pszBuffer, 0, dwCapacity);
    GetInstallPath(pszBuffer, pdwSize);
    if (strlen(pszBuffer) + suffix.size() >= dwCapacity)
        ThrowNotEnoughBuffer(pszFunction, dwCapacity);
    strcat(pszBuffer, suffix.c_str());
}

void CProductInfo::GetMgrEnvFileName(char* pszBuffer, DWORD* pdwSize)
{
    if (CopyCached(m_mgrEnvFile, "GetMgrEnvFileName()", pszBuffer, *pdwSize)) return;
    CheckZoratProduct("GetMgrEnvFileName()");
    InstallPathWith("GetMgrEnvFileName()", "\\etc\\zoratmgr.def", pszBuffer, pdwSize);
    Store(m_mgrEnvFile, pszBuffer);
}

void CProductInfo::GetExcFileName(const char* pszName, char* pszBuffer, DWORD* pdwSize)
{
    CheckZoratProduct("GetExcFileName()");
    InstallPathWith("GetExcFileName()", std::string("\\ctl\\exc\\") + pszName + ".ctl",
                    pszBuffer, pdwSize);
}

void CProductInfo::GetTmpPath(char* pszBuffer, DWORD* pdwSize)
{
    if (CopyCached(m_tmpPath, "GetTmpPath()", pszBuffer, *pdwSize)) return;
    CheckZoratProduct("GetTempPath()");
    InstallPathWith("GetTempPath()", "\\tmp", pszBuffer, pdwSize);
    Store(m_tmpPath, pszBuffer);
}

HMODULE LoadFamilyLibrary(const char* pszRelative)
{
    char szInstall[PATH_BUFFER_SIZE];
    DWORD dwSize = sizeof(szInstall);
    CProductInfo(PRODUCT_KEYSTONE).GetInstallPath(szInstall, &dwSize);
    char szLibrary[PATH_BUFFER_SIZE];
    snprintf(szLibrary, sizeof(szLibrary), "%s%s", szInstall, pszRelative);
    return LoadLibraryA(szLibrary);
}
