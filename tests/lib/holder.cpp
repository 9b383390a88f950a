// Test child that holds something for a while, for tests that need another
// process in the way:
//   holder file <path> <ms> <ready>      the file, opened without sharing
//   holder sem <name> <ms> <ready>       the named lock of that resource name
//   holder filelock <path> <ms> <ready>  the file lock of that file, given back
//   holder abandon <path> <ms> <ready>   the same, but ends without giving it back
//   holder rewrite <path> <ms> <ready>   rewrites the INI file's [big] entries one
//                                        by one, A and B in turn, again and again,
//                                        on a disk that writes slowly
// It creates <ready> once it holds, then holds for <ms> milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CFileLock.h"
#include "CIniFile.h"
#include "CSem.h"

#include "UniqueHandle.h"

// As a slow disk writes: a pause after each block, so that a rewrite in place
// is long enough to be killed in.
size_t WriteSlowly(const void* pData, size_t nSize, size_t nCount, FILE* fp)
{
    const size_t nWritten = fwrite(pData, nSize, nCount, fp);
    fflush(fp);
    Sleep(20);
    return nWritten;
}

int main(int argc, char** argv)
{
    if (argc != 5) return 2;
    const DWORD dwHold = static_cast<DWORD>(atol(argv[3]));
    auto ready = [&] {
        UniqueFileHandle(
            CreateFileA(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    };
    if (strcmp(argv[1], "file") == 0) {
        const UniqueFileHandle file(CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                OPEN_ALWAYS, 0, nullptr));
        if (!file) return 3;
        ready();
        Sleep(dwHold);
        return 0;
    }
    if (strcmp(argv[1], "sem") == 0) {
        CSem sem(argv[2], 1);
        if (sem.Lock() != 1) return 4;
        ready();
        Sleep(dwHold);
        return 0;
    }
    if (strcmp(argv[1], "filelock") == 0 || strcmp(argv[1], "abandon") == 0) {
        std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(argv[2], "r"), fclose);
        if (!file) return 3;
        CFileLock lock(file.get(), 1, argv[2]);
        if (lock.GetStatus() != 0) return 4;
        ready();
        Sleep(dwHold);
        // Ending while the mutex is held leaves it abandoned.
        if (strcmp(argv[1], "abandon") == 0) ExitProcess(0);
        return lock.Unlock();
    }
    if (strcmp(argv[1], "rewrite") == 0) {
        CIniFile ini;
        if (ini.SetTargetFileName(argv[2]) != 0) return 3;
        std::vector<std::string> keys;
        std::ifstream in(argv[2]);
        for (std::string line; std::getline(in, line);)
            if (line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
        in.close();
        if (keys.empty()) return 4;
        SetIniBlockWriter(WriteSlowly);
        const DWORD dwEnd = GetTickCount() + dwHold;
        for (size_t i = 0; GetTickCount() < dwEnd; ++i) {
            const char* pszValue = (i / keys.size()) % 2 ? "A" : "B";
            if (ini.Write("big", keys[i % keys.size()].c_str(), pszValue) != 0) return 5;
            if (i == 0) ready();
        }
        return 0;
    }
    return 2;
}
