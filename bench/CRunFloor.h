#pragma once
// The run floor: what a backup run must do for each file beside its copy,
// through the same stand-ins of the demo installation, with nothing around
// it: the lock probe (a named mutex created and closed), the target's
// existence check, a line in the copy tool's list file, the copy by the arkcp
// stand-in once per 2,048 files, the sizes compared afterwards, and one trace
// record (QWTRCAPI.dll) and one audit record (auvex.dll) per file.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "UniqueHandle.h"
#include "auvex.h"
#include "qwtrcapi.h"

class CRunFloor {
public:
    using Copy = std::pair<std::string, std::string>;  // source, target

    CRunFloor();
    ~CRunFloor();
    CRunFloor(const CRunFloor&) = delete;
    CRunFloor& operator=(const CRunFloor&) = delete;

    // False when the trace or the audit log could not be opened.
    bool IsOpen() const { return m_bTraceOpen && m_pfnWrite; }
    // The lock probe of the log with this name.
    bool ProbeLock(const std::string& name) const;
    // The naming case's one listing of the archive directory by arkls.
    bool ListDirectory(const std::string& directory) const;
    // Copies through arkcp, a list file per 2,048 files; then compares each
    // copy's size with its source's and records it. The number that failed.
    int CopyAndRecord(const std::vector<Copy>& copies);

private:
    bool RunTool(const std::string& command, const std::string& capture) const;
    bool WriteList(std::vector<Copy>::const_iterator first,
                   std::vector<Copy>::const_iterator last, const std::string& path) const;
    void Record(const Copy& copy, bool bCopied);

    unsigned char m_trace[QWTRC_CONTEXT_SIZE] = {};
    bool m_bTraceOpen = false;
    UniqueModule m_auvex;
    DWORD m_dwAuditContext = 0;
    AvWriteAuditLogFn m_pfnWrite = nullptr;
    AvCloseAuditLogFn m_pfnClose = nullptr;
};
