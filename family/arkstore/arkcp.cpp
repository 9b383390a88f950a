// Stand-in for the archive storage software's copy tool:
//   arkcp -a -m "<list file>"   copies to the device
//   arkcp -r -m "<list file>"   copies back
// Each line of the list file is "source TAB target CR LF"; the lines are
// copied in order, and an existing target is never overwritten.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "arkstore.h"
#include "familycommon.h"

using namespace arkstore;

namespace {

struct CopyLine {
    std::string source;
    std::string target;
};

// The list file's lines with their keyword, for the call record.
std::vector<std::string> RecordLines(const std::string& list)
{
    std::vector<std::string> lines;
    for (const std::string& line : Lines(list)) lines.push_back("list " + line);
    return lines;
}

// Every line must end in CR LF and hold two non-empty paths around one TAB.
bool ParseList(const std::string& list, std::vector<CopyLine>& copies, std::string& error)
{
    size_t nStart = 0;
    for (int nLine = 1; nStart < list.size(); ++nLine) {
        const size_t nEnd = list.find("\r\n", nStart);
        const std::string line =
            list.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        const size_t nTab = line.find('\t');
        if (nEnd == std::string::npos || line.find_first_of("\r\n") != std::string::npos ||
            nTab == 0 || nTab == std::string::npos || nTab + 1 == line.size() ||
            line.find('\t', nTab + 1) != std::string::npos) {
            error = "ARK0011E list file line " + std::to_string(nLine) + " malformed";
            return false;
        }
        copies.push_back({line.substr(0, nTab), line.substr(nTab + 1)});
        nStart = nEnd + 2;
    }
    return true;
}

bool CopyOne(const CopyLine& copy, std::string& error)
{
    const DWORD dwSource = GetFileAttributesA(copy.source.c_str());
    if (dwSource == INVALID_FILE_ATTRIBUTES || (dwSource & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "ARK0012E source " + copy.source + " not found";
        return false;
    }
    // Refusing an existing target is the copy's own atomic check: a look
    // beforehand would cost a second lookup of a missing name, which reads
    // the whole directory under Wine.
    if (CopyFileA(copy.source.c_str(), copy.target.c_str(), TRUE)) return true;
    const DWORD dwError = GetLastError();
    // A copy that ran out of room leaves its target cut short under Wine: a
    // full device, not a target that was there before.
    const bool bFull = dwError == ERROR_DISK_FULL || dwError == ERROR_HANDLE_DISK_FULL;
    if (dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS ||
        (!bFull && GetFileAttributesA(copy.target.c_str()) != INVALID_FILE_ATTRIBUTES))
        error = "ARK0013E target " + copy.target + " already exists";
    else
        error = "ARK0014E cannot copy " + copy.source + " to " + copy.target + " (error " +
                std::to_string(dwError) + ")";
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool bArguments = argc == 4 &&
                            (strcmp(argv[1], "-a") == 0 || strcmp(argv[1], "-r") == 0) &&
                            strcmp(argv[2], "-m") == 0;
    std::string list;
    const bool bListRead = bArguments && ReadFileText(argv[3], list);
    const int nCall =
        RecordCall("arkcp", bListRead ? RecordLines(list) : std::vector<std::string>());

    Faults faults;
    std::string error;
    if (!ReadFaults("arkcp", nCall, faults, error)) return Error(error);
    if (!bArguments) return Error("ARK0001E usage: arkcp -a|-r -m <list file>");
    // A device that is not ready fails before the list is looked at.
    if (faults.failure != Failure::None && faults.nAfter < 0) return Fail(faults);
    if (!bListRead) return Error(std::string("ARK0010E cannot read list file ") + argv[3]);

    std::vector<CopyLine> copies;
    if (!ParseList(list, copies, error)) return Error(error);
    size_t nCount = copies.size();
    if (faults.failure != Failure::None && static_cast<size_t>(faults.nAfter) < nCount)
        nCount = static_cast<size_t>(faults.nAfter);
    // A line that cannot be copied fails alone: the others are copied, and
    // the first failure is the call's answer.
    std::string firstError;
    for (size_t i = 0; i < nCount; ++i) {
        // A device that loses a file and says nothing about it.
        const int nLine = static_cast<int>(i + 1);
        if (nLine == faults.nSkip) continue;
        // Someone else removes the log after the program listed it.
        if (nLine == faults.nRemove) DeleteFileA(copies[i].source.c_str());
        if (!CopyOne(copies[i], error) && firstError.empty()) firstError = error;
        // A log still written to: the copy holds it as it was when the copy
        // began, the log has grown since.
        if (nLine == faults.nGrow) AppendToFile(copies[i].source, "written during the copy\r\n");
    }
    if (faults.failure != Failure::None) return Fail(faults);
    return firstError.empty() ? 0 : Error(firstError);
}
