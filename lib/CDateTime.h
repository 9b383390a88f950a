#pragma once
#include <windows.h>

#include "CBase.h"

#define STAMP_BUFFER_SIZE 18

// The local time of one instant, taken at construction, as 17-digit stamps.
class CDateTime : public virtual CBase {
public:
    CDateTime();
    // The given local time instead of the system's.
    explicit CDateTime(const SYSTEMTIME& stLocal);
    ~CDateTime() override;

    // "YYYYMMDDhhmmssmmm" of the instant; nSize below 18 throws.
    void NowDateTime(char* pszBuffer, int nSize);
    // "YYYYMMDD000000000" of the date nDays before the instant (after it
    // when negative); nSize below 18 throws.
    void BakDateTime(char* pszBuffer, int nSize, int nDays);

private:
    void CheckBuffer(const char* pszFunction, int nSize);

    char m_szNow[STAMP_BUFFER_SIZE];
    DWORD m_tNow;
    int m_nMilliSec;
};
