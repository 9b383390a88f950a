#include "CCmdExecEx.h"

#include <cstdio>
#include <cstring>

#include "CPrivateFile.h"
#include "CReportException.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

namespace {
const char SOURCE_FILE[] = "..\\..\\src\\CCmdExecEx";
const char REDIRECTION[] = " 2> ";
const DWORD IDLE_WAIT_MS = 500;
const int IDLE_PASS_LIMIT = 20;
}  // namespace

CCmdExecuteEx::CCmdExecuteEx(const char* pszCmdLine) : m_szCmdLine(), m_szCmdName(), m_StartInfo()
{
    const size_t nLength = strlen(pszCmdLine);
    if (nLength >= sizeof(m_szCmdLine)) {
        char szLength[24];
        snprintf(szLength, sizeof(szLength), "%lu", static_cast<unsigned long>(nLength));
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CCmdExecuteEx()", "Not enough buffer",
                   szLength);
    }
    memcpy(m_szCmdLine, pszCmdLine, nLength + 1);
    m_StartInfo.hStdInput = INVALID_HANDLE_VALUE;
}

// A run that WaitAndRead did not finish still holds the child; the holders
// close whatever else is left.
CCmdExecuteEx::~CCmdExecuteEx()
{
    if (m_process.valid()) Close();
}

int CCmdExecuteEx::WaitAndRead()
{
    ErrorTrace(SOURCE_FILE, __LINE__, MSG_FUNCTION_ENTRY, "WaitAndRead()", m_szCmdLine);
    std::string command = SplitRedirection();
    StartChild(command);

    UniqueFileHandle captureFile;
    if (!m_strErrFile.empty()) {
        captureFile.reset(CreateCaptureFile());
        if (!captureFile) throw CReportException(ReportCaptureFailure(__LINE__));
    }
    const int nExitCode = CollectOutput(captureFile.get());
    captureFile.reset();
    CloseHandles();

    char szExitCode[16];
    snprintf(szExitCode, sizeof(szExitCode), "%d", nExitCode);
    ErrorTrace(SOURCE_FILE, __LINE__, MSG_FUNCTION_EXIT, "WaitAndRead()", m_szCmdLine, szExitCode);
    return nExitCode;
}

int CCmdExecuteEx::Close()
{
    InfoTrace(SOURCE_FILE, __LINE__, MSG_FUNCTION_ENTRY, "Close()", m_szCmdLine);
    int nExitCode = -1;
    DWORD dwExitCode = 0;
    if (GetExitCodeProcess(m_process.process(), &dwExitCode))
        nExitCode = static_cast<int>(dwExitCode);
    else
        ReportCommandFailure(__LINE__, GetLastError());

    char buffer[4096];
    DWORD dwRead = 0;
    if (!ReadFile(m_readPipe.get(), buffer, sizeof(buffer), &dwRead, nullptr))
        ReportCommandFailure(__LINE__, GetLastError());

    if (!m_strErrFile.empty()) {
        const UniqueFileHandle captureFile(CreateCaptureFile());
        if (!captureFile) {
            ReportCaptureFailure(__LINE__);
        } else {
            DWORD dwWritten = 0;
            WriteFile(captureFile.get(), buffer, dwRead, &dwWritten, nullptr);
        }
    }
    CloseHandles();

    char szExitCode[16];
    snprintf(szExitCode, sizeof(szExitCode), "%d", nExitCode);
    InfoTrace(SOURCE_FILE, __LINE__, MSG_FUNCTION_EXIT, "Close()", m_szCmdLine, szExitCode);
    return nExitCode;
}

// The command to run; the capture file's name goes to m_strErrFile. Without
// a redirection there is no capture file and the output is read and dropped.
std::string CCmdExecuteEx::SplitRedirection()
{
    std::string command = m_szCmdLine;
    const size_t nPos = command.find(REDIRECTION);
    if (nPos == std::string::npos) {
        m_strErrFile.clear();
        return command;
    }
    m_strErrFile = command.substr(nPos + strlen(REDIRECTION));
    command.resize(nPos);
    return command;
}

// One pipe for both of the child's output streams, so the capture keeps the
// order in which the bytes arrive.
void CCmdExecuteEx::CreateOutputPipe()
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueFileHandle inheritableRead;
    if (!CreatePipe(inheritableRead.put(), m_childOutput.put(), &inheritable, 0))
        throw CReportException(ReportCommandFailure(__LINE__, GetLastError()));

    const HANDLE hSelf = GetCurrentProcess();
    if (!DuplicateHandle(hSelf, m_childOutput.get(), hSelf, m_childError.put(), 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        const DWORD dwError = GetLastError();
        CloseHandles();
        throw CReportException(ReportCommandFailure(__LINE__, dwError));
    }
    // A read end inherited by the child would keep the pipe from breaking
    // when the child ends.
    if (!DuplicateHandle(hSelf, inheritableRead.get(), hSelf, m_readPipe.put(), 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        const DWORD dwError = GetLastError();
        CloseHandles();
        throw CReportException(ReportCommandFailure(__LINE__, dwError));
    }
}

void CCmdExecuteEx::StartChild(std::string& command)
{
    CreateOutputPipe();
    m_StartInfo.cb = sizeof(m_StartInfo);
    m_StartInfo.dwFlags = STARTF_USESTDHANDLES;
    m_StartInfo.hStdOutput = m_childOutput.get();
    m_StartInfo.hStdError = m_childError.get();

    PROCESS_INFORMATION started = {};
    const BOOL bStarted = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                         nullptr, &m_StartInfo, &started);
    const DWORD dwError = GetLastError();
    if (bStarted) m_process = UniqueProcess(started);

    char szInfo[2048];
    snprintf(szInfo, sizeof(szInfo), "INF:CreateProcess() Process=%d",
             static_cast<int>(
                 reinterpret_cast<INT_PTR>(bStarted ? started.hProcess : INVALID_HANDLE_VALUE)));
    InfoTrace(SOURCE_FILE, __LINE__, MSG_TRACE_INFO, szInfo);
    if (!bStarted) throw CReportException(ReportCommandFailure(__LINE__, dwError));

    // Only the child and its descendants may hold the write ends now, so the
    // pipe breaks once they have all let go of it.
    m_childOutput.reset();
    m_childError.reset();
    m_StartInfo.hStdOutput = m_StartInfo.hStdError = INVALID_HANDLE_VALUE;
    m_process.CloseThread();
}

// Copies the pipe into the capture file until the child has ended and the
// pipe is empty; returns the exit code. A child that has let go of its output
// but keeps running fails the run after twenty idle passes.
int CCmdExecuteEx::CollectOutput(HANDLE hCaptureFile)
{
    DWORD dwExitCode = STILL_ACTIVE;
    int nIdlePasses = 0;
    char buffer[4096];
    for (;;) {
        if (!GetExitCodeProcess(m_process.process(), &dwExitCode))
            throw CReportException(ReportCommandFailure(__LINE__, GetLastError()));
        const DWORD dwRead = ReadPipe(buffer);
        if (hCaptureFile && dwRead != 0) {
            DWORD dwWritten = 0;
            WriteFile(hCaptureFile, buffer, dwRead, &dwWritten, nullptr);
        }
        // What a descendant that inherited the pipe still writes after the
        // child's end belongs to the output too: only an empty read ends.
        if (dwRead != 0) continue;
        if (dwExitCode != STILL_ACTIVE) break;

        if (WaitForSingleObject(m_process.process(), IDLE_WAIT_MS) == WAIT_FAILED)
            throw CReportException(ReportCommandFailure(__LINE__, GetLastError()));
        if (++nIdlePasses == IDLE_PASS_LIMIT)
            throw CReportException(ReportCommandFailure(__LINE__, GetLastError()));
    }
    return static_cast<int>(dwExitCode);
}

// Bytes read; a broken pipe reads as empty.
DWORD CCmdExecuteEx::ReadPipe(char (&buffer)[4096])
{
    DWORD dwRead = 0;
    if (!ReadFile(m_readPipe.get(), buffer, sizeof(buffer), &dwRead, nullptr) && dwRead != 0)
        throw CReportException(ReportCommandFailure(__LINE__, GetLastError()));
    return dwRead;
}

// The run's own file, made anew; others may read it while the run goes on.
HANDLE CCmdExecuteEx::CreateCaptureFile()
{
    return CPrivateFile::Create(m_strErrFile.c_str(), FILE_SHARE_READ | FILE_SHARE_WRITE);
}

const char* CCmdExecuteEx::ReportCaptureFailure(int nLine)
{
    return ErrorTrace(SOURCE_FILE, nLine, MSG_CAPTURE_FILE_FAILED, m_strErrFile.c_str(),
                      GetSystemErrorText(GetLastError()));
}

const char* CCmdExecuteEx::ReportCommandFailure(int nLine, DWORD dwError)
{
    return ErrorTrace(SOURCE_FILE, nLine, MSG_COMMAND_FAILED, ShortName(),
                      GetSystemErrorText(dwError));
}

// A program in an installation's bin directory is named without the
// directory: what follows the first "\bin" and its separator.
const char* CCmdExecuteEx::ShortName()
{
    const char* pszName = m_szCmdLine;
    if (const char* pszBin = strstr(m_szCmdLine, "\\bin"))
        pszName = pszBin[4] != '\0' ? pszBin + 5 : pszBin + 4;
    strncpy(m_szCmdName, pszName, sizeof(m_szCmdName) - 1);
    m_szCmdName[sizeof(m_szCmdName) - 1] = '\0';
    return m_szCmdName;
}

void CCmdExecuteEx::CloseHandles()
{
    m_readPipe.reset();
    m_childOutput.reset();
    m_childError.reset();
    m_process.reset();
}
