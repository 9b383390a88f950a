#pragma once
#include <string>

#include "CBase.h"
#include "CRedirectionGuard.h"

#define CHECK_MODE_FILE 1
#define CHECK_MODE_DIRECTORY 0
#define CHECK_MODE_ANY 2

// Validity checks of option values and the existence test for files and
// directories, which reaches the real system directory on 64-bit Windows.
class CCheckData : public virtual CBase {
public:
    CCheckData();

    static int IsNumeric(const char* pszText);
    static int IsValidName(const char* pszText);
    static int IsAlnumHyphen(const char* pszText);
    static int CheckLength(const char* pszText, int nMinimum, int nMaximum);
    static int CheckRange(int nValue, int nMinimum, int nMaximum);
    // 1 for a full path with a drive letter ("C:\\...") or a UNC path.
    static int IsAbsolutePath(const char* pszPath);

    // 1 when the path lies below "<Windows directory>\system32\".
    int IsSystem32Path(const char* pszPath) const;
    // 0 when nothing exists under the path; else, for CHECK_MODE_FILE, 1 for
    // a file, for CHECK_MODE_ANY 1 for anything, and for other modes 1 for a
    // directory. Throws on other failures.
    int CheckFileExist(const char* pszPath, int nMode);

private:
    std::string m_strSystemPrefix;
    CRedirectionGuard m_redirection;
};
