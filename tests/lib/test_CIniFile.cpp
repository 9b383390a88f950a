#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CIniFile.h"
#include "TestSupport.h"
#include "UniqueHandle.h"

using namespace testing_support;

namespace {

class CIniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, ini.SetTargetFileName(path.c_str())); }

    // The INI file with exactly these bytes.
    void Given(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
    std::string Content() const { return ReadWholeFile(path); }
    // What ReadString answers, or "<code>" when it fails.
    std::string Value(const char* pszSection, const char* pszKey)
    {
        char szValue[INIFILE_VALUE_SIZE];
        const int nResult = ini.ReadString(pszSection, pszKey, szValue);
        return nResult == 0 ? szValue : "<" + std::to_string(nResult) + ">";
    }
    std::vector<std::string> FilesInDirectory() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    ScopedTempDir dir;
    std::string path = dir.Path() + "\\test.ini";
    CIniFile ini;
};

TEST_F(CIniFileTest, ReadStringFindsTheFirstMatchingSectionAndKey)
{
    Given("[Sect2]\r\nkey=wrong\r\n"
          "  [SECT] text after the header\r\n"
          "   Key  =  spaced value \t\r\n"
          "key=second\r\n"
          "Empty=\r\n"
          "Blank =\r\n"
          "[sect]\r\nother=x\r\n");
    EXPECT_EQ("spaced value", Value("sect", "KEY"));
    EXPECT_EQ("<13>", Value("sect", "empty"));
    EXPECT_EQ("<3>", Value("sect", "blank")) << "blanks before a bare = make the key absent";
    EXPECT_EQ("<3>", Value("sect", "other")) << "only the first matching section counts";
    EXPECT_EQ("<2>", Value("sec", "key")) << "a header must close right after the name";
    char szValue[INIFILE_VALUE_SIZE] = "untouched";
    EXPECT_EQ(13, ini.ReadString("sect", "empty", szValue));
    EXPECT_STREQ("", szValue);

    ASSERT_EQ(0, ini.SetTargetFileName((dir.Path() + "\\missing.ini").c_str()));
    EXPECT_EQ("<1>", Value("sect", "key"));
}

TEST_F(CIniFileTest, ReadIntStoresWhatConvertsEvenWhenItIsNoNumber)
{
    Given("[n]\r\nmixed=12ab\r\nhex=0x1F\r\nupper=0X1F\r\nneg=-5\r\nplain= 42 \r\nempty=\r\n");
    const struct {
        const char* pszKey;
        int nResult;
        int nValue;
    } cases[] = {{"mixed", 9, 12}, {"hex", 0, 31}, {"upper", 9, 0}, {"neg", 9, -5},
                 {"plain", 0, 42}, {"empty", 13, 7}, {"none", 3, 7}};
    for (const auto& c : cases) {
        int n = 7;
        EXPECT_EQ(c.nResult, ini.ReadInt("n", c.pszKey, &n)) << c.pszKey;
        EXPECT_EQ(c.nValue, n) << c.pszKey;
    }
    int n = 0;
    EXPECT_EQ(0, ini.ReadIntHex("n", "mixed", &n));
    EXPECT_EQ(0x12ab, n);
}

// Asks for the size, then fetches the list with exactly that size.
template <typename Get>
std::string SizedList(Get get)
{
    unsigned int nSize = 0;
    EXPECT_EQ(5, get(nullptr, &nSize));
    std::vector<char> buffer(nSize);
    EXPECT_EQ(0, get(buffer.data(), &nSize));
    return std::string(buffer.data(), buffer.size());
}

TEST_F(CIniFileTest, SectionLinesAfterASizeQuery)
{
    Given("[s]\r\n a = 1 \r\nnovalue=\r\nb=2\r\ntwice==3\r\n[t]\r\nc=4\r\n");
    EXPECT_EQ(std::string("a = 1\0b=2\0", 11), SizedList([this](char* p, unsigned int* n) {
                  return ini.GetProfileSectionX("s", p, n);
              }));
    char szSmall[10];
    unsigned int nSize = sizeof(szSmall);
    EXPECT_EQ(5, ini.GetProfileSectionX("s", szSmall, &nSize));
    EXPECT_EQ(11u, nSize);
    EXPECT_EQ(0, ini.GetProfileSectionX("missing", szSmall, &nSize));
    EXPECT_EQ('\0', szSmall[0]);
}

TEST_F(CIniFileTest, AllSectionNamesInFileOrderWithRepeats)
{
    Given("[a]\r\nx=1\r\n [b] tail\r\n[]\r\n[a]\r\n[c\r\n");
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(0, ini.GetAllSectionList(names));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "a", "c"}), names);
    EXPECT_EQ(std::string("a\0b\0a\0c\0", 9),
              SizedList([this](char* p, unsigned int* n) { return ini.GetAllSection(p, n); }));
}

TEST_F(CIniFileTest, WriteCreatesAMissingFileWithTwoLines)
{
    EXPECT_EQ(0, ini.Write("Sec", "Key", nullptr));
    EXPECT_EQ(0, ini.Write("Sec", nullptr, nullptr));
    EXPECT_TRUE(FilesInDirectory().empty()) << "a deletion creates nothing";
    EXPECT_EQ(0, ini.Write("Sec", "Key", "Value"));
    EXPECT_EQ("[Sec]\r\nKey=Value\r\n", Content());
}

TEST_F(CIniFileTest, WriteChangesOnlyTheFirstMatchingLineAndKeepsItsCase)
{
    Given("  [pre]\r\n\r\n  p=1\r\n[S]\r\n  MyKey = old\r\nMYKEY=first\r\nmykey=second\r\n"
          "[T]\r\nt=1\r\n");
    EXPECT_EQ(0, ini.Write("s", "mykey", "new"));
    EXPECT_EQ(0, ini.Write("S", "added", "v"));
    EXPECT_EQ(0, ini.Write("T", "t", 5));
    EXPECT_EQ(0, ini.Write("U", "u", "w"));
    // Lines before a changed section lose their leading blanks; the key is
    // found as the readers find it, blanks before its "=" and all.
    EXPECT_EQ("[pre]\r\np=1\r\n[S]\r\nMyKey=new\r\nMYKEY=first\r\nmykey=second\r\nadded=v\r\n"
              "[T]\r\nt=5\r\n[U]\r\nu=w\r\n",
              Content());
    EXPECT_EQ("new", Value("S", "MYKEY"));
    EXPECT_EQ(0, ini.Write("S", "MyKey", nullptr));
    EXPECT_EQ("[pre]\r\np=1\r\n[S]\r\nMYKEY=first\r\nmykey=second\r\nadded=v\r\n"
              "[T]\r\nt=5\r\n[U]\r\nu=w\r\n",
              Content());
}

// Damaged files that generated input found: what is written joins no line
// and costs no other entry.
TEST_F(CIniFileTest, WriteKeepsLinesApartInDamagedFiles)
{
    struct Case {
        std::string given, section, expected;
    };
    const Case cases[] = {
        {"[S]\r\na=1", "S", "[S]\r\na=1\r\nk=v\r\n"},
        {"[S]", "S", "[S]\r\nk=v\r\n"},
        {"[S]\r\na=1", "T", "[S]\r\na=1\r\n[T]\r\nk=v\r\n"},
        // A NUL byte ends a line's text, not the line; the bytes after it
        // stay, also in a line longer than the pieces it is read in.
        {std::string("x=1\0junk\r\n[T]\r\n", 15), "T", std::string("x=1\0junk\r\n[T]\r\nk=v\r\n", 20)},
        {std::string("[S]\r\nx=1\0junk\r\ny=2\r\n", 20), "S",
         std::string("[S]\r\nx=1\0junk\r\ny=2\r\nk=v\r\n", 25)},
        {std::string("[S]\r\nx=1\0", 9) + std::string(600, 'y') + "\r\n", "S",
         std::string("[S]\r\nx=1\0", 9) + std::string(600, 'y') + "\r\nk=v\r\n"},
        // The key and the section's end as the readers see them.
        {"[S]\r\nK \t= old\r\n", "S", "[S]\r\nK=v\r\n"},
        {"[S]\r\n [T]\r\nk=1\r\n", "S", "[S]\r\nk=v\r\n [T]\r\nk=1\r\n"},
    };
    for (const Case& c : cases) {
        Given(c.given);
        EXPECT_EQ(0, ini.Write(c.section.c_str(), "k", "v"));
        EXPECT_EQ(c.expected, Content()) << c.given;
        EXPECT_EQ("v", Value(c.section.c_str(), "k"));
    }
}

TEST_F(CIniFileTest, WriteDeletesTheFirstOccurrenceOfASection)
{
    Given("[a]\r\nx=1\r\n[B]\r\ny=2\r\n\r\n[c]\r\nz=3\r\n[b]\r\nq=1\r\n");
    EXPECT_EQ(0, ini.Write("b", nullptr, nullptr));
    EXPECT_EQ("[a]\r\nx=1\r\n[c]\r\nz=3\r\n[b]\r\nq=1\r\n", Content());
    EXPECT_EQ(0, ini.Write("b", nullptr, 0));
    EXPECT_EQ("[a]\r\nx=1\r\n[c]\r\nz=3\r\n", Content());
}

// The file system's number of the file.
ULONGLONG FileId(const std::string& path)
{
    UniqueHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file.get(), &info);
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// Held open for reading by someone else, without delete sharing.
UniqueHandle HoldOpen(const std::string& path)
{
    return UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
}

// A new file takes the INI file's name in one step; where the INI file is
// held open and cannot be replaced, it is rewritten in place.
TEST_F(CIniFileTest, RewriteReplacesTheFileOrRewritesTheHeldOneInPlace)
{
    Given("[s]\r\nk=1\r\n");
    const ULONGLONG nFirst = FileId(path);
    EXPECT_EQ(0, ini.Write("s", "k", "2"));
    EXPECT_NE(nFirst, FileId(path));
    EXPECT_EQ("[s]\r\nk=2\r\n", Content());
    {
        const UniqueHandle holder = HoldOpen(path);
        ASSERT_TRUE(holder);
        const ULONGLONG nHeld = FileId(path);
        EXPECT_EQ(0, ini.Write("s", "k", "3"));
        EXPECT_EQ(nHeld, FileId(path));
    }
    EXPECT_EQ("[s]\r\nk=3\r\n", Content());
    EXPECT_EQ((std::vector<std::string>{"test.ini"}), FilesInDirectory());
}

// The holder that forces the rewrite in place; it lets go as the disk fills.
UniqueHandle s_holder;

// Writes half of what it is given, as a full disk would.
size_t WriteHalf(const void* pData, size_t nSize, size_t nCount, FILE* fp)
{
    const size_t nWritten = fwrite(pData, nSize, nCount / 2, fp);
    fflush(fp);
    s_holder.reset();
    return nWritten;
}

TEST_F(CIniFileTest, FailedCopyBackLeavesTheWholeNewContent)
{
    std::string content = "[big]\r\n";
    for (int i = 0; i < 400; ++i) content += "key" + std::to_string(i) + "=some value\r\n";
    Given(content);
    s_holder = HoldOpen(path);
    const IniBlockWriter previous = SetIniBlockWriter(WriteHalf);
    const int nResult = ini.Write("big", "key0", "changed");
    SetIniBlockWriter(previous);
    EXPECT_FALSE(s_holder) << "the rewrite was not done in place";
    s_holder.reset();
    EXPECT_EQ(0, nResult);
    content.replace(content.find("some value"), 10, "changed");
    EXPECT_EQ(content, Content());
    EXPECT_EQ((std::vector<std::string>{"test.ini"}), FilesInDirectory());
}

// The system's own profile functions are a second reader and writer of the
// format: whatever either side writes, both must read the same.
TEST_F(CIniFileTest, AgreesWithTheSystemProfileFunctions)
{
    struct Change {
        const char* pszSection;
        const char* pszKey;
        const char* pszValue;
    };
    // Even steps are ours, odd ones the system's.
    const Change changes[] = {
        {"Main", "Path", "C:\\data\\logs"}, {"Main", "Mode", "1"},
        {"Extra", "Size", "20 MB"},         {"main", "path", "D:\\other"},
        {"Main", "Mode", "x"},              {"Extra", "Mode", "y"},
        {"Extra", "Mode", nullptr},         {"Main", "Mode", nullptr},
        {"Main", nullptr, nullptr},         {"Main", "Size", "7"},
        {"EXTRA", "size", "8"},             {"Extra", "Path", "e"},
    };
    const char* const sections[] = {"Main", "Extra"};
    const char* const keys[] = {"Path", "Mode", "Size"};
    for (size_t i = 0; i < sizeof(changes) / sizeof(changes[0]); ++i) {
        const Change& change = changes[i];
        if (i % 2 == 0) {
            ASSERT_EQ(0, ini.Write(change.pszSection, change.pszKey, change.pszValue));
            // The system keeps a parsed copy; it must read our file afresh.
            WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
        } else {
            ASSERT_TRUE(WritePrivateProfileStringA(change.pszSection, change.pszKey,
                                                   change.pszValue, path.c_str()));
        }
        for (const char* pszSection : sections) {
            for (const char* pszKey : keys) {
                char szTheirs[INIFILE_VALUE_SIZE];
                GetPrivateProfileStringA(pszSection, pszKey, "<absent>", szTheirs,
                                         sizeof(szTheirs), path.c_str());
                std::string ours = Value(pszSection, pszKey);
                if (ours == "<2>" || ours == "<3>") ours = "<absent>";
                EXPECT_EQ(szTheirs, ours) << "after change " << i << ": [" << pszSection << "] "
                                          << pszKey << "\n" << Content();
            }
        }
    }
    std::vector<std::string> names;
    EXPECT_EQ(0, ini.GetAllSectionList(names));
    EXPECT_EQ((std::vector<std::string>{"Extra", "Main"}), names);
}

TEST_F(CIniFileTest, AccessWaitsForTheFileLockOfAnotherProcess)
{
    Given("[s]\r\nk=v\r\n");
    ScopedTempDir other;
    const std::string held = other.Path() + "\\test.ini";
    fclose(fopen(held.c_str(), "w"));
    const auto holder = HoldFileLock("filelock", held, 1500);
    const DWORD dwStart = GetTickCount();
    EXPECT_EQ("v", Value("s", "k"));
    EXPECT_GE(GetTickCount() - dwStart, 750u);
    EXPECT_EQ(0u, holder->Wait());
}

TEST(CIniFilePathTest, AtMost513Characters)
{
    std::string longest(INIFILE_PATH_MAX, 'p');
    std::string tooLong(INIFILE_PATH_MAX + 1, 'p');
    CIniFile ini;
    EXPECT_EQ(0, ini.SetTargetFileName(longest.c_str()));
    EXPECT_EQ(longest, ini.GetFilePath());
    EXPECT_EQ(10, ini.SetTargetFileName(tooLong.c_str()));
    EXPECT_EQ(longest, ini.GetFilePath());
    CIniFile copy(&tooLong[0]);
    EXPECT_STREQ("", copy.GetFilePath());
    copy = ini;
    EXPECT_EQ(longest, copy.GetFilePath());
}

}  // namespace
