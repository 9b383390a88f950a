// Names from outside, end to end: generated log names come back as they went;
// hostile names lead nowhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "InstalledProduct.h"
#include "UniqueHandle.h"

using namespace e2e;

namespace {

using Files = std::map<std::string, std::string>;  // name as the code page shows it, bytes

const char RESTORE_DIR[] = "C:\\ZoratLogs\\restore";
const std::string DEFINITION = std::string(INSTALL_DIR) + "\\etc\\zoratmgr.def";

// A directory as the programs list it; a folder holds "<dir>".
Files ListOf(const std::string& dir)
{
    Files files;
    WIN32_FIND_DATAA data;
    const UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &data));
    for (bool bMore = find.valid(); bMore; bMore = FindNextFileA(find.get(), &data)) {
        const std::string name = data.cFileName;
        const bool bDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name != "." && name != "..")
            files[name] =
                bDir ? "<dir>" : testing_support::ReadWholeFile("\\\\?\\" + dir + "\\" + name);
    }
    return files;
}

class NamesFromOutsideTest : public InstalledProduct {
protected:
    void Fresh()
    {
        Reset();
        std::filesystem::remove_all(RESTORE_DIR);
        std::filesystem::create_directory(RESTORE_DIR);
        for (const char* pszStray : {"M:\\probe.cln", "C:\\ZoratLogs\\probe.log"})
            DeleteFileA(pszStray);
    }
};

// Fields as administrators name hosts and kinds: dots, hyphens, digits, both
// cases, the suffixes themselves, double-byte characters ending in 0x5C.
std::string Field(std::mt19937& random, unsigned nLength)
{
    static const char* const pieces[] = {"a",    "Q",    "7",    "-",        ".",       ".log",
                                         ".csv", ".cln", ".LOG", "\x95\x5c", "\x83\x5c"};
    std::string field = "h";
    while (field.size() < nLength) field += pieces[random() % 11];
    return field;
}

TEST_F(NamesFromOutsideTest, GeneratedNamesComeBackAsTheyWent)
{
    const char* pszSeed = getenv("TROVE_NAMES_SEED");  // replays that seed alone
    const unsigned nFirst = pszSeed ? static_cast<unsigned>(atoi(pszSeed)) : 7000;
    printf("[ RANDOM   ] names round trip: seeds %u to %u\n", nFirst, nFirst + (pszSeed ? 0 : 5));
    for (unsigned nSeed = nFirst; nSeed <= nFirst + (pszSeed ? 0 : 5) && !HasFailure(); ++nSeed) {
        SCOPED_TRACE("seed " + std::to_string(nSeed) + ", TROVE_NAMES_SEED replays it");
        std::mt19937 random(nSeed);
        Fresh();
        Files logs, csvs;
        std::set<std::string> bases;  // in upper case: one archive directory holds them all
        for (int i = 0; i < 8; ++i) {
            const std::string name =
                Field(random, random() % 4 ? 1 + random() % 12 : 150 + random() % 70) + "_" +
                Field(random, 1 + random() % 5) + "_" + Field(random, 1 + random() % 3) + "_" +
                DaysAgo(1 + static_cast<int>(random() % 5)) + (i >= 5 ? "001" : "");
            // Generations of one log; "C:\ZoratLogs\restore\<base>.log" within 251.
            for (int g = i >= 5 ? 0 : static_cast<int>(random() % 3); g >= 0; --g) {
                const std::string base = name + (g ? "_01_00" + std::to_string(g) : "");
                std::string upper = base;
                for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
                if (base.size() > 226 || !bases.insert(upper).second) continue;
                const std::string file = base + (i >= 5 ? ".csv" : ".log");
                (i >= 5 ? csvs : logs)[file] = std::string(1 + random() % 300, 'x');
                InstalledProduct::WriteText((i >= 5 ? NORMALIZE_DIR : SAVE_DIR) + ("\\" + file),
                                            (i >= 5 ? csvs : logs)[file]);
            }
        }
        const auto outside = [] {
            return std::vector<Files>{ListOf("C:"), ListOf("M:"), ListOf("C:\\ZoratLogs")};
        };
        const std::vector<Files> before = outside();
        for (const Files* pKind : {&logs, &csvs}) {
            const std::string args =
                pKind == &csvs ? "-D M:\\archive -F 6 -T 1 -L CSV" : "-D M:\\archive -F 6 -T 1";
            for (const char* pszRun : {"trovesave S", "trovesave C", "troveload S"}) {
                const std::string program(pszRun, 9);
                const RunResult run =
                    Run(program,
                        args + (program == "troveload" ? " -R C:\\ZoratLogs\\restore -G ALL" : ""));
                EXPECT_EQ(0u, run.exitCode) << pszRun << " " << args;
                EXPECT_EQ("B" + std::string(pKind->size(), pszRun[10]), run.AuditLetters())
                    << pszRun << " " << args;
            }
        }
        Files restored = logs;
        restored.insert(csvs.begin(), csvs.end());
        EXPECT_EQ(restored, ListOf(RESTORE_DIR));
        EXPECT_EQ(restored.size(), ListOf(ARCHIVE_DIR).size());
        EXPECT_EQ(logs, ListOf(SAVE_DIR));
        EXPECT_EQ(csvs, ListOf(NORMALIZE_DIR));
        EXPECT_EQ(before, outside());
    }
}

// Files to plant, each of that many "x" (-1 makes a folder), the run, and what
// the archive and the restore directory hold afterwards.
struct HostileRow {
    const char* pszWhat;
    std::vector<std::pair<std::wstring, int>> plant;
    std::string args;  // troveload's name -R
    DWORD dwExitCode;
    Files archive, restore;
    const char* pszAstray;  // where the trap would have put a file
    bool bPlantLinks;       // to the manager definition file, as the run's temporary files
};

// In code page 932 and again in 1252: the listing turns a yen sign into a
// backslash in the one, a fullwidth backslash in the other.
TEST_F(NamesFromOutsideTest, HostileNamesLeadNowhere)
{
    const std::string base = "acc_app_X_" + DaysAgo(1), cln = base + ".cln",
                      r = " -R C:\\ZoratLogs\\restore";
    const std::wstring a = L"M:\\archive\\", s = L"C:\\ZoratLogs\\save\\",
                       w(base.begin(), base.end()),
                       climb = w + (GetACP() == 932 ? L"\xa5..\xa5..\xa5probe"
                                                    : L"\xff3c..\xff3c..\xff3cprobe");
    char szClimb[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, (climb + L".cln").c_str(), -1, szClimb, MAX_PATH, nullptr,
                        nullptr);
    const std::string x10(10, 'x'), x11(11, 'x'), x20(20, 'x'), x30(30, 'x');
    // clang-format off
    const HostileRow rows[] = {
        {"an archived name that the listing makes a path",
         {{a + climb + L".cln", 20}, {L"M:\\probe.cln", 20}}, "-D M:\\archive" + r, 255,
         {{szClimb, ""}}, {}, "C:\\ZoratLogs\\probe.log", false},
        {"an archived name in other letter case, of another size",
         {{a + L"ACC" + w.substr(3) + L".cln", 11}, {s + w + L".log", 10}}, "-D M:\\archive", 0,
         {{"ACC" + base.substr(3) + ".cln", x11}, {base + "_001.cln", x10}}, {}, "", false},
        {"a folder with the archived name",
         {{a + w + L".cln", -1}, {s + w + L".log", 10}}, "-D M:\\archive", 0,
         {{cln, "<dir>"}, {base + "_001.cln", x10}}, {}, "", false},
        {"a device name beside a log",
         {{L"\\\\?\\" + s + L"NUL.x" + w.substr(3) + L".log", 10}, {s + w + L".log", 10}},
         "-D M:\\archive", 1, {{cln, x10}}, {}, "", false},
        {"a trailing dot beside the archived file it would stand for",
         {{L"\\\\?\\" + a + w + L".cln.", 30}, {a + w + L".cln", 20}}, "-D M:\\archive" + r, 1,
         {{cln + ".", x30}, {cln, x20}}, {{base + ".log", x20}}, "", false},
        {"temporary files planted as links",
         {{s + w + L".log", 10}}, "-D M:\\archive", 0, {{cln, x10}}, {}, "", true},
    };
    // clang-format on
    for (const HostileRow& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        Fresh();
        for (const auto& file : row.plant) {
            const UniqueFileHandle created(file.second < 0
                                               ? nullptr
                                               : CreateFileW(file.first.c_str(), GENERIC_WRITE, 0,
                                                             nullptr, CREATE_NEW, 0, nullptr));
            DWORD dwWritten = 0;
            ASSERT_TRUE(file.second < 0
                            ? CreateDirectoryW(file.first.c_str(), nullptr)
                            : WriteFile(created.get(), std::string(file.second, 'x').data(),
                                        file.second, &dwWritten, nullptr));
        }
        const Files saved = ListOf(SAVE_DIR);
        const std::string definition = testing_support::ReadWholeFile(DEFINITION);
        const bool bRestore = row.args.find("-R") != std::string::npos;
        const RunResult run = Run(bRestore ? "troveload" : "trovesave", row.args, [&](DWORD pid) {
            const std::string id = std::to_string(pid);
            for (const std::string& name :
                 {"arkcplist_" + id + "_0", "arkcp_" + id, "arkls_" + id}) {
                const std::string link = std::string(TMP_DIR) + "\\trovesv_" + name + ".tmp";
                EXPECT_TRUE(!row.bPlantLinks ||
                            CreateHardLinkA(link.c_str(), DEFINITION.c_str(), nullptr));
            }
        });
        EXPECT_EQ(row.dwExitCode, run.exitCode)
            << testing::PrintToString(run.out) << testing::PrintToString(run.err);
        EXPECT_EQ(row.archive, ListOf(ARCHIVE_DIR));
        EXPECT_EQ(row.restore, ListOf(RESTORE_DIR));
        EXPECT_EQ(saved, ListOf(SAVE_DIR));
        EXPECT_EQ(definition, testing_support::ReadWholeFile(DEFINITION));
        EXPECT_TRUE(run.tmpFiles.empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(row.pszAstray)) << row.pszAstray;
    }
    Fresh();
}

}  // namespace
