#include "familycommon.h"

#include "UniqueHandle.h"

namespace {

const char PRODUCT_KEY[] = "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat";

std::string InstallDirectory()
{
    UniqueHKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_KEY, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::string();
    char szPath[MAX_PATH + 1] = {};
    DWORD dwSize = MAX_PATH;  // one byte spare keeps an unterminated value terminated
    if (RegQueryValueExA(key.get(), "Install", nullptr, nullptr, reinterpret_cast<BYTE*>(szPath),
                         &dwSize) != ERROR_SUCCESS)
        return std::string();
    return szPath;
}

std::string TempDirectory()
{
    char szPath[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(szPath), szPath);
    std::string dir = szPath;
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    return dir;
}

}  // namespace

std::string ProductDirectory(const char* pszSubdirectory)
{
    std::string install = InstallDirectory();
    if (install.empty()) return TempDirectory();
    std::string dir = install + "\\" + pszSubdirectory;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool AppendToFile(const std::string& path, const std::string& text)
{
    HANDLE hFile = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return false;
    UniqueHandle file(hFile);
    DWORD dwWritten = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &dwWritten,
                     nullptr) &&
           dwWritten == text.size();
}

bool GetEnvironmentText(const char* pszName, std::string& value)
{
    DWORD dwSize = GetEnvironmentVariableA(pszName, nullptr, 0);
    if (dwSize == 0) return false;
    std::string text(dwSize, '\0');
    DWORD dwLength = GetEnvironmentVariableA(pszName, &text[0], dwSize);
    if (dwLength == 0 || dwLength >= dwSize) return false;
    text.resize(dwLength);
    value = text;
    return true;
}

void NoteCall(const char* pszLogVariable, const std::string& call)
{
    std::string path;
    if (GetEnvironmentText(pszLogVariable, path)) AppendToFile(path, call + "\r\n");
}
