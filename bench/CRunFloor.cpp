#include "CRunFloor.h"

#include <algorithm>
#include <cstdio>

namespace {

const char AUVEX[] = "C:\\Kelvane\\Zorat\\bin\\auvex.dll";
const char TOOLS[] = "C:\\Kelvane\\Arkstore\\cmd\\bin\\";
const char TEMPORARY[] = "C:\\Kelvane\\Zorat\\tmp\\floorcopy_";
const size_t LIST_LINES = 2048;

bool SameSize(const std::string& first, const std::string& second)
{
    WIN32_FILE_ATTRIBUTE_DATA a, b;
    return GetFileAttributesExA(first.c_str(), GetFileExInfoStandard, &a) &&
           GetFileAttributesExA(second.c_str(), GetFileExInfoStandard, &b) &&
           a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow;
}

bool RunCaptured(std::string command, const std::string& capture)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    const UniqueFileHandle output(CreateFileA(capture.c_str(), GENERIC_WRITE, 0, &inheritable,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return false;
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = start.hStdError = output.get();
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                        &info))
        return false;
    const UniqueProcess process(info);
    DWORD dwExitCode = 1;
    WaitForSingleObject(process.process(), INFINITE);
    return GetExitCodeProcess(process.process(), &dwExitCode) && dwExitCode == 0;
}

}  // namespace

CRunFloor::CRunFloor()
{
    m_bTraceOpen = QwTrcOpen(m_trace, QWTRC_OPEN_MODE, "floorrun") == 1;
    m_auvex.reset(LoadLibraryA(AUVEX));
    if (!m_auvex) return;
    const auto pfnOpen = GetProcAs<AvOpenAuditLogFn>(m_auvex.get(), "Av_OpenAuditLog");
    m_pfnClose = GetProcAs<AvCloseAuditLogFn>(m_auvex.get(), "Av_CloseAuditLog");
    if (pfnOpen && m_pfnClose && pfnOpen(0, 0, &m_dwAuditContext, 0) == 0)
        m_pfnWrite = GetProcAs<AvWriteAuditLogFn>(m_auvex.get(), "Av_WriteAuditLog");
}

CRunFloor::~CRunFloor()
{
    if (m_pfnWrite) m_pfnClose(&m_dwAuditContext, 0);
    if (m_bTraceOpen) QwTrcClose(m_trace, 0);
}

bool CRunFloor::ProbeLock(const std::string& name) const
{
    const UniqueHandle lock(CreateMutexA(nullptr, FALSE, (name + "savelog").c_str()));
    return lock.valid();
}

bool CRunFloor::ListDirectory(const std::string& directory) const
{
    return RunTool(std::string("\"") + TOOLS + "arkls.exe\" -f -s \"" + directory + "\"",
                   std::string(TEMPORARY) + "arkls.tmp");
}

int CRunFloor::CopyAndRecord(const std::vector<Copy>& copies)
{
    const std::string list = std::string(TEMPORARY) + "arkcplist.tmp";
    for (size_t nFirst = 0; nFirst < copies.size(); nFirst += LIST_LINES) {
        const auto last = copies.begin() + static_cast<std::ptrdiff_t>(
                                               std::min(copies.size(), nFirst + LIST_LINES));
        if (WriteList(copies.begin() + static_cast<std::ptrdiff_t>(nFirst), last, list))
            RunTool(std::string("\"") + TOOLS + "arkcp.exe\" -a -m \"" + list + "\"",
                    std::string(TEMPORARY) + "arkcp.tmp");
    }
    DeleteFileA(list.c_str());
    int nFailed = 0;
    for (const Copy& copy : copies) {
        const bool bCopied = SameSize(copy.first, copy.second);
        Record(copy, bCopied);
        if (!bCopied) ++nFailed;
    }
    return nFailed;
}

// Runs the tool with its output in the capture file; true when it ends with 0.
bool CRunFloor::RunTool(const std::string& command, const std::string& capture) const
{
    const bool bRan = RunCaptured(command, capture);
    DeleteFileA(capture.c_str());
    return bRan;
}

bool CRunFloor::WriteList(std::vector<Copy>::const_iterator first,
                          std::vector<Copy>::const_iterator last, const std::string& path) const
{
    FILE* pList = fopen(path.c_str(), "wb");
    if (!pList) return false;
    for (auto copy = first; copy != last; ++copy)
        fprintf(pList, "%s\t%s\r\n", copy->first.c_str(), copy->second.c_str());
    return fclose(pList) == 0;
}

void CRunFloor::Record(const Copy& copy, bool bCopied)
{
    const std::string text = (bCopied ? "copied " : "not copied ") + copy.first + " to " +
                             copy.second;
    if (m_bTraceOpen)
        QwTrcWrite(m_trace, 0, QWTRC_LEVEL_INFO, "floorcopy", __LINE__, QWTRC_KIND_TEXT,
                   static_cast<int>(text.size()), GetCurrentProcessId(), GetCurrentThreadId(),
                   text.c_str());
    if (m_pfnWrite)
        m_pfnWrite(&m_dwAuditContext, "floorhost", "floorhost", "floorcopy", "floorcopy.exe",
                   GetCommandLineA(), text.c_str(), bCopied ? "S" : "F", "floorrun", 0, 0);
}
