#pragma once
// Configuration and directories of the command core, and running an archive
// storage command.
#include <windows.h>

#include <string>

#include "CBase.h"
#include "trovecmd.h"

class CIniFile;

// SAVE_DIR of the manager definition file: the save directory of the
// collected logs. Throws when it is missing or empty, or unreadable.
int ReadSaveDir(char* pszBuffer, CIniFile& iniFile, CBase& errorRecord);

// NormalizeDir of the agent's configuration file: the directory of the
// normalized logs. Only CSV runs need it; for LOG runs a missing value leaves
// the buffer as it was.
void ReadNormalizeDir(char* pszBuffer, const std::string& logKind, CBase& errorRecord);

// Refuses an option directory that names the protected directory, also
// through short names or in other letter case. The report names "-D" in both
// programs.
void CheckNotSameDir(const char* pszProtectedDir, const char* pszOptionDir, CBase& errorRecord);

// The archive storage software's installation directory, from the registry.
void GetArchiveToolDir(char* pszBuffer, DWORD dwBufferSize);

// Runs one archive storage command whose line ends in " 2> " and the capture
// file, and throws the tool's first output line when it fails.
void RunArchiveCommand(const char* pszCommandLine, CBase& errorRecord, const char* pszCaptureFile);
