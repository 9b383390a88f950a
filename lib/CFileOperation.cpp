#include "CFileOperation.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "CCheckData.h"
#include "CPrivateFile.h"
#include "CProductInfo.h"
#include "CReportException.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

namespace {

const char SOURCE_FILE[] = "..\\..\\src\\CFileOperation";
const int FALLBACK_READ_SIZE = 1024;

std::ios::openmode OpenFlags(int nMode)
{
    switch (nMode) {
    case FILE_MODE_READ: return std::ios::in | std::ios::binary;
    case FILE_MODE_UPDATE: return std::ios::in | std::ios::out | std::ios::binary;
    case FILE_MODE_APPEND: return std::ios::out | std::ios::app | std::ios::binary;
    default: return std::ios::out | std::ios::trunc | std::ios::binary;
    }
}

}  // namespace

CFileOperation::CFileOperation()
    : m_nFileMode(0), m_nReadSize(0), m_lpDataBuf(nullptr), m_nDelimPos(0), m_nRtyNum(0),
      m_nRtyTime(0), m_szDefBuf(), m_bChunkPending(0)
{
    m_nReadSize = CProductInfo(PRODUCT_ZORAT).GetFileReadSize();
    AllocateReadBuffer();
}

CFileOperation::CFileOperation(const char* pszName, int nMode, int nRedirect) : CFileOperation()
{
    FileOpen(pszName, nMode, nRedirect);
}

CFileOperation::~CFileOperation() { FileClose(); }

void CFileOperation::AllocateReadBuffer()
{
    // A chunk of no bytes would never reach the end of the file.
    if (m_nReadSize < 1) {
        m_nReadSize = FALLBACK_READ_SIZE;
        m_lpDataBuf = m_szDefBuf;
        return;
    }
    m_pAllocatedBuf.reset(new (std::nothrow) char[static_cast<size_t>(m_nReadSize) + 1]);
    if (m_pAllocatedBuf) {
        m_lpDataBuf = m_pAllocatedBuf.get();
        return;
    }
    const std::string size = std::to_string(static_cast<long long>(m_nReadSize) + 1);
    ErrorTrace(SOURCE_FILE, __LINE__, MSG_OUT_OF_MEMORY, "m_lpDataBuf", size.c_str(),
               strerror(ENOMEM));
    m_nReadSize = FALLBACK_READ_SIZE;
    m_lpDataBuf = m_szDefBuf;
}

// After a failed attempt, up to m_nRtyNum further attempts, m_nRtyTime
// seconds apart, each traced. True when one of them succeeded.
template <typename Try>
bool CFileOperation::Retry(const char* pszWhat, bool bClearStream, Try attempt)
{
    for (int i = 0; i < m_nRtyNum; ++i) {
        if (bClearStream) m_File.clear();
        Sleep(static_cast<DWORD>(m_nRtyTime > 0 ? m_nRtyTime : 0) * 1000);
        InfoTrace(SOURCE_FILE, __LINE__, MSG_FILE_RETRY, pszWhat);
        const Attempt result = attempt();
        if (result == Attempt::Done) {
            InfoTrace(SOURCE_FILE, __LINE__, MSG_FUNCTION_EXIT, pszWhat);
            return true;
        }
        if (result == Attempt::Stop) return false;
    }
    return false;
}

void CFileOperation::RequireOpenFile(const char* pszFunction)
{
    if (m_nFileMode == 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, pszFunction, m_strFileName.c_str(),
                   "FileMode is null");
}

void CFileOperation::FileOpen(const char* pszName, int nMode, int nRedirect)
{
    if (!pszName)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CFileOperation()",
                   "FileName is null");
    if (!*pszName)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CFileOperation()",
                   "*FileName is null");
    if (nRedirect == 1 && CCheckData().IsSystem32Path(pszName))
        m_redirection.SwitchOff(GetObjThreadID());

    m_strFileName = pszName;
    m_nFileMode = nMode;
    if (nMode < FILE_MODE_READ || nMode > FILE_MODE_PRIVATE) {
        m_nFileMode = 0;
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "CFileOperation()", pszName,
                   "The FileMode value is outside range", std::to_string(nMode).c_str());
    }
    CProductInfo info(PRODUCT_ZORAT);
    m_nRtyNum = info.GetFileRtyNum();
    m_nRtyTime = info.GetFileRtyTime();

    const std::ios::openmode flags = OpenFlags(nMode);
    const auto open = [&] {
        if (nMode == FILE_MODE_PRIVATE &&
            !UniqueFileHandle(CPrivateFile::Create(pszName, FILE_SHARE_READ | FILE_SHARE_WRITE))) {
            m_File.setstate(std::ios::failbit);
            return;
        }
        m_File.open(pszName, flags);
    };
    open();
    if (m_File.fail() && !Retry("file opening retry", true, [&] {
            open();
            return m_File.fail() ? Attempt::Failed : Attempt::Done;
        })) {
        m_nFileMode = 0;
        ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_OPEN_FAILED, pszName);
    }
}

void CFileOperation::ResetReading()
{
    m_strReadBuf.clear();
    m_nDelimPos = 0;
    m_bChunkPending = 0;
}

void CFileOperation::FileClose()
{
    // Not switched back: the file stays open, as the caller may try again.
    if (!m_redirection.TrySwitchOn()) return;
    if (m_File.is_open()) m_File.close();
    m_nFileMode = 0;
    m_File.clear();
    ResetReading();
}

int CFileOperation::FileReadLine(std::string& out)
{
    RequireOpenFile("FileReadLine()");
    return FileReadDelim(out, '\n');
}

// One chunk into m_strReadBuf (as text: up to its first NUL). Returns the
// bytes read; bReachedEnd tells whether the end of the file was met.
std::streamsize CFileOperation::ReadChunk(bool& bReachedEnd)
{
    const long long nPosition = GetFileReadPosition();
    m_File.read(m_lpDataBuf, m_nReadSize);
    std::streamsize nRead = m_File.gcount();
    if (m_File.fail() && !m_File.eof()) {
        const bool bRetried = Retry("file reading retry", true, [&] {
            m_File.seekg(nPosition);
            m_File.read(m_lpDataBuf, m_nReadSize);
            nRead = m_File.gcount();
            if (m_File.eof()) return nRead == 0 ? Attempt::Stop : Attempt::Done;
            return m_File.fail() ? Attempt::Failed : Attempt::Done;
        });
        if (!bRetried && m_File.fail() && !m_File.eof())
            ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_READ_FAILED, m_strFileName.c_str());
    }
    bReachedEnd = m_File.eof();
    m_lpDataBuf[nRead] = '\0';
    m_strReadBuf = m_lpDataBuf;
    return nRead;
}

int CFileOperation::FileReadDelim(std::string& out, char cDelim)
{
    RequireOpenFile("FileReadDelim()");
    out.clear();
    bool bCarried = false;

    if (m_bChunkPending == 1) {
        const size_t nStart = m_nDelimPos + 1;
        const size_t nFound = m_strReadBuf.find(cDelim, nStart);
        if (nFound != std::string::npos) {
            out.assign(m_strReadBuf, nStart, nFound + 1 - nStart);
            m_nDelimPos = nFound;
            return static_cast<int>(out.size());
        }
        if (m_File.eof()) {
            if (nStart >= m_strReadBuf.size()) {
                ResetReading();
                return 0;
            }
            out.assign(m_strReadBuf, nStart, std::string::npos);  // a last line without end
            m_nDelimPos = m_strReadBuf.size() - 1;
            return static_cast<int>(out.size());
        }
        if (nStart < m_strReadBuf.size()) out.assign(m_strReadBuf, nStart, std::string::npos);
        m_nDelimPos = 0;
        bCarried = true;
    }

    m_bChunkPending = 1;
    while (!m_File.eof()) {
        bool bReachedEnd = false;
        const std::streamsize nRead = ReadChunk(bReachedEnd);
        if (bReachedEnd && nRead == 0) {
            const int nCount = bCarried ? static_cast<int>(out.size()) : 0;
            ResetReading();
            return nCount;
        }
        const size_t nFound = m_strReadBuf.find(cDelim);
        if (nFound != std::string::npos) {
            out.append(m_strReadBuf, 0, nFound + 1);
            m_nDelimPos = nFound;
            return static_cast<int>(out.size());
        }
        out += m_strReadBuf;
        m_nDelimPos = 0;
        if (bReachedEnd) m_bChunkPending = 0;
    }
    return static_cast<int>(out.size());
}

void CFileOperation::FileWriteByte(const char* pData, int nLength)
{
    RequireOpenFile("FileWriteByte()");
    // Flushed with every write, so a failing disk shows here and not at a
    // close that nobody checks.
    auto write = [&] {
        m_File.write(pData, nLength);
        m_File.flush();
        return m_File.fail() ? Attempt::Failed : Attempt::Done;
    };
    if (write() == Attempt::Done || Retry("file writing retry", true, write)) return;

    const std::string text(pData, static_cast<size_t>(nLength > 0 ? nLength : 0));
    InfoTrace(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "File write error!!!", text.c_str(),
              std::to_string(nLength).c_str());
    ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_WRITE_FAILED, m_strFileName.c_str());
}

void CFileOperation::FileWrite(const std::string& text)
{
    RequireOpenFile("FileWrite()");
    FileWriteByte(text.data(), static_cast<int>(text.size()));
}

long long CFileOperation::GetFileReadPosition()
{
    RequireOpenFile("GetFileReadPosition()");
    const long long nPosition = static_cast<long long>(m_File.tellg());
    if (m_File.fail() && !m_File.eof())
        ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_POSITION_FAILED, m_strFileName.c_str());
    return nPosition;
}

int CFileOperation::FileNoErrRemove(const char* pszPath)
{
    if (m_nFileMode != 0) {
        ErrorTrace(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "FileNoErrRemove()",
                   m_strFileName.c_str(), "FileMode is not null",
                   std::to_string(m_nFileMode).c_str());
        return -1;
    }
    int nError = 0;
    auto remove = [&] {
        nError = ::remove(pszPath) == 0 ? 0 : errno;
        return nError == 0 ? Attempt::Done : Attempt::Failed;
    };
    if (remove() == Attempt::Failed) Retry("file removing retry", false, remove);
    return nError;
}

int CFileOperation::FileRemove(const char* pszPath)
{
    if (m_nFileMode != 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_ERROR_DETAILS, "FileRemove()", m_strFileName.c_str(),
                   "FileMode is not null", std::to_string(m_nFileMode).c_str());
    const int nError = FileNoErrRemove(pszPath);
    if (nError != 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_REMOVE_FAILED, pszPath, strerror(nError));
    return 1;
}

long long CFileOperation::FileSize(const char* pszPath)
{
    CRedirectionGuard redirection;
    if (CCheckData().IsSystem32Path(pszPath) == 1) redirection.SwitchOff(GetObjThreadID());
    struct _stat64 status;
    const int nResult = _stat64(pszPath, &status);
    const int nErrno = errno;
    redirection.SwitchOn();
    if (nResult != 0)
        ThrowError(SOURCE_FILE, __LINE__, MSG_FILE_STATUS_FAILED, pszPath, strerror(nErrno));
    return status.st_size;
}

void FileTimeToStamp(const FILETIME* pTime, char* pszOut)
{
    memset(pszOut, 0, 18);
    SYSTEMTIME st = {};
    FileTimeToSystemTime(pTime, &st);
    snprintf(pszOut, 15, "%d%02d%02d%02d%02d%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond);
}
