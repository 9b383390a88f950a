#pragma once
// Helpers the tests share: the product's registry keys in the test prefix,
// scratch directories, and reading what the programs wrote.
#include <windows.h>

#include <string>

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

// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// The text FormatMessage makes of a message of the module, inserts ignored;
// "" when the module or the message in that language is missing.
std::string MessageText(const std::string& modulePath, DWORD dwMessageId, DWORD dwLanguage,
                        DWORD_PTR* pArgs = nullptr);

// "Error occured! ..." as the fixed template gives it.
std::string TemplateText(DWORD dwMessageId, const char* pszName, int nLine,
                         const std::string& additional);

}  // namespace testing_support
