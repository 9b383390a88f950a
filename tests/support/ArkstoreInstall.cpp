#include "ArkstoreInstall.h"

#include <fstream>
#include <stdexcept>

namespace testing_support {

ScopedArkstore::ScopedArkstore(ScopedProductRegistry& registry)
{
    for (const char* pszTool : {"arkcp.exe", "arkls.exe"})
        CopyInto(BuildDirectory() + "\\family\\arkstore\\" + pszTool, Directory() + "\\cmd\\bin");
    registry.SetString("SOFTWARE\\Kelvane\\Install\\Arkstore", "Directory", Directory());
}

const std::string& ScopedArkstore::Directory() const { return m_dir.Path(); }

std::string ScopedArkstore::Tool(const char* pszName) const
{
    return Directory() + "\\cmd\\bin\\" + pszName + ".exe";
}

void ScopedArkstore::SetFaults(const std::string& controlText)
{
    const std::string path = Directory() + "\\arkstore.ctl";
    if (controlText.empty()) {
        DeleteFileA(path.c_str());
        return;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << controlText;
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

std::string ScopedArkstore::Calls() const
{
    return ReadWholeFile(Directory() + "\\arkstore-calls.log");
}

}  // namespace testing_support
