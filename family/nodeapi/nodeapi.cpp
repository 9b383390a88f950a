// Stand-in for the product family's host-name library: the computer name.
#include "nodeapi.h"

#include "familycommon.h"

#include <cstdio>
#include <string>
#include <type_traits>

namespace {

// NODEAPI_RESULT="answer,detail" (detail 0 when left out): the answer a test
// wants instead of the name.
bool ForcedResult(int& nAnswer, int& nDetail)
{
    std::string value;
    if (!GetEnvironmentText("NODEAPI_RESULT", value)) return false;
    nDetail = 0;
    return sscanf(value.c_str(), "%d,%d", &nAnswer, &nDetail) >= 1;
}

}  // namespace

extern "C" int WINAPI NdGetHostname(char* pszHostName, int* pnDetail)
{
    int nAnswer = 0;
    int nDetail = 0;
    if (ForcedResult(nAnswer, nDetail)) {
        *pnDetail = nDetail;
        return nAnswer;
    }
    DWORD dwSize = NODEAPI_HOSTNAME_SIZE;
    if (!GetComputerNameA(pszHostName, &dwSize)) {
        *pnDetail = static_cast<int>(GetLastError());
        return 1;
    }
    *pnDetail = 0;
    return 0;
}
static_assert(std::is_same<decltype(&NdGetHostname), NdGetHostnameFn>::value,
              "NdGetHostname must match the callers' declaration");
