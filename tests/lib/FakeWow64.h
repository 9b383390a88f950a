#pragma once
// WOW64 as a 32-bit process on 64-bit Windows would see it: fake system
// functions put in place through CWin64Process's lookup.
#include <windows.h>

#include <functional>
#include <string>

namespace fake_wow64 {

struct State {
    BOOL bIsWow64 = TRUE;
    BOOL bQuestionSucceeds = TRUE;
    bool bHasDisable = true;
    bool bHasRevert = true;
    BOOL bDisableSucceeds = TRUE;
    BOOL bRevertSucceeds = TRUE;
    int nQuestions = 0;
    int nDisables = 0;
    int nReverts = 0;
    int nOff = 0;  // how many switch-offs are not yet reverted
    PVOID pLastStored = nullptr;
    PVOID pLastReverted = nullptr;
    std::function<void()> onDisable;  // runs inside each switch-off
};

// Installs the fakes for the rest of the process; the state is fresh.
State& Install();

// "<Windows directory>\system32\": below it the redirection is switched off.
std::string SystemDirectory();

}  // namespace fake_wow64
