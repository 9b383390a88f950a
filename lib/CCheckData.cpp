#include "CCheckData.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "CReportException.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CCheckData";

bool IsSingleByte(unsigned char c) { return !IsDBCSLeadByte(c); }
bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

CCheckData::CCheckData()
{
    char szWindows[1025] = {};
    if (GetWindowsDirectoryA(szWindows, sizeof(szWindows)) == 0) {
        const DWORD dwError = GetLastError();
        ThrowError(SOURCE_FILE, __LINE__, MSG_PATH_CHECK_FAILED, szWindows,
                   GetSystemErrorText(dwError));
    }
    m_strSystemPrefix = std::string(szWindows) + "\\system32\\";
}

int CCheckData::IsNumeric(const char* pszText)
{
    if (!*pszText) return 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText); *p; ++p)
        if (!IsSingleByte(*p) || *p < '0' || *p > '9') return 0;
    return 1;
}

int CCheckData::IsValidName(const char* pszText)
{
    static const char REFUSED[] = " _\\/:,;*?\"<>|";
    const size_t nLength = strlen(pszText);
    for (size_t i = 0; i < nLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(pszText[i]);
        if (!IsSingleByte(c)) return 0;
        if (IsAsciiAlnum(c)) continue;
        if (i == 0 || i == nLength - 1 || strchr(REFUSED, c)) return 0;
    }
    return 1;
}

int CCheckData::IsAlnumHyphen(const char* pszText)
{
    const size_t nLength = strlen(pszText);
    for (size_t i = 0; i < nLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(pszText[i]);
        if (!IsSingleByte(c)) return 0;
        if (IsAsciiAlnum(c)) continue;
        if (c != '-' || i == 0 || i == nLength - 1) return 0;
    }
    return 1;
}

int CCheckData::CheckLength(const char* pszText, int nMinimum, int nMaximum)
{
    const int nLength = static_cast<int>(strlen(pszText));
    return nMinimum <= nLength && nLength <= nMaximum ? 1 : 0;
}

int CCheckData::CheckRange(int nValue, int nMinimum, int nMaximum)
{
    return nMinimum <= nValue && nValue <= nMaximum ? 1 : 0;
}

int CCheckData::IsAbsolutePath(const char* pszPath)
{
    const unsigned char c = static_cast<unsigned char>(pszPath[0]);
    const bool bLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (bLetter && pszPath[1] == ':' && pszPath[2] == '\\') return 1;  // C:\...
    const bool bUnc = pszPath[0] == '\\' && pszPath[1] == '\\' && pszPath[2] != '\0' &&
                      pszPath[2] != '\\';  // \\server\...
    return bUnc ? 1 : 0;
}

int CCheckData::IsSystem32Path(const char* pszPath) const
{
    return strncmp(pszPath, m_strSystemPrefix.c_str(), m_strSystemPrefix.size()) == 0 ? 1 : 0;
}

int CCheckData::CheckFileExist(const char* pszPath, int nMode)
{
    const bool bSystemPath = IsSystem32Path(pszPath) == 1;
    if (bSystemPath) m_redirection.SwitchOff(GetObjThreadID());

    struct _stat64 status;
    if (_stat64(pszPath, &status) != 0) {
        const int nErrno = errno;
        if (nErrno == ENOENT) {
            m_redirection.SwitchOn();
            return 0;
        }
        m_redirection.TrySwitchOn();
        ThrowError(SOURCE_FILE, __LINE__, MSG_PATH_CHECK_FAILED, pszPath, strerror(nErrno));
    }
    m_redirection.SwitchOn();

    if (bSystemPath) m_redirection.SwitchOff(GetObjThreadID());
    const DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD dwError = GetLastError();
        m_redirection.TrySwitchOn();
        ThrowError(SOURCE_FILE, __LINE__, MSG_PATH_CHECK_FAILED, pszPath,
                   GetSystemErrorText(dwError));
    }
    m_redirection.SwitchOn();

    const bool bDirectory = (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (nMode == CHECK_MODE_ANY) return 1;
    return (nMode == CHECK_MODE_FILE ? !bDirectory : bDirectory) ? 1 : 0;
}
