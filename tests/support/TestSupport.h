#pragma once
// Helpers the tests share: the product's registry keys in the test prefix,
// scratch directories, and reading what the programs wrote.
#include <windows.h>

#include <memory>
#include <string>

#include "UniqueHandle.h"

namespace testing_support {

extern const char* const PRODUCT_KEY;  // SOFTWARE\Kelvane\Brannoc\CurrentVersion
extern const char* const ZORAT_KEY;    // ...\CurrentVersion\Zorat

// Clears HKLM\SOFTWARE\Kelvane when created and again when destroyed, so each
// test starts from a registry without the product.
class ScopedProductRegistry {
public:
    ScopedProductRegistry();
    ~ScopedProductRegistry();
    ScopedProductRegistry(const ScopedProductRegistry&) = delete;
    ScopedProductRegistry& operator=(const ScopedProductRegistry&) = delete;

    // Stores exactly the given bytes under HKLM\key (created when missing).
    void SetBytes(const char* pszKey, const char* pszName, DWORD dwType, const void* pData,
                  DWORD dwSize);
    // A string with its terminator.
    void SetString(const char* pszKey, const char* pszName, const std::string& value);
    void SetDword(const char* pszKey, const char* pszName, DWORD dwValue);
};

// A fresh directory below the temporary directory, removed with its contents
// when destroyed.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The build directory: the parent of the bin directory the test runs from.
std::string BuildDirectory();

// "<build>\family\<folder>\<dll>": a stand-in library of the product family.
std::string FamilyLibrary(const char* pszFolder, const char* pszDll);

// Copies a file into a directory that is created (with its parents) first.
void CopyInto(const std::string& file, const std::string& directory);

// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Standard output into a file for as long as it lives.
class CapturedStdout {
public:
    explicit CapturedStdout(const std::string& path);
    ~CapturedStdout();
    CapturedStdout(const CapturedStdout&) = delete;
    CapturedStdout& operator=(const CapturedStdout&) = delete;

    // What was written so far; ends the capture.
    std::string Text();

private:
    void Restore();
    std::string m_path;
    int m_nSaved = -1;
};

// The text FormatMessage makes of a message of the module, inserts ignored;
// "" when the module or the message in that language is missing.
std::string MessageText(const std::string& modulePath, DWORD dwMessageId, DWORD dwLanguage,
                        DWORD_PTR* pArgs = nullptr);

// "Error occured! ..." as the fixed template gives it.
std::string TemplateText(DWORD dwMessageId, const char* pszName, int nLine,
                         const std::string& additional);

}  // namespace testing_support

namespace testing_support {

// A started child process, waited for (and ended, if it still runs after
// 30 s) when destroyed. Its standard output and error go to the files named
// (the same file may be named for both) with an empty standard input;
// without files it shares this process's standard handles.
class ChildProcess {
public:
    explicit ChildProcess(std::string commandLine, const std::string& outFile = "",
                          const std::string& errFile = "", DWORD dwCreationFlags = 0);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The quoted path of a test program of the bin directory.
    static std::string TestProgram(const std::string& program);

    // Returns once the child has created readyFile, its sign that it holds
    // what it should; throws when it ends or takes 30 s without.
    void WaitUntilReady(const std::string& readyFile);
    // The exit code once the child has ended; a child still running after
    // dwTimeoutMs fails the test and is ended.
    DWORD Wait(DWORD dwTimeoutMs = INFINITE);
    bool Running() const;
    // Lets a child started with CREATE_SUSPENDED run.
    void Resume() { ResumeThread(m_process.thread()); }
    DWORD Pid() const { return m_process.id(); }
    HANDLE Process() const { return m_process.process(); }
    // Ends the child now; what it held is left abandoned.
    void End();

private:
    std::string m_commandLine;  // for the failure texts
    UniqueProcess m_process;
};

// holder.exe holding the file lock of path: for nHoldMs and then giving it
// back (pszMode "filelock"), or ending without giving it back ("abandon").
// Returns once the lock is held.
std::unique_ptr<ChildProcess> HoldFileLock(const char* pszMode, const std::string& path,
                                           int nHoldMs);

}  // namespace testing_support
