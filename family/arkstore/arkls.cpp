// Stand-in for the archive storage software's listing tool:
//   arkls -f -s "<directory>"
// prints "name TAB size CR LF" for every regular file of the directory, in
// name order, sizes in decimal.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "arkstore.h"

using namespace arkstore;

namespace {

struct Entry {
    std::string name;
    unsigned long long ullSize;
};

bool ListFiles(const std::string& directory, std::vector<Entry>& entries, DWORD& dwError)
{
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    WIN32_FIND_DATAA found;
    const HANDLE hFind = FindFirstFileA((pattern + "*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        dwError = GetLastError();
        return dwError == ERROR_FILE_NOT_FOUND;  // nothing in it at all
    }
    UniqueFind find(hFind);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            entries.push_back({found.cFileName, (static_cast<unsigned long long>(
                                                     found.nFileSizeHigh) << 32) |
                                                    found.nFileSizeLow});
    } while (FindNextFileA(find.get(), &found));
    dwError = GetLastError();
    return dwError == ERROR_NO_MORE_FILES;
}

// The damage a switch asks for, done to a healthy listing.
std::string DamagedListing(const std::string& listing, std::vector<Entry>& entries)
{
    if (listing == "notab") return "ARK0301W entry damaged\r\n";
    if (listing == "empty") return "\r\n";
    const std::string omitted = listing.substr(5);  // "omit:<name>"
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& entry) {
                                     return lstrcmpiA(entry.name.c_str(), omitted.c_str()) == 0;
                                 }),
                  entries.end());
    return "";
}

}  // namespace

int main(int argc, char** argv)
{
    const bool bArguments = argc == 4 && strcmp(argv[1], "-f") == 0 && strcmp(argv[2], "-s") == 0;
    const int nCall = RecordCall("arkls", std::vector<std::string>());

    Faults faults;
    std::string error;
    if (!ReadFaults("arkls", nCall, faults, error)) return Error(error);
    if (!bArguments) return Error("ARK0001E usage: arkls -f -s <directory>");
    if (faults.failure != Failure::None) return Fail(faults);

    const std::string directory = argv[3];
    const DWORD dwAttributes = GetFileAttributesA(directory.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return Error("ARK0020E directory " + directory + " not found");
    std::vector<Entry> entries;
    DWORD dwError = 0;
    if (!ListFiles(directory, entries, dwError))
        return Error("ARK0021E cannot list " + directory + " (error " + std::to_string(dwError) +
                     ")");
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });

    std::string text = faults.listing.empty() ? "" : DamagedListing(faults.listing, entries);
    for (const Entry& entry : entries)
        text += entry.name + "\t" + std::to_string(entry.ullSize) + "\r\n";
    WriteOut(text);
    return 0;
}
