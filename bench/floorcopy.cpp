// The floor of a backup on this platform: enumerate the files matching a
// pattern and copy each into a directory, with nothing else around it.
//   floorcopy "SRC\*.log" DST
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: floorcopy PATTERN DIRECTORY\n");
        return 2;
    }
    const std::string pattern = argv[1];
    const std::string sourceDir = pattern.substr(0, pattern.rfind('\\') + 1);
    const std::string targetDir = std::string(argv[2]) + "\\";
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA(pattern.c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) return 1;
    int nFailed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!CopyFileA((sourceDir + found.cFileName).c_str(), (targetDir + found.cFileName).c_str(),
                       TRUE))
            ++nFailed;
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return nFailed == 0 ? 0 : 1;
}
