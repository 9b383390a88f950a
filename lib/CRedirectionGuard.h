#pragma once
#include <windows.h>

#include <memory>

#include "CWin64Process.h"

// The calling thread's file-system redirection, switched off around work on a
// path below the system directory and back on, each switch recorded in the
// thread redirection table. Only a 32-bit process on 64-bit Windows switches
// anything; elsewhere every call is done at once. A failed question or switch
// throws the redirection object's own text ("Failed to redirect off." and the
// like), never a report of its own.
class CRedirectionGuard {
public:
    CRedirectionGuard() = default;
    // When switching back failed before and the table still records the
    // thread as off: one more, quiet, try.
    ~CRedirectionGuard();
    CRedirectionGuard(const CRedirectionGuard&) = delete;
    CRedirectionGuard& operator=(const CRedirectionGuard&) = delete;

    // Switches off under WOW64 and records dwThreadId (the thread of the
    // user's error record) as off; true when it switched.
    bool SwitchOff(DWORD dwThreadId);
    // Switches back on what this guard switched off and records the thread
    // as on; false when the switch failed, the guard then still off.
    bool TrySwitchOn();
    // The same, throwing the switch's text when it fails.
    void SwitchOn();
    bool IsOff() const { return m_bOff; }

private:
    bool SwitchBackOn(char* pszError, int nLength);

    std::unique_ptr<CWin64Process> m_pWin64;
    int m_nWow64 = -1;  // not asked yet
    DWORD m_dwThreadId = 0;
    bool m_bOff = false;
};
