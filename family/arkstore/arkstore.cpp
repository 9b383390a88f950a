#include "arkstore.h"

#include <windows.h>

#include <cstdlib>

#include "UniqueHandle.h"
#include "familycommon.h"

namespace arkstore {

namespace {

const char CONTROL_FILE[] = "arkstore.ctl";
const char CALL_RECORD[] = "arkstore-calls.log";
const DWORD EXCEPTION_STATUS = 0xC0000005;  // what a crashed tool leaves behind

// The installation directory: the tools lie in "<dir>\cmd\bin".
std::string InstallationDirectory()
{
    char szPath[MAX_PATH + 1] = {};
    std::string dir(szPath, GetModuleFileNameA(nullptr, szPath, MAX_PATH));
    for (int i = 0; i < 3; ++i) {
        const size_t nPos = dir.find_last_of('\\');
        dir.resize(nPos == std::string::npos ? 0 : nPos);
    }
    return dir;
}

std::string InstallationFile(const char* pszName)
{
    return InstallationDirectory() + "\\" + pszName;
}

void WriteTo(DWORD dwStream, const std::string& text)
{
    const HANDLE hStream = GetStdHandle(dwStream);
    DWORD dwWritten = 0;
    if (hStream != nullptr && hStream != INVALID_HANDLE_VALUE && !text.empty())
        WriteFile(hStream, text.data(), static_cast<DWORD>(text.size()), &dwWritten, nullptr);
}

bool IsCount(const std::string& value, int nMinimum, int& nCount)
{
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    nCount = atoi(value.c_str());
    return nCount >= nMinimum;
}

// The switches of one tool and the one call they apply to (0: every call).
struct ToolSwitches {
    Faults faults;
    int nOnlyCall = 0;
};

// Applies one "name=value" switch of a tool; false when the tool knows no
// such switch.
bool ApplySwitch(bool bCopy, const std::string& name, const std::string& value,
                 ToolSwitches& switches)
{
    Faults& faults = switches.faults;
    if (name == "fail") {
        static const struct { const char* pszName; Failure failure; } kinds[] = {
            {"arena", Failure::Arena}, {"error", Failure::Text},
            {"silent", Failure::Silent}, {"crash", Failure::Crash},
            {"negative", Failure::Negative}};
        for (const auto& kind : kinds) {
            if (value == kind.pszName) {
                faults.failure = kind.failure;
                return true;
            }
        }
        return false;
    }
    if (name == "message") {
        faults.message = value;
        return true;
    }
    if (name == "call") return IsCount(value, 1, switches.nOnlyCall);
    if (name == "after" && bCopy) return IsCount(value, 0, faults.nAfter);
    if (name == "skip" && bCopy) return IsCount(value, 1, faults.nSkip);
    if (name == "remove" && bCopy) return IsCount(value, 1, faults.nRemove);
    if (name == "grow" && bCopy) return IsCount(value, 1, faults.nGrow);
    if (name == "listing" && !bCopy) {
        if (value != "notab" && value != "empty" &&
            (value.compare(0, 5, "omit:") != 0 || value.size() == 5))
            return false;
        faults.listing = value;
        return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (nStart < text.size()) {
        size_t nEnd = text.find('\n', nStart);
        if (nEnd == std::string::npos) nEnd = text.size();
        std::string line = text.substr(nStart, nEnd - nStart);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        nStart = nEnd + 1;
    }
    return lines;
}

bool ReadFileText(const std::string& path, std::string& text)
{
    const HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return false;
    UniqueHandle file(hFile);
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64LL * 1024 * 1024) return false;
    text.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD dwRead = 0;
    return text.empty() ||
           (ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &dwRead, nullptr) &&
            dwRead == text.size());
}

int RecordCall(const char* pszTool, const std::vector<std::string>& bodyLines)
{
    const std::string head = std::string("call ") + pszTool + "\r\n";
    std::string block = head + "command " + GetCommandLineA() + "\r\n";
    for (const std::string& line : bodyLines) block += line + "\r\n";
    const std::string path = InstallationFile(CALL_RECORD);
    AppendToFile(path, block + "end\r\n");

    std::string record;
    ReadFileText(path, record);
    int nCalls = 0;
    for (size_t nPos = record.find(head); nPos != std::string::npos;
         nPos = record.find(head, nPos + 1))
        if (nPos == 0 || record[nPos - 1] == '\n') ++nCalls;
    return nCalls;
}

bool ReadFaults(const char* pszTool, int nCall, Faults& faults, std::string& error)
{
    faults = Faults();
    std::string text;
    if (!ReadFileText(InstallationFile(CONTROL_FILE), text)) return true;  // healthy

    // Every line is checked, the other tool's too, so that a mistyped switch
    // shows at once instead of leaving a test with a healthy device.
    ToolSwitches copy, list;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == '#') continue;
        const size_t nEqual = line.find('=');
        const size_t nDot = line.find('.');
        const std::string tool = line.substr(0, nDot);
        const bool bKnownTool = tool == "arkcp" || tool == "arkls";
        if (nEqual == std::string::npos || nDot > nEqual || !bKnownTool ||
            !ApplySwitch(tool == "arkcp", line.substr(nDot + 1, nEqual - nDot - 1),
                         line.substr(nEqual + 1), tool == "arkcp" ? copy : list)) {
            error = std::string("ARK0099E ") + CONTROL_FILE + " line " + std::to_string(i + 1) +
                    ": unknown switch \"" + line + "\"";
            return false;
        }
    }
    const ToolSwitches& own = std::string(pszTool) == "arkcp" ? copy : list;
    if (own.nOnlyCall != 0 && own.nOnlyCall != nCall) return true;
    faults = own.faults;
    if (faults.nAfter >= 0 && faults.failure == Failure::None) faults.failure = Failure::Text;
    return true;
}

void WriteOut(const std::string& text) { WriteTo(STD_OUTPUT_HANDLE, text); }

int Error(const std::string& text)
{
    WriteTo(STD_ERROR_HANDLE, text + "\r\n");
    return 1;
}

int Fail(const Faults& faults)
{
    if (faults.failure == Failure::Crash) ExitProcess(EXCEPTION_STATUS);
    if (faults.failure == Failure::Negative) return -1;  // as a C program's exit(-1)
    if (faults.failure == Failure::Arena) return Error("ARK0042E device:arena not ready");
    if (faults.failure == Failure::Text) return Error(faults.message);
    return 1;  // silent
}

}  // namespace arkstore
