#include "trovecmd.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "CCheckData.h"
#include "CDateTime.h"
#include "zoratmsg.h"

#ifdef TROVE_RESTORE
const char TROVE_PROGRAM_FILE[] = "troveload.exe";
const char TROVE_MODULE[] = "trovers";
#else
const char TROVE_PROGRAM_FILE[] = "trovesave.exe";
const char TROVE_MODULE[] = "trovesv";
#endif
const char TROVECMD_SOURCE[] = "..\\..\\src\\trovecmd";

namespace {

const char* const SOURCE_FILE = TROVECMD_SOURCE;

#ifdef TROVE_RESTORE
const int MAX_ARGUMENTS = 16;
#else
const int MAX_ARGUMENTS = 12;
#endif

// Line tags of the checks of one directory option (-D or -R).
struct DirectoryTags {
    int nTrailingBackslash;
    int nForm;
    int nLength;
    int nExists;
};

class CommandLineParser {
public:
    CommandLineParser(CommandOptions& options, CBase& errorRecord)
        : m_options(options), m_report(errorRecord)
    {
    }

    void Parse(int argc, char** argv)
    {
        CheckCount(argc);
        for (const auto& pair : CollectPairs(argc, argv)) CheckPair(pair.first, pair.second);
        CheckCombinations();
    }

private:
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    [[noreturn]] void Fail(int nTag, DWORD dwMessageId, const std::string& s1,
                           const char* s2 = nullptr, const char* s3 = nullptr)
    {
        m_report.ThrowError(SOURCE_FILE, nTag, dwMessageId, s1.c_str(), s2, s3);
    }
    [[noreturn]] void FailValue(int nTag, const std::string& option, const std::string& value)
    {
        Fail(nTag, MSG_OPTION_VALUE_INVALID, option, value.c_str());
    }
    [[noreturn]] void FailLength(int nTag, const std::string& option, int nMaximum,
                                 const std::string& value)
    {
        const std::string maximum = std::to_string(nMaximum);
        const std::string length = std::to_string(value.size());
        Fail(nTag, MSG_OPTION_VALUE_LENGTH, option, maximum.c_str(), length.c_str());
    }

    void CheckCount(int argc)
    {
        if (argc - 1 > MAX_ARGUMENTS)
            Fail(1498, MSG_TOO_MANY_ARGUMENTS, std::to_string(argc - 1));
    }

    Pairs CollectPairs(int argc, char** argv)
    {
        Pairs pairs;
        for (int i = 1; i < argc; i += 2) {
            const std::string option = argv[i];
            if (option[0] != '-') Fail(1513, MSG_OPTION_ERROR, option);
            if (i + 1 >= argc) Fail(1523, MSG_OPTION_ERROR, option);
            const std::string value = argv[i + 1];
            if (value[0] == '-') FailValue(1532, option, value);
            pairs.emplace_back(option, value);
        }
        return pairs;
    }

    // Each option once; the second occurrence is refused before its value is
    // looked at.
    void CheckDuplicate(const std::string& option, int nTag)
    {
        if (!m_given.insert(option).second) Fail(nTag, MSG_OPTION_DUPLICATE, option);
    }

    void CheckPair(const std::string& option, const std::string& value)
    {
        if (option == "-H") {
            CheckDuplicate(option, 1565);
            if (!CCheckData::CheckLength(value.c_str(), 1, 128)) FailLength(1572, option, 128, value);
            if (!CCheckData::IsValidName(value.c_str())) FailValue(1582, option, value);
            m_options.hostName = value;
        } else if (option == "-A") {
            CheckDuplicate(option, 1597);
            if (!CCheckData::CheckLength(value.c_str(), 1, 80)) FailLength(1604, option, 80, value);
            if (!CCheckData::IsAlnumHyphen(value.c_str())) FailValue(1614, option, value);
            m_options.secondName = value;
        } else if (option == "-F") {
            CheckDuplicate(option, 1629);
            CheckDays(option, value, 1636, 1645);
            m_options.fromDays = value;
        } else if (option == "-T") {
            CheckDuplicate(option, 1659);
            CheckDays(option, value, 1666, 1675);
            m_options.toDays = value;
        } else if (option == "-B") {
            CheckDuplicate(option, 1689);
            CheckDate(option, value);
            m_options.logDate = value;
        } else if (option == "-D") {
            CheckDuplicate(option, 1769);
            CheckDirectory(option, value, {1781, 1822, 1805, 1814});
            m_options.archiveDir = value;
#ifdef TROVE_RESTORE
        } else if (option == "-R") {
            CheckDuplicate(option, 1838);
            CheckDirectory(option, value, {1850, 1891, 1874, 1883});
            m_options.restoreDir = value;
        } else if (option == "-G") {
            CheckDuplicate(option, 1906);
            if (value != "ALL" && value != "LAST") FailValue(1916, option, value);
            m_options.generation = value;
#endif
        } else if (option == "-L") {
            CheckDuplicate(option, 1934);
            if (value != "LOG" && value != "CSV") FailValue(1944, option, value);
            m_options.logKind = value;
        } else {
            Fail(1958, MSG_OPTION_ERROR, option);
        }
    }

    void CheckDays(const std::string& option, const std::string& value, int nDigitsTag,
                   int nPositiveTag)
    {
        if (!CCheckData::IsNumeric(value.c_str())) FailValue(nDigitsTag, option, value);
        if (Decimal(value) <= 0) FailValue(nPositiveTag, option, value);
    }

    void CheckDate(const std::string& option, const std::string& value)
    {
        if (value.size() != 8) FailValue(1696, option, value);
        char szNow[STAMP_BUFFER_SIZE];
        CDateTime().NowDateTime(szNow, sizeof(szNow));
        if (value.compare(0, 8, szNow, 8) >= 0) FailValue(1713, option, value);
        if (!CCheckData::IsNumeric(value.c_str())) FailValue(1722, option, value);
        if (!CCheckData::CheckRange(atoi(value.substr(4, 2).c_str()), 1, 12))
            FailValue(1739, option, value);
        if (!CCheckData::CheckRange(atoi(value.substr(6, 2).c_str()), 1, 31))
            FailValue(1754, option, value);
    }

    void CheckDirectory(const std::string& option, const std::string& value,
                        const DirectoryTags& tags)
    {
        const char* pszValue = value.c_str();
        const size_t nLength = value.size();
        // A trailing 0x5C that is the second byte of a double-byte character
        // is no backslash.
        if (nLength > 0 && pszValue[nLength - 1] == '\\' &&
            !(nLength > 1 && CBase::IsLeadByteAt(pszValue, pszValue + nLength - 2) == 1))
            FailValue(tags.nTrailingBackslash, option, value);
        const unsigned char cDrive = static_cast<unsigned char>(pszValue[0]);
        const bool bDriveLetter = (cDrive >= 'A' && cDrive <= 'Z') || (cDrive >= 'a' && cDrive <= 'z');
        if (nLength < 3 || !bDriveLetter || pszValue[1] != ':' || pszValue[2] != '\\')
            FailValue(tags.nForm, option, value);
        if (!CCheckData::CheckLength(pszValue, 4, 80)) FailLength(tags.nLength, option, 80, value);
        if (!m_check.CheckFileExist(pszValue, CHECK_MODE_DIRECTORY))
            FailValue(tags.nExists, option, value);
    }

    void CheckCombinations()
    {
        if (!Given("-D")) Fail(1969, MSG_OPTION_ERROR, "-D");
#ifdef TROVE_RESTORE
        if (!Given("-R")) Fail(1978, MSG_OPTION_ERROR, "-R");
#endif
        if (Given("-F")) {
            if (!Given("-T")) Fail(1988, MSG_OPTION_ERROR, "-F");
            if (Decimal(m_options.toDays) >= Decimal(m_options.fromDays))
                FailValue(2008, "-F", m_options.fromDays);
            if (Given("-B")) Fail(2018, MSG_OPTION_ERROR, "-B");
        } else if (Given("-T")) {
            Fail(1995, MSG_OPTION_ERROR, "-T");
        }
    }

    bool Given(const char* pszOption) const { return m_given.count(pszOption) != 0; }
    static long long Decimal(const std::string& digits) { return strtoll(digits.c_str(), nullptr, 10); }

    CommandOptions& m_options;
    CBase& m_report;
    CCheckData m_check;
    std::set<std::string> m_given;
};

}  // namespace

void ParseCommandLine(int argc, char** argv, CommandOptions& options, CBase& errorRecord)
{
    CommandLineParser(options, errorRecord).Parse(argc, argv);
}
