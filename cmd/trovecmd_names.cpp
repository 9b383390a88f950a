// Log file names: host_second_kind_date[_extra][_short][_last].suffix
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

#include "trovecmd.h"
#include "trovecmd_names.h"
#include "zoratmsg.h"

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;

#ifdef TROVE_RESTORE
const char NAME_SUFFIX[] = ".cln";
#else
const char NAME_SUFFIX[] = ".log";
#endif

// An archived CSV log's date field: the date and three more characters.
const size_t CSV_DATE_FIELD = 11;
const char NOT_THIS_KIND[] = "00000000";

// Characters no file name holds; a listing converted to the code page shows
// a character the code page lacks as "?", or by its nearest fit, which may
// be a separator.
const char NOT_IN_NAMES[] = "\\/:*?\"<>|";

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, whatever follows the
// first dot and with blanks before it.
bool IsDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    for (char& c : stem) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// A name that can stand for one file of its directory and no other place.
bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name.back() == '.' || name.back() == ' ' || IsDeviceName(name))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c) && i + 1 < name.size()) {
            ++i;  // a trail byte may look like a backslash and is none
            continue;
        }
        if (c < 0x20 || c == 0x7f || strchr(NOT_IN_NAMES, c)) return false;
    }
    return true;
}

class LogFileNameParser {
public:
    LogFileNameParser(const std::string& name, const std::string& logKind, CBase& errorRecord)
        : m_name(name), m_bCsv(logKind == "CSV"), m_report(errorRecord)
    {
    }

    LogFileNameFields Parse()
    {
        if (!IsPlainFileName(m_name)) Fail(2170);
        const size_t p1 = Separator(0, 2185);
        m_fields.hostField = Between(std::string::npos, p1);
        const size_t p2 = Separator(p1 + 1, 2197);
        m_fields.secondField = Between(p1, p2);
        // Two on from the second separator: the kind is never empty.
        const size_t p3 = Separator(p2 + 2, 2210);
        m_fields.kindField = Between(p2, p3);

        const size_t p4 = m_name.find('_', p3 + 1);
        if (p4 == std::string::npos) {
            m_fields.dateField = LastDateField(p3);
        } else {
#ifdef TROVE_RESTORE
            if (m_bCsv) {
                m_fields.dateField = CsvDate(p3, p4);
                return m_fields;
            }
#endif
            m_fields.dateField = Between(p3, p4);
            ParseAfterDate(p4);
        }
        return m_fields;
    }

private:
    [[noreturn]] void Fail(int nTag)
    {
        m_report.ThrowError(SOURCE_FILE, nTag, MSG_ERROR_DETAILS, TROVE_PROGRAM_FILE,
                            "Invalid FileName Format", m_name.c_str());
    }

    size_t Separator(size_t nFrom, int nTag)
    {
        const size_t p = m_name.find('_', nFrom);
        if (p == std::string::npos) Fail(nTag);
        return p;
    }

    size_t Suffix(const char* pszSuffix, size_t nFrom, int nTag)
    {
        const size_t s = m_name.find(pszSuffix, nFrom);
        if (s == std::string::npos) Fail(nTag);
        return s;
    }

    // The characters strictly between two positions; npos as the first means
    // from the start.
    std::string Between(size_t nAfter, size_t nBefore) const
    {
        const size_t nStart = nAfter == std::string::npos ? 0 : nAfter + 1;
        return m_name.substr(nStart, nBefore - nStart);
    }

    // An archived CSV name carries an 11-character date field; any other
    // length marks an archived LOG file.
    std::string CsvDate(size_t p3, size_t nEnd) const
    {
        return nEnd == p3 + 1 + CSV_DATE_FIELD ? m_name.substr(p3 + 1, 8) : NOT_THIS_KIND;
    }

    // The date is the last field before the suffix.
    std::string LastDateField(size_t p3)
    {
#ifdef TROVE_RESTORE
        if (m_bCsv) return CsvDate(p3, Suffix(NAME_SUFFIX, p3 + 1, 2241));
        const size_t s = Suffix(NAME_SUFFIX, p3 + 1, 2266);
        return s == p3 + 1 + CSV_DATE_FIELD ? NOT_THIS_KIND : Between(p3, s);
#else
        if (!m_bCsv) return Between(p3, Suffix(".log", p3 + 1, 2266));
        // A collected CSV name: the date and three more characters. A field
        // too short for that holds no date.
        const std::string field = Between(p3, Suffix(".csv", p3 + 1, 2230));
        return field.size() < 3 ? std::string() : field.substr(0, field.size() - 3);
#endif
    }

    // Extra (kind "B"), short and last fields after the date.
    void ParseAfterDate(size_t p4)
    {
        const bool bKindB = m_fields.kindField == "B";
        if (bKindB) {
            const size_t q = p4 + 1;
            const size_t p5 = m_name.find('_', q);
            if (p5 == std::string::npos) {
                m_fields.extraField = Between(p4, Suffix(NAME_SUFFIX, q, 2322));
                return;
            }
            m_fields.extraField = Between(p4, p5);
            p4 = p5;
        }
        const size_t r = p4 + 1;
        const size_t p6 = m_name.find('_', r);
        if (p6 == std::string::npos) {
            const size_t s = Suffix(NAME_SUFFIX, r, 2347);
            const size_t nShortLength = bKindB ? 4 : 2;
            (s - r == nShortLength ? m_fields.shortField : m_fields.lastField) = Between(p4, s);
            return;
        }
        m_fields.shortField = Between(p4, p6);
        m_fields.lastField = Between(p6, Suffix(NAME_SUFFIX, p6 + 1, 2375));
    }

    const std::string& m_name;
    const bool m_bCsv;
    CBase& m_report;
    LogFileNameFields m_fields;
};

}  // namespace

size_t FindNameSuffix(const std::string& name, const char* pszSuffix)
{
    // The separators as the parse finds them: the kind is never empty.
    const size_t p1 = name.find('_');
    const size_t p2 = p1 == std::string::npos ? p1 : name.find('_', p1 + 1);
    const size_t p3 = p2 == std::string::npos ? p2 : name.find('_', p2 + 2);
    return p3 == std::string::npos ? p3 : name.find(pszSuffix, p3 + 1);
}

LogFileNameFields ParseLogFileName(const std::string& name, const std::string& logKind,
                                   CBase& errorRecord)
{
    return LogFileNameParser(name, logKind, errorRecord).Parse();
}

std::wstring FoldedName(const std::string& name)
{
    const int nLength =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring folded(static_cast<size_t>(nLength), L'\0');
    if (nLength > 0) {
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &folded[0],
                            nLength);
        CharUpperBuffW(&folded[0], static_cast<DWORD>(nLength));
    }
    return folded;
}
