#include "TestSupport.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace testing_support {

const char* const PRODUCT_KEY = "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion";
const char* const ZORAT_KEY = "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat";

namespace {
void ClearProductKeys() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kelvane"); }
}  // namespace

ScopedProductRegistry::ScopedProductRegistry() { ClearProductKeys(); }
ScopedProductRegistry::~ScopedProductRegistry() { ClearProductKeys(); }

void ScopedProductRegistry::SetBytes(const char* pszKey, const char* pszName, DWORD dwType,
                                     const void* pData, DWORD dwSize)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &hKey, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error(std::string("cannot create key ") + pszKey);
    LONG lResult = RegSetValueExA(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData),
                                  dwSize);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        throw std::runtime_error(std::string("cannot set value ") + pszName);
}

void ScopedProductRegistry::SetString(const char* pszKey, const char* pszName,
                                      const std::string& value)
{
    SetBytes(pszKey, pszName, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void ScopedProductRegistry::SetDword(const char* pszKey, const char* pszName, DWORD dwValue)
{
    SetBytes(pszKey, pszName, REG_DWORD, &dwValue, sizeof(dwValue));
}

ScopedTempDir::ScopedTempDir()
{
    char szTemp[MAX_PATH + 1];
    GetTempPathA(sizeof(szTemp), szTemp);
    static int s_nCounter = 0;
    for (;;) {
        char szName[64];
        snprintf(szName, sizeof(szName), "trovetest-%lu-%d", GetCurrentProcessId(), ++s_nCounter);
        std::string path = std::string(szTemp) + szName;
        if (CreateDirectoryA(path.c_str(), nullptr)) {
            m_path = path;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + path);
    }
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string BuildDirectory()
{
    char szPath[MAX_PATH + 1];
    DWORD dwLength = GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string path(szPath, dwLength);
    path.erase(path.find_last_of('\\'));  // the program's name
    path.erase(path.find_last_of('\\'));  // bin
    return path;
}

std::string FamilyLibrary(const char* pszFolder, const char* pszDll)
{
    return BuildDirectory() + "\\family\\" + pszFolder + "\\" + pszDll;
}

void CopyInto(const std::string& file, const std::string& directory)
{
    std::filesystem::create_directories(directory);
    const std::string target = directory + file.substr(file.find_last_of('\\'));
    if (!CopyFileA(file.c_str(), target.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + file + " to " + target);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CapturedStdout::CapturedStdout(const std::string& path) : m_path(path)
{
    fflush(stdout);
    m_nSaved = _dup(1);
    const int nFile = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
    _dup2(nFile, 1);
    _close(nFile);
}

CapturedStdout::~CapturedStdout() { Restore(); }

std::string CapturedStdout::Text()
{
    Restore();
    return ReadWholeFile(m_path);
}

void CapturedStdout::Restore()
{
    if (m_nSaved < 0) return;
    fflush(stdout);
    _dup2(m_nSaved, 1);
    _close(m_nSaved);
    m_nSaved = -1;
}

std::string MessageText(const std::string& modulePath, DWORD dwMessageId, DWORD dwLanguage,
                        DWORD_PTR* pArgs)
{
    const UniqueModule module(
        LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return "";
    char szText[4097] = {};
    DWORD dwFlags = FORMAT_MESSAGE_FROM_HMODULE |
                    (pArgs ? FORMAT_MESSAGE_ARGUMENT_ARRAY : FORMAT_MESSAGE_IGNORE_INSERTS);
    DWORD dwLength = FormatMessageA(dwFlags, module.get(), dwMessageId, dwLanguage, szText,
                                    sizeof(szText), reinterpret_cast<va_list*>(pArgs));
    return std::string(szText, dwLength);
}

std::string TemplateText(DWORD dwMessageId, const char* pszName, int nLine,
                         const std::string& additional)
{
    char szHead[160];
    snprintf(szHead, sizeof(szHead), "Error occured! Error ID=%08lx. Source file name=%s (Line number=%d). ",
             static_cast<unsigned long>(dwMessageId), pszName, nLine);
    return std::string(szHead) + "Additional information=(" + additional + ").";
}

namespace {
UniqueFileHandle OpenInherited(const std::string& path, DWORD dwAccess, DWORD dwCreate)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return UniqueFileHandle(CreateFileA(path.c_str(), dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, dwCreate, FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

ChildProcess::ChildProcess(std::string commandLine, const std::string& outFile,
                           const std::string& errFile, DWORD dwCreationFlags)
    : m_commandLine(commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    UniqueFileHandle in, out, err;
    if (!outFile.empty()) {
        in = OpenInherited("NUL", GENERIC_READ, OPEN_EXISTING);
        out = OpenInherited(outFile, GENERIC_WRITE, CREATE_ALWAYS);
        err = errFile == outFile ? UniqueFileHandle()
                                 : OpenInherited(errFile, GENERIC_WRITE, CREATE_ALWAYS);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.get();
        startup.hStdOutput = out.get();
        startup.hStdError = err ? err.get() : out.get();
    }
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, !outFile.empty(),
                        dwCreationFlags, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("cannot start " + commandLine);
    m_process = UniqueProcess(info);
}

ChildProcess::~ChildProcess()
{
    if (WaitForSingleObject(m_process.process(), 30000) != WAIT_OBJECT_0) End();
}

std::string ChildProcess::TestProgram(const std::string& program)
{
    return "\"" + BuildDirectory() + "\\bin\\" + program + "\"";
}

void ChildProcess::WaitUntilReady(const std::string& readyFile)
{
    auto ready = [&] { return GetFileAttributesA(readyFile.c_str()) != INVALID_FILE_ATTRIBUTES; };
    for (int i = 0; i < 600 && !ready(); ++i) {
        // A child may get ready and end between two looks.
        if (WaitForSingleObject(m_process.process(), 50) == WAIT_OBJECT_0 && !ready())
            throw std::runtime_error(m_commandLine + " ended before it was ready");
    }
    if (!ready()) throw std::runtime_error(m_commandLine + " was not ready in time");
}

DWORD ChildProcess::Wait(DWORD dwTimeoutMs)
{
    if (WaitForSingleObject(m_process.process(), dwTimeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "did not end in time: " << m_commandLine;
        End();
    }
    DWORD dwCode = 0;
    GetExitCodeProcess(m_process.process(), &dwCode);
    return dwCode;
}

bool ChildProcess::Running() const
{
    return WaitForSingleObject(m_process.process(), 0) == WAIT_TIMEOUT;
}

void ChildProcess::End()
{
    TerminateProcess(m_process.process(), 1);
    WaitForSingleObject(m_process.process(), INFINITE);
}

std::unique_ptr<ChildProcess> HoldFileLock(const char* pszMode, const std::string& path,
                                           int nHoldMs)
{
    const std::string ready = path + ".ready";
    auto holder = std::make_unique<ChildProcess>(ChildProcess::TestProgram("holder.exe") + " " +
                                                 pszMode + " \"" + path + "\" " +
                                                 std::to_string(nHoldMs) + " \"" + ready + "\"");
    holder->WaitUntilReady(ready);
    return holder;
}

}  // namespace testing_support
