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

// Splits a file name; a name that does not split, or that is no plain file
// name (a separator, a character no name holds, a device name, a trailing
// dot or blank), is reported and thrown.
LogFileNameFields ParseLogFileName(const std::string& name, const std::string& logKind,
                                   CBase& errorRecord);

// Where the suffix of a name that splits begins: its first occurrence after
// the third separator, so that ".log" in a host or kind is no suffix. npos
// when it has none.
size_t FindNameSuffix(const std::string& name, const char* pszSuffix);

// The name as the file system tells names apart: without letter case.
std::wstring FoldedName(const std::string& name);
