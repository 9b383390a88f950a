// Smoke check of the reporting path in an installed product: opens the common
// trace, reports a start, a registry failure and a system error text in the
// installation's language, and prints what each report made.
#include <cstdio>

#include "CBase.h"
#include "CCommonTrace.h"
#include "CRegistry.h"
#include "CReportException.h"

int main()
{
    CCommonTrace* trace = nullptr;
    int result = 0;
    try {
        if (!OpenCommonTrace("trovesmoke", &trace)) printf("common trace not open\n");
        CBase base;
        printf("language mode: %d\n", CBase::GetLanguageMode());
        printf("%s\n", base.InfoTrace("..\\..\\src\\trovesmoke", __LINE__, 0x40000002,
                                      "trovesmoke.exe"));
        try {
            CRegistry key("SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat", nullptr,
                          REG_ACCESS_READ);
            char szValue[16];
            DWORD dwSize = sizeof(szValue);
            key.ReadRegStringVal("NoSuchValue", szValue, &dwSize);
        } catch (const CReportException& e) {
            printf("%s\n", e.what());
        }
        printf("%s\n", base.ErrorTrace("..\\..\\src\\trovesmoke", __LINE__, 0xC00002D2,
                                       "C:\\missing\\*.log", base.GetSystemErrorText(3)));
    } catch (const CReportException& e) {
        printf("failed: %s\n", e.what());
        result = 255;
    }
    CloseCommonTrace(&trace);
    return result;
}
