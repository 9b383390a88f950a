#pragma once
#include "CBase.h"
#include "CCheckData.h"
#include "UniqueHandle.h"
#include "nodeapi.h"

// The name of this computer: from the product family's host-name library,
// else from Windows Sockets.
class CInfoCtl : public virtual CBase, public CCheckData {
public:
    CInfoCtl();
    ~CInfoCtl() override = default;

    void AcquireHostName();
    // *pdwSize: the capacity on entry, the name's length on return.
    void GetOwnHostName(char* pszBuffer, DWORD* pdwSize);

private:
    int AskHostNameLibrary();
    void AskWindowsSockets();

    char m_szHostName[NODEAPI_HOSTNAME_SIZE];
    UniqueModule m_hNodeApi;
};
