// The backup program's command line.
#include "ParseSupport.h"

TEST_F(ParseTest, BackupAcceptsTwelveArguments)
{
    EXPECT_EQ("", Parse({"-D", dir, "-H", "h", "-A", "a", "-L", "LOG", "-F", "8", "-T", "7"}));
    EXPECT_EQ(Report(0xC000025D, 1498, "13"),
              Parse({"-D", dir, "-H", "h", "-A", "a", "-L", "LOG", "-F", "8", "-T", "7", "-B"}));
    EXPECT_EQ(Report(0xC000025D, 1498, "14"),
              Parse({"-D", dir, "-H", "h", "-A", "a", "-L", "LOG", "-F", "8", "-T", "7", "-B",
                     "20070101"}));
}

TEST_F(ParseTest, BackupKnowsNoRestoreOptions)
{
    EXPECT_EQ(Report(0xC000025E, 1958, "-R"), Parse({"-D", dir, "-R", dir}));
    EXPECT_EQ(Report(0xC000025E, 1958, "-G"), Parse({"-D", dir, "-G", "ALL"}));
}
