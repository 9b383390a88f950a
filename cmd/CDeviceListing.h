#pragma once
#include <string>
#include <unordered_map>

#include "CBase.h"

// The files of an archive directory with their sizes, as the device's listing
// tool wrote them into its capture file: one line per file, the name, TABs
// and the size in bytes.
class CDeviceListing {
public:
    // Reads the capture file. A line without a name or a size is reported on
    // errorRecord and its text thrown, as are read failures.
    void Read(const std::string& capturePath, CBase& errorRecord);

    // The size listed for the name (its first entry), found without regard
    // to letter case as the device finds it; false when unlisted.
    bool Find(const std::string& name, long long& nSize) const;

private:
    void AddLine(std::string line, const std::string& capturePath, CBase& errorRecord);

    std::unordered_map<std::wstring, long long> m_sizes;  // by folded name
};
