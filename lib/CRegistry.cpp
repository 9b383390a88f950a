#include "CRegistry.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "CCheckData.h"
#include "zoratmsg.h"

namespace {
const char SOURCE_FILE[] = "..\\..\\src\\CRegistry";
const char LOCAL_ROOT_NAME[] = "HKEY_LOCAL_MACHINE";
}  // namespace

CRegistry::CRegistry(const char* pszKeyPath, const char* pszHost, int nAccessType)
    : m_pszHost(nullptr), m_nAccessType(nAccessType)
{
    strncpy(m_szKeyPath, pszKeyPath, sizeof(m_szKeyPath) - 1);
    m_szKeyPath[sizeof(m_szKeyPath) - 1] = '\0';
    m_szHost[0] = '\0';
    if (pszHost) {
        strncpy(m_szHost, pszHost, sizeof(m_szHost) - 1);
        m_szHost[sizeof(m_szHost) - 1] = '\0';
        m_pszHost = m_szHost;
    }
    strcpy(m_szRootName, LOCAL_ROOT_NAME);
}

// The key closes before the remote root it was opened below.
CRegistry::~CRegistry() { m_hKey.reset(); }

int CRegistry::CheckAndOpenRegKey()
{
    if (m_hKey) return 1;

    strcpy(m_szRootName, LOCAL_ROOT_NAME);
    HKEY hRoot = HKEY_LOCAL_MACHINE;
    if (m_pszHost) {
        snprintf(m_szRootName, sizeof(m_szRootName), "\\\\%s\\HKEY_LOCAL_MACHINE", m_pszHost);
        HKEY hRemote = nullptr;
        LONG lResult = RegConnectRegistryA(m_pszHost, HKEY_LOCAL_MACHINE, &hRemote);
        if (lResult == ERROR_BAD_NETPATH)
            ThrowError(SOURCE_FILE, __LINE__, MSG_REMOTE_REGISTRY_UNREACHABLE, m_pszHost,
                       "RegConnectRegistry", "53");
        if (lResult != ERROR_SUCCESS)
            ThrowError(SOURCE_FILE, __LINE__, MSG_REG_KEY_OPEN_FAILED, m_szRootName, m_szKeyPath,
                       std::to_string(lResult).c_str());
        m_hRemoteRoot.reset(hRemote);
        hRoot = hRemote;
    }

    if (m_nAccessType != REG_ACCESS_READ && m_nAccessType != REG_ACCESS_FULL) {
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CheckAndOpenRegKey()",
                   "Invalid access type", std::to_string(m_nAccessType).c_str());
    }

    const REGSAM samDesired = m_nAccessType == REG_ACCESS_READ ? KEY_READ : KEY_ALL_ACCESS;
    HKEY hKey = nullptr;
    LONG lResult = RegOpenKeyExA(hRoot, m_szKeyPath, 0, samDesired, &hKey);
    if (lResult == ERROR_SUCCESS) {
        m_hKey.reset(hKey);
        return 1;
    }
    if (lResult == ERROR_FILE_NOT_FOUND) return 0;
    if (lResult == ERROR_ACCESS_DENIED)
        ThrowError(SOURCE_FILE, __LINE__, MSG_REG_ACCESS_DENIED, "RegOpenKeyEx", "5");
    ThrowError(SOURCE_FILE, __LINE__, MSG_REG_KEY_OPEN_FAILED, m_szRootName, m_szKeyPath,
               std::to_string(lResult).c_str());
}

int CRegistry::CheckAndReadRegVal(const char* pszValueName, void* pBuffer, DWORD* pdwSize)
{
    if (!CheckAndOpenRegKey()) return 0;

    const DWORD dwCapacity = *pdwSize;
    DWORD dwType = REG_NONE;
    BYTE* pData = static_cast<BYTE*>(pBuffer);
    LONG lResult = RegQueryValueExA(m_hKey.get(), pszValueName, nullptr, &dwType, pData, pdwSize);
    switch (lResult) {
    case ERROR_SUCCESS:
        if (dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ)
            RepairTerminator(pszValueName, dwType, pData, pdwSize, dwCapacity);
        return 1;
    case ERROR_FILE_NOT_FOUND:
        return 0;
    case ERROR_ACCESS_DENIED:
        ThrowError(SOURCE_FILE, __LINE__, MSG_REG_ACCESS_DENIED, "RegQueryValueEx", "5");
    case ERROR_MORE_DATA:
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CheckAndReadRegVal",
                   "ERROR_MORE_DATA", pszValueName, std::to_string(dwCapacity).c_str());
    default:
        ThrowError(SOURCE_FILE, __LINE__, MSG_REG_VALUE_READ_FAILED, m_szRootName, m_szKeyPath,
                   pszValueName, std::to_string(lResult).c_str());
    }
}

// A string value stored without its terminator gets one where the buffer has
// room; a multi-string gets its second one as well.
void CRegistry::RepairTerminator(const char* pszValueName, DWORD dwType, BYTE* pData,
                                 DWORD* pdwSize, DWORD dwCapacity)
{
    char szType[16];
    snprintf(szType, sizeof(szType), "0x%08lx", static_cast<unsigned long>(dwType));
    if (*pdwSize != 0 && pData[*pdwSize - 1] != 0 && *pdwSize + 1 <= dwCapacity) {
        InfoTrace(SOURCE_FILE, __LINE__, MSG_REG_VALUE_TERMINATED, m_szRootName, m_szKeyPath,
                  pszValueName, szType, std::to_string(*pdwSize).c_str());
        pData[(*pdwSize)++] = 0;
    }
    if (dwType == REG_MULTI_SZ && *pdwSize > 1 && pData[*pdwSize - 2] != 0 &&
        *pdwSize + 1 <= dwCapacity) {
        InfoTrace(SOURCE_FILE, __LINE__, MSG_REG_VALUE_TERMINATED, m_szRootName, m_szKeyPath,
                  pszValueName, szType, std::to_string(*pdwSize).c_str());
        pData[(*pdwSize)++] = 0;
    }
}

int CRegistry::OpenRegKey()
{
    if (!CheckAndOpenRegKey())
        ThrowError(SOURCE_FILE, __LINE__, MSG_REG_KEY_OPEN_FAILED, m_szRootName, m_szKeyPath, "2");
    return 1;
}

int CRegistry::ReadRegStringVal(const char* pszValueName, void* pBuffer, DWORD* pdwSize)
{
    OpenRegKey();
    if (!CheckAndReadRegVal(pszValueName, pBuffer, pdwSize))
        ThrowError(SOURCE_FILE, __LINE__, MSG_REG_VALUE_READ_FAILED, m_szRootName, m_szKeyPath,
                   pszValueName, "2");
    return 1;
}

int CRegistry::ReadRegPathVal(const char* pszValueName, char* pszBuffer, DWORD* pdwSize)
{
    ReadRegStringVal(pszValueName, pszBuffer, pdwSize);
    if (!CCheckData::IsAbsolutePath(pszBuffer))
        ThrowError(SOURCE_FILE, __LINE__, MSG_REG_VALUE_READ_FAILED, m_szRootName, m_szKeyPath,
                   pszValueName, std::to_string(ERROR_BAD_PATHNAME).c_str());
    return 1;
}

void CRegistry::ReadRegDwordVal(const char* pszValueName, DWORD* pdwValue)
{
    DWORD dwSize = sizeof(DWORD);
    ReadRegStringVal(pszValueName, pdwValue, &dwSize);
    if (dwSize != sizeof(DWORD)) {
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "ReadRegDwordVal()", m_szRootName,
                   m_szKeyPath, pszValueName, std::to_string(dwSize).c_str());
    }
}
