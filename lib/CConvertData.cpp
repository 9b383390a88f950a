#include "CConvertData.h"

#include <cstring>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CConvertData";

// The components after the drive part, split at the backslashes that are not
// the second byte of a double-byte character. The text after the last
// separator is a component even when empty.
std::vector<std::string> SplitComponents(const char* pszRest)
{
    std::vector<std::string> components;
    const char* pszStart = pszRest;
    for (const char* p = pszRest; *p; ++p) {
        if (*p != '\\') continue;
        if (p > pszStart && CBase::IsLeadByteAt(pszStart, p - 1) == 1) continue;
        components.emplace_back(pszStart, p);
        pszStart = p + 1;
    }
    components.emplace_back(pszStart);
    return components;
}

}  // namespace

void CConvertData::ConvertLongName(const char* pszPath, char* pszOut, unsigned int* pnSize)
{
    const char* pszRootSeparator = strstr(pszPath, ":\\");
    if (!pszRootSeparator)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "ConvertLongName()",
                   "File name is invalid", pszPath);

    std::string result(pszPath, pszRootSeparator + 1);  // the drive and its colon
    const char* pszRest = pszRootSeparator + 2;
    if (!*pszRest) {
        const unsigned int nLength = static_cast<unsigned int>(strlen(pszPath));
        if (*pnSize <= nLength) {
            *pnSize = nLength;
            ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "ConvertLongtName()",
                       "Buffer shortage", pszPath);
        }
        memcpy(pszOut, pszPath, nLength + 1);
        return;
    }

    for (const std::string& component : SplitComponents(pszRest)) {
        std::string searchName = result;
        searchName += "\\";
        searchName += component;
        WIN32_FIND_DATAA found;
        HANDLE hFind = FindFirstFileA(searchName.c_str(), &found);
        if (hFind == INVALID_HANDLE_VALUE) {
            const DWORD dwError = GetLastError();
            ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_SEARCH_FAILED, pszPath,
                       GetSystemErrorText(dwError));
        }
        UniqueFind search(hFind);
        result += "\\";
        result += found.cFileName;
    }

    if (*pnSize <= result.size()) {
        *pnSize = static_cast<unsigned int>(result.size());
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "ConvertLongName()", "Buffer shortage",
                   pszPath);
    }
    memcpy(pszOut, result.c_str(), result.size() + 1);
}
