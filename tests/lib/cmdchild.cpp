// A child process for the command runner's tests. It carries out its argument
// words in order:
//   out:TEXT, err:TEXT  write TEXT to standard output or standard error
//   bytes:N:C           write N copies of the character C to standard output in
//                       one call
//   file:PATH           write the bytes of the file PATH to standard output
//   echo WORDS...       write the words that follow, blank-separated, and end
//   spawn WORDS...      start this program with the words that follow as its
//                       arguments and its own standard handles, and end at once
//   sleep:MS            sleep
//   close               close the standard output and error handles
//   exit:CODE           end with CODE (decimal, or hexadecimal after "0x")
// Other words are ignored, so they can pad a command line.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "UniqueHandle.h"

namespace {

void Write(DWORD dwStdHandle, const std::string& text)
{
    DWORD dwWritten = 0;
    WriteFile(GetStdHandle(dwStdHandle), text.data(), static_cast<DWORD>(text.size()),
              &dwWritten, nullptr);
}

std::string JoinFrom(int nFirst, int argc, char** argv)
{
    std::string text;
    for (int i = nFirst; i < argc; ++i) text += (i > nFirst ? " " : "") + std::string(argv[i]);
    return text;
}

void Spawn(const std::string& arguments)
{
    char szSelf[MAX_PATH];
    GetModuleFileNameA(nullptr, szSelf, sizeof(szSelf));
    std::string command = "\"" + std::string(szSelf) + "\" " + arguments;
    STARTUPINFOA startInfo = {};
    startInfo.cb = sizeof(startInfo);
    startInfo.dwFlags = STARTF_USESTDHANDLES;
    startInfo.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startInfo.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION procInfo = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startInfo, &procInfo))
        ExitProcess(90);
    const UniqueProcess started(procInfo);
}

bool Starts(const char* pszWord, const char* pszPrefix, const char** ppszRest)
{
    const size_t nLength = strlen(pszPrefix);
    if (strncmp(pszWord, pszPrefix, nLength) != 0) return false;
    *ppszRest = pszWord + nLength;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* pszValue = nullptr;
        if (Starts(argv[i], "out:", &pszValue)) {
            Write(STD_OUTPUT_HANDLE, pszValue);
        } else if (Starts(argv[i], "err:", &pszValue)) {
            Write(STD_ERROR_HANDLE, pszValue);
        } else if (Starts(argv[i], "bytes:", &pszValue)) {
            const char* pszColon = strchr(pszValue, ':');
            Write(STD_OUTPUT_HANDLE,
                  std::string(strtoul(pszValue, nullptr, 10), pszColon ? pszColon[1] : 'x'));
        } else if (Starts(argv[i], "file:", &pszValue)) {
            std::ifstream in(pszValue, std::ios::binary);
            Write(STD_OUTPUT_HANDLE, std::string(std::istreambuf_iterator<char>(in), {}));
        } else if (strcmp(argv[i], "echo") == 0) {
            Write(STD_OUTPUT_HANDLE, JoinFrom(i + 1, argc, argv));
            return 0;
        } else if (strcmp(argv[i], "spawn") == 0) {
            Spawn(JoinFrom(i + 1, argc, argv));
            return 0;
        } else if (Starts(argv[i], "sleep:", &pszValue)) {
            Sleep(strtoul(pszValue, nullptr, 10));
        } else if (strcmp(argv[i], "close") == 0) {
            const UniqueHandle out(GetStdHandle(STD_OUTPUT_HANDLE));
            const UniqueHandle err(GetStdHandle(STD_ERROR_HANDLE));
        } else if (Starts(argv[i], "exit:", &pszValue)) {
            ExitProcess(strtoul(pszValue, nullptr, 0));
        }
    }
    return 0;
}
