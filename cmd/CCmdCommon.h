#pragma once
#include "CBase.h"

// Small helpers of the command core that need an error record of their own.
class CCmdCommon : public virtual CBase {
public:
    CCmdCommon() = default;
    ~CCmdCommon() override;

    // 1 when the drive named by the path's first three characters ("C:\")
    // is a fixed disk, else 0.
    int IsFixedDrive(const char* pszPath) const;
};
