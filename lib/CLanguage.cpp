#include "CLanguage.h"

#include <cstring>

#include "CRegistry.h"

int CLanguage::IsJapanese()
{
    CRegistry registry("SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion", nullptr, REG_ACCESS_READ);
    char szLanguage[10] = {};
    DWORD dwSize = sizeof(szLanguage);
    registry.ReadRegStringVal("DM Language", szLanguage, &dwSize);
    // Exactly the stored bytes "JAPANESE", with or without a terminator.
    const size_t nLength = strnlen(szLanguage, dwSize);
    return nLength == 8 && memcmp(szLanguage, "JAPANESE", 8) == 0 ? 1 : 0;
}
