#include "CIniFile.h"

#include <windows.h>

#include <io.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CFileLock.h"

namespace {

const int READ_LOCK = 1;
const int WRITE_LOCK = 2;
// A line is read in pieces of at most 512 characters; a longer line counts as
// several lines. Key and value buffers of this size hold whatever the entry
// patterns take from a piece.
const int LINE_SIZE = 513;
// A header longer than a piece still matches nothing when cut to this size.
const int HEADER_SIZE = LINE_SIZE + 2;
const size_t BLOCK_SIZE = 4096;
// The INI path, ".", "~s" and six characters the runtime makes unique.
const size_t TEMP_PATH_SIZE = INIFILE_PATH_MAX + 10;

// Single values: everything after the first "=" is the value.
const char VALUE_PATTERN[] = " %[^\r\n=] = %[^\r\n]";
// Section lists and rewrites: a line whose value begins with "=" is no entry.
const char LIST_PATTERN[] = " %[^\r\n=] = %[^\r\n=]";

IniBlockWriter s_pfnWriteBlock = fwrite;

struct FileCloser {
    void operator()(FILE* fp) const { fclose(fp); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

struct FreeCloser {
    void operator()(char* p) const { free(p); }
};
using UniqueText = std::unique_ptr<char, FreeCloser>;

void CloseStream(FILE*& fp)
{
    if (!fp) return;
    fflush(fp);
    fclose(fp);
    fp = nullptr;
}

// The file lock of one operation, taken on the stream it has open. On leaving,
// by return or by exception, the stream is closed before the lock is given
// back.
class FileAccess {
public:
    FileAccess(FILE*& fp, int nMode, const char* pszPath) : m_fp(fp), m_lock(fp, nMode, pszPath)
    {
    }
    ~FileAccess()
    {
        CloseStream(m_fp);
        m_lock.Unlock();
    }
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;

private:
    FILE*& m_fp;
    CFileLock m_lock;
};

void UpperCase(char* pszText)
{
    for (char* p = pszText; *p; ++p) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
}

// An upper-cased copy of at most n bytes of the text; null when memory is
// short.
UniqueText UpperCopy(const char* pszText, size_t n)
{
    size_t nLength = 0;
    while (nLength < n && pszText[nLength]) ++nLength;
    UniqueText copy(static_cast<char*>(malloc(nLength + 1)));
    if (!copy) return copy;
    memcpy(copy.get(), pszText, nLength);
    copy.get()[nLength] = '\0';
    UpperCase(copy.get());
    return copy;
}

// Orders at most n bytes of both texts case-insensitively, bytes compared
// unsigned; a null text comes before any text. False when memory is short.
bool CompareUpper(const char* psz1, const char* psz2, size_t n, int* pnOrder)
{
    if (!psz1 || !psz2) {
        *pnOrder = (psz1 != nullptr) - (psz2 != nullptr);
        return true;
    }
    UniqueText copy1 = UpperCopy(psz1, n);
    UniqueText copy2 = UpperCopy(psz2, n);
    if (!copy1 || !copy2) return false;
    *pnOrder = strncmp(copy1.get(), copy2.get(), n);
    return true;
}

int HexNumber(const char* pszText)
{
    unsigned int nNumber = 0;
    sscanf(pszText, "%x", &nNumber);
    return static_cast<int>(nNumber);
}

// NUL-terminated texts and a final NUL, put into the caller's buffer as far
// as it holds them.
class TextList {
public:
    TextList(char* pBuffer, unsigned int nSize) : m_pBuffer(pBuffer), m_nSize(nSize)
    {
        if (m_pBuffer && m_nSize > 0) m_pBuffer[0] = '\0';
    }
    void Add(const char* pszText, size_t nLength)
    {
        if (m_nTotal + nLength + 1 < m_nSize) {
            memcpy(m_pBuffer + m_nTotal, pszText, nLength);
            m_pBuffer[m_nTotal + nLength] = '\0';
        } else {
            m_bOverflow = true;
        }
        m_nTotal += nLength + 1;
    }
    // 0 with the list ended, or 5 with the size it needs in *pnSize.
    int Finish(unsigned int* pnSize)
    {
        if (!m_bOverflow && m_nSize >= m_nTotal + 1) {
            m_pBuffer[m_nTotal] = '\0';
            return 0;
        }
        *pnSize = static_cast<unsigned int>(m_nTotal + 1);
        return 5;
    }

private:
    char* m_pBuffer;
    size_t m_nSize;
    size_t m_nTotal = 0;
    bool m_bOverflow = false;
};

// Rewrites the INI file in place from the complete temporary copy. 0 when
// done; 2 when the INI file cannot be truncated (the copy stays); 12 when the
// INI file could be neither rewritten nor replaced.
int CopyBackInPlace(FILE*& ini, const char* pszIniPath, UniqueFile& temp, const char* pszTempPath)
{
    if (_chsize(_fileno(ini), 0) != 0) return 2;
    rewind(ini);
    rewind(temp.get());
    bool bWritten = true;
    char block[BLOCK_SIZE];
    size_t nRead;
    while (bWritten && (nRead = fread(block, 1, sizeof(block), temp.get())) > 0)
        bWritten = s_pfnWriteBlock(block, 1, nRead, ini) == nRead;
    bWritten = bWritten && !ferror(temp.get()) && fflush(ini) == 0;
    temp.reset();
    if (bWritten) {
        remove(pszTempPath);
        return 0;
    }
    // Never leave the INI file cut: the complete copy takes its place.
    CloseStream(ini);
    return MoveFileExA(pszTempPath, pszIniPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 12;
}

// Puts the complete, flushed temporary copy in the INI file's place by one
// rename, so that a writer killed at any moment leaves the INI file whole, old
// or new. Where the INI file cannot be replaced (on Windows while another
// process has it open), it is rewritten in place.
int CopyBack(FILE*& ini, const char* pszIniPath, UniqueFile& temp, const char* pszTempPath)
{
    if (_commit(_fileno(temp.get())) != 0) {
        temp.reset();
        remove(pszTempPath);
        return 12;
    }
    // Neither file may be open here: Windows renames no file that is open
    // without delete sharing.
    temp.reset();
    CloseStream(ini);
    if (MoveFileExA(pszTempPath, pszIniPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    ini = fopen(pszIniPath, "r+");
    temp.reset(fopen(pszTempPath, "r"));
    if (!ini || !temp) {
        temp.reset();
        remove(pszTempPath);
        return 12;
    }
    return CopyBackInPlace(ini, pszIniPath, temp, pszTempPath);
}

}  // namespace

IniBlockWriter SetIniBlockWriter(IniBlockWriter writer)
{
    const IniBlockWriter previous = s_pfnWriteBlock;
    s_pfnWriteBlock = writer;
    return previous;
}

// Line-level work on the INI file that an operation has open.
class CIniFileLines {
public:
    explicit CIniFileLines(CIniFile& ini) : m_ini(ini) {}

    // The next line piece into pszLine (LINE_SIZE bytes); false at the end.
    // Its length counts the bytes after a NUL as well.
    bool NextLine(char* pszLine)
    {
        // fgets gives no count. With the buffer filled with line ends first,
        // the first one in it is either the piece's own last byte, followed
        // by the NUL that fgets ends its text with, or one that fgets did not
        // reach, following that NUL.
        memset(pszLine, '\n', LINE_SIZE);
        if (!fgets(pszLine, LINE_SIZE, m_ini.GetTargetFilePointer())) return false;
        const char* pEnd = static_cast<const char*>(memchr(pszLine, '\n', LINE_SIZE));
        if (!pEnd)
            m_nLength = LINE_SIZE - 1;
        else if (pEnd + 1 < pszLine + LINE_SIZE && pEnd[1] == '\0')
            m_nLength = static_cast<size_t>(pEnd - pszLine) + 1;
        else
            m_nLength = static_cast<size_t>(pEnd - pszLine) - 1;
        return true;
    }

    // Copies the piece last read (in pszLine) whole, the bytes after a NUL
    // included, so that no entry reads differently afterwards.
    void Copy(const char* pszLine, FILE* out)
    {
        fwrite(pszLine, 1, m_nLength, out);
        if (m_nLength > 0) m_bLineOpen = pszLine[m_nLength - 1] != '\n';
    }

    // Whether the piece is a section header as the readers see it.
    static bool StartsSection(const char* pszLine)
    {
        return pszLine[strspn(pszLine, " \t\r\n")] == '[';
    }

    // Drops the blanks and line ends that the piece last read begins with.
    void TrimPieceLeft(char* pszLine)
    {
        const size_t nSkip = strspn(pszLine, " \t\r\n");
        memmove(pszLine, pszLine + nSkip, m_nLength - nSkip + 1);
        m_nLength -= nSkip;
    }

    void Trim(char* pszLine)
    {
        m_ini.TrimLeft(pszLine);
        m_ini.TrimRight(pszLine);
    }

    // Reads up to the section's header, each line left-trimmed; the lines
    // before it go to pCopy when given. True with the header line in pszLine.
    // The header's letter case and what follows its "]" do not matter.
    bool SeekSection(const char* pszSection, char* pszLine, FILE* pCopy = nullptr)
    {
        char szHeader[HEADER_SIZE];
        snprintf(szHeader, sizeof(szHeader), "[%s]", pszSection);
        const int nLength = static_cast<int>(strlen(szHeader));
        while (NextLine(pszLine)) {
            TrimPieceLeft(pszLine);
            if (m_ini.Strnicmp(pszLine, szHeader, nLength) == 0) return true;
            if (pCopy) Copy(pszLine, pCopy);
        }
        return false;
    }

    // The section's next line, trimmed; false at the next header or the end.
    bool NextSectionLine(char* pszLine)
    {
        if (!NextLine(pszLine)) return false;
        Trim(pszLine);
        return pszLine[0] != '[';
    }

    // Hands each section name to add(name, length), in file order.
    template <typename Add>
    void ListSectionNames(Add add)
    {
        char szLine[LINE_SIZE];
        while (NextLine(szLine)) {
            Trim(szLine);
            if (szLine[0] != '[' || szLine[1] == ']') continue;
            const size_t nLength = strcspn(szLine + 1, "]");
            if (nLength > 0) add(szLine + 1, nLength);
        }
    }

    // Copies lines into out with the key's entry set to pszValue, or deleted
    // when pszValue is null, up to and including the line of the change.
    void CopyWithEntry(const char* pszSection, const char* pszKey, const char* pszValue,
                       char* pszLine, FILE* out)
    {
        if (!SeekSection(pszSection, pszLine, out)) {
            if (pszValue) fprintf(EndOpenLine(out), "[%s]\n%s=%s\n", pszSection, pszKey, pszValue);
            return;
        }
        Copy(pszLine, out);
        while (NextLine(pszLine)) {
            // The section ends and the key is found where the readers see it.
            if (StartsSection(pszLine)) {
                if (pszValue) fprintf(out, "%s=%s\n", pszKey, pszValue);
                Copy(pszLine, out);
                return;
            }
            // The key as found keeps its letter case through a set.
            char szKey[LINE_SIZE], szValue[LINE_SIZE];
            if (sscanf(pszLine, LIST_PATTERN, szKey, szValue) >= 1) {
                m_ini.TrimRight(szKey);
                if (m_ini.Stricmp(szKey, pszKey) == 0) {
                    if (pszValue) fprintf(out, "%s=%s\n", szKey, pszValue);
                    return;
                }
            }
            Copy(pszLine, out);
        }
        if (pszValue) fprintf(EndOpenLine(out), "%s=%s\n", pszKey, pszValue);
    }

private:
    // A file whose last line has no line end gets one before anything is
    // appended, or the new text would join that line.
    FILE* EndOpenLine(FILE* out)
    {
        if (m_bLineOpen) fputc('\n', out);
        m_bLineOpen = false;
        return out;
    }

    CIniFile& m_ini;
    size_t m_nLength = 0;
    bool m_bLineOpen = false;
};

CIniFile::CIniFile() : m_szFilePath(), m_fp(nullptr) {}

CIniFile::CIniFile(char* pszPath) : m_szFilePath(), m_fp(nullptr) { SetTargetFileName(pszPath); }

// Every operation closes its file before it returns: nothing to give back.
CIniFile::~CIniFile() = default;

CIniFile& CIniFile::operator=(const CIniFile& other)
{
    if (this != &other) {
        memcpy(m_szFilePath, other.m_szFilePath, sizeof(m_szFilePath));
        m_fp = other.m_fp;
    }
    return *this;
}

int CIniFile::SetTargetFileName(const char* pszPath)
{
    const size_t nLength = strlen(pszPath);
    if (nLength > INIFILE_PATH_MAX) return 10;
    memcpy(m_szFilePath, pszPath, nLength + 1);
    return 0;
}

const char* CIniFile::GetFilePath() { return m_szFilePath; }

int CIniFile::ReadString(const char* pszSection, const char* pszKey, char* pszValue)
{
    if (!ReadOpen()) return 1;
    pszValue[0] = '\0';
    FileAccess access(m_fp, READ_LOCK, m_szFilePath);
    CIniFileLines lines(*this);
    char szLine[LINE_SIZE];
    if (!lines.SeekSection(pszSection, szLine)) return 2;
    while (lines.NextSectionLine(szLine)) {
        char szKey[LINE_SIZE], szValue[LINE_SIZE];
        const int nFields = sscanf(szLine, VALUE_PATTERN, szKey, szValue);
        if (nFields < 1) continue;
        lines.Trim(szKey);
        if (Stricmp(szKey, pszKey) != 0) continue;
        if (nFields == 2) {
            lines.Trim(szValue);
            strcpy(pszValue, szValue);
            return 0;
        }
        // Only "key=" itself is an empty value; "key =" counts as absent.
        const size_t nLength = strlen(szLine);
        if (nLength == strlen(pszKey) + 1 && szLine[nLength - 1] == '=') return 13;
    }
    return 3;
}

int CIniFile::ReadInt(const char* pszSection, const char* pszKey, int* pnValue)
{
    char szText[INIFILE_VALUE_SIZE];
    const int nResult = ReadString(pszSection, pszKey, szText);
    if (nResult != 0) return nResult;
    TrimLeft(szText);
    TrimRight(szText);
    const bool bHex = strncmp(szText, "0x", 2) == 0;
    const char* pszDigits = bHex ? szText + 2 : szText;
    const size_t nDigits = strspn(pszDigits, bHex ? "0123456789abcdefABCDEF" : "0123456789");
    int nNumber = 0;
    if (bHex)
        nNumber = HexNumber(szText);
    else
        sscanf(szText, "%d", &nNumber);
    *pnValue = nNumber;
    return pszDigits[nDigits] == '\0' ? 0 : 9;
}

int CIniFile::ReadIntHex(const char* pszSection, const char* pszKey, int* pnValue)
{
    char szText[INIFILE_VALUE_SIZE];
    const int nResult = ReadString(pszSection, pszKey, szText);
    if (nResult != 0) return nResult;
    *pnValue = HexNumber(szText);
    return 0;
}

int CIniFile::Read(const char* pszSection, const char* pszKey, char* pszValue)
{
    return ReadString(pszSection, pszKey, pszValue);
}

int CIniFile::Read(const char* pszSection, const char* pszKey, int* pnValue)
{
    return ReadInt(pszSection, pszKey, pnValue);
}

int CIniFile::GetProfileSectionX(const char* pszSection, char* pBuffer, unsigned int* pnSize)
{
    if (!ReadOpen()) return 1;
    if (!pBuffer) *pnSize = 0;
    TextList list(pBuffer, *pnSize);
    FileAccess access(m_fp, READ_LOCK, m_szFilePath);
    CIniFileLines lines(*this);
    char szLine[LINE_SIZE];
    if (lines.SeekSection(pszSection, szLine)) {
        while (lines.NextSectionLine(szLine)) {
            char szKey[LINE_SIZE], szValue[LINE_SIZE];
            if (sscanf(szLine, LIST_PATTERN, szKey, szValue) == 2)
                list.Add(szLine, strlen(szLine));
        }
    }
    return list.Finish(pnSize);
}

int CIniFile::GetAllSection(char* pBuffer, unsigned int* pnSize)
{
    if (!ReadOpen()) return 1;
    if (!pBuffer) *pnSize = 0;
    TextList list(pBuffer, *pnSize);
    FileAccess access(m_fp, READ_LOCK, m_szFilePath);
    CIniFileLines(*this).ListSectionNames(
        [&list](const char* pszName, size_t nLength) { list.Add(pszName, nLength); });
    return list.Finish(pnSize);
}

int CIniFile::GetAllSectionList(std::vector<std::string>& names)
{
    if (!ReadOpen()) return 1;
    FileAccess access(m_fp, READ_LOCK, m_szFilePath);
    names.clear();
    CIniFileLines(*this).ListSectionNames(
        [&names](const char* pszName, size_t nLength) { names.emplace_back(pszName, nLength); });
    return 0;
}

int CIniFile::Write(const char* pszSection, const char* pszKey, const char* pszValue)
{
    // A value without a key names no change.
    if (!pszKey && pszValue) return 0;

    // Made unique where it will lie, beside the INI file.
    char szTempPath[TEMP_PATH_SIZE];
    snprintf(szTempPath, sizeof(szTempPath), "%s.%s", m_szFilePath, "~sXXXXXX");
    if (_mktemp_s(szTempPath, sizeof(szTempPath)) != 0) return 4;

    Close();
    if (_access(m_szFilePath, 0) != 0) {
        if (!pszValue) return 0;
        m_fp = fopen(m_szFilePath, "w");
        if (!m_fp) return 12;
        FileAccess access(m_fp, WRITE_LOCK, m_szFilePath);
        fprintf(m_fp, "[%s]\n%s=%s\n", pszSection, pszKey, pszValue);
        return fflush(m_fp) == 0 && !ferror(m_fp) ? 0 : 12;
    }

    m_fp = fopen(m_szFilePath, "r+");
    if (!m_fp) return 1;
    UniqueFile temp(fopen(szTempPath, "w+"));
    if (!temp) {
        Close();
        return 4;
    }
    FileAccess access(m_fp, WRITE_LOCK, m_szFilePath);
    // A writer before this one may have put a new file in place while this
    // one waited: the rewrite starts from what the path names now.
    m_fp = freopen(m_szFilePath, "r+", m_fp);
    if (!m_fp) {
        temp.reset();
        remove(szTempPath);
        return 1;
    }
    CIniFileLines lines(*this);
    char szLine[LINE_SIZE];
    if (pszKey)
        lines.CopyWithEntry(pszSection, pszKey, pszValue, szLine, temp.get());
    else
        WriteWithoutSection(pszSection, szLine, temp.get());
    while (lines.NextLine(szLine)) lines.Copy(szLine, temp.get());

    // The INI file is only touched once its new content is safely on disk.
    if (fflush(temp.get()) != 0 || ferror(temp.get())) {
        temp.reset();
        remove(szTempPath);
        return 12;
    }
    return CopyBack(m_fp, m_szFilePath, temp, szTempPath);
}

int CIniFile::Write(const char* pszSection, const char* pszKey, int nValue)
{
    if (!pszKey && nValue == 0) return Write(pszSection, nullptr, static_cast<const char*>(nullptr));
    char szValue[16];
    snprintf(szValue, sizeof(szValue), "%d", nValue);
    return Write(pszSection, pszKey, szValue);
}

void CIniFile::Close() { CloseStream(m_fp); }

int CIniFile::ReadOpen()
{
    Close();
    m_fp = fopen(m_szFilePath, "r");
    return m_fp ? 1 : 0;
}

FILE* CIniFile::GetTargetFilePointer() { return m_fp; }

int CIniFile::TrimLeft(char* pszText)
{
    const size_t nSkip = strspn(pszText, " \t\r\n");
    if (nSkip > 0) memmove(pszText, pszText + nSkip, strlen(pszText + nSkip) + 1);
    return 0;
}

int CIniFile::TrimRight(char* pszText)
{
    size_t nLength = strlen(pszText);
    while (nLength > 0 && strchr(" \t\r\n", pszText[nLength - 1])) --nLength;
    pszText[nLength] = '\0';
    return 0;
}

void CIniFile::ToUpper(char* pszText) { UpperCase(pszText); }

int CIniFile::Stricmp(const char* psz1, const char* psz2)
{
    int nOrder = 0;
    if (!CompareUpper(psz1, psz2, PTRDIFF_MAX, &nOrder)) return 8;
    return (nOrder > 0) - (nOrder < 0);
}

int CIniFile::Strnicmp(const char* psz1, const char* psz2, int n)
{
    int nOrder = 0;
    return CompareUpper(psz1, psz2, n > 0 ? static_cast<size_t>(n) : 0, &nOrder) ? nOrder : 8;
}

int CIniFile::WriteWithoutSection(const char* pszSection, char* pszLine, FILE* out)
{
    CIniFileLines lines(*this);
    if (!lines.SeekSection(pszSection, pszLine, out)) return 0;
    while (lines.NextLine(pszLine)) {
        if (CIniFileLines::StartsSection(pszLine)) {
            lines.Copy(pszLine, out);
            break;
        }
    }
    return 0;
}
