#pragma once
// Log file names: the fields of collected and archived names.
#include <string>

#include "CBase.h"

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
    std::string lastField;  // tells generations of one log apart
};

// Splits a file name; a name that does not split is reported and thrown.
LogFileNameFields ParseLogFileName(const std::string& name, const std::string& logKind,
                                   CBase& errorRecord);
