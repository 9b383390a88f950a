#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <stdexcept>
#include <vector>

#include "CCmdCommon.h"
#include "CFileList.h"
#include "FakeWow64.h"
#include "ProductTest.h"
#include "zoratmsg.h"

using namespace testing_support;
using Names = std::vector<std::string>;

namespace {

#define SO "\x95\x5C"  // one character whose second byte is the backslash value

// Report texts without their source line, which is no fixed part of them.
std::string NoLine(const std::string& text)
{
    return std::regex_replace(text, std::regex(" \\(Line number=\\d+\\)"), "");
}

class CFileListTest : public ProductTest {
protected:
    void Make(const std::string& name) { std::ofstream(work.Path() + "\\" + name) << "x"; }
    Names List(CFileList& list, const std::string& last, int order)
    {
        list.ExecFileListCmd((work.Path() + "\\" + last).c_str(), order);
        Names names;
        for (int i = 0; i < list.GetFileCount(); ++i) names.push_back(list.GetFileEntry(i).strName);
        return names;
    }
    static std::string Failure(const std::string& pattern)
    {
        CFileList list;
        return NoLine(Thrown([&] { list.ExecFileListCmd(pattern.c_str(), 1); }));
    }
    ScopedTempDir work;
};

TEST_F(CFileListTest, RegularFilesInUnsignedByteOrderAndLaterCallsAppend)
{
    for (const char* name : {"c.log", "a.log", SO ".log", "B.log", "x.txt"}) Make(name);
    ASSERT_TRUE(CreateDirectoryA((work.Path() + "\\d.log").c_str(), nullptr));
    const Names up = {"B.log", "a.log", "c.log", SO ".log"}, down(up.rbegin(), up.rend());
    for (int order : {2, 0, 1}) {
        CFileList list;
        EXPECT_EQ(order == 1 ? up : down, List(list, "*.log", order)) << order;
    }
    CFileList list;
    List(list, "*.log", 1);
    EXPECT_EQ(up, List(list, "none*", 2));  // nothing added: the order stays too
    EXPECT_EQ(up, List(list, "missing\\*", 2));
    EXPECT_EQ((Names{"B.log", "a.log", "c.log", "x.txt", SO ".log"}), List(list, "*.txt", 1));
}

// A backslash byte that ends a double-byte character separates nothing.
TEST_F(CFileListTest, CutToTheLastRealBackslash)
{
    ASSERT_EQ(932u, GetACP());
    ASSERT_TRUE(CreateDirectoryA((work.Path() + "\\" SO).c_str(), nullptr));
    for (const char* file : {SO, SO "1.log"}) Make(SO "\\" + std::string(file));
    for (const char* last : {SO, SO "*.log"}) {  // lists the file SO, then SO "1.log"
        CFileList list;
        List(list, SO "\\" + std::string(last), 1);
        char szPath[1025];
        list.GetFilePathName(szPath, sizeof(szPath), 0);
        EXPECT_EQ(work.Path() + "\\" SO "\\" + (last[2] ? SO "1.log" : SO), szPath);
    }
    for (const std::string pattern : {"", "a*.log", "C:a*.log", SO "*.log"}) {
        const std::string inserts =
            pattern.empty() ? "Undefine PathName,(NULL)" : "Not FullPathName," + pattern;
        EXPECT_EQ(NoLine(TemplateText(MSG_ERROR_DETAILS, "CFileList", 0,
                                      inserts + ",(NULL),(NULL),(NULL)")),
                  Failure(pattern));
    }
}

TEST_F(CFileListTest, StampAndTextsCutToSize)
{
    Make("abcdef.log");
    const FILETIME written = {0xDA4D8E00, 0x01D96784};  // 2023-04-05 06:07:08 UTC
    UniqueHandle file(CreateFileA((work.Path() + "\\abcdef.log").c_str(), FILE_WRITE_ATTRIBUTES,
                                  0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
    file.reset();
    CFileList list;
    List(list, "*.log", 1);
    EXPECT_EQ("20230405060708", list.GetFileEntry(0).strStamp);
    char szText[8];
    list.GetFileName(szText, 4, 0);
    EXPECT_STREQ("abc", szText);
    EXPECT_THROW(list.GetFilePathName(szText, sizeof(szText), 1), std::out_of_range);
}

TEST_F(CFileListTest, RedirectionOffBelowSystemDirectoryAndAlwaysBackOn)
{
    const std::string dll = fake_wow64::SystemDirectory() + "kernel32.dll";
    fake_wow64::State& fake = fake_wow64::Install();
    CFileList list;
    list.ExecFileListCmd(dll.c_str(), 1);
    list.ExecFileListCmd((dll + "\\missing\\*").c_str(), 1);
    EXPECT_NE(std::string::npos, Failure(dll + "\\*").find("=c00002d2. Source file name=CFileList. "
                                                          "Additional information=(" + dll + "\\*,"));
    List(list, "*", 1);
    EXPECT_EQ(3, fake.nDisables);  // none for the scratch directory
    EXPECT_EQ(0, fake.nOff);
    fake.bRevertSucceeds = FALSE;
    EXPECT_EQ("Failed to redirect on.", Thrown([&] { list.ExecFileListCmd(dll.c_str(), 1); }));
}

using CCmdCommonTest = ProductTest;

TEST_F(CCmdCommonTest, FixedDiskByTheFirstThreeCharacters)
{
    const DWORD dwDrives = GetLogicalDrives();
    char letter = 'Y';
    while (letter > 'D' && (dwDrives & (1u << (letter - 'A')))) --letter;
    CCmdCommon common;
    EXPECT_EQ(1, common.IsFixedDrive("C:\\no\\such\\directory"));
    EXPECT_EQ(0, common.IsFixedDrive((std::string(1, letter) + ":\\archive").c_str())) << letter;
}

}  // namespace
