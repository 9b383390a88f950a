#include "CDeviceListing.h"

#include <cstdlib>

#include "CFileOperation.h"
#include "trovecmd.h"
#include "trovecmd_names.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
// What a line may hold, as the tool's lines are read into a fixed buffer.
const size_t MAX_LINE_LENGTH = 4095;

// The line without its line end, cut to the most a line may hold. A line
// that long has lost its size with the cut.
void Trim(std::string& line)
{
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > MAX_LINE_LENGTH) line.resize(MAX_LINE_LENGTH);
}

}  // namespace

void CDeviceListing::Read(const std::string& capturePath, CBase& errorRecord)
{
    CFileOperation capture(capturePath.c_str(), FILE_MODE_READ, 0);
    std::string line;
    while (capture.FileReadLine(line)) AddLine(line, capturePath, errorRecord);
}

bool CDeviceListing::Find(const std::string& name, long long& nSize) const
{
    const auto entry = m_sizes.find(FoldedName(name));
    if (entry == m_sizes.end()) return false;
    nSize = entry->second;
    return true;
}

// Runs of TABs separate like one, leading ones are skipped and pieces after
// the size are ignored.
void CDeviceListing::AddLine(std::string line, const std::string& capturePath, CBase& errorRecord)
{
    Trim(line);
    const size_t nNameStart = line.find_first_not_of('\t');
    if (nNameStart == std::string::npos)
        errorRecord.ThrowError(SOURCE_FILE, 942, MSG_ERROR_DETAILS, TROVE_PROGRAM_FILE,
                               "Invalid File Format", capturePath.c_str(), line.c_str());
    const size_t nNameEnd = line.find('\t', nNameStart);
    const std::string name = line.substr(nNameStart, nNameEnd - nNameStart);
    const size_t nSizeStart =
        nNameEnd == std::string::npos ? std::string::npos : line.find_first_not_of('\t', nNameEnd);
    if (nSizeStart == std::string::npos)
        errorRecord.ThrowError(SOURCE_FILE, 955, MSG_ERROR_DETAILS, TROVE_PROGRAM_FILE,
                               "Invalid File Format", capturePath.c_str(), name.c_str());
    // The size piece alone: blanks before a TAB must not reach the next piece.
    // Sizes of 2 GiB and more are common: read all 64 bits.
    const std::string size = line.substr(nSizeStart, line.find('\t', nSizeStart) - nSizeStart);
    m_sizes.emplace(FoldedName(name), strtoll(size.c_str(), nullptr, 10));
}
