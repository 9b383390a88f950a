#include "CSem.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "CCheckData.h"
#include "CFileOperation.h"
#include "CProductInfo.h"
#include "zoratmsg.h"

namespace {
const char SOURCE_FILE[] = "..\\..\\src\\CSem";
const size_t CONTROL_NAME_LENGTH = 80;
}  // namespace

CSem::CSem(const char* pszResourceName, int nRelease) : m_nFileMode(0), m_nRelease(nRelease)
{
    if (!pszResourceName || !*pszResourceName ||
        strlen(pszResourceName) >= RESOURCE_NAME_SIZE)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CSem()", "Invalid ResourceName");
    strcpy(m_szResourceName, pszResourceName);
    m_nFileMode = (strstr(m_szResourceName, "zoratagent") ||
                   strstr(m_szResourceName, "zoratlog.exe"))
                      ? 1
                      : 0;
}

CSem::~CSem()
{
    if (m_nFileMode == 0 && m_nRelease == 1) Unlock();
}

int CSem::Lock() { return m_nFileMode ? LockMarker() : LockMutex(); }

int CSem::LockMutex()
{
    if (m_hMutex) return 0;
    UniqueHandle existing(OpenMutexA(SYNCHRONIZE, FALSE, m_szResourceName));
    if (existing) return 0;

    SetLastError(ERROR_SUCCESS);
    UniqueHandle created(CreateMutexA(nullptr, FALSE, m_szResourceName));
    const DWORD dwError = GetLastError();
    // Another process may create it between the two calls: busy, not failed.
    if (dwError == ERROR_ALREADY_EXISTS) return 0;
    if (!created)
        ThrowError(SOURCE_FILE, __LINE__, MSG_LOCK_FAILED, m_szResourceName, "CreateMutex",
                   GetSystemErrorText(dwError));
    if (WaitForSingleObject(created.get(), 0) != WAIT_OBJECT_0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_LOCK_FAILED, m_szResourceName, "WaitForSingleObject",
                   GetSystemErrorText(GetLastError()));
    m_hMutex = std::move(created);
    return 1;
}

// "<Install>\ctl\exc\<resource name>Semaphore.ctl"
std::string CSem::MarkerPath()
{
    const std::string control =
        (std::string(m_szResourceName) + "Semaphore").substr(0, CONTROL_NAME_LENGTH);
    char szPath[PATH_BUFFER_SIZE];
    DWORD dwSize = sizeof(szPath);
    CProductInfo(PRODUCT_ZORAT).GetExcFileName(control.c_str(), szPath, &dwSize);
    return szPath;
}

int CSem::LockMarker()
{
    const std::string marker = MarkerPath();
    if (CCheckData().CheckFileExist(marker.c_str(), CHECK_MODE_FILE)) return 0;
    CFileOperation file(marker.c_str(), FILE_MODE_WRITE, 0);
    file.FileClose();
    return 1;
}

void CSem::Unlock()
{
    try {
        if (m_nFileMode)
            UnlockMarker();
        else
            UnlockMutex();
    } catch (...) {
        // Giving a lock back ends here, whatever failed: callers are often
        // unwinding already.
    }
}

void CSem::UnlockMutex()
{
    if (!m_hMutex) return;
    if (!ReleaseMutex(m_hMutex.get())) {
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_LOCK_FAILED, m_szResourceName, "ReleaseMutex",
                   GetSystemErrorText(GetLastError()));
        return;
    }
    m_hMutex.reset();
}

void CSem::UnlockMarker()
{
    const std::string marker = MarkerPath();
    if (CCheckData().CheckFileExist(marker.c_str(), CHECK_MODE_FILE))
        CFileOperation().FileRemove(marker.c_str());
}
