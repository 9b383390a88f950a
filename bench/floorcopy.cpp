// The floor of a backup on this platform: enumerate the files matching a
// pattern and copy each into a directory, with nothing else around it.
//   floorcopy "SRC\*.log" DST
//   floorcopy -n "SRC\*.log" DST
//   floorcopy -r [-n] "SRC\*.log" DST
// -n is the floor of numbered naming, where DST holds every plain name
// already: for each file check DST\base.ext (taken) and DST\base_001.ext
// (free), and copy to the latter. All names are checked before the first
// copy, as the backup names every file before its copy tool runs: under Wine
// a missing name costs a read of the whole directory, which the copies grow.
// A file found otherwise counts as failed, so that a folder prepared wrongly
// cannot pass for the floor.
// -r is the run floor (CRunFloor.h): besides that, what a backup run must do
// for each file, the copy through the arkcp stand-in; with -n also arkls's one
// listing of DST, before the first name found taken.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CRunFloor.h"
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
    bool bNumbered = false, bRun = false;
    int nArg = 1;
    for (; nArg < argc && argv[nArg][0] == '-'; ++nArg) {
        bNumbered = bNumbered || strcmp(argv[nArg], "-n") == 0;
        bRun = bRun || strcmp(argv[nArg], "-r") == 0;
    }
    if (argc - nArg != 2 || nArg - 1 != bNumbered + bRun) {
        fprintf(stderr, "usage: floorcopy [-r] [-n] PATTERN DIRECTORY\n");
        return 2;
    }
    const std::string pattern = argv[nArg];
    const std::string sourceDir = pattern.substr(0, pattern.rfind('\\') + 1);
    const std::string targetDir = std::string(argv[nArg + 1]) + "\\";
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
    std::unique_ptr<CRunFloor> run;
    if (bRun) {
        run = std::make_unique<CRunFloor>();
        if (!run->IsOpen()) return 1;
    }
    // The naming run lists the archive once, before it judges the first taken name.
    const bool bListed = !run || !bNumbered || run->ListDirectory(argv[nArg + 1]);
    int nFailed = 0;
    std::vector<std::pair<std::string, std::string>> copies;
    for (const std::string& name : names) {
        std::string target = targetDir + name;
        if (bNumbered) {
            const std::string numbered = targetDir + Numbered(name);
            if (!Exists(target) || Exists(numbered) || !bListed) {
                ++nFailed;
                continue;
            }
            target = numbered;
        } else if (run && Exists(target)) {
            ++nFailed;
            continue;
        }
        if (run && !run->ProbeLock(name.substr(0, name.find('.')))) {
            ++nFailed;
            continue;
        }
        copies.emplace_back(sourceDir + name, target);
    }
    if (run) return nFailed + run->CopyAndRecord(copies) == 0 ? 0 : 1;
    for (const auto& copy : copies)
        if (!CopyFileA(copy.first.c_str(), copy.second.c_str(), TRUE)) ++nFailed;
    return nFailed == 0 ? 0 : 1;
}
