#pragma once
// auvex.dll, the product family's audit-log client library, loaded by name.
#include <windows.h>

// Answers 0 when the audit log is open; the library keeps its handle in
// *pdwContext.
typedef int(WINAPI* AvOpenAuditLogFn)(int nReserved1, int nReserved2, DWORD* pdwContext,
                                      int nReserved3);
// One audit record.
typedef int(WINAPI* AvWriteAuditLogFn)(DWORD* pdwContext, const char* pszHost,
                                       const char* pszOriginHost, const char* pszSubject,
                                       const char* pszProgram, const char* pszCommandLine,
                                       const char* pszMessage, const char* pszResult,
                                       const char* pszIdentity, int nReserved1, int nReserved2);
typedef int(WINAPI* AvCloseAuditLogFn)(DWORD* pdwContext, int nReserved);
