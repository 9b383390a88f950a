#pragma once
#include <windows.h>

#include <string>

#include "CBase.h"
#include "UniqueHandle.h"

// Runs one command line as a child process and captures everything it writes
// to standard output and standard error. A command line ending in " 2> " and
// a file name is split at its first " 2> ": the part before runs, the part
// after names the capture file that receives both streams.
class CCmdExecuteEx : public virtual CBase {
public:
    // Throws when the command line has 2047 characters or more.
    explicit CCmdExecuteEx(const char* pszCmdLine);
    ~CCmdExecuteEx() override;
    CCmdExecuteEx(const CCmdExecuteEx&) = delete;
    CCmdExecuteEx& operator=(const CCmdExecuteEx&) = delete;

    // Runs the command, captures its output, waits for its end and returns
    // its exit code. Throws on every failure; the child may then still run.
    int WaitAndRead();
    // Ends a run that WaitAndRead did not finish: the capture file is
    // rewritten from one last read of the pipe and every handle is closed.
    // Reports failures without throwing; returns the exit code as it stands,
    // -1 when it cannot be read.
    int Close();

private:
    std::string SplitRedirection();
    void CreateOutputPipe();
    void StartChild(std::string& command);
    int CollectOutput(HANDLE hCaptureFile);
    DWORD ReadPipe(char (&buffer)[4096]);
    HANDLE CreateCaptureFile();
    const char* ReportCaptureFailure(int nLine);
    const char* ReportCommandFailure(int nLine, DWORD dwError);
    const char* ShortName();
    void CloseHandles();

    char m_szCmdLine[2047];
    char m_szCmdName[2047];
    UniqueProcess m_process;
    STARTUPINFOA m_StartInfo;
    // The pipe's read end, and the two write ends that the child inherits.
    UniqueFileHandle m_readPipe;
    UniqueFileHandle m_childOutput;
    UniqueFileHandle m_childError;
    std::string m_strErrFile;
};
