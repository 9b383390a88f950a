// The configuration readers and the protected-directory check, on real INI
// files, directories and registry values.
#include <cstring>

#include "CIniFile.h"
#include "ParseSupport.h"
#include "trovecmd_config.h"
#include "zoratmsg.h"

namespace {

const char NO_INSERTS[] = "(NULL)";

struct IniCase {
    const char* pszContent;  // nullptr: no file at all
    std::string expected;    // the value read, or the report thrown
};

}  // namespace

class ConfigurationTest : public ParseTest {
protected:
    void WriteFile(const std::string& path, const char* pszContent)
    {
        CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
        DeleteFileA(path.c_str());
        if (!pszContent) return;
        FILE* fp = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, fp);
        fputs(pszContent, fp);
        fclose(fp);
    }

    static std::string NoInserts(DWORD id, int tag)
    {
        return Report(id, tag, NO_INSERTS);
    }

    // What ReadNormalizeDir leaves in a buffer that held "kept", or threw.
    std::string NormalizeDir(const std::string& logKind)
    {
        char szDir[DIR_BUFFER_SIZE] = "kept";
        CBase record;
        const std::string thrown = Thrown([&] { ReadNormalizeDir(szDir, logKind, record); });
        return thrown.empty() ? szDir : thrown;
    }

    std::string ProtectedCheck(const std::string& protectedDir, const std::string& optionDir)
    {
        CBase record;
        return Thrown([&] { CheckNotSameDir(protectedDir.c_str(), optionDir.c_str(), record); });
    }

    testing_support::ScopedTempDir keystone;
};

TEST_F(ConfigurationTest, SaveDirectoryFromTheManagerDefinitionFile)
{
    const std::string path = install.Path() + "\\etc\\zoratmgr.def";
    const std::string unreadable = "," + path + ",MANAGER,SAVE_DIR,";
    const std::vector<IniCase> cases = {
        {"[MANAGER]\r\nSAVE_DIR=D:\\save\r\n", "D:\\save"},
        {"[MANAGER]\r\nSAVE_DIR=\r\n", NoInserts(MSG_DIRECTORY_SETTING_MISSING, 2059)},
        {"[MANAGER]\r\nOTHER=1\r\n", NoInserts(MSG_DIRECTORY_SETTING_MISSING, 2059)},
        {"[OTHER]\r\nSAVE_DIR=D:\\save\r\n",
         testing_support::TemplateText(MSG_INI_READ_FAILED, "trovecmd", 2065,
                                       path + ",MANAGER,SAVE_DIR,2,(NULL)")},
        {nullptr, testing_support::TemplateText(MSG_INI_READ_FAILED, "trovecmd", 2065,
                                                path + ",MANAGER,SAVE_DIR,1,(NULL)")},
    };
    for (const IniCase& c : cases) {
        WriteFile(path, c.pszContent);
        CIniFile ini(const_cast<char*>(path.c_str()));
        char szDir[DIR_BUFFER_SIZE] = {};
        CBase record;
        const std::string thrown = Thrown([&] { EXPECT_EQ(0, ReadSaveDir(szDir, ini, record)); });
        EXPECT_EQ(c.expected, thrown.empty() ? std::string(szDir) : thrown)
            << (c.pszContent ? c.pszContent : "no file");
    }
}

TEST_F(ConfigurationTest, NormalizeDirectoryIsRequiredForCsvOnly)
{
    registry.SetString(testing_support::PRODUCT_KEY, "DM PathName", keystone.Path());
    const std::string path = keystone.Path() + "\\Brannoc.dm\\quend\\data\\etc\\quendconf.ini";
    for (const char* pszDir : {"\\Brannoc.dm", "\\Brannoc.dm\\quend", "\\Brannoc.dm\\quend\\data"})
        CreateDirectoryA((keystone.Path() + pszDir).c_str(), nullptr);

    struct KindCase {
        const char* pszContent;
        std::string log;
        std::string csv;
    };
    const std::string noSection = testing_support::TemplateText(
        MSG_INI_READ_FAILED, "trovecmd", 2593, path + ",Directory,NormalizeDir,2,(NULL)");
    const std::vector<KindCase> cases = {
        {"[Directory]\r\nNormalizeDir=D:\\csv\r\n", "D:\\csv", "D:\\csv"},
        {nullptr, "kept", NoInserts(MSG_DIRECTORY_SETTING_MISSING, 2587)},
        {"[Directory]\r\nNormalizeDir=\r\n", "", NoInserts(MSG_DIRECTORY_SETTING_MISSING, 2587)},
        {"[Other]\r\nNormalizeDir=D:\\csv\r\n", "", noSection},
    };
    for (const KindCase& c : cases) {
        WriteFile(path, c.pszContent);
        EXPECT_EQ(c.log, NormalizeDir("LOG")) << (c.pszContent ? c.pszContent : "no file");
        EXPECT_EQ(c.csv, NormalizeDir("CSV")) << (c.pszContent ? c.pszContent : "no file");
    }

    // Without the sibling product both kinds fail.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, testing_support::PRODUCT_KEY, "DM PathName");
    EXPECT_NE(nullptr, strstr(NormalizeDir("LOG").c_str(), "DM PathName"));
}

TEST_F(ConfigurationTest, OptionDirectoryMayNotBeTheProtectedOne)
{
    const std::string save = dir + "\\Collected Audit Logs";
    ASSERT_TRUE(CreateDirectoryA(save.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((save + "\\sub").c_str(), nullptr));
    char szShort[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameA(save.c_str(), szShort, sizeof(szShort)));
    std::string upper = save;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

    const auto refused = [](const std::string& optionDir) {
        return Report(MSG_OPTION_VALUE_INVALID, 2126, "-D", optionDir);
    };
    EXPECT_EQ(refused(save), ProtectedCheck(save, save));
    EXPECT_EQ(refused(upper), ProtectedCheck(save, upper));
    EXPECT_EQ(refused(szShort), ProtectedCheck(save, szShort));
    EXPECT_EQ(refused(save), ProtectedCheck(szShort, save));
    EXPECT_EQ("", ProtectedCheck(save, save + "\\sub"));
    EXPECT_EQ("", ProtectedCheck(save + "\\sub", save));
    // A protected directory that does not exist is compared as written.
    EXPECT_EQ("", ProtectedCheck(save + "\\gone\\", save + "\\sub"));
    EXPECT_EQ(refused(save + "\\sub"), ProtectedCheck(upper + "\\SUB", save + "\\sub"));
}
