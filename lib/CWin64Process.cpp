#include "CWin64Process.h"

#include <cstring>

namespace {

// -1 not yet asked, 0 not WOW64 (or no switch functions), 1 switchable.
signed char s_cWow64State = -1;
CWin64Process::ProcLookup s_pfnLookup = GetProcAddress;

void CopyError(char* pszError, int nLength, const char* pszText)
{
    if (!pszError || nLength <= 0) return;
    strncpy(pszError, pszText, static_cast<size_t>(nLength) - 1);
    pszError[nLength - 1] = '\0';
}

template <typename Fn>
Fn LookUp(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(s_pfnLookup(hModule, pszName)));
}

}  // namespace

void CWin64Process::SetProcLookup(ProcLookup lookup) { s_pfnLookup = lookup; }

CWin64Process::CWin64Process()
    : m_pfnIsWow64Process(nullptr), m_pfnDisable(nullptr), m_pfnRevert(nullptr),
      m_pRedirectValue(nullptr)
{
}

CWin64Process::~CWin64Process() = default;

int CWin64Process::IsWow64(char* pszError, int nLength, int* pnWow64)
{
    *pnWow64 = 0;
    m_hKernel32.reset(LoadLibraryA("kernel32"));
    if (!m_hKernel32) {
        CopyError(pszError, nLength, "Failed to road.(kernel32.dll).");
        return 0;
    }
    m_pfnIsWow64Process = LookUp<IsWow64ProcessFn>(m_hKernel32.get(), "IsWow64Process");
    if (!m_pfnIsWow64Process) return 1;

    if (s_cWow64State == -1) {
        s_cWow64State = 0;
        UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                         GetCurrentProcessId()));
        if (!process) {
            CopyError(pszError, nLength, "Failed to open the process.");
            return 0;
        }
        BOOL bWow64 = FALSE;
        if (!m_pfnIsWow64Process(process.get(), &bWow64)) return 0;
        if (!bWow64) return 1;
    } else {
        *pnWow64 = s_cWow64State;  // NOLINT(bugprone-signed-char-misuse): -1, 0 or 1
        if (s_cWow64State == 0) return 1;
    }

    m_pfnDisable = LookUp<DisableRedirectionFn>(m_hKernel32.get(),
                                                "Wow64DisableWow64FsRedirection");
    if (!m_pfnDisable) return 1;
    m_pfnRevert = LookUp<RevertRedirectionFn>(m_hKernel32.get(),
                                              "Wow64RevertWow64FsRedirection");
    if (!m_pfnRevert) {
        m_pfnDisable = nullptr;
        return 1;
    }
    s_cWow64State = 1;
    *pnWow64 = 1;
    return 1;
}

int CWin64Process::RedirectOff(char* pszError, int nLength)
{
    if (s_cWow64State == 0 || !m_pfnDisable) return 1;
    if (m_pfnDisable(&m_pRedirectValue)) return 1;
    CopyError(pszError, nLength, "Failed to redirect off.");
    return 0;
}

int CWin64Process::RedirectOn(char* pszError, int nLength)
{
    if (s_cWow64State == 0 || !m_pfnRevert) return 1;
    if (m_pfnRevert(m_pRedirectValue)) return 1;
    CopyError(pszError, nLength, "Failed to redirect on.");
    return 0;
}
