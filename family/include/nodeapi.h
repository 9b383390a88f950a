#pragma once
// nodeapi.dll, the product family's host-name library, loaded at run time
// from "<DM PathName>\Brannoc.DM\bin".
#include <windows.h>

#define NODEAPI_HOSTNAME_SIZE 129

// Fills pszHostName (NODEAPI_HOSTNAME_SIZE bytes) with this computer's name.
// Answers 0 on success; otherwise *pnDetail tells more.
typedef int(WINAPI* NdGetHostnameFn)(char* pszHostName, int* pnDetail);
