#pragma once
#include <windows.h>

#include <string>

// Event types of the reports.
#define SEVERITY_ERROR 1
#define SEVERITY_WARNING 2
#define SEVERITY_INFO 4

#define MESSAGE_BUFFER_SIZE 4097

// The error record every object carries, and the reporting operations through
// which all classes report failures, warnings and progress.
class CBase {
public:
    CBase();
    virtual ~CBase();

    // Trace-only reports. Each returns this object's copy of the formatted
    // text for the severity, valid until the next report of that severity.
    const char* ErrorTrace(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                           const char* s1 = nullptr, const char* s2 = nullptr,
                           const char* s3 = nullptr, const char* s4 = nullptr,
                           const char* s5 = nullptr);
    const char* WarningTrace(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                             const char* s1 = nullptr, const char* s2 = nullptr,
                             const char* s3 = nullptr, const char* s4 = nullptr,
                             const char* s5 = nullptr);
    const char* InfoTrace(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                          const char* s1 = nullptr, const char* s2 = nullptr,
                          const char* s3 = nullptr, const char* s4 = nullptr,
                          const char* s5 = nullptr);

    // Trace and application event log; used by the programs' main flows.
    const char* ErrorLog(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                         const char* s1 = nullptr, const char* s2 = nullptr,
                         const char* s3 = nullptr, const char* s4 = nullptr,
                         const char* s5 = nullptr);
    const char* WarningLog(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                           const char* s1 = nullptr, const char* s2 = nullptr,
                           const char* s3 = nullptr, const char* s4 = nullptr,
                           const char* s5 = nullptr);
    const char* InfoLog(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                        const char* s1 = nullptr, const char* s2 = nullptr,
                        const char* s3 = nullptr, const char* s4 = nullptr,
                        const char* s5 = nullptr);

    // ErrorTrace, then throw the report text: how an operation that cannot go
    // on ends.
    [[noreturn]] void ThrowError(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                                 const char* s1 = nullptr, const char* s2 = nullptr,
                                 const char* s3 = nullptr, const char* s4 = nullptr,
                                 const char* s5 = nullptr);

    void OutputToCommonTrace(int nSeverity, const char* pszSourceName, int nLine,
                             DWORD dwMessageId, const char* pszText);
    int OutputToSystemLog(WORD wType, const char* pszSourcePath, int nLine, DWORD dwEventId,
                          const char* s1, const char* s2, const char* s3, const char* s4,
                          const char* s5);
    void FormatErrorMessage(const char* pszSourceName, int nLine, DWORD dwMessageId,
                            const char* s1, const char* s2, const char* s3, const char* s4,
                            const char* s5);

    // The system's text for a Windows error code, without its line end and
    // final full stop; left in m_szMessage.
    const char* GetSystemErrorText(DWORD dwCode);

    DWORD GetObjProcessID() const { return m_dwProcessId; }
    DWORD GetObjThreadID() const { return m_dwThreadId; }

    // 1 when the byte at pszPos begins a double-byte character of the active
    // code page, counting lead-byte values back towards pszStart.
    static int IsLeadByteAt(const char* pszStart, const char* pszPos);
    // Cuts the text to at most nMaximum bytes; a double-byte character across
    // the cut goes whole.
    static void CutWhole(std::string& text, size_t nMaximum);

    // Process-wide language mode: -1 not yet decided, 0 English, 1 Japanese.
    static int GetLanguageMode();

protected:
    char m_szMessage[MESSAGE_BUFFER_SIZE];
    char m_szInfoText[MESSAGE_BUFFER_SIZE];
    char m_szWarnText[MESSAGE_BUFFER_SIZE];
    char m_szErrText[MESSAGE_BUFFER_SIZE];
    DWORD m_dwProcessId;
    DWORD m_dwThreadId;

private:
    const char* TraceReport(int nSeverity, const char* pszSourcePath, int nLine,
                            DWORD dwMessageId, const char* s1, const char* s2, const char* s3,
                            const char* s4, const char* s5);
    const char* LogReport(int nSeverity, const char* pszSourcePath, int nLine,
                          DWORD dwMessageId, const char* s1, const char* s2, const char* s3,
                          const char* s4, const char* s5);
    char* CopyBufferFor(int nSeverity);
};

// Per-thread file-system redirection states. Nothing records a thread, so
// every thread reads as redirected (1).
int GetThreadRedirect(DWORD dwThreadId);
int SetThreadRedirect(DWORD dwThreadId, int nState);
