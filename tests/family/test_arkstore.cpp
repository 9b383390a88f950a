#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ArkstoreInstall.h"
#include "CCmdExecEx.h"
#include "ProductTest.h"
#include "UniqueHandle.h"

using namespace testing_support;

namespace {

// The tools installed and run through the product's command runner; sources
// hold their own names.
class ArkstoreTest : public ProductTest {
protected:
    // The exit code; output gets everything the tool wrote.
    DWORD Run(const char* pszTool, const std::string& args, std::string& output)
    {
        const std::string capture = work.Path() + "\\capture.txt";
        CCmdExecuteEx run(
            ("\"" + arkstore.Tool(pszTool) + "\" " + args + " 2> " + capture).c_str());
        const DWORD dwExit = static_cast<DWORD>(run.WaitAndRead());
        output = ReadWholeFile(capture);
        return dwExit;
    }

    // Writes the sources and a list file (with a blank in its name) copying
    // each to "dst"; returns the arguments of the copy call.
    std::string CopyArguments(const std::vector<std::string>& names, const char* pszDirection)
    {
        std::string list;
        for (const std::string& name : names) {
            Write(src.Path() + "\\" + name, name);
            list += src.Path() + "\\" + name + "\t" + dst.Path() + "\\" + name + "\r\n";
        }
        const std::string listFile = work.Path() + "\\copy list.txt";
        Write(listFile, list);
        return std::string(pszDirection) + " -m \"" + listFile + "\"";
    }

    static void Write(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    ScopedTempDir src, dst, work;
    ScopedArkstore arkstore{registry};
};

TEST_F(ArkstoreTest, CopiesEveryLineInBothDirectionsAndRecordsEachCall)
{
    std::string expectedCalls;
    for (const char* pszDirection : {"-a", "-r"}) {
        SCOPED_TRACE(pszDirection);
        const std::vector<std::string> names = {std::string("one") + pszDirection,
                                                std::string("two") + pszDirection};
        const std::string args = CopyArguments(names, pszDirection);
        std::string output;
        EXPECT_EQ(0u, Run("arkcp", args, output));
        EXPECT_EQ("", output);
        expectedCalls +=
            "call arkcp\r\ncommand \"" + arkstore.Tool("arkcp") + "\" " + args + "\r\n";
        for (const std::string& name : names) {
            EXPECT_EQ(name, ReadWholeFile(dst.Path() + "\\" + name));
            expectedCalls +=
                "list " + src.Path() + "\\" + name + "\t" + dst.Path() + "\\" + name + "\r\n";
        }
        expectedCalls += "end\r\n";
    }
    EXPECT_EQ(expectedCalls, arkstore.Calls());
}

// The lines before an existing target are copied, the existing one is left
// as it was, and nothing after it is copied.
// The existing target fails alone: the lines around it are copied.
TEST_F(ArkstoreTest, AnExistingTargetFailsTheCopyAndStaysUnchanged)
{
    Write(dst.Path() + "\\two", "old");
    std::string output;
    EXPECT_EQ(1u, Run("arkcp", CopyArguments({"one", "two", "three"}, "-a"), output));
    EXPECT_LT(output.find(dst.Path() + "\\two"), output.find("\r\n")) << output;
    EXPECT_EQ("old", ReadWholeFile(dst.Path() + "\\two"));
    EXPECT_EQ("one", ReadWholeFile(dst.Path() + "\\one"));
    EXPECT_EQ("three", ReadWholeFile(dst.Path() + "\\three"));
}

TEST_F(ArkstoreTest, ListsRegularFilesWithSixtyFourBitSizes)
{
    Write(dst.Path() + "\\a.txt", "abc");
    CreateDirectoryA((dst.Path() + "\\sub").c_str(), nullptr);
    // Past 4 GiB without writing it: the file is sparse.
    {
        const UniqueFileHandle big(CreateFileA((dst.Path() + "\\big.dat").c_str(), GENERIC_WRITE, 0,
                                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
        LARGE_INTEGER size;
        size.QuadPart = 0x100000005LL;
        ASSERT_TRUE(SetFilePointerEx(big.get(), size, nullptr, FILE_BEGIN) &&
                    SetEndOfFile(big.get()));
    }

    std::string output;
    EXPECT_EQ(0u, Run("arkls", "-f -s \"" + dst.Path() + "\"", output));
    EXPECT_EQ("a.txt\t3\r\nbig.dat\t4294967301\r\n", output);

    const std::string missing = work.Path() + "\\missing";
    EXPECT_EQ(1u, Run("arkls", "-f -s \"" + missing + "\"", output));
    EXPECT_LT(output.find(missing), output.find("\r\n")) << output;
}

// The control file, what the tool then answers and writes, and which of the
// lines a, bb and ccc were copied (bit 0 for a).
struct FaultCase {
    const char *pszControl, *pszTool;
    DWORD dwExit;
    const char* pszOutput;
    unsigned copiedMask;
};

const FaultCase FAULT_CASES[] = {
    {"arkcp.fail=arena", "arkcp", 1, "ARK0042E device:arena not ready\r\n", 0},
    {"arkcp.fail=error\r\narkcp.message=ARK0100E tape full\r\n", "arkcp", 1,
     "ARK0100E tape full\r\n", 0},
    {"arkcp.fail=silent", "arkcp", 1, "", 0},
    {"arkcp.fail=crash", "arkcp", 0xC0000005, "", 0},
    {"arkcp.after=2", "arkcp", 1, "ARK0050E request failed\r\n", 3},
    {"arkcp.fail=crash\narkcp.after=1\n", "arkcp", 0xC0000005, "", 1},
    {"arkcp.skip=2", "arkcp", 0, "", 5},
    {"arkls.fail=crash\narkls.listing=empty\n", "arkcp", 0, "", 7},
    {"# comment\r\n\r\narkcp.fial=arena\r\n", "arkcp", 1,
     "ARK0099E arkstore.ctl line 3: unknown switch \"arkcp.fial=arena\"\r\n", 0},
    {"arkls.fail=error\narkls.message=ARK0200E no medium", "arkls", 1, "ARK0200E no medium\r\n", 0},
    {"arkls.listing=notab", "arkls", 0, "ARK0301W entry damaged\r\na\t1\r\nbb\t2\r\nccc\t3\r\n", 0},
    {"arkls.listing=empty", "arkls", 0, "\r\na\t1\r\nbb\t2\r\nccc\t3\r\n", 0},
    {"arkls.listing=omit:BB", "arkls", 0, "a\t1\r\nccc\t3\r\n", 0},
};

TEST_F(ArkstoreTest, FaultSwitchesActAsDocumented)
{
    const std::vector<std::string> names = {"a", "bb", "ccc"};
    for (const FaultCase& fault : FAULT_CASES) {
        SCOPED_TRACE(fault.pszControl);
        std::string args = CopyArguments(names, "-a");
        if (std::string(fault.pszTool) == "arkls") args = "-f -s \"" + src.Path() + "\"";
        for (const std::string& name : names) DeleteFileA((dst.Path() + "\\" + name).c_str());
        arkstore.SetFaults(fault.pszControl);
        std::string output;
        EXPECT_EQ(fault.dwExit, Run(fault.pszTool, args, output));
        EXPECT_EQ(fault.pszOutput, output);
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(((fault.copiedMask >> i) & 1) != 0,
                      ReadWholeFile(dst.Path() + "\\" + names[i]) == names[i])
                << i;
    }
}

// Calls are counted per tool over the call record, across processes.
TEST_F(ArkstoreTest, CallSwitchFailsOnlyThatCallOfTheTool)
{
    arkstore.SetFaults("arkcp.fail=arena\r\narkcp.call=2\r\n");
    std::string output;
    EXPECT_EQ(0u, Run("arkls", "-f -s \"" + dst.Path() + "\"", output));
    const DWORD expected[] = {0, 1, 0};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(expected[i], Run("arkcp", CopyArguments({"f" + std::to_string(i)}, "-a"), output));
    arkstore.SetFaults("");
    EXPECT_EQ(0u, Run("arkcp", CopyArguments({"f1"}, "-a"), output));
}

}  // namespace
