#pragma once
#include <windows.h>

// The temporary files of a run are read by the archive storage tools, which
// run elevated: nobody else may plant, replace or rewrite one. A file left
// under the name (by a killed run, or by anyone) is removed first, then the
// file is created new, with an access list that admits Administrators and
// SYSTEM alone; a file that appears under the name meanwhile makes the
// creation fail.
class CPrivateFile {
public:
    // Open for writing; INVALID_HANDLE_VALUE with GetLastError on failure.
    static HANDLE Create(const char* pszPath, DWORD dwShareMode);
};
