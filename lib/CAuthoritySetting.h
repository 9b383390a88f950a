#pragma once
#include "CBase.h"
#include "UniqueHandle.h"
#include "qwacl.h"

// Grants full access to Administrators and SYSTEM through the product
// family's access-rights library.
class CAuthoritySetting : public virtual CBase {
public:
    // Loads the library below the sibling product's installation; throws.
    CAuthoritySetting();
    ~CAuthoritySetting() override = default;

    // Throws on failure, except on a file system without access lists.
    void SetAccessRights(const char* pszPath);

private:
    UniqueModule m_hQwAcl;
    QwAclSetAccessRightsFn m_pfnSetAccessRights;
};
