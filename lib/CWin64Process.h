#pragma once
#include <windows.h>

#include "UniqueHandle.h"

// Detects a 32-bit program on 64-bit Windows and switches the calling
// thread's file-system redirection off and on, so that paths below the
// system directory reach the real one.
class CWin64Process {
public:
    CWin64Process();
    virtual ~CWin64Process();
    CWin64Process(const CWin64Process&) = delete;
    CWin64Process& operator=(const CWin64Process&) = delete;

    // 1 when the check completed (*pnWow64 1: WOW64 with switchable
    // redirection), 0 when it failed with a text in the error buffer.
    int IsWow64(char* pszError, int nLength, int* pnWow64);
    // 1 when done or nothing to do, 0 with a text in the error buffer.
    int RedirectOff(char* pszError, int nLength);
    int RedirectOn(char* pszError, int nLength);

    // How the system functions are looked up. Only a 32-bit process on 64-bit
    // Windows has working WOW64 functions, so tests put their own in place.
    using ProcLookup = FARPROC(WINAPI*)(HMODULE, LPCSTR);
    static void SetProcLookup(ProcLookup lookup);

private:
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
    using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

    IsWow64ProcessFn m_pfnIsWow64Process;
    DisableRedirectionFn m_pfnDisable;
    RevertRedirectionFn m_pfnRevert;
    UniqueModule m_hKernel32;
    PVOID m_pRedirectValue;
};
