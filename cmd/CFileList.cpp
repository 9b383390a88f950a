#include "CFileList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CCheckData.h"
#include "CFileOperation.h"
#include "CReportException.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CFileList";

// Byte by byte as unsigned characters (memcmp), case-sensitive: double-byte
// names sort after ASCII ones, "B" before "a".
bool NameBefore(const FileListEntry& a, const FileListEntry& b)
{
    const size_t nCommon = std::min(a.strName.size(), b.strName.size());
    const int nCompared = memcmp(a.strName.data(), b.strName.data(), nCommon);
    return nCompared != 0 ? nCompared < 0 : a.strName.size() < b.strName.size();
}

bool NameAfter(const FileListEntry& a, const FileListEntry& b) { return NameBefore(b, a); }

}  // namespace

void CFileList::ExecFileListCmd(const char* pszPattern, int nOrder)
{
    m_strPathName = pszPattern ? pszPattern : "";
    const std::string pattern = m_strPathName;
    InfoTrace(SOURCE_FILE, __LINE__, MSG_FUNCTION_ENTRY, "GetThreadID(), ExecFileListCmd()",
              pszPattern);
    if (pattern.empty()) ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "Undefine PathName");
    CutToDirectory(pattern);

    // Below the system directory a 32-bit process on 64-bit Windows must see
    // the real one, not its redirected copy.
    if (CCheckData().IsSystem32Path(pattern.c_str()) == 1)
        m_redirection.SwitchOff(GetObjThreadID());
    bool bListed = false;
    try {
        bListed = ListMatches(pattern);
    } catch (...) {
        m_hFind.reset();
        m_redirection.TrySwitchOn();
        throw;
    }
    m_redirection.SwitchOn();
    if (!bListed) return;  // nothing added: the list stays as it was

    std::sort(m_vecFiles.begin(), m_vecFiles.end(), nOrder == 1 ? NameBefore : NameAfter);
}

int CFileList::GetFileCount() const { return static_cast<int>(m_vecFiles.size()); }

const FileListEntry& CFileList::GetFileEntry(int nIndex) const
{
    return m_vecFiles.at(static_cast<size_t>(nIndex));
}

void CFileList::GetFileName(char* pszBuffer, int nSize, int nIndex) const
{
    const FileListEntry& entry = GetFileEntry(nIndex);
    if (nSize > 0) snprintf(pszBuffer, static_cast<size_t>(nSize), "%s", entry.strName.c_str());
}

void CFileList::GetFilePathName(char* pszBuffer, int nSize, int nIndex) const
{
    const FileListEntry& entry = GetFileEntry(nIndex);
    if (nSize > 0)
        snprintf(pszBuffer, static_cast<size_t>(nSize), "%s%s", m_strPathName.c_str(),
                 entry.strName.c_str());
}

// Keeps the pattern up to and with its last backslash; a backslash byte that
// is the second byte of a double-byte character separates nothing.
void CFileList::CutToDirectory(const std::string& pattern)
{
    const char* pszStart = pattern.c_str();
    size_t nEnd = pattern.size();
    for (; nEnd > 0; --nEnd) {
        const size_t nAt = nEnd - 1;
        if (pattern[nAt] == '\\' && (nAt == 0 || IsLeadByteAt(pszStart, pszStart + nAt - 1) != 1))
            break;
    }
    if (nEnd == 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "Not FullPathName", pattern.c_str());
    m_strPathName.assign(pattern, 0, nEnd);
}

// Appends the regular files found; false when the directory or any match is
// missing.
bool CFileList::ListMatches(const std::string& pattern)
{
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA(pattern.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        const DWORD dwError = GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND) return false;
        ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_SEARCH_FAILED, pattern.c_str(),
                   GetSystemErrorText(dwError));
    }
    m_hFind.reset(hFind);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        char szStamp[18];
        FileTimeToStamp(&data.ftLastWriteTime, szStamp);
        m_vecFiles.push_back(FileListEntry{data.cFileName, szStamp});
    } while (FindNextFileA(m_hFind.get(), &data));

    char szInfo[128];
    snprintf(szInfo, sizeof(szInfo), "INF:ExecFileListCmd() ThreadID= %lu Handle=%d",
             static_cast<unsigned long>(GetObjThreadID()),
             static_cast<int>(reinterpret_cast<INT_PTR>(m_hFind.get())));
    InfoTrace(SOURCE_FILE, __LINE__, MSG_TRACE_INFO, szInfo);
    m_hFind.reset();
    return true;
}
