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

// Where each directory value is held: at most 1024 characters and the
// terminator.
#define DIR_BUFFER_SIZE 1025
