#pragma once
#include <cstdio>
#include <string>
#include <vector>

// Other modules of the product bind to this class by its decorated names, so
// every program that links it exports the whole class.
#define INIFILE_EXPORT __declspec(dllexport)

#define INIFILE_PATH_MAX 513   // characters of an INI file's path
#define INIFILE_VALUE_SIZE 513 // a value buffer: a line piece and its terminator

// Reads and writes sectioned key=value text files. Every access to the file is
// serialised across processes by its file lock. Reports nothing: the methods
// answer numeric codes.
//   0 success                          5 buffer too small, size stored
//   1 the file cannot be opened        8 no memory for a comparison
//   2 section not found (reading);     9 the value is not a number
//     the file cannot be truncated    10 path longer than 513 characters
//     (writing)                       12 a new file cannot be created, or
//   3 key not found in the section       the rewrite failed
//   4 no temporary file for a rewrite 13 the key is present as "key="
class INIFILE_EXPORT CIniFile {
public:
    CIniFile();
    // A path that is too long leaves the path empty.
    CIniFile(char* pszPath);
    // Defined out of line: other modules bind to the exported destructor.
    ~CIniFile();  // NOLINT(performance-trivially-destructible)
    CIniFile& operator=(const CIniFile& other);

    int SetTargetFileName(const char* pszPath);
    const char* GetFilePath();

    // pszValue must hold INIFILE_VALUE_SIZE characters.
    int ReadString(const char* pszSection, const char* pszKey, char* pszValue);
    // Decimal digits, or "0x" and hexadecimal digits; 9 otherwise, with the
    // number of what converted stored all the same.
    int ReadInt(const char* pszSection, const char* pszKey, int* pnValue);
    int ReadIntHex(const char* pszSection, const char* pszKey, int* pnValue);
    int Read(const char* pszSection, const char* pszKey, char* pszValue);
    int Read(const char* pszSection, const char* pszKey, int* pnValue);

    // The section's entry lines, each with its NUL, and a final NUL. A null
    // buffer asks for the size.
    int GetProfileSectionX(const char* pszSection, char* pBuffer, unsigned int* pnSize);
    // The names of all sections, in file order, listed the same way.
    int GetAllSection(char* pBuffer, unsigned int* pnSize);
    int GetAllSectionList(std::vector<std::string>& names);

    // Key and value: set the entry. Value null: delete the entry. Key null:
    // delete the section.
    int Write(const char* pszSection, const char* pszKey, const char* pszValue);
    // A null key with the value 0 deletes the section; otherwise the value is
    // written in decimal.
    int Write(const char* pszSection, const char* pszKey, int nValue);

private:
    friend class CIniFileLines;

    void Close();
    int ReadOpen();
    FILE* GetTargetFilePointer();
    int TrimLeft(char* pszText);
    int TrimRight(char* pszText);
    void ToUpper(char* pszText);
    int Stricmp(const char* psz1, const char* psz2);
    int Strnicmp(const char* psz1, const char* psz2, int n);
    int WriteWithoutSection(const char* pszSection, char* pszLine, FILE* out);

    char m_szFilePath[INIFILE_PATH_MAX + 3];
    FILE* m_fp;
};

// How a rewrite writes its blocks back into the INI file in place, which it
// does only where the INI file cannot be replaced by its new copy (fwrite
// unless a test puts a failing or slow writer in place). Returns the writer it
// replaces.
using IniBlockWriter = size_t (*)(const void* pData, size_t nSize, size_t nCount, FILE* fp);
IniBlockWriter SetIniBlockWriter(IniBlockWriter writer);
