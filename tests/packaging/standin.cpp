// A stand-in for a program that a script starts (trovesave.exe, fltmc.exe,
// net.exe, reg.exe), copied under that program's name. It ends with the exit
// code that the variable STANDIN_<NAME> gives, NAME being its own file name
// without the extension, in capitals:
//   CODE        for every call
//   CODE:TEXT   for a call whose command line contains TEXT, 0 for others
//   CODE:TEXT:OTHER   the same, OTHER for the others
// CODE is decimal, also negative (-1073741515 for 0xC0000135), or hexadecimal
// after "0x". Without the variable it ends with 0. Before that it appends its
// command line to the file STANDIN_RECORD names, and writes the text of
// STANDIN_SAY to standard output and standard error, where those are set.
//
// With STANDIN_RUN set it is the scheduler instead: it starts that command
// line as it stands (Wine quotes a command line that it builds from words),
// waits for it and ends with its exit code.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UniqueHandle.h"

namespace {

std::string Environment(const std::string& name)
{
    char szValue[4096];
    const DWORD dwLength = GetEnvironmentVariableA(name.c_str(), szValue, sizeof(szValue));
    return dwLength < sizeof(szValue) ? std::string(szValue, dwLength) : std::string();
}

DWORD Schedule(std::string commandLine)
{
    SetEnvironmentVariableA("STANDIN_RUN", nullptr);
    STARTUPINFOA startInfo = {};
    startInfo.cb = sizeof(startInfo);
    PROCESS_INFORMATION procInfo = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startInfo, &procInfo))
        return 90;
    const UniqueHandle process(procInfo.hProcess);
    const UniqueHandle thread(procInfo.hThread);
    DWORD dwExitCode = 91;
    WaitForSingleObject(process.get(), INFINITE);
    GetExitCodeProcess(process.get(), &dwExitCode);
    return dwExitCode;
}

std::string OwnName()
{
    char szSelf[MAX_PATH];
    std::string name(szSelf, GetModuleFileNameA(nullptr, szSelf, sizeof(szSelf)));
    name.erase(0, name.find_last_of('\\') + 1);
    name = name.substr(0, name.find('.'));
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return name;
}

DWORD ExitCodeOfThisCall()
{
    const std::string rule = Environment("STANDIN_" + OwnName());
    char* pszText = nullptr;
    // unsigned long is 32 bits here: "-1073741515" wraps to 0xC0000135.
    const unsigned long ulCode = strtoul(rule.c_str(), &pszText, 0);
    if (*pszText != ':') return ulCode;
    std::string text = pszText + 1;
    const size_t nOther = text.find(':');
    unsigned long ulOther = 0;
    if (nOther != std::string::npos) {
        ulOther = strtoul(&text[nOther + 1], nullptr, 0);
        text.resize(nOther);
    }
    return strstr(GetCommandLineA(), text.c_str()) ? ulCode : ulOther;
}

}  // namespace

int main()
{
    const std::string schedule = Environment("STANDIN_RUN");
    if (!schedule.empty()) ExitProcess(Schedule(schedule));

    const std::string record = Environment("STANDIN_RECORD");
    if (FILE* pRecord = record.empty() ? nullptr : fopen(record.c_str(), "ab")) {
        fprintf(pRecord, "%s\r\n", GetCommandLineA());
        fclose(pRecord);
    }
    const std::string say = Environment("STANDIN_SAY");
    if (!say.empty()) {
        printf("%s: standard output\n", say.c_str());
        fprintf(stderr, "%s: standard error\n", say.c_str());
        fflush(stdout);
    }
    ExitProcess(ExitCodeOfThisCall());
}
