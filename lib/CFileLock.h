#pragma once
#include <windows.h>

#include <cstdio>

#include "UniqueHandle.h"

// Serialises access to a configuration file between processes: a named mutex
// "KXQTR." + the file's own name, taken with an unbounded wait. Every process
// of the product that opens a file of that name, in whatever directory, waits
// for the same lock. Failures are printed on standard output, never thrown.
class CFileLock {
public:
    // Takes the lock at once. nMode 1 (reading) or 2 (writing) lock alike.
    CFileLock(FILE* fp, int nMode, const char* pszFilePath);
    // Gives back whatever Unlock has not.
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // 0 when everything was released and closed, 1 when a release or a close
    // failed.
    int Unlock();

    // 1 not bound to a file, 2 bound.
    int GetState() const { return m_nState; }
    // 0 locked, 1 locking failed, 2 invalid arguments (no file, or a mode
    // other than 1 and 2).
    int GetStatus() const { return m_nStatus; }

private:
    int Lock();

    FILE* m_fp;
    int m_nState;
    int m_nStatus;
    char m_szMutexName[524];
    UniqueHandle m_hCreate;
    UniqueHandle m_hWait;
};
