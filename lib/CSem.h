#pragma once
#include <string>

#include "CBase.h"
#include "UniqueHandle.h"

#define RESOURCE_NAME_SIZE 1025

// A lock between processes, taken without waiting: a named mutex, or for the
// agent's and the log program's resources a marker file in the exclusion
// control directory, as those programs expect.
class CSem : public virtual CBase {
public:
    // nRelease 1: a held mutex is given back on destruction.
    CSem(const char* pszResourceName, int nRelease);
    ~CSem() override;

    // 1 when this object now holds the lock, 0 when it is busy (held
    // elsewhere, or already by this object).
    int Lock();
    // Never throws.
    void Unlock();

private:
    int LockMutex();
    int LockMarker();
    void UnlockMutex();
    void UnlockMarker();
    std::string MarkerPath();

    char m_szResourceName[RESOURCE_NAME_SIZE];
    int m_nFileMode;
    int m_nRelease;
    UniqueHandle m_hMutex;
};
