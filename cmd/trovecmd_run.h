#pragma once
// What both runs share before their selection: source directories, the
// protected-directory check, access rights, dates and the search pattern.
#include <string>

#include "CBase.h"
#include "trovecmd.h"

// The manager's save directory and the agent's normalized-log directory
// (empty when not configured and not needed).
struct SourceDirectories {
    std::string saveDir;
    std::string normalizeDir;
};
SourceDirectories ReadSourceDirectories(const std::string& logKind, CBase& errorRecord);

// Refuses an option directory that is one of the source directories.
void CheckNotSourceDir(const SourceDirectories& sources, const std::string& optionDir,
                       CBase& errorRecord);

// Grants Administrators and SYSTEM full access on a directory of a fixed
// disk; directories on other drives are left as they are.
void GrantAccessOnFixedDrive(const std::string& directory);

// The dates a run selects: one date as part of the search pattern, or a
// range of days that each listed name is compared with.
struct DateSelection {
    bool bRange = false;
    std::string low, high;  // YYYYMMDD, both included
    std::string patternPart;

    bool Selects(const std::string& dateField) const
    {
        return !bRange || (low <= dateField && dateField <= high);
    }
};
// -F/-T as a range, else -B, else yesterday.
DateSelection SelectDates(const CommandOptions& options);

// "<directory>\<host>_<second>_*_<date part>*<extension>"
std::string SearchPattern(const std::string& directory, const CommandOptions& options,
                          const DateSelection& dates, const char* pszExtension);
