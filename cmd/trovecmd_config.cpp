// Configuration, directories and the archive storage commands: the part of
// the command core that reads settings and runs the tools.
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
#include "UniqueHandle.h"
#include "trovecmd_config.h"
#include "trovecmd_names.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;
const char AGENT_CONFIGURATION[] = "\\Brannoc.dm\\quend\\data\\etc\\quendconf.ini";
const char ARKSTORE_KEY[] = "SOFTWARE\\Kelvane\\Install\\Arkstore";

const size_t MAX_FAILURE_TEXT = 4096;

// The path made full (".", "..", trailing dots and blanks resolved), then as
// its long names give it.
std::string FullLongName(const char* pszPath)
{
    char szFull[DIR_BUFFER_SIZE] = {};
    const DWORD dwLength = GetFullPathNameA(pszPath, sizeof(szFull), szFull, nullptr);
    const bool bFull = dwLength > 0 && dwLength < sizeof(szFull);
    char szLong[DIR_BUFFER_SIZE] = {};
    unsigned int nSize = sizeof(szLong);
    CConvertData().ConvertLongName(bFull ? szFull : pszPath, szLong, &nSize);
    return szLong;
}

// Where an existing directory really lies, junctions and links followed; ""
// when that cannot be told.
std::string FinalPath(const std::string& directory)
{
    const UniqueFileHandle handle(
        CreateFileA(directory.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return "";
    char szFinal[DIR_BUFFER_SIZE] = {};
    const DWORD dwLength =
        GetFinalPathNameByHandleA(handle.get(), szFinal, sizeof(szFinal), FILE_NAME_NORMALIZED);
    return dwLength > 0 && dwLength < sizeof(szFinal) ? szFinal : "";
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
    const std::string optionDir = FullLongName(pszOptionDir);
    const bool bProtectedExists =
        CCheckData().CheckFileExist(pszProtectedDir, CHECK_MODE_DIRECTORY) == 1;
    const std::string protectedDir = bProtectedExists
                                         ? FullLongName(pszProtectedDir)
                                         : std::string(pszProtectedDir).substr(0, DIR_BUFFER_SIZE);
    bool bSame = FoldedName(protectedDir) == FoldedName(optionDir);
    if (!bSame && bProtectedExists) {
        const std::string protectedFinal = FinalPath(protectedDir);
        bSame = !protectedFinal.empty() &&
                FoldedName(protectedFinal) == FoldedName(FinalPath(optionDir));
    }
    if (bSame)
        errorRecord.ThrowError(SOURCE_FILE, 2126, MSG_OPTION_VALUE_INVALID, "-D", pszOptionDir);
}

void GetArchiveToolDir(char* pszBuffer, DWORD dwBufferSize)
{
    memset(pszBuffer, 0, dwBufferSize);
    DWORD dwSize = dwBufferSize;
    CRegistry(ARKSTORE_KEY, nullptr, REG_ACCESS_READ)
        .ReadRegPathVal("Directory", pszBuffer, &dwSize);
}

void RunArchiveCommand(const char* pszCommandLine, CBase& errorRecord, const char* pszCaptureFile)
{
    const int nExitCode = CCmdExecuteEx(pszCommandLine).WaitAndRead();
    // Only 0 is success: a negative code, an exception status or a C
    // program's exit(-1), is no word that the copy was made.
    if (nExitCode == 0) return;

    // The tool's own first line says best what went wrong; a blank one says
    // nothing, so it counts as no output.
    const std::string failure = FirstCapturedLine(pszCaptureFile);
    if (!failure.empty()) throw CReportException(failure.c_str());
    errorRecord.ThrowError(SOURCE_FILE, 2454, MSG_COMMAND_FAILED, pszCommandLine,
                           std::to_string(nExitCode).c_str());
}
