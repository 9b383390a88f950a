// The audit records: one line each, appended to "audit.log" in the product's
// log directory.
#include "auvex.h"

#include "auditcontext.h"
#include "familycommon.h"

#include <cstdio>
#include <string>
#include <type_traits>

namespace {

// A missing text is an empty field; line breaks and tabs inside a field
// become blanks, so a record stays one line of tab-separated fields.
std::string Field(const char* pszText)
{
    std::string field = pszText ? pszText : "";
    for (char& c : field)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return field;
}

std::string LocalTimeText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char szTime[32];
    snprintf(szTime, sizeof(szTime), "%04u/%02u/%02u %02u:%02u:%02u", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond);
    return szTime;
}

}  // namespace

extern "C" int WINAPI Av_WriteAuditLog(DWORD* pdwContext, const char* pszHost,
                                       const char* pszOriginHost, const char* pszSubject,
                                       const char* pszProgram, const char* pszCommandLine,
                                       const char* pszMessage, const char* pszResult,
                                       const char* pszIdentity, int /*nReserved1*/,
                                       int /*nReserved2*/)
{
    NoteCall(CALL_LOG_VARIABLE, "write");
    if (!IsOpenContext(pdwContext)) return ERROR_INVALID_HANDLE;
    std::string line = LocalTimeText();
    for (const char* pszText : {pszHost, pszOriginHost, pszIdentity, pszResult, pszProgram,
                                pszCommandLine, pszSubject, pszMessage})
        line += '\t' + Field(pszText);
    line += "\r\n";
    return AppendToFile(AuditLogPath(), line) ? 0 : ERROR_WRITE_FAULT;
}
static_assert(std::is_same<decltype(&Av_WriteAuditLog), AvWriteAuditLogFn>::value,
              "Av_WriteAuditLog must match the callers' declaration");
