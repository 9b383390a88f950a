#include "TestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MessageText(const std::string& modulePath, DWORD dwMessageId, DWORD dwLanguage,
                        DWORD_PTR* pArgs)
{
    HMODULE hModule = LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hModule) return "";
    char szText[4097] = {};
    DWORD dwFlags = FORMAT_MESSAGE_FROM_HMODULE |
                    (pArgs ? FORMAT_MESSAGE_ARGUMENT_ARRAY : FORMAT_MESSAGE_IGNORE_INSERTS);
    DWORD dwLength = FormatMessageA(dwFlags, hModule, dwMessageId, dwLanguage, szText,
                                    sizeof(szText), reinterpret_cast<va_list*>(pArgs));
    FreeLibrary(hModule);
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

}  // namespace testing_support
