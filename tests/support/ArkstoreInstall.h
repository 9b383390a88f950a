#pragma once
// The archive storage software's stand-in tools, installed for a test.
#include <string>

#include "TestSupport.h"

namespace testing_support {

// The archive storage software installed in a scratch directory: arkcp.exe and
// arkls.exe copied into "<dir>\cmd\bin" and the registry value Directory of
// HKLM\SOFTWARE\Kelvane\Install\Arkstore pointing at it.
class ScopedArkstore {
public:
    explicit ScopedArkstore(ScopedProductRegistry& registry);
    ScopedArkstore(const ScopedArkstore&) = delete;
    ScopedArkstore& operator=(const ScopedArkstore&) = delete;

    const std::string& Directory() const;        // the installation directory
    std::string Tool(const char* pszName) const;  // "<dir>\cmd\bin\<name>.exe"
    void SetFaults(const std::string& controlText);  // writes the control file ("" removes it)
    std::string Calls() const;                    // the call record, "" when none

private:
    ScopedTempDir m_dir;
};

}  // namespace testing_support
