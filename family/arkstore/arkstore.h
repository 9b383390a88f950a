#pragma once
// What arkcp and arkls share: where they are installed, the call record, the
// fault switches of the control file, and their output.
#include <string>
#include <vector>

namespace arkstore {

// How a call fails when a switch says so.
enum class Failure { None, Arena, Text, Silent, Crash, Negative };

// The switches of the control file that apply to this call of a tool.
struct Faults {
    Failure failure = Failure::None;
    std::string message = "ARK0050E request failed";  // for Failure::Text
    int nAfter = -1;      // arkcp: lines copied before failing; -1: fail at once
    int nSkip = 0;        // arkcp: this line (from 1) is left out without a word; 0: none
    int nRemove = 0;      // arkcp: this line's source is removed before it is copied; 0: none
    int nGrow = 0;        // arkcp: this line's source grows as it is copied; 0: none
    std::string listing;  // arkls: "notab", "empty" or "omit:<name>"
};

// Lines split at LF, one CR before it dropped; nothing after a final line end.
std::vector<std::string> Lines(const std::string& text);

// The whole file; false when it cannot be read.
bool ReadFileText(const std::string& path, std::string& text);

// Appends this call's block to the call record: "call <tool>", the command
// line, the given lines (each with its keyword, without CR LF) and "end".
// Returns the call's number among the tool's calls in the record (1 for the
// first).
int RecordCall(const char* pszTool, const std::vector<std::string>& bodyLines);

// Reads the control file's switches for the tool's nCall-th call. False, with
// an error text, when a line is no switch that either tool knows.
bool ReadFaults(const char* pszTool, int nCall, Faults& faults, std::string& error);

// Writes text as it is to standard output.
void WriteOut(const std::string& text);

// Prints the error text and CR LF on standard error; returns exit code 1.
int Error(const std::string& text);

// Fails as the switches say: returns exit code 1 or ends the process with an
// exception status.
int Fail(const Faults& faults);

}  // namespace arkstore
