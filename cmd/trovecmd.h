#pragma once
// The command logic both programs share. Built twice: the restore flavour
// (TROVE_RESTORE defined) knows -R and -G as well.
#include <string>

#include "CBase.h"

// The program this flavour is built into ("trovesave.exe" or
// "troveload.exe"), the identity of its common trace and the prefix of its
// temporary files ("trovesv" or "trovers").
extern const char TROVE_PROGRAM_FILE[];
extern const char TROVE_MODULE[];

// Where the reports of the command core and the runs say they come from.
extern const char TROVECMD_SOURCE[];

// One text per option, as typed; the defaults stand for options not given.
struct CommandOptions {
    std::string hostName = "*";     // -H
    std::string secondName = "*";   // -A
    std::string archiveDir;         // -D, required
    std::string restoreDir;         // -R, required by the restore program
    std::string logKind = "LOG";    // -L: "LOG" or "CSV"
    std::string generation = "LAST";  // -G: "ALL" or "LAST"
    std::string logDate;            // -B: YYYYMMDD before today
    std::string fromDays;           // -F: days back where the range starts
    std::string toDays;             // -T: days back where the range ends
};

// Checks the whole command line into options. The first fault is reported
// on errorRecord and its text thrown; options may then be partly filled.
void ParseCommandLine(int argc, char** argv, CommandOptions& options, CBase& errorRecord);

class CIniFile;

// Where each directory value is held: at most 1024 characters and the
// terminator.
#define DIR_BUFFER_SIZE 1025

// SAVE_DIR of the manager definition file: the save directory of the
// collected logs. Throws when it is missing or empty, or unreadable.
int ReadSaveDir(char* pszBuffer, CIniFile& iniFile, CBase& errorRecord);

// NormalizeDir of the agent's configuration file: the directory of the
// normalized logs. Only CSV runs need it; for LOG runs a missing value leaves
// the buffer as it was.
void ReadNormalizeDir(char* pszBuffer, const std::string& logKind, CBase& errorRecord);

// Refuses an option directory that names the protected directory, also
// through short names or in other letter case. The report names "-D" in both
// programs.
void CheckNotSameDir(const char* pszProtectedDir, const char* pszOptionDir, CBase& errorRecord);

// The archive storage software's installation directory, from the registry.
void GetArchiveToolDir(char* pszBuffer, DWORD dwBufferSize);

// Runs one archive storage command whose line ends in " 2> " and the capture
// file, and throws the tool's first output line when it fails.
void RunArchiveCommand(const char* pszCommandLine, CBase& errorRecord, const char* pszCaptureFile);

// The fields of a log file name:
//   host_second_kind_date[_extra][_short][_last].suffix
// where the suffix is ".cln" for archived files (restore) and ".log" or
// ".csv" for collected ones (backup). A field the name lacks is empty.
struct LogFileNameFields {
    std::string hostField;
    std::string secondField;
    std::string kindField;
    std::string dateField;   // "00000000": not a log of the requested kind
    std::string extraField;  // kind "B" only
    std::string shortField;
    std::string lastField;   // tells generations of one log apart
};

// Splits a file name; a name that does not split is reported and thrown.
LogFileNameFields ParseLogFileName(const std::string& name, const std::string& logKind,
                                   CBase& errorRecord);

// What both runs share before their selection.

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
