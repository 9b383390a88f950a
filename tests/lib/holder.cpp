// Test child that holds something for a while, for tests that need another
// process in the way:
//   holder file <path> <ms> <ready>      the file, opened without sharing
//   holder sem <name> <ms> <ready>       the named lock of that resource name
//   holder filelock <path> <ms> <ready>  the file lock of that file, given back
//   holder abandon <path> <ms> <ready>   the same, but ends without giving it back
// It creates <ready> once it holds, then holds for <ms> milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CFileLock.h"
#include "CSem.h"

int main(int argc, char** argv)
{
    if (argc != 5) return 2;
    const DWORD dwHold = static_cast<DWORD>(atol(argv[3]));
    auto ready = [&] {
        CloseHandle(CreateFileA(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    };
    if (strcmp(argv[1], "file") == 0) {
        HANDLE hFile = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_ALWAYS, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) return 3;
        ready();
        Sleep(dwHold);
        CloseHandle(hFile);
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
    return 2;
}
