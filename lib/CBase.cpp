#include "CBase.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "CCheckData.h"
#include "CCommonTrace.h"
#include "CLanguage.h"
#include "CReportException.h"
#include "UniqueHandle.h"
#include "zoratmsg.h"

namespace {

int s_nLanguageMode = -1;

struct ThreadRedirectRecord {
    int nInUse;
    DWORD dwThreadId;
    int nRedirect;
};
ThreadRedirectRecord* s_pRedirectTable = nullptr;
int s_nRedirectCount = 0;

const DWORD LANG_ID_ENGLISH = 0x0409;
const DWORD LANG_ID_JAPANESE = 0x0411;
const char* const NULL_TEXT = "(NULL)";
const char* const MESSAGE_TEMPLATE =
    "Error occured! Error ID=%1!08x!. Source file name=%2 (Line number=%3!d!). "
    "Additional information=(%4,%5,%6,%7,%8).";

// The additional texts packed to the front, "(NULL)" for each absent one.
void PackTexts(const char* const texts[5], const char* packed[5])
{
    int n = 0;
    for (int i = 0; i < 5; ++i)
        if (texts[i]) packed[n++] = texts[i];
    while (n < 5) packed[n++] = NULL_TEXT;
}

// The length of a text of nLength bytes cut to at most nMaximum; a
// double-byte character across the cut goes whole.
size_t WholeLength(const char* pszText, size_t nLength, size_t nMaximum)
{
    if (nLength <= nMaximum) return nLength;
    const bool bLeadAtCut =
        nMaximum > 0 && CBase::IsLeadByteAt(pszText, pszText + nMaximum - 1) == 1;
    return bLeadAtCut ? nMaximum - 1 : nMaximum;
}

// At most the 4096 bytes a message holds, cut as WholeLength cuts.
void CopyText(char* pszTarget, const char* pszSource)
{
    const size_t nLength =
        WholeLength(pszSource, strnlen(pszSource, MESSAGE_BUFFER_SIZE), MESSAGE_BUFFER_SIZE - 1);
    memmove(pszTarget, pszSource, nLength);
    pszTarget[nLength] = '\0';
}

// FormatMessageA into the message buffer. A text longer than the buffer is
// cut rather than lost, so a long insert keeps the identifier and line at the
// front. 0 when the message cannot be formatted.
DWORD FormatCut(char* pszTarget, DWORD dwFlags, LPCVOID pSource, DWORD dwMessageId,
                DWORD dwLanguage, DWORD_PTR* pArgs)
{
    char* pszText = nullptr;
    const DWORD dwLength =
        FormatMessageA(dwFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       pSource, dwMessageId, dwLanguage, reinterpret_cast<char*>(&pszText), 0,
                       reinterpret_cast<va_list*>(pArgs));
    const UniqueLocalMem text(pszText);
    if (dwLength == 0 || !pszText) return 0;
    CopyText(pszTarget, pszText);
    return dwLength;
}

// "<Install>\bin\zoratmsg.dll" of this product; "" when the installation
// directory is not registered as a full path, as a message file searched for
// elsewhere could be anyone's.
std::string MessageFilePath()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kelvane\\Brannoc\\CurrentVersion\\Zorat", 0,
                      KEY_READ, &hKey) != ERROR_SUCCESS)
        return "";
    UniqueHKey key(hKey);
    char szInstall[1025];
    DWORD dwSize = sizeof(szInstall) - 1;
    if (RegQueryValueExA(key.get(), "Install", nullptr, nullptr, reinterpret_cast<BYTE*>(szInstall),
                         &dwSize) != ERROR_SUCCESS)
        return "";
    szInstall[dwSize] = '\0';
    if (!CCheckData::IsAbsolutePath(szInstall)) return "";
    return std::string(szInstall) + "\\bin\\zoratmsg.dll";
}

// The message file, loaded at the first report and kept for the life of the
// process: loading it for every report costs about a millisecond each under
// load. Loaded as data: only its message table is wanted, none of its code
// runs. Null when it could not be loaded; then every report takes the fixed
// template.
HMODULE MessageModule()
{
    static const UniqueModule s_module([] {
        const std::string path = MessageFilePath();
        return path.empty() ? nullptr
                            : LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }());
    return s_module.get();
}

}  // namespace

CBase::CBase() : m_dwProcessId(GetCurrentProcessId()), m_dwThreadId(GetCurrentThreadId())
{
    m_szMessage[0] = m_szInfoText[0] = m_szWarnText[0] = m_szErrText[0] = '\0';
    if (s_nLanguageMode == -1) {
        // Decided once per process. English first, so the objects the check
        // builds do not ask again, and a failing check leaves English.
        s_nLanguageMode = 0;
        CLanguage language;
        s_nLanguageMode = language.IsJapanese();
    }
}

CBase::~CBase() = default;

int CBase::GetLanguageMode() { return s_nLanguageMode; }

const char* CBase::ErrorTrace(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                              const char* s1, const char* s2, const char* s3, const char* s4,
                              const char* s5)
{
    return TraceReport(SEVERITY_ERROR, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
}

const char* CBase::WarningTrace(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                                const char* s1, const char* s2, const char* s3, const char* s4,
                                const char* s5)
{
    return TraceReport(SEVERITY_WARNING, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
}

const char* CBase::InfoTrace(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                             const char* s1, const char* s2, const char* s3, const char* s4,
                             const char* s5)
{
    return TraceReport(SEVERITY_INFO, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
}

const char* CBase::ErrorLog(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                            const char* s1, const char* s2, const char* s3, const char* s4,
                            const char* s5)
{
    return LogReport(SEVERITY_ERROR, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
}

const char* CBase::WarningLog(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                              const char* s1, const char* s2, const char* s3, const char* s4,
                              const char* s5)
{
    return LogReport(SEVERITY_WARNING, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
}

const char* CBase::InfoLog(const char* pszSourcePath, int nLine, DWORD dwMessageId,
                           const char* s1, const char* s2, const char* s3, const char* s4,
                           const char* s5)
{
    return LogReport(SEVERITY_INFO, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
}

void CBase::ThrowError(const char* pszSourcePath, int nLine, DWORD dwMessageId, const char* s1,
                       const char* s2, const char* s3, const char* s4, const char* s5)
{
    throw CReportException(ErrorTrace(pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5));
}

char* CBase::CopyBufferFor(int nSeverity)
{
    switch (nSeverity) {
    case SEVERITY_ERROR: return m_szErrText;
    case SEVERITY_WARNING: return m_szWarnText;
    default: return m_szInfoText;
    }
}

const char* CBase::TraceReport(int nSeverity, const char* pszSourcePath, int nLine,
                               DWORD dwMessageId, const char* s1, const char* s2, const char* s3,
                               const char* s4, const char* s5)
{
    const char* pszName = strrchr(pszSourcePath, '\\');
    pszName = pszName ? pszName + 1 : pszSourcePath;
    FormatErrorMessage(pszName, nLine, dwMessageId, s1, s2, s3, s4, s5);
    char* pszCopy = CopyBufferFor(nSeverity);
    CopyText(pszCopy, m_szMessage);
    OutputToCommonTrace(nSeverity, pszName, nLine, dwMessageId, pszCopy);
    return pszCopy;
}

const char* CBase::LogReport(int nSeverity, const char* pszSourcePath, int nLine,
                             DWORD dwMessageId, const char* s1, const char* s2, const char* s3,
                             const char* s4, const char* s5)
{
    // The texts may live in m_szMessage, which the trace report overwrites.
    const char* const texts[5] = {s1, s2, s3, s4, s5};
    std::string copies[5];
    const char* copied[5] = {};
    for (int i = 0; i < 5; ++i) {
        if (!texts[i]) continue;
        copies[i].assign(texts[i], strnlen(texts[i], MESSAGE_BUFFER_SIZE - 1));
        copied[i] = copies[i].c_str();
    }
    const char* pszText =
        TraceReport(nSeverity, pszSourcePath, nLine, dwMessageId, s1, s2, s3, s4, s5);
    OutputToSystemLog(static_cast<WORD>(nSeverity), pszSourcePath, nLine, dwMessageId, copied[0],
                      copied[1], copied[2], copied[3], copied[4]);
    return pszText;
}

void CBase::OutputToCommonTrace(int nSeverity, const char* pszSourceName, int nLine,
                                DWORD /*dwMessageId*/, const char* pszText)
{
    CCommonTrace* pTrace = CCommonTrace::Current();
    if (!pTrace) return;
    pTrace->Write(nSeverity == SEVERITY_INFO ? QWTRC_LEVEL_INFO : QWTRC_LEVEL_ERROR,
                  pszSourceName, nLine, QWTRC_KIND_TEXT, static_cast<int>(strlen(pszText)),
                  m_dwProcessId, m_dwThreadId, pszText);
}

int CBase::OutputToSystemLog(WORD wType, const char* pszSourcePath, int nLine, DWORD dwEventId,
                             const char* s1, const char* s2, const char* s3, const char* s4,
                             const char* s5)
{
    const char* const texts[5] = {s1, s2, s3, s4, s5};
    const char* strings[7];
    PackTexts(texts, strings);
    char szLine[16];
    snprintf(szLine, sizeof(szLine), "%d", nLine);
    strings[5] = pszSourcePath;
    strings[6] = szLine;

    UniqueEventSource source(RegisterEventSourceA(nullptr, "Zorat"));
    if (!source) return 0;
    return ReportEventA(source.get(), wType, 0, dwEventId, nullptr, 7, 0, strings, nullptr) ? 1
                                                                                           : 0;
}

void CBase::FormatErrorMessage(const char* pszSourceName, int nLine, DWORD dwMessageId,
                               const char* s1, const char* s2, const char* s3, const char* s4,
                               const char* s5)
{
    // Copy the texts first: they may point into m_szMessage.
    const char* const texts[5] = {s1, s2, s3, s4, s5};
    const char* packed[5];
    PackTexts(texts, packed);
    std::string inserts[5];
    DWORD_PTR args[8];
    for (int i = 0; i < 5; ++i) {
        inserts[i] = packed[i];
        args[3 + i] = reinterpret_cast<DWORD_PTR>(inserts[i].c_str());
    }

    DWORD dwLength = 0;
    if (HMODULE hModule = MessageModule()) {
        // A notice is always formatted in English, whatever the installed language.
        DWORD dwLang =
            (dwMessageId != MSG_NOTICE && s_nLanguageMode > 0) ? LANG_ID_JAPANESE : LANG_ID_ENGLISH;
        dwLength = FormatCut(m_szMessage, FORMAT_MESSAGE_FROM_HMODULE, hModule, dwMessageId, dwLang,
                             args + 3);
        if (dwLength == 0 && GetLastError() == ERROR_RESOURCE_LANG_NOT_FOUND)
            dwLength = FormatCut(m_szMessage, FORMAT_MESSAGE_FROM_HMODULE, hModule, dwMessageId,
                                 LANG_ID_ENGLISH, args + 3);
    }
    if (dwLength == 0) {
        args[0] = dwMessageId;
        args[1] = reinterpret_cast<DWORD_PTR>(pszSourceName);
        args[2] = static_cast<DWORD_PTR>(nLine);
        dwLength = FormatCut(m_szMessage, FORMAT_MESSAGE_FROM_STRING, MESSAGE_TEMPLATE, 0, 0, args);
    }
    if (dwLength == 0) CopyText(m_szMessage, "Error occured!!");
}

const char* CBase::GetSystemErrorText(DWORD dwCode)
{
    const DWORD dwFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                          FORMAT_MESSAGE_IGNORE_INSERTS;
    char* pszSystem = nullptr;
    DWORD dwLength =
        FormatMessageA(dwFlags, nullptr, dwCode, s_nLanguageMode > 0 ? LANG_ID_JAPANESE
                                                                     : LANG_ID_ENGLISH,
                       reinterpret_cast<char*>(&pszSystem), 0, nullptr);
    if (dwLength == 0 && GetLastError() == ERROR_RESOURCE_LANG_NOT_FOUND)
        dwLength = FormatMessageA(dwFlags, nullptr, dwCode, LANG_ID_ENGLISH,
                                  reinterpret_cast<char*>(&pszSystem), 0, nullptr);
    UniqueLocalMem systemText(pszSystem);
    if (dwLength == 0 || !pszSystem) {
        snprintf(m_szMessage, MESSAGE_BUFFER_SIZE, "%lu", static_cast<unsigned long>(dwCode));
        return m_szMessage;
    }

    CopyText(m_szMessage, pszSystem);
    size_t nLength = strlen(m_szMessage);
    if (nLength >= 2) m_szMessage[nLength -= 2] = '\0';  // the line end system texts carry

    // The first ideographic full stop decides: only a final one is cut.
    // Walk by characters so a trail byte 0x81 before 'B' is not mistaken.
    for (size_t i = 0; i < nLength; ++i) {
        const BYTE b = static_cast<BYTE>(m_szMessage[i]);
        if (!IsDBCSLeadByte(b) || i + 1 >= nLength) continue;
        if (b == 0x81 && static_cast<BYTE>(m_szMessage[i + 1]) == 0x42) {
            if (i + 2 == nLength) m_szMessage[i] = '\0';
            return m_szMessage;
        }
        ++i;
    }
    if (nLength > 0 && m_szMessage[nLength - 1] == '.') m_szMessage[nLength - 1] = '\0';
    return m_szMessage;
}

int CBase::IsLeadByteAt(const char* pszStart, const char* pszPos)
{
    if (pszPos < pszStart) return 0;
    int nCount = 0;
    for (const char* p = pszPos; IsDBCSLeadByte(static_cast<BYTE>(*p)); --p) {
        ++nCount;
        if (p == pszStart) break;
    }
    return nCount % 2;
}

void CBase::CutWhole(std::string& text, size_t nMaximum)
{
    text.resize(WholeLength(text.c_str(), text.size(), nMaximum));
}

int GetThreadRedirect(DWORD dwThreadId)
{
    for (int i = 0; i < s_nRedirectCount; ++i)
        if (s_pRedirectTable[i].nInUse == 1 && s_pRedirectTable[i].dwThreadId == dwThreadId)
            return s_pRedirectTable[i].nRedirect;
    return 1;
}

int SetThreadRedirect(DWORD dwThreadId, int nState)
{
    for (int i = 0; i < s_nRedirectCount; ++i)
        if (s_pRedirectTable[i].nInUse == 1 && s_pRedirectTable[i].dwThreadId == dwThreadId)
            s_pRedirectTable[i].nRedirect = nState;
    return 1;
}
