#pragma once
// The common trace library QWTRCAPI.dll. Programs import it by ordinal only
// (2 open, 3 write, 4 close); the names below exist for linking.
#include <windows.h>

#define QWTRC_CONTEXT_SIZE 96
#define QWTRC_IDENTITY_SIZE 20
#define QWTRC_OPEN_MODE 0x80000000UL
#define QWTRC_KIND_TEXT 2
#define QWTRC_LEVEL_ERROR 1
#define QWTRC_LEVEL_INFO 2

#ifdef QWTRC_BUILDING
#define QWTRC_API __declspec(dllexport)
#else
#define QWTRC_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Answers 1 when the trace is open, 0 on failure. The library keeps its state
// in the caller's 96-byte context.
QWTRC_API int __cdecl QwTrcOpen(void* context, DWORD mode, const char* identity);
QWTRC_API int __cdecl QwTrcWrite(void* context, int reserved, int level, const char* sourceName,
                                 int line, int kind, int textLength, DWORD processId,
                                 DWORD threadId, const char* text);
QWTRC_API int __cdecl QwTrcClose(void* context, int reserved);

#ifdef __cplusplus
}
#endif
