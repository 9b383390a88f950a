#pragma once
// qwacl.dll, the product family's access-rights library, loaded at run time
// from "<DM PathName>\Brannoc\bin".
#include <windows.h>

#define QWACL_KIND_GRANT 3        // each entry grants its mask
#define QWACL_FULL_ACCESS 0x1F01FF

// Grants each named account its access mask on the file or directory.
// pReserved: one null entry per account. bInherit: directories pass the
// entries on to what they hold. bKeep: the entries already there stay.
// bFollow: reserved, 1. Answers nonzero on success; on failure the last error
// says why, 3 (ERROR_PATH_NOT_FOUND) when the volume keeps no access lists.
typedef int(WINAPI* QwAclSetAccessRightsFn)(const char* pszPath, int nAccounts,
                                            void* const* pReserved,
                                            const char* const* ppszAccounts, const int* pnKinds,
                                            const DWORD* pdwMasks, int bInherit, int bKeep,
                                            int bFollow);
