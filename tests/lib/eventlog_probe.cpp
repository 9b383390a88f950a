// Writes three events through the reporting operations, for a check that reads
// what Wine's event log channel shows of them.
#include "CBase.h"
#include "TestSupport.h"
#include "zoratmsg.h"

using namespace testing_support;

int main()
{
    ScopedProductRegistry registry;
    ScopedTempDir empty;
    registry.SetString(PRODUCT_KEY, "DM Language", "ENGLISH");
    registry.SetString(ZORAT_KEY, "Install", empty.Path());
    CBase base;
    base.InfoLog("..\\..\\src\\trovesave.cpp", 60, MSG_PROGRAM_START, nullptr, "A", nullptr, "B",
                 nullptr);
    base.WarningLog("C:\\src\\CSem.cpp", 0, MSG_ALREADY_RUNNING, "W1");
    base.ErrorLog("..\\..\\src\\CRegistry", 61, MSG_ERROR_DETAILS, "E1", "E2", "E3", "E4", "E5");
    return 0;
}
