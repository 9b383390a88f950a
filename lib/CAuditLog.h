#pragma once
#include <cstddef>
#include <string>

#include "CBase.h"
#include "UniqueHandle.h"
#include "auvex.h"

#define AUDIT_CONSOLE_NONE 1
#define AUDIT_CONSOLE_STDOUT 2
#define AUDIT_CONSOLE_STDERR 3

// Records the programs' actions in the product family's audit log, and
// echoes them on the console when asked. A missing library or log never
// stops a program: records are then skipped, the echo still works.
class CAuditLog : public virtual CBase {
public:
    explicit CAuditLog(const char* pszIdentity);
    ~CAuditLog() override;

    // Returns pszMessage.
    const char* WriteAuditLog(const char* pszSubject, const char* pszProgram,
                              const char* pszCommandLine, const char* pszMessage,
                              const char* pszResult, int nConsole);
    void CloseAuditLog();

private:
    bool LoadClientLibrary();
    std::string FindHostName();

    DWORD m_dwContext;
    int m_nLastResult;
    int m_nOpenResult;
    // 33 characters of identity and a terminator the library can rely on.
    char m_szIdentity[34];
    std::string m_strHostName;
    AvOpenAuditLogFn m_pfnOpen;
    AvWriteAuditLogFn m_pfnWrite;
    AvCloseAuditLogFn m_pfnClose;
    UniqueModule m_hAuvex;
};

// The value in decimal (style 1), as "0x%08x" (style 2), else "*".
char* FormatNumber(char* pszBuffer, size_t nSize, int nValue, int nStyle);
