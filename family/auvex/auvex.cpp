// Stand-in for the product family's audit-log client library: opening and
// closing the audit log. The records are written in auvex_write.cpp.
#include "auvex.h"

#include "auditcontext.h"
#include "familycommon.h"

#include <cstdlib>
#include <string>
#include <type_traits>

namespace {

const DWORD OPEN_MAGIC = 0x41565831;  // "AVX1"

// AUVEX_OPEN_RESULT=n (nonzero) makes the open fail with answer n, for tests.
int ForcedOpenResult()
{
    std::string value;
    return GetEnvironmentText("AUVEX_OPEN_RESULT", value) ? atoi(value.c_str()) : 0;
}

// Looked up when the log is opened, not for every record.
std::string s_auditLogPath;

}  // namespace

const std::string& AuditLogPath() { return s_auditLogPath; }

bool IsOpenContext(const DWORD* pdwContext)
{
    return pdwContext && *pdwContext == OPEN_MAGIC;
}

extern "C" int WINAPI Av_OpenAuditLog(int /*nReserved1*/, int /*nReserved2*/, DWORD* pdwContext,
                                      int /*nReserved3*/)
{
    NoteCall(CALL_LOG_VARIABLE, "open");
    int nForced = ForcedOpenResult();
    if (nForced != 0) return nForced;
    if (!pdwContext) return ERROR_INVALID_PARAMETER;
    *pdwContext = OPEN_MAGIC;
    s_auditLogPath = ProductDirectory("log") + "\\audit.log";
    return 0;
}
static_assert(std::is_same<decltype(&Av_OpenAuditLog), AvOpenAuditLogFn>::value,
              "Av_OpenAuditLog must match the callers' declaration");

extern "C" int WINAPI Av_CloseAuditLog(DWORD* pdwContext, int /*nReserved*/)
{
    NoteCall(CALL_LOG_VARIABLE, "close");
    if (!IsOpenContext(pdwContext)) return ERROR_INVALID_HANDLE;
    *pdwContext = 0;
    return 0;
}
static_assert(std::is_same<decltype(&Av_CloseAuditLog), AvCloseAuditLogFn>::value,
              "Av_CloseAuditLog must match the callers' declaration");
