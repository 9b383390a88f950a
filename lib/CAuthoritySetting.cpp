#include "CAuthoritySetting.h"

#include <string>

#include "CProductInfo.h"
#include "zoratmsg.h"

namespace {
const char SOURCE_FILE[] = "..\\..\\src\\CAuthoritySetting";
}

CAuthoritySetting::CAuthoritySetting() : m_pfnSetAccessRights(nullptr)
{
    m_hQwAcl.reset(LoadFamilyLibrary("\\Brannoc\\bin\\qwacl.dll"));
    if (!m_hQwAcl)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ACCESS_RIGHTS_FAILED,
                   std::to_string(GetLastError()).c_str(), "0x0");
    m_pfnSetAccessRights =
        GetProcAs<QwAclSetAccessRightsFn>(m_hQwAcl.get(), "QwAcl_SetAccessRights");
    if (!m_pfnSetAccessRights)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ACCESS_RIGHTS_FAILED,
                   std::to_string(GetLastError()).c_str(), "0x0");
}

void CAuthoritySetting::SetAccessRights(const char* pszPath)
{
    void* const reserved[2] = {nullptr, nullptr};
    const char* const accounts[2] = {"Administrators", "SYSTEM"};
    const int kinds[2] = {QWACL_KIND_GRANT, QWACL_KIND_GRANT};
    const DWORD masks[2] = {QWACL_FULL_ACCESS, QWACL_FULL_ACCESS};
    if (m_pfnSetAccessRights(pszPath, 2, reserved, accounts, kinds, masks, 1, 1, 1)) return;

    const DWORD dwError = GetLastError();
    if (dwError == ERROR_PATH_NOT_FOUND)
        InfoTrace(SOURCE_FILE, __LINE__, MSG_INFORMATION, "FileSystem is FAT");
    else
        ThrowError(SOURCE_FILE, __LINE__, MSG_ACCESS_RIGHTS_FAILED, std::to_string(dwError).c_str(),
                   "0x0");
}
