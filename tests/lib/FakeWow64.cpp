#include "FakeWow64.h"

#include <cstring>

#include "CWin64Process.h"

namespace fake_wow64 {

namespace {

State s_state;
int s_nNextValue = 0x100;

BOOL WINAPI FakeIsWow64Process(HANDLE, PBOOL pbWow64)
{
    ++s_state.nQuestions;
    *pbWow64 = s_state.bIsWow64;
    return s_state.bQuestionSucceeds;
}

BOOL WINAPI FakeDisable(PVOID* ppOldValue)
{
    ++s_state.nDisables;
    if (s_state.onDisable) s_state.onDisable();
    if (!s_state.bDisableSucceeds) return FALSE;
    *ppOldValue = s_state.pLastStored = reinterpret_cast<PVOID>(static_cast<INT_PTR>(++s_nNextValue));
    ++s_state.nOff;
    return TRUE;
}

BOOL WINAPI FakeRevert(PVOID pOldValue)
{
    ++s_state.nReverts;
    s_state.pLastReverted = pOldValue;
    if (!s_state.bRevertSucceeds) return FALSE;
    --s_state.nOff;
    return TRUE;
}

template <typename Fn>
FARPROC AsProc(Fn pfn)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(pfn));
}

FARPROC WINAPI FakeLookup(HMODULE hModule, LPCSTR pszName)
{
    if (strcmp(pszName, "IsWow64Process") == 0)
        return AsProc(FakeIsWow64Process);
    if (strcmp(pszName, "Wow64DisableWow64FsRedirection") == 0)
        return s_state.bHasDisable ? AsProc(FakeDisable) : nullptr;
    if (strcmp(pszName, "Wow64RevertWow64FsRedirection") == 0)
        return s_state.bHasRevert ? AsProc(FakeRevert) : nullptr;
    return GetProcAddress(hModule, pszName);
}

}  // namespace

State& Install()
{
    s_state = State();
    CWin64Process::SetProcLookup(FakeLookup);
    return s_state;
}

std::string SystemDirectory()
{
    char szWindows[MAX_PATH];
    GetWindowsDirectoryA(szWindows, sizeof(szWindows));
    return std::string(szWindows) + "\\system32\\";
}

}  // namespace fake_wow64
