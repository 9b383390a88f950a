#pragma once
#include "CBase.h"

// Turns a full path whose components may be short (8.3) names into the path
// of the components' long names, so two spellings of a path compare equal.
class CConvertData : public virtual CBase {
public:
    ~CConvertData() override = default;

    // *pnSize: the capacity of pszOut on entry; on a shortage it receives the
    // length needed. Throws when the path is not "X:\..." or a component is
    // not found.
    void ConvertLongName(const char* pszPath, char* pszOut, unsigned int* pnSize);
};
