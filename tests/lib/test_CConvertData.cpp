#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "CConvertData.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

class CConvertDataTest : public ProductTest {
protected:
    CConvertDataTest() : ProductTest(NO_TRACE) {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProductTest::SetUp());
        // The spelling the file system reports for the work directory.
        root = Convert(work.Path());
        ASSERT_TRUE(CreateDirectoryA((root + "\\Long Directory Name").c_str(), nullptr));
        longFile = root + "\\Long Directory Name\\Another Long File.txt";
        std::ofstream(longFile) << "x";
    }

    std::string Convert(const std::string& path, unsigned int nSize = 1025)
    {
        char szOut[1025] = {};
        CConvertData().ConvertLongName(path.c_str(), szOut, &nSize);
        return szOut;
    }

    // The report text of what the conversion throws, "" when it does not.
    static std::string Failure(const std::string& path, unsigned int* pnSize)
    {
        char szOut[1025];
        return Thrown([&] { CConvertData().ConvertLongName(path.c_str(), szOut, pnSize); });
    }

    ScopedTempDir work;
    std::string root;
    std::string longFile;
};

TEST_F(CConvertDataTest, ShortNamesGiveTheLongSpelling)
{
    char szShort[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(longFile.c_str(), szShort, sizeof(szShort)));
    ASSERT_NE(longFile, szShort);
    EXPECT_EQ(longFile, Convert(szShort));
    EXPECT_EQ(longFile, Convert(longFile));
}

TEST_F(CConvertDataTest, LetterCaseAsTheFileSystemReportsIt)
{
    std::string lower = longFile;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(tolower(c)); });
    // The drive part is taken as written; every component as found.
    EXPECT_EQ(lower.substr(0, 2) + longFile.substr(2), Convert(lower));
}

TEST_F(CConvertDataTest, WildcardsTakeTheFirstMatch)
{
    EXPECT_EQ(longFile, Convert(root + "\\Long Dir*\\Another*.txt"));
}

TEST_F(CConvertDataTest, MissingComponentOrTrailingBackslashFails)
{
    unsigned int nSize = 1025;
    for (const std::string& path : {root + "\\Long Directory Name\\", root + "\\Missing\\x.txt"}) {
        const std::string text = Failure(path, &nSize);
        EXPECT_NE(std::string::npos, text.find("Error ID=c00002d2.")) << text;
        EXPECT_NE(std::string::npos, text.find("(" + path + ",")) << text;
    }
}

TEST_F(CConvertDataTest, PathWithoutDriveRootIsInvalid)
{
    unsigned int nSize = 1025;
    const std::string text = Failure("relative\\x.txt", &nSize);
    EXPECT_NE(std::string::npos,
              text.find("(ConvertLongName(),File name is invalid,relative\\x.txt,(NULL),(NULL))"))
        << text;
}

TEST_F(CConvertDataTest, BufferMustExceedTheResultLength)
{
    const unsigned int nLength = static_cast<unsigned int>(longFile.size());
    unsigned int nSize = nLength;
    const std::string text = Failure(longFile, &nSize);
    EXPECT_NE(std::string::npos,
              text.find("(ConvertLongName(),Buffer shortage," + longFile + ",(NULL),(NULL))"))
        << text;
    EXPECT_EQ(nLength, nSize);
    EXPECT_EQ(longFile, Convert(longFile, nLength + 1));
}

TEST_F(CConvertDataTest, BareDriveRootIsCopied)
{
    EXPECT_EQ("C:\\", Convert("C:\\"));
    unsigned int nSize = 3;
    const std::string text = Failure("C:\\", &nSize);
    EXPECT_NE(std::string::npos,
              text.find("(ConvertLongtName(),Buffer shortage,C:\\,(NULL),(NULL))"))
        << text;
    EXPECT_EQ(3u, nSize);
}

}  // namespace
