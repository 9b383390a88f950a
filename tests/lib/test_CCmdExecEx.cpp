#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "CCmdExecEx.h"
#include "ProductTest.h"

using namespace testing_support;

namespace {

// Commands run the test child from the bin directory.
class CCmdExecuteExTest : public ProductTest {
protected:
    std::string Capture() const { return work.Path() + "\\capture.txt"; }
    static std::string Child() { return BuildDirectory() + "\\bin\\cmdchild.exe"; }

    static int Run(const std::string& commandLine)
    {
        CCmdExecuteEx command(commandLine.c_str());
        return command.WaitAndRead();
    }

    // The report text that constructing and running throws, "" when neither
    // throws. The object is gone (and has cleaned up) by the time it returns.
    static std::string Failure(const std::string& commandLine)
    {
        return Thrown([&] { Run(commandLine); });
    }

    ScopedTempDir work;
};

// Open handles of this process, found by asking after every handle value.
int OpenHandleCount()
{
    int nCount = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD dwFlags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &dwFlags)) ++nCount;
    }
    return nCount;
}

// Compared without printing some hundred thousand characters on failure.
void ExpectLargeText(const std::string& expected, const std::string& actual)
{
    EXPECT_EQ(expected.size(), actual.size());
    EXPECT_TRUE(expected == actual);
}

std::string Additional(const std::string& inserts)
{
    return "Additional information=(" + inserts + ").";
}

// Both streams share one pipe, so the file keeps the order of arrival; what
// the child writes just before it ends arrives too.
TEST_F(CCmdExecuteExTest, LargeOutputOfBothStreamsReplacesAnExistingFile)
{
    std::ofstream(Capture(), std::ios::binary) << std::string(300000, 'x');
    EXPECT_EQ(0, Run(Child() + " out:A1 err:B2 bytes:60000:a err:B3 bytes:40000:b 2> " +
                     Capture()));
    ExpectLargeText("A1B2" + std::string(60000, 'a') + "B3" + std::string(40000, 'b'),
                    ReadWholeFile(Capture()));
}

// The child ends at once; a process it started writes on through the
// inherited pipe afterwards.
TEST_F(CCmdExecuteExTest, OutputOfADescendantAfterTheChildEndedIsKept)
{
    EXPECT_EQ(0, Run(Child() + " spawn sleep:500 bytes:50000:d err:end 2> " + Capture()));
    ExpectLargeText(std::string(50000, 'd') + "end", ReadWholeFile(Capture()));
}

TEST_F(CCmdExecuteExTest, ExitCodesAreReturnedSignedAndTraced)
{
    const std::string plain = Child() + " exit:3 2> " + Capture();
    EXPECT_EQ(3, Run(plain));
    const std::string crashed = Child() + " exit:0xC0000005 2> " + Capture();
    EXPECT_EQ(-1073741819, Run(crashed));
    // No capture file: the output is read (else the child would block) and dropped.
    EXPECT_EQ(5, Run(Child() + " bytes:100000:x exit:5"));

    const std::string text = Trace();
    EXPECT_NE(std::string::npos, text.find("Error ID=40000065. Source file name=CCmdExecEx"));
    EXPECT_NE(std::string::npos,
              text.find(Additional("WaitAndRead()," + plain + ",(NULL),(NULL),(NULL)")))
        << text;
    EXPECT_NE(std::string::npos, text.find("(INF:CreateProcess() Process="));
    EXPECT_EQ(std::string::npos, text.find("Process=-1"));
    EXPECT_NE(std::string::npos,
              text.find(Additional("WaitAndRead()," + plain + ",3,(NULL),(NULL)")));
    EXPECT_NE(std::string::npos,
              text.find(Additional("WaitAndRead()," + crashed + ",-1073741819,(NULL),(NULL)")));
}

// Blanks and any later " 2> " belong to the capture file's name.
TEST_F(CCmdExecuteExTest, OnlyTheFirstRedirectionSplits)
{
    const std::string blanks = work.Path() + "\\capture with  blanks.txt";
    EXPECT_EQ(0, Run(Child() + " echo one two 2> " + blanks));
    EXPECT_EQ("one two", ReadWholeFile(blanks));

    const std::string twice = work.Path() + "\\a 2> b";
    const std::string text = Failure(Child() + " out:x 2> " + twice);
    EXPECT_NE(std::string::npos, text.find("Error ID=c00002bd.")) << text;
    EXPECT_NE(std::string::npos, text.find("Additional information=(" + twice + ",")) << text;
}

TEST_F(CCmdExecuteExTest, CommandLineOf2046CharactersRunsAnd2047AreRefused)
{
    const std::string start = Child() + " out:ok pad:";
    const std::string end = " 2> " + Capture();
    const std::string longest = start + std::string(2046 - start.size() - end.size(), 'p') + end;
    ASSERT_EQ(2046u, longest.size());
    EXPECT_EQ(0, Run(longest));
    EXPECT_EQ("ok", ReadWholeFile(Capture()));

    const std::string text = Failure(std::string(2047, 'c'));
    EXPECT_NE(std::string::npos, text.find("Error ID=c00003de.")) << text;
    EXPECT_NE(std::string::npos,
              text.find(Additional("CCmdExecuteEx(),Not enough buffer,2047,(NULL),(NULL)")))
        << text;
}

// Reports name a command by what follows the first "\bin", else by its whole
// command line.
TEST_F(CCmdExecuteExTest, MissingProgramIsReportedByItsShortName)
{
    const std::string missing = work.Path() + "\\missing.exe a b 2> " + Capture();
    std::string text = Failure(missing);
    CBase base;
    const std::string systemText = base.GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_NE(std::string::npos, text.find("Error ID=c000033f.")) << text;
    EXPECT_NE(std::string::npos,
              text.find(Additional(missing + "," + systemText + ",(NULL),(NULL),(NULL)")))
        << text;
    EXPECT_NE(std::string::npos, Trace().find("(INF:CreateProcess() Process=-1,"));

    text = Failure(work.Path() + "\\bin\\missing.exe a b 2> " + Capture());
    EXPECT_NE(std::string::npos,
              text.find("Additional information=(missing.exe a b 2> " + Capture() + ","))
        << text;
}

// About ten seconds of idle passes, then the run fails; the clean-up reads
// the broken pipe once more and leaves the capture file empty.
TEST_F(CCmdExecuteExTest, ChildThatLetsGoOfItsOutputButRunsOnFails)
{
    const std::string binDir = work.Path() + "\\bin";
    ASSERT_TRUE(CreateDirectoryA(binDir.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(Child().c_str(), (binDir + "\\cmdchild.exe").c_str(), FALSE));

    const std::string arguments = "out:x close sleep:12000 2> " + Capture();
    const DWORD dwStart = GetTickCount();
    const std::string text = Failure(binDir + "\\cmdchild.exe " + arguments);
    const DWORD dwElapsed = GetTickCount() - dwStart;

    EXPECT_NE(std::string::npos, text.find("Error ID=c000033f.")) << text;
    EXPECT_NE(std::string::npos,
              text.find("Additional information=(cmdchild.exe " + arguments + ","))
        << text;
    EXPECT_GE(dwElapsed, 9500u);
    EXPECT_LT(dwElapsed, 12000u);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Capture().c_str()));
    EXPECT_EQ("", ReadWholeFile(Capture()));
    EXPECT_NE(std::string::npos,
              Trace().find(Additional("Close()," + binDir + "\\cmdchild.exe " + arguments +
                                      ",259,(NULL),(NULL)")));
}

// A finished run, a run whose child never started and a run cut short with
// its child still running each close what they opened. (The system keeps a
// few handles after its first failed process creation: warm up with one.)
TEST_F(CCmdExecuteExTest, EveryRunReleasesItsHandles)
{
    Run(Child() + " out:warm 2> " + Capture());
    Failure(work.Path() + "\\missing.exe");
    const int nBefore = OpenHandleCount();
    EXPECT_EQ(0, Run(Child() + " out:x err:y 2> " + Capture()));
    EXPECT_EQ(0, Run(Child() + " out:x"));
    EXPECT_NE("", Failure(work.Path() + "\\missing.exe 2> " + Capture()));
    EXPECT_NE("", Failure(Child() + " sleep:300 out:x 2> " + work.Path() + "\\none\\x.txt"));
    EXPECT_EQ(nBefore, OpenHandleCount());
}

}  // namespace
