// Configuration, directories and the archive storage commands: the part of
// the command core that reads settings and runs the tools.
#include <cctype>
#include <cstring>
#include <string>

#include "CCheckData.h"
#include "CCmdExecEx.h"
#include "CConvertData.h"
#include "CFileOperation.h"
#include "CIniFile.h"
#include "CProductInfo.h"
#include "CRegistry.h"
#include "CReportException.h"
#include "trovecmd_config.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
const char AGENT_CONFIGURATION[] = "\\Brannoc.dm\\quend\\data\\etc\\quendconf.ini";
const char ARKSTORE_KEY[] = "SOFTWARE\\Kelvane\\Install\\Arkstore";

const size_t MAX_FAILURE_TEXT = 4096;

// Case-blind comparison of two paths of the active code page: single-byte
// letters fold, the bytes of a double-byte character must match as they are.
bool SamePathText(const char* psz1, const char* psz2)
{
    for (;; ++psz1, ++psz2) {
        const unsigned char c1 = static_cast<unsigned char>(*psz1);
        const unsigned char c2 = static_cast<unsigned char>(*psz2);
        if (IsDBCSLeadByte(c1)) {
            if (c1 != c2 || psz1[1] != psz2[1]) return false;
            if (!psz1[1]) return true;
            ++psz1;
            ++psz2;
            continue;
        }
        if (toupper(c1) != toupper(c2)) return false;
        if (!c1) return true;
    }
}

// The path as its long names give it.
std::string LongName(const char* pszPath)
{
    char szLong[DIR_BUFFER_SIZE] = {};
    unsigned int nSize = sizeof(szLong);
    CConvertData().ConvertLongName(pszPath, szLong, &nSize);
    return szLong;
}

// An exit status of the error-severity range (top four bits 0xC), such as an
// access violation: the tool crashed or was ended.
bool IsExceptionStatus(int nExitCode)
{
    return (static_cast<DWORD>(nExitCode) >> 28) == 0xC;
}

// The first line of the capture file without its line end; "" when there is
// none, or only an empty one.
std::string FirstCapturedLine(const char* pszCaptureFile)
{
    CFileOperation capture(pszCaptureFile, FILE_MODE_READ, 0);
    std::string line;
    if (!capture.FileReadLine(line)) return "";
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    CBase::CutWhole(line, MAX_FAILURE_TEXT);
    return line;
}

}  // namespace

int ReadSaveDir(char* pszBuffer, CIniFile& iniFile, CBase& errorRecord)
{
    const int nResult = iniFile.ReadString("MANAGER", "SAVE_DIR", pszBuffer);
    if (nResult == 0) return 0;
    if (nResult == 3 || nResult == 13)
        errorRecord.ThrowError(SOURCE_FILE, 2059, MSG_DIRECTORY_SETTING_MISSING);
    errorRecord.ThrowError(SOURCE_FILE, 2065, MSG_INI_READ_FAILED, iniFile.GetFilePath(), "MANAGER",
                           "SAVE_DIR", std::to_string(nResult).c_str());
}

void ReadNormalizeDir(char* pszBuffer, const std::string& logKind, CBase& errorRecord)
{
    char szPath[DIR_BUFFER_SIZE] = {};
    DWORD dwSize = sizeof(szPath);
    CProductInfo(PRODUCT_KEYSTONE).GetInstallPath(szPath, &dwSize);
    strncat(szPath, AGENT_CONFIGURATION, sizeof(szPath) - strlen(szPath) - 1);

    CIniFile agentConfiguration(szPath);
    const int nResult = agentConfiguration.ReadString("Directory", "NormalizeDir", pszBuffer);
    if (nResult == 0 || logKind != "CSV") return;
    if (nResult == 1 || nResult == 3 || nResult == 13)
        errorRecord.ThrowError(SOURCE_FILE, 2587, MSG_DIRECTORY_SETTING_MISSING);
    errorRecord.ThrowError(SOURCE_FILE, 2593, MSG_INI_READ_FAILED, szPath, "Directory",
                           "NormalizeDir", std::to_string(nResult).c_str());
}

void CheckNotSameDir(const char* pszProtectedDir, const char* pszOptionDir, CBase& errorRecord)
{
    const std::string optionDir = LongName(pszOptionDir);
    const std::string protectedDir = CCheckData().CheckFileExist(pszProtectedDir, CHECK_MODE_DIRECTORY)
                                         ? LongName(pszProtectedDir)
                                         : std::string(pszProtectedDir).substr(0, DIR_BUFFER_SIZE);
    if (SamePathText(protectedDir.c_str(), optionDir.c_str()))
        errorRecord.ThrowError(SOURCE_FILE, 2126, MSG_OPTION_VALUE_INVALID, "-D", pszOptionDir);
}

void GetArchiveToolDir(char* pszBuffer, DWORD dwBufferSize)
{
    memset(pszBuffer, 0, dwBufferSize);
    DWORD dwSize = dwBufferSize;
    CRegistry(ARKSTORE_KEY, nullptr, REG_ACCESS_READ).ReadRegStringVal("Directory", pszBuffer, &dwSize);
}

void RunArchiveCommand(const char* pszCommandLine, CBase& errorRecord, const char* pszCaptureFile)
{
    const int nExitCode = CCmdExecuteEx(pszCommandLine).WaitAndRead();
    if (nExitCode <= 0 && !IsExceptionStatus(nExitCode)) return;

    // The tool's own first line says best what went wrong; a blank one says
    // nothing, so it counts as no output.
    const std::string failure = FirstCapturedLine(pszCaptureFile);
    if (!failure.empty()) throw CReportException(failure.c_str());
    errorRecord.ThrowError(SOURCE_FILE, 2454, MSG_COMMAND_FAILED, pszCommandLine,
                           std::to_string(nExitCode).c_str());
}
