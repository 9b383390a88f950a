#include "CFileLock.h"

#include "CBase.h"

namespace {

const char MUTEX_PREFIX[] = "KXQTR.";

// The part of the path after its last backslash (the whole path when there is
// none); a backslash that is the second byte of a double-byte character is no
// separator.
const char* FileNamePart(const char* pszPath)
{
    const char* pszName = pszPath;
    for (const char* p = pszPath; *p; ++p)
        if (*p == '\\' && !(p > pszPath && CBase::IsLeadByteAt(pszPath, p - 1) == 1))
            pszName = p + 1;
    return pszName;
}

int LastError() { return static_cast<int>(GetLastError()); }

// Closes and clears the handle; 1 when closing failed (printed), else 0.
int CloseReported(UniqueHandle& handle)
{
    if (handle.close()) return 0;
    printf("::CloseHandle() -->GetLastError(%d)\n", LastError());
    return 1;
}

}  // namespace

CFileLock::CFileLock(FILE* fp, int nMode, const char* pszFilePath)
    : m_fp(nullptr), m_nState(1), m_nStatus(2)
{
    snprintf(m_szMutexName, sizeof(m_szMutexName), "%s%s", MUTEX_PREFIX,
             FileNamePart(pszFilePath ? pszFilePath : ""));
    if ((nMode != 1 && nMode != 2) || !fp) return;
    m_fp = fp;
    m_nState = 2;
    m_nStatus = Lock();
}

CFileLock::~CFileLock() { Unlock(); }

// 0 when the mutex is held, 1 when it could not be taken. Each failing call is
// printed and the next one tried, so the caller always gets on with its file.
int CFileLock::Lock()
{
    m_hCreate.reset(CreateMutexA(nullptr, FALSE, m_szMutexName));
    if (!m_hCreate) printf("::CreateMutex() -->GetLastError(%d)\n", LastError());
    m_hWait.reset(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, m_szMutexName));
    if (!m_hWait) printf("::OpenMutex() -->GetLastError(%d)\n", LastError());

    switch (WaitForSingleObject(m_hWait.get(), INFINITE)) {
    case WAIT_OBJECT_0:
        return 0;
    case WAIT_ABANDONED:
        printf("::WaiteForSingleObject() -->WAIT_ABANDONED\n");
        return 1;
    case WAIT_TIMEOUT:
        printf("::WaitForSingleObject() -->WAIT_TIMEOUT\n");
        return 1;
    default:
        printf("::WaitForSingleObject() -->WAIT_FAILED GetLastError(%d)\n", LastError());
        return 1;
    }
}

int CFileLock::Unlock()
{
    int nResult = 0;
    if (m_hWait) {
        if (!ReleaseMutex(m_hWait.get())) {
            printf("::ReleaseMutex() -->GetLastError(%d)\n", LastError());
            nResult = 1;
        }
        nResult |= CloseReported(m_hWait);
    }
    if (m_hCreate) nResult |= CloseReported(m_hCreate);
    return nResult;
}
