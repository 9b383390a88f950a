#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "CFileOperation.h"
#include "FakeWow64.h"
#include "ProductTest.h"
#include "UniqueHandle.h"

using namespace testing_support;

namespace {

class CFileOperationTest : public ProductTest {
protected:
    static size_t Count(const std::string& text, const std::string& what)
    {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    std::string Write(const char* pszName, const std::string& content)
    {
        const std::string path = work.Path() + "\\" + pszName;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    void Retries(DWORD dwCount, DWORD dwSeconds)
    {
        registry.SetDword(ZORAT_KEY, "FileRtyNum", dwCount);
        registry.SetDword(ZORAT_KEY, "FileRtyTime", dwSeconds);
    }

    ScopedTempDir work;
};

TEST_F(CFileOperationTest, LinePiecesWhateverTheChunkSize)
{
    const std::string path = Write("lines.txt", "a\nb\r\nc");
    for (DWORD dwChunk : {1u, 2u, 3u, 4u, 5u, 8192u}) {
        registry.SetDword(ZORAT_KEY, "FileReadSize", dwChunk);
        CFileOperation file(path.c_str(), FILE_MODE_READ, 0);
        std::string line;
        EXPECT_EQ(2, file.FileReadLine(line)) << dwChunk;
        EXPECT_EQ("a\n", line);
        EXPECT_EQ(3, file.FileReadLine(line)) << dwChunk;
        EXPECT_EQ("b\r\n", line);
        EXPECT_EQ(1, file.FileReadLine(line)) << dwChunk;
        EXPECT_EQ("c", line);
        EXPECT_EQ(0, file.FileReadLine(line)) << dwChunk;
        EXPECT_EQ("", line);
        EXPECT_EQ(0, file.FileReadLine(line)) << dwChunk;
    }
}

TEST_F(CFileOperationTest, LongLinesAndEmptyFiles)
{
    registry.SetDword(ZORAT_KEY, "FileReadSize", 64);
    const std::string longLine(10000, 'x');
    const std::string path = Write("long.txt", "\n" + longLine + "\n" + "tail\n");
    CFileOperation file(path.c_str(), FILE_MODE_READ, 0);
    std::string line;
    EXPECT_EQ(1, file.FileReadLine(line));
    EXPECT_EQ(10001, file.FileReadLine(line));
    EXPECT_EQ(longLine + "\n", line);
    EXPECT_EQ(5, file.FileReadLine(line));
    EXPECT_EQ("tail\n", line);
    EXPECT_EQ(0, file.FileReadLine(line));

    const std::string empty = Write("empty.txt", "");
    CFileOperation emptyFile(empty.c_str(), FILE_MODE_READ, 0);
    EXPECT_EQ(0, emptyFile.FileReadLine(line));

    // Any delimiter; a reopened object starts reading afresh.
    file.FileClose();
    file.FileOpen(path.c_str(), FILE_MODE_READ, 0);
    EXPECT_EQ(1, file.FileReadDelim(line, '\n'));
    EXPECT_EQ(10002, file.FileReadDelim(line, 't'));  // through the "t" of "tail"
}

TEST_F(CFileOperationTest, WriteModes)
{
    const std::string path = work.Path() + "\\out.txt";
    {
        CFileOperation file(path.c_str(), FILE_MODE_WRITE, 0);
        file.FileWrite("one\n");
        file.FileWriteByte("two\nXX", 4);
    }
    EXPECT_EQ("one\ntwo\n", ReadWholeFile(path));
    {
        CFileOperation file(path.c_str(), FILE_MODE_APPEND, 0);
        file.FileWrite("three\n");
    }
    EXPECT_EQ("one\ntwo\nthree\n", ReadWholeFile(path));
    {
        CFileOperation file(path.c_str(), FILE_MODE_UPDATE, 0);
        std::string line;
        file.FileReadLine(line);
        EXPECT_EQ("one\n", line);
    }
    {
        CFileOperation file(path.c_str(), FILE_MODE_WRITE, 0);
    }
    EXPECT_EQ("", ReadWholeFile(path));
}

TEST_F(CFileOperationTest, RefusedNamesModesAndClosedFiles)
{
    CFileOperation file;
    EXPECT_NE(std::string::npos, Thrown([&] { file.FileOpen(nullptr, 1, 0); })
                                     .find("(CFileOperation(),FileName is null,(NULL)"));
    EXPECT_NE(std::string::npos, Thrown([&] { file.FileOpen("", 1, 0); })
                                     .find("(CFileOperation(),*FileName is null,(NULL)"));
    const std::string path = Write("x.txt", "x");
    EXPECT_NE(std::string::npos,
              Thrown([&] { file.FileOpen(path.c_str(), 6, 0); })
                  .find("(CFileOperation()," + path + ",The FileMode value is outside range,6,"));
    std::string line;
    EXPECT_NE(std::string::npos, Thrown([&] { file.FileReadLine(line); })
                                     .find("(FileReadLine()," + path + ",FileMode is null,"));
    EXPECT_NE(std::string::npos, Thrown([&] { file.FileWrite("x"); })
                                     .find("(FileWrite()," + path + ",FileMode is null,"));
    EXPECT_NE(std::string::npos, Thrown([&] { file.GetFileReadPosition(); })
                                     .find("(GetFileReadPosition()," + path + ",FileMode is null,"));
    file.FileClose();  // closing a closed object does no harm
}

TEST_F(CFileOperationTest, LockedFileIsRetriedThenReported)
{
    Retries(3, 1);
    const std::string path = work.Path() + "\\locked.log";
    ChildProcess holder(ChildProcess::TestProgram("holder.exe") + " file \"" + path +
                        "\" 20000 \"" + work.Path() + "\\ready\"");
    holder.WaitUntilReady(work.Path() + "\\ready");
    CFileOperation file;
    const DWORD dwStart = GetTickCount();
    const std::string text = Thrown([&] { file.FileOpen(path.c_str(), FILE_MODE_READ, 0); });
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_NE(std::string::npos, text.find("Error ID=c00002c7.")) << text;
    EXPECT_NE(std::string::npos, text.find("(" + path + ",(NULL)")) << text;
    EXPECT_EQ(3u, Count(Trace(), "(file opening retry,"));
    EXPECT_GE(dwElapsed, 2900u);
    EXPECT_LT(dwElapsed, 15000u);
}

TEST_F(CFileOperationTest, LockedFileReleasedInTimeIsOpened)
{
    Retries(5, 1);
    const std::string path = work.Path() + "\\busy.log";
    ChildProcess holder(ChildProcess::TestProgram("holder.exe") + " file \"" + path + "\" 1500 \"" +
                        work.Path() + "\\ready\"");
    holder.WaitUntilReady(work.Path() + "\\ready");
    CFileOperation file(path.c_str(), FILE_MODE_READ, 0);
    const std::string trace = Trace();
    EXPECT_GE(Count(trace, "Error ID=4000000b."), 1u);
    EXPECT_LE(Count(trace, "Error ID=4000000b."), 4u);
    EXPECT_EQ(1u, Count(trace, "Error ID=40000066.")) << trace;
}

TEST_F(CFileOperationTest, RemovalRules)
{
    const std::string open = Write("open.txt", "x");
    const std::string other = Write("other.txt", "x");
    CFileOperation file(open.c_str(), FILE_MODE_READ, 0);
    EXPECT_EQ(-1, file.FileNoErrRemove(other.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(other.c_str()));
    EXPECT_NE(std::string::npos, Thrown([&] { file.FileRemove(other.c_str()); })
                                     .find("(FileRemove()," + open + ",FileMode is not null,1,"));
    file.FileClose();
    EXPECT_EQ(1, file.FileRemove(other.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(other.c_str()));

    // Never opened: tried once. Its text is the runtime's for the error.
    const std::string missing = work.Path() + "\\missing.txt";
    CFileOperation fresh;
    EXPECT_EQ(ENOENT, fresh.FileNoErrRemove(missing.c_str()));
    std::string text = Thrown([&] { fresh.FileRemove(missing.c_str()); });
    EXPECT_NE(std::string::npos,
              text.find("(" + missing + "," + strerror(ENOENT) + ",(NULL)")) << text;
    EXPECT_EQ(0u, Count(Trace(), "(file removing retry,"));

    // The last open loaded two retries a second apart.
    Retries(2, 1);
    file.FileOpen(open.c_str(), FILE_MODE_READ, 0);
    file.FileClose();
    text = Thrown([&] { file.FileRemove(missing.c_str()); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00002c1.")) << text;
    EXPECT_EQ(2u, Count(Trace(), "(file removing retry,"));
}

TEST_F(CFileOperationTest, SizesBeyondFourGigabytes)
{
    const std::string path = work.Path() + "\\big.log";
    LARGE_INTEGER size;
    size.QuadPart = 5LL * 1024 * 1024 * 1024 + 7;
    {
        const UniqueFileHandle big(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(big);
        SetFilePointerEx(big.get(), size, nullptr, FILE_BEGIN);
        SetEndOfFile(big.get());
    }

    CFileOperation file;
    EXPECT_EQ(size.QuadPart, file.FileSize(path.c_str()));
    EXPECT_EQ(7, file.FileSize(Write("small.log", "1234567").c_str()));
    const std::string text = Thrown([&] { file.FileSize((work.Path() + "\\none").c_str()); });
    EXPECT_NE(std::string::npos, text.find("Error ID=c00002d0.")) << text;
}

TEST_F(CFileOperationTest, SizeBelowTheSystemDirectorySwitchesRedirection)
{
    const std::string dll = fake_wow64::SystemDirectory() + "kernel32.dll";
    fake_wow64::State& fake = fake_wow64::Install();
    CFileOperation file;
    EXPECT_LT(0, file.FileSize(dll.c_str()));
    EXPECT_EQ(1, fake.nDisables);
    EXPECT_EQ(0, fake.nOff);
    fake.bRevertSucceeds = FALSE;
    EXPECT_EQ("Failed to redirect on.", Thrown([&] { file.FileSize(dll.c_str()); }));
}

TEST(FileTimeToStampTest, CalendarFieldsRunTogether)
{
    SYSTEMTIME st = {};
    st.wYear = 2008;
    st.wMonth = 1;
    st.wDay = 2;
    st.wHour = 3;
    st.wMinute = 4;
    st.wSecond = 5;
    st.wMilliseconds = 999;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    char szStamp[18];
    memset(szStamp, 'x', sizeof(szStamp));
    FileTimeToStamp(&ft, szStamp);
    EXPECT_EQ(0, memcmp(szStamp, "20080102030405\0\0\0\0", 18));
}

}  // namespace
