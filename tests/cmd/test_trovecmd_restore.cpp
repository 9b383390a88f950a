// The restore program's command line.
#include "ParseSupport.h"

TEST_F(ParseTest, RestoreAcceptsSixteenArguments)
{
    EXPECT_EQ("", Parse({"-D", dir, "-R", dir, "-H", "h", "-A", "a", "-L", "LOG", "-G", "ALL",
                         "-F", "8", "-T", "7"}));
    EXPECT_EQ(Report(0xC000025D, 1498, "17"),
              Parse({"-D", dir, "-R", dir, "-H", "h", "-A", "a", "-L", "LOG", "-G", "ALL", "-F",
                     "8", "-T", "7", "-B"}));
    // Fifteen pass the count and fail in the pair walk.
    EXPECT_EQ(Report(0xC000025E, 1523, "-T"),
              Parse({"-D", dir, "-R", dir, "-H", "h", "-A", "a", "-L", "LOG", "-G", "ALL", "-F",
                     "8", "-T"}));
}

TEST_F(ParseTest, RestoreDirectoryAndGeneration)
{
    EXPECT_EQ(Report(0xC000025E, 1978, "-R"), Parse({"-D", dir}));
    EXPECT_EQ(Report(0xC0000261, 1838, "-R"), Parse({"-D", dir, "-R", dir, "-R", dir}));
    EXPECT_EQ(Report(0xC000025F, 1850, "-R", "C:\\data\\"), Parse({"-D", dir, "-R", "C:\\data\\"}));
    EXPECT_EQ(Report(0xC000025F, 1891, "-R", "C:"), Parse({"-D", dir, "-R", "C:"}));
    const std::string longDir = "C:\\" + std::string(79, 'r');
    EXPECT_EQ(Report(0xC0000264, 1874, "-R", "80", "82"), Parse({"-D", dir, "-R", longDir}));
    EXPECT_EQ(Report(0xC000025F, 1883, "-R", dir + "\\x"), Parse({"-D", dir, "-R", dir + "\\x"}));

    ASSERT_EQ("", Parse({"-D", dir, "-R", dir}));
    EXPECT_EQ("LAST", options.generation);
    EXPECT_EQ(dir, options.restoreDir);
    ASSERT_EQ("", Parse({"-G", "ALL", "-D", dir, "-R", dir}));
    EXPECT_EQ("ALL", options.generation);
    EXPECT_EQ(Report(0xC000025F, 1916, "-G", "all"), Parse({"-D", dir, "-R", dir, "-G", "all"}));
    EXPECT_EQ(Report(0xC0000261, 1906, "-G"),
              Parse({"-G", "ALL", "-G", "ALL", "-D", dir, "-R", dir}));
}
