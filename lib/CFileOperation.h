#pragma once
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "CBase.h"
#include "CRedirectionGuard.h"

#define FILE_MODE_READ 1
#define FILE_MODE_UPDATE 2
#define FILE_MODE_APPEND 3
#define FILE_MODE_WRITE 4
// Written, as a file the run makes its own (CPrivateFile), never one that
// was there before.
#define FILE_MODE_PRIVATE 5

// Reading and writing files on a busy server: every open, read, write and
// removal that fails is retried (count and pause from the product's
// settings), each retry traced. Text is read up to a delimiter through a
// chunk buffer of the configured size.
class CFileOperation : public virtual CBase {
public:
    CFileOperation();
    CFileOperation(const char* pszName, int nMode, int nRedirect);
    ~CFileOperation() override;

    void FileOpen(const char* pszName, int nMode, int nRedirect);
    void FileClose();
    // The next piece up to and including cDelim; 0 at the end of the file.
    int FileReadDelim(std::string& out, char cDelim);
    // The next line with its line end; 0 at the end of the file.
    int FileReadLine(std::string& out);
    void FileWriteByte(const char* pData, int nLength);
    void FileWrite(const std::string& text);
    long long GetFileReadPosition();
    // 0, the error number of the last attempt, or -1 while a file is open.
    int FileNoErrRemove(const char* pszPath);
    // 1, or throws.
    int FileRemove(const char* pszPath);
    long long FileSize(const char* pszPath);

private:
    enum class Attempt { Done, Failed, Stop };

    template <typename Try>
    bool Retry(const char* pszWhat, bool bClearStream, Try attempt);
    void RequireOpenFile(const char* pszFunction);
    void AllocateReadBuffer();
    std::streamsize ReadChunk(bool& bReachedEnd);
    void ResetReading();

    std::fstream m_File;
    std::string m_strFileName;
    int m_nFileMode;
    int m_nReadSize;
    std::string m_strReadBuf;
    std::unique_ptr<char[]> m_pAllocatedBuf;
    char* m_lpDataBuf;
    size_t m_nDelimPos;
    int m_nRtyNum;
    int m_nRtyTime;
    char m_szDefBuf[1024 + 1];
    int m_bChunkPending;
    CRedirectionGuard m_redirection;
};

// "YYYYMMDDhhmmss" of a file time, no time-zone conversion; pszOut holds at
// least 18 characters and is cleared first.
void FileTimeToStamp(const FILETIME* pTime, char* pszOut);
