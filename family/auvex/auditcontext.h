#pragma once
// What the audit-log calls share inside the library.
#include <windows.h>

#include <string>

// The environment variable that may name a file of the calls made (NoteCall).
const char CALL_LOG_VARIABLE[] = "AUVEX_CALL_LOG";

// True for a context that a successful open filled and no close has ended.
bool IsOpenContext(const DWORD* pdwContext);

// "<directory>\audit.log" as the last open found it.
const std::string& AuditLogPath();
