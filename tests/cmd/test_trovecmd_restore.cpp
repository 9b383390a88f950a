// The restore program's command line.
#include "ParseSupport.h"
#include "zoratmsg.h"

TEST_F(ParseTest, RestoreAcceptsSixteenArguments)
{
    EXPECT_EQ("", Parse({"-D", dir, "-R", dir, "-H", "h", "-A", "a", "-L", "LOG", "-G", "ALL",
                         "-F", "8", "-T", "7"}));
    EXPECT_EQ(Report(MSG_TOO_MANY_ARGUMENTS, 1498, "17"),
              Parse({"-D", dir, "-R", dir, "-H", "h", "-A", "a", "-L", "LOG", "-G", "ALL", "-F",
                     "8", "-T", "7", "-B"}));
    // Fifteen pass the count and fail in the pair walk.
    EXPECT_EQ(Report(MSG_OPTION_ERROR, 1523, "-T"),
              Parse({"-D", dir, "-R", dir, "-H", "h", "-A", "a", "-L", "LOG", "-G", "ALL", "-F",
                     "8", "-T"}));
}

TEST_F(ParseTest, RestoreDirectoryAndGeneration)
{
    EXPECT_EQ(Report(MSG_OPTION_ERROR, 1978, "-R"), Parse({"-D", dir}));
    EXPECT_EQ(Report(MSG_OPTION_DUPLICATE, 1838, "-R"), Parse({"-D", dir, "-R", dir, "-R", dir}));
    EXPECT_EQ(Report(MSG_OPTION_VALUE_INVALID, 1850, "-R", "C:\\data\\"),
              Parse({"-D", dir, "-R", "C:\\data\\"}));
    EXPECT_EQ(Report(MSG_OPTION_VALUE_INVALID, 1891, "-R", "C:"), Parse({"-D", dir, "-R", "C:"}));
    const std::string longDir = "C:\\" + std::string(79, 'r');
    EXPECT_EQ(Report(MSG_OPTION_VALUE_LENGTH, 1874, "-R", "80", "82"),
              Parse({"-D", dir, "-R", longDir}));
    EXPECT_EQ(Report(MSG_OPTION_VALUE_INVALID, 1883, "-R", dir + "\\x"),
              Parse({"-D", dir, "-R", dir + "\\x"}));

    ASSERT_EQ("", Parse({"-D", dir, "-R", dir}));
    EXPECT_EQ("LAST", options.generation);
    EXPECT_EQ(dir, options.restoreDir);
    ASSERT_EQ("", Parse({"-G", "ALL", "-D", dir, "-R", dir}));
    EXPECT_EQ("ALL", options.generation);
    EXPECT_EQ(Report(MSG_OPTION_VALUE_INVALID, 1916, "-G", "all"),
              Parse({"-D", dir, "-R", dir, "-G", "all"}));
    EXPECT_EQ(Report(MSG_OPTION_DUPLICATE, 1906, "-G"),
              Parse({"-G", "ALL", "-G", "ALL", "-D", dir, "-R", dir}));
}

TEST_F(ParseTest, RestoreArchivedNames)
{
    const char* p = "troveload.exe";
    CheckNames({
        {"hostA_app_X_20070105.cln", "LOG", "hostA|app|X|20070105|||"},
        {"hostA_app_X_20070105001.cln", "CSV", "hostA|app|X|20070105|||"},
        // An 11-character date field marks a CSV archive, any other a LOG one.
        {"hostA_app_X_20070105001.cln", "LOG", "hostA|app|X|00000000|||"},
        {"hostA_app_X_20070105.cln", "CSV", "hostA|app|X|00000000|||"},
        {"hostA_app_X_20070105001_01_003.cln", "CSV", "hostA|app|X|20070105|||"},
        {"hostA_app_X_20070105_01_003.cln", "CSV", "hostA|app|X|00000000|||"},
        {"hostA_app_X_20070105_01_003.cln", "LOG", "hostA|app|X|20070105||01|003"},
        {"hostA_app_X_20070105_003.cln", "LOG", "hostA|app|X|20070105|||003"},
        {"hostA_app_B_20070105_E1_0001.cln", "LOG", "hostA|app|B|20070105|E1|0001|"},
        {"hostA_app_B_20070105_E1.cln", "LOG", "hostA|app|B|20070105|E1||"},
        // The first ".cln" counts, wherever it stands.
        {"hostA_app_X_20070105.cln.cln", "LOG", "hostA|app|X|20070105|||"},
        {"hostA", "LOG", BadName(p, 2185, "hostA")},
        {"hostA_app__20070105.cln", "LOG", BadName(p, 2210, "hostA_app__20070105.cln")},
        {"hostA_app_X_20070105001.log", "CSV", BadName(p, 2241, "hostA_app_X_20070105001.log")},
        {"hostA_app_X_20070105.log", "LOG", BadName(p, 2266, "hostA_app_X_20070105.log")},
        {"hostA_app_B_20070105_E1.log", "LOG", BadName(p, 2322, "hostA_app_B_20070105_E1.log")},
        {"hostA_app_X_20070105_01.log", "LOG", BadName(p, 2347, "hostA_app_X_20070105_01.log")},
        {"hostA_app_X_20070105_01_003.log", "LOG", BadName(p, 2375, "hostA_app_X_20070105_01_003.log")},
    });
}
