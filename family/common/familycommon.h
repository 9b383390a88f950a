#pragma once
// Small pieces the stand-in libraries share.
#include <windows.h>

#include <string>

// "<Install>\<subdirectory>" of the product when it is registered (created
// when missing), else the Windows temporary directory; no trailing backslash.
std::string ProductDirectory(const char* pszSubdirectory);

// Appends text to the file, creating it when missing. The file is closed
// again at once, so others may read or remove it between calls.
bool AppendToFile(const std::string& path, const std::string& text);

// The value of an environment variable; false when it is not set.
bool GetEnvironmentText(const char* pszName, std::string& value);

// When the environment variable names a file, appends the call's line (and
// CR LF) to it, so a test can see which calls reached a library, and with what.
void NoteCall(const char* pszLogVariable, const std::string& call);
