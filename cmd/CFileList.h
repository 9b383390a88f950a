#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "CBase.h"
#include "CRedirectionGuard.h"
#include "UniqueHandle.h"

struct FileListEntry {
    std::string strName;   // as the directory search returns it, no directory
    std::string strStamp;  // last write, "YYYYMMDDhhmmss", no time-zone conversion
};

// The regular files matching one wildcard pattern, sorted by name, handed out
// by index as names or full paths.
class CFileList : public virtual CBase {
public:
    CFileList() = default;
    CFileList(const CFileList&) = delete;
    CFileList& operator=(const CFileList&) = delete;

    // Adds the files matching pszPattern (a full path whose last component may
    // hold "*" and "?") and sorts the whole list by name: ascending for
    // nOrder 1, descending otherwise. A missing directory or no match adds
    // nothing. Failures are reported and their text thrown.
    void ExecFileListCmd(const char* pszPattern, int nOrder);

    int GetFileCount() const;
    // The entry itself, with its stamp; an index outside the list throws
    // std::out_of_range, as for the two below.
    const FileListEntry& GetFileEntry(int nIndex) const;
    // Cut to fit nSize bytes with the terminator.
    void GetFileName(char* pszBuffer, int nSize, int nIndex) const;
    // The directory of the last pattern listed, then the name.
    void GetFilePathName(char* pszBuffer, int nSize, int nIndex) const;

private:
    void CutToDirectory(const std::string& pattern);
    bool ListMatches(const std::string& pattern);

    std::string m_strPathName;
    std::vector<FileListEntry> m_vecFiles;
    // Declared before the search, so the search closes before the switch back.
    CRedirectionGuard m_redirection;
    UniqueFind m_hFind;
};
