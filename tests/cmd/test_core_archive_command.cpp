// Running the archive storage tools and judging their end, with the stand-in
// tools as real child processes.
#include <fstream>

#include "ArkstoreInstall.h"
#include "ParseSupport.h"
#include "trovecmd_config.h"
#include "zoratmsg.h"

class ArchiveCommandTest : public ParseTest {
protected:
    // The copy command line of one file into the archive directory.
    std::string CopyCommand()
    {
        std::ofstream(work.Path() + "\\a.log", std::ios::binary) << "log";
        const std::string list = work.Path() + "\\list.tmp";
        std::ofstream(list, std::ios::binary)
            << work.Path() << "\\a.log\t" << dir << "\\a.cln\r\n";
        return "\"" + arkstore.Tool("arkcp") + "\" -a -m \"" + list + "\" 2> " + Capture();
    }

    std::string Capture() const { return work.Path() + "\\capture.tmp"; }

    std::string Run(const std::string& commandLine)
    {
        CBase record;
        return Thrown([&] { RunArchiveCommand(commandLine.c_str(), record, Capture().c_str()); });
    }

    testing_support::ScopedTempDir work;
    testing_support::ScopedArkstore arkstore{registry};
};

TEST_F(ArchiveCommandTest, FailureTextIsTheToolsFirstLine)
{
    const std::string command = CopyCommand();
    struct Case {
        const char* pszFaults;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"arkcp.fail=error\r\narkcp.message=error text\r\n", "error text"},
        {"arkcp.fail=arena\r\n", "ARK0042E device:arena not ready"},
        {"arkcp.fail=silent\r\n", Report(MSG_COMMAND_FAILED, 2454, command, "1")},
        // A crashed tool has ended with an exception status: no success.
        {"arkcp.fail=crash\r\n", Report(MSG_COMMAND_FAILED, 2454, command, "-1073741819")},
    };
    for (const Case& c : cases) {
        arkstore.SetFaults(c.pszFaults);
        EXPECT_EQ(c.expected, Run(command)) << c.pszFaults;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir + "\\a.cln").c_str()));
    }

    arkstore.SetFaults("");
    EXPECT_EQ("", Run(command));
    EXPECT_EQ("log", testing_support::ReadWholeFile(dir + "\\a.cln"));
    // The device never overwrites: the second copy of the same target fails.
    EXPECT_NE("", Run(command));
}

// The first line is cut to 4096 bytes, never inside a double-byte character.
TEST_F(ArchiveCommandTest, LongFirstLineIsCutOnAWholeCharacter)
{
    const std::string child = "\"" + testing_support::BuildDirectory() + "\\bin\\cmdchild.exe\"";
    for (int nBefore : {4095, 4094}) {
        const std::string command = child + " bytes:" + std::to_string(nBefore) +
                                    ":a out:\x83\x5C\x83\x41 exit:1 2> " + Capture();
        EXPECT_EQ(std::string(nBefore, 'a') + (nBefore == 4094 ? "\x83\x5C" : ""), Run(command));
    }
}
