#include "CDateTime.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include "zoratmsg.h"

namespace {
const char SOURCE_FILE[] = "..\\..\\src\\CDateTime";

SYSTEMTIME LocalNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return st;
}
}  // namespace

CDateTime::CDateTime() : CDateTime(LocalNow()) {}

CDateTime::CDateTime(const SYSTEMTIME& stLocal) : m_nMilliSec(stLocal.wMilliseconds)
{
    snprintf(m_szNow, sizeof(m_szNow), "%04d%02d%02d%02d%02d%02d%03d", stLocal.wYear,
             stLocal.wMonth, stLocal.wDay, stLocal.wHour, stLocal.wMinute, stLocal.wSecond,
             stLocal.wMilliseconds);
    struct tm local = {};
    local.tm_year = stLocal.wYear - 1900;
    local.tm_mon = stLocal.wMonth - 1;
    local.tm_mday = stLocal.wDay;
    local.tm_hour = stLocal.wHour;
    local.tm_min = stLocal.wMinute;
    local.tm_sec = stLocal.wSecond;
    local.tm_isdst = -1;  // whatever the time zone says for that date
    m_tNow = static_cast<DWORD>(mktime(&local));
}

CDateTime::~CDateTime()
{
    m_tNow = 0;
    m_nMilliSec = 0;
}

void CDateTime::CheckBuffer(const char* pszFunction, int nSize)
{
    if (nSize >= STAMP_BUFFER_SIZE) return;
    char szSize[16];
    snprintf(szSize, sizeof(szSize), "%d", nSize);
    ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, pszFunction, "Not enough buffer", szSize);
}

void CDateTime::NowDateTime(char* pszBuffer, int nSize)
{
    CheckBuffer("NowDateTime()", nSize);
    memset(pszBuffer, 0, static_cast<size_t>(nSize));
    memcpy(pszBuffer, m_szNow, STAMP_BUFFER_SIZE - 1);
}

void CDateTime::BakDateTime(char* pszBuffer, int nSize, int nDays)
{
    CheckBuffer("BakDateTime()", nSize);
    memset(pszBuffer, 0, static_cast<size_t>(nSize));
    const time_t tThen = static_cast<time_t>(m_tNow) - static_cast<time_t>(nDays) * 86400;
    struct tm then = {};
    localtime_s(&then, &tThen);
    snprintf(pszBuffer, static_cast<size_t>(nSize), "%04d%02d%02d000000000", then.tm_year + 1900,
             then.tm_mon + 1, then.tm_mday);
}
