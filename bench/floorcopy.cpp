// The floor of a backup on this platform: enumerate the files matching a
// pattern and copy each into a directory, with nothing else around it.
//   floorcopy "SRC\*.log" DST
//   floorcopy -n "SRC\*.log" DST
// -n is the floor of numbered naming, where DST holds every plain name
// already: for each file check DST\base.ext (taken) and DST\base_001.ext
// (free), and copy to the latter. All names are checked before the first
// copy, as the backup names every file before its copy tool runs: under Wine
// a missing name costs a read of the whole directory, which the copies grow.
// A file found otherwise counts as failed, so that a folder prepared wrongly
// cannot pass for the floor.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "UniqueHandle.h"

static bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::string Numbered(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name + "_001";
    return name.substr(0, dot) + "_001" + name.substr(dot);
}

int main(int argc, char** argv)
{
    const bool bNumbered = argc == 4 && strcmp(argv[1], "-n") == 0;
    if (argc != (bNumbered ? 4 : 3)) {
        fprintf(stderr, "usage: floorcopy [-n] PATTERN DIRECTORY\n");
        return 2;
    }
    const std::string pattern = argv[argc - 2];
    const std::string sourceDir = pattern.substr(0, pattern.rfind('\\') + 1);
    const std::string targetDir = std::string(argv[argc - 1]) + "\\";
    WIN32_FIND_DATAA found;
    std::vector<std::string> names;
    {
        const UniqueFind search(FindFirstFileA(pattern.c_str(), &found));
        if (!search) return 1;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search.get(), &found));
    }
    int nFailed = 0;
    std::vector<std::pair<std::string, std::string>> copies;
    for (const std::string& name : names) {
        std::string target = targetDir + name;
        if (bNumbered) {
            const std::string numbered = targetDir + Numbered(name);
            if (!Exists(target) || Exists(numbered)) {
                ++nFailed;
                continue;
            }
            target = numbered;
        }
        copies.emplace_back(sourceDir + name, target);
    }
    for (const auto& copy : copies)
        if (!CopyFileA(copy.first.c_str(), copy.second.c_str(), TRUE)) ++nFailed;
    return nFailed == 0 ? 0 : 1;
}
