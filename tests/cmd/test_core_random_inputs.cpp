// The device listing, INI files, a failing tool's output and the product's
// directory from the registry, under generated input.
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "CDeviceListing.h"
#include "CIniFile.h"
#include "CProductInfo.h"
#include "RandomInput.h"
#include "trovecmd_config.h"

namespace {
const char* const PROGRAM = "trovesave.exe";
}  // namespace

TEST_F(RandomInputTest, DeviceListingAgainstStrtok)
{
    Cases("device listing", 1000, 4000, [&](Random& random) {
        std::string capture;
        const int nLines = random.Int(0, 6);
        for (int i = 0; i < nLines; ++i) {
            const std::string name = random.Percent(30) ? random.Text(random.Int(1, 12))
                                                        : random.From("ab_.", random.Int(1, 4));
            const std::vector<std::string> sizes = {std::to_string(random.Int(0, 99999)),
                                                    "-" + std::to_string(random.Int(1, 9)),
                                                    "+12",
                                                    "  7",
                                                    " ",
                                                    " \t5",
                                                    "99999999999999999999",
                                                    "4294967296",
                                                    "12abc",
                                                    "x"};
            std::string line = std::string(random.Int(0, 2), '\t') + name +
                               std::string(random.Int(0, 2), '\t') + random.Pick(sizes);
            switch (random.Int(0, 9)) {
            case 0: line = random.Bytes(random.Int(0, 40)); break;
            case 1: line = std::string(random.Int(0, 3), '\t'); break;
            case 2: line = random.Across(4095, 4100, random.Percent(50)) + "\t1"; break;
            case 3: line = name + "\t" + std::to_string(random.Int(0, 9)) + "\t" + name; break;
            default: break;
            }
            const bool bLast = i == nLines - 1;
            capture += line + (bLast && random.Percent(30) ? ""
                               : random.Percent(80)        ? "\r\n"
                                                           : "\n");
        }
        const std::string path = WriteScratch("listing.tmp", capture);

        // The reference: lines at LF, their line end off, the first 4095
        // bytes, strtok pieces.
        int nFaultLine = 0;
        std::string faultInsert;
        std::vector<std::pair<std::string, long long>> expected;
        std::istringstream lines(capture);
        for (std::string line; nFaultLine == 0 && std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > 4095) line.resize(4095);
            std::vector<char> buffer(line.begin(), line.end());
            buffer.push_back('\0');
            const char* pszName = strtok(buffer.data(), "\t");
            const char* pszSize = pszName ? strtok(nullptr, "\t") : nullptr;
            if (!pszName || !pszSize) {
                nFaultLine = pszName ? 955 : 942;
                faultInsert = pszName ? pszName : line;
            } else {
                expected.emplace_back(pszName, strtoll(pszSize, nullptr, 10));
            }
        }

        CDeviceListing listing;
        CBase record;
        const std::string thrown = Thrown([&] { listing.Read(path, record); });
        if (nFaultLine == 0) {
            EXPECT_EQ("", thrown) << capture;
        } else if (EndsInHalfCharacter(faultInsert)) {
            // The system's formatting ends the report at such an insert.
            ReportParts report;
            EXPECT_TRUE(ParseReport(thrown, report)) << thrown;
            EXPECT_EQ(nFaultLine, report.nLine);
        } else {
            EXPECT_EQ(Expected(MSG_ERROR_DETAILS, nFaultLine,
                               {PROGRAM, "Invalid File Format", path, faultInsert}),
                      thrown)
                << capture;
        }
        if (nFaultLine != 0) return;
        // A name's first entry, in any letter case as the file system
        // compares names, gives its size.
        const auto sameName = [](const std::string& a, const std::string& b) {
            const std::wstring wideA = Wide(a), wideB = Wide(b);
            return CompareStringOrdinal(wideA.c_str(), -1, wideB.c_str(), -1, TRUE) == CSTR_EQUAL;
        };
        for (const auto& entry : expected) {
            long long nSize = -1;
            EXPECT_TRUE(listing.Find(entry.first, nSize)) << entry.first;
            const auto first = std::find_if(expected.begin(), expected.end(), [&](const auto& e) {
                return sameName(e.first, entry.first);
            });
            EXPECT_EQ(first->second, nSize) << entry.first;
        }
        long long nSize = 0;
        EXPECT_FALSE(listing.Find("not listed", nSize));
    });
}

// Whether a line (as text mode reads it) longer than the 512-byte pieces the
// INI file is read in begins one of its pieces with a blank, a tab or a CR.
bool SplitsLaterWhenTrimmed(std::string content)
{
    for (size_t nPos; (nPos = content.find("\r\n")) != std::string::npos;) content.erase(nPos, 1);
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);)
        for (size_t nPiece = 0; line.size() > 512 && nPiece < line.size(); nPiece += 512)
            if (line[nPiece] == ' ' || line[nPiece] == '\t' || line[nPiece] == '\r') return true;
    return false;
}

TEST_F(RandomInputTest, IniFilesReadAndRewritten)
{
    const std::vector<std::string> words = {"S", "s", "Sec", "K", "k", "Key", "", " S "};
    Cases("INI files", 20000, 600, [&](Random& random) {
        std::string content;
        for (int nLines = random.Int(0, 12); nLines > 0; --nLines) {
            switch (random.Int(0, 7)) {
            case 0: content += random.Bytes(random.Int(0, 30), true); break;
            case 1: content += std::string(random.Percent(20) ? 1 << 20 : 600, 'v'); break;
            case 2: content += "[" + random.Pick(words) + (random.Percent(80) ? "]" : ""); break;
            case 3: content += random.Text(random.Int(0, 8)); break;
            default:
                content += random.Pick(words) + random.From(" =", random.Int(0, 2)) +
                           random.Text(random.Int(0, 9));
                break;
            }
            content += random.Pick(std::vector<std::string>{"\r\n", "\n", "\r\n", ""});
        }
        const std::string path = WriteScratch("random.ini", content);
        CIniFile ini(const_cast<char*>(path.c_str()));
        auto read = [&](const std::string& section, const std::string& key) {
            char szValue[INIFILE_VALUE_SIZE] = {};
            const int nResult = ini.ReadString(section.c_str(), key.c_str(), szValue);
            EXPECT_TRUE(std::set<int>({0, 2, 3, 13}).count(nResult)) << nResult;
            return nResult == 0 ? std::string(szValue) : "<" + std::to_string(nResult) + ">";
        };
        std::vector<std::string> sections;
        EXPECT_EQ(0, ini.GetAllSectionList(sections));
        const std::string section = random.Pick(std::vector<std::string>{"S", "Sec", "New"});
        const std::string key = random.Pick(std::vector<std::string>{"K", "Key", "New"});
        const std::string otherSection = random.Pick(words), otherKey = random.Pick(words);
        const std::string before = read(otherSection, otherKey);

        const std::string value = random.Text(random.Int(1, 40));
        ASSERT_EQ(0, ini.Write(section.c_str(), key.c_str(), value.c_str())) << content;
        EXPECT_EQ(value, read(section, key)) << content;
        // Another entry reads as before; in the written section a missing
        // section has become a missing key. Not where a line longer than a
        // piece loses its leading blanks, as the lines before the written
        // section do: it then splits later, and its first piece's value grows.
        const bool bSameSection = _stricmp(section.c_str(), otherSection.c_str()) == 0;
        if ((!bSameSection || _stricmp(key.c_str(), otherKey.c_str()) != 0) &&
            !SplitsLaterWhenTrimmed(content)) {
            EXPECT_EQ(bSameSection && before == "<2>" ? "<3>" : before,
                      read(otherSection, otherKey))
                << content;
        }
    });
}

TEST_F(RandomInputTest, FailingToolOutput)
{
    const std::string child = testing_support::BuildDirectory() + "\\bin\\cmdchild.exe";
    int nCases = 0, nRefusedStarts = 0;
    Cases("failing tool output", 3000, 150, [&](Random& random) {
        ++nCases;
        const std::vector<std::string> endings = {"\r\n", "\n", "", "\r", "\r\r\n"};
        std::string output;
        const int nKind = random.Int(0, 4);
        switch (nKind) {
        case 0: break;
        case 1: output = random.Bytes(random.Int(1, 300), true); break;
        case 2: output = random.Across(4096, 5000, random.Percent(70)); break;
        case 3: output = random.Pick(endings) + random.Text(20); break;
        default:
            output = random.Text(random.Int(1, 60)) + random.Pick(endings) + random.Text(9);
            break;
        }
        const std::string capture = archive.Path() + "\\capture.tmp";
        const std::string command = "\"" + child + "\" file:" + WriteScratch("output.bin", output) +
                                    " exit:1 2> " + capture;
        CBase record;
        const std::string thrown =
            Thrown([&] { RunArchiveCommand(command.c_str(), record, capture.c_str()); });

        EXPECT_FALSE(thrown.empty());
        // Wine now and then refuses to start a 64-bit child under heavy load
        // ("Internal error"): then there is no output to judge, and the start
        // is reported as it must be.
        ReportParts report;
        if (ParseReport(thrown, report) && report.dwId == MSG_COMMAND_FAILED &&
            thrown.find("Source file name=CCmdExecEx ") != std::string::npos) {
            ++nRefusedStarts;
            return;
        }
        if (nKind == 1) {  // binary: only the shape can be told
            EXPECT_LE(thrown.size(), 4096u);
            EXPECT_EQ(std::string::npos, thrown.find('\n'));
            return;
        }
        std::string line = output.substr(0, output.find('\n'));
        if (line.size() < output.size() && !line.empty() && line.back() == '\r') line.pop_back();
        CBase::CutWhole(line, 4096);
        EXPECT_FALSE(EndsInHalfCharacter(line));
        EXPECT_EQ(line.empty() ? Expected(MSG_COMMAND_FAILED, 2454, {command, "1"}) : line, thrown);
    });
    EXPECT_LE(nRefusedStarts * 100, nCases) << "starts refused: " << nRefusedStarts;
}

TEST_F(RandomInputTest, ProductDirectoryAtTheBufferLimit)
{
    Cases("product directory", 4000, 300, [&](Random& random) {
        const int nLength = random.Int(1017, 1026);
        const std::string install =
            "C:\\" + random.Across(nLength - 4, nLength - 3, random.Percent(60));
        registry.SetString(testing_support::ZORAT_KEY, "Install", install);
        char szPath[DIR_BUFFER_SIZE];
        DWORD dwSize = sizeof(szPath);
        const std::string thrown =
            Thrown([&] { CProductInfo(PRODUCT_ZORAT).GetTmpPath(szPath, &dwSize); });
        if (install.size() + 4 <= DIR_BUFFER_SIZE - 1) {
            EXPECT_EQ("", thrown);
            EXPECT_EQ(install + "\\tmp", szPath);
            return;
        }
        ReportParts report;
        EXPECT_TRUE(ParseReport(thrown, report)) << thrown;  // refused whole, never cut
        EXPECT_EQ(static_cast<DWORD>(MSG_ERROR_DETAILS), report.dwId);
    });
}
