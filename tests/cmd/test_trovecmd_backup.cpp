// The backup program's command line.
#include "ParseSupport.h"
#include "zoratmsg.h"

TEST_F(ParseTest, BackupAcceptsTwelveArguments)
{
    EXPECT_EQ("", Parse({"-D", dir, "-H", "h", "-A", "a", "-L", "LOG", "-F", "8", "-T", "7"}));
    EXPECT_EQ(Report(MSG_TOO_MANY_ARGUMENTS, 1498, "13"),
              Parse({"-D", dir, "-H", "h", "-A", "a", "-L", "LOG", "-F", "8", "-T", "7", "-B"}));
    EXPECT_EQ(Report(MSG_TOO_MANY_ARGUMENTS, 1498, "14"),
              Parse({"-D", dir, "-H", "h", "-A", "a", "-L", "LOG", "-F", "8", "-T", "7", "-B",
                     "20070101"}));
}

TEST_F(ParseTest, BackupKnowsNoRestoreOptions)
{
    EXPECT_EQ(Report(MSG_OPTION_ERROR, 1958, "-R"), Parse({"-D", dir, "-R", dir}));
    EXPECT_EQ(Report(MSG_OPTION_ERROR, 1958, "-G"), Parse({"-D", dir, "-G", "ALL"}));
}

TEST_F(ParseTest, BackupLogFileNames)
{
    const char* p = "trovesave.exe";
    CheckNames({
        {"hostA_app_X_20070105.log", "LOG", "hostA|app|X|20070105|||"},
        {"hostA_app_X_20070105001.csv", "CSV", "hostA|app|X|20070105|||"},
        // The three characters after a CSV date are cut without a length test.
        {"hostA_app_X_20070105.csv", "CSV", "hostA|app|X|20070|||"},
        {"hostA_app_X_20.csv", "CSV", "hostA|app|X||||"},
        {"hostA_app_X_20070105_01_003.log", "LOG", "hostA|app|X|20070105||01|003"},
        {"hostA_app_X_20070105_003.log", "LOG", "hostA|app|X|20070105|||003"},
        {"hostA_app_B_20070105_E1_0001.log", "LOG", "hostA|app|B|20070105|E1|0001|"},
        {"hostA_app_B_20070105_E1_0001_7.log", "LOG", "hostA|app|B|20070105|E1|0001|7"},
        // After the date the suffix searched is ".log", for CSV names too.
        {"hostA_app_X_20070105001_01.csv", "CSV", BadName(p, 2347, "hostA_app_X_20070105001_01.csv")},
        {"hostA.log", "LOG", BadName(p, 2185, "hostA.log")},
        {"hostA_app.log", "LOG", BadName(p, 2197, "hostA_app.log")},
        {"hostA_app__20070105.log", "LOG", BadName(p, 2210, "hostA_app__20070105.log")},
        {"hostA_app_X_20070105.txt", "CSV", BadName(p, 2230, "hostA_app_X_20070105.txt")},
        {"hostA_app_X_20070105.txt", "LOG", BadName(p, 2266, "hostA_app_X_20070105.txt")},
        {"hostA_app_B_20070105_E1.txt", "LOG", BadName(p, 2322, "hostA_app_B_20070105_E1.txt")},
        {"hostA_app_X_20070105_01_003.txt", "LOG", BadName(p, 2375, "hostA_app_X_20070105_01_003.txt")},
    });
}
