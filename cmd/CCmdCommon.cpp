#include "CCmdCommon.h"

#include <string>

CCmdCommon::~CCmdCommon() = default;

int CCmdCommon::IsFixedDrive(const char* pszPath) const
{
    const std::string root = std::string(pszPath).substr(0, 3);
    return GetDriveTypeA(root.c_str()) == DRIVE_FIXED ? 1 : 0;
}
