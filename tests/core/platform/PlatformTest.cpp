// System error texts and the path tests behave as their callers rely on.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <stdlib.h>

#include "core/platform/PathUtil.h"
#include "core/platform/SystemError.h"

TEST(FormatSystemError, GivesTheSystemTextForErrno)
{
    char buf[256];
    EXPECT_STREQ(FormatSystemError(ENOENT, buf, sizeof buf), "No such file or directory");
    EXPECT_STREQ(FormatSystemError(EACCES), "Permission denied");
}

TEST(FormatSystemError, LeavesTheBufferUntouchedForInternetErrors)
{
    char buf[32] = "caller's text";
    EXPECT_EQ(FormatSystemError(12000, buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "caller's text");
    EXPECT_STREQ(FormatSystemError(12174, buf, sizeof buf), "caller's text");
    EXPECT_STRNE(FormatSystemError(12175, buf, sizeof buf), "caller's text");
    EXPECT_STRNE(FormatSystemError(11999, buf, sizeof buf), "caller's text");
}

TEST(FormatSystemError, UnknownCodesSaySoAndTextsAreCutToTheBuffer)
{
    char buf[64];
    EXPECT_STREQ(FormatSystemError(99999, buf, sizeof buf), "<Error code 0x0001869F not found...>");
    char small[8];
    EXPECT_STREQ(FormatSystemError(ENOENT, small, sizeof small), "No such");
}

TEST(PathIsURLA, NeedsASchemeOfTwoOrMoreCharactersAndAColon)
{
    EXPECT_TRUE(PathIsURLA("http://example.com/"));
    EXPECT_TRUE(PathIsURLA("mailto:someone@example.com"));
    EXPECT_TRUE(PathIsURLA("svn+ssh://host/"));
    EXPECT_TRUE(PathIsURLA("ab:"));
    EXPECT_FALSE(PathIsURLA("C:\\Windows"));
    EXPECT_FALSE(PathIsURLA("/home/user/file.txt"));
    EXPECT_FALSE(PathIsURLA(""));
    EXPECT_FALSE(PathIsURLA("http"));
    EXPECT_FALSE(PathIsURLA("ht tp://x"));
    EXPECT_FALSE(PathIsURLA(":x"));
}

TEST(PathIsDirectoryA, IsTrueOnlyForExistingDirectories)
{
    const auto dir = std::filesystem::temp_directory_path();
    EXPECT_TRUE(PathIsDirectoryA(dir.string()));
    EXPECT_FALSE(PathIsDirectoryA((dir / "zorbel-no-such-dir-here").string()));
    EXPECT_FALSE(PathIsDirectoryA(""));
    EXPECT_FALSE(PathIsDirectoryA("http://example.com/"));
}

TEST(HelpFilePathFor, ReplacesTheExtensionOrAppendsOne)
{
    EXPECT_EQ(HelpFilePathFor("/opt/zorbel/Zorbel.exe"), "/opt/zorbel/Zorbel.chm");
    EXPECT_EQ(HelpFilePathFor("/usr/bin/zorbel"), "/usr/bin/zorbel.chm");
    EXPECT_EQ(HelpFilePathFor("/home/a.b/zorbel"), "/home/a.b/zorbel.chm");
    EXPECT_EQ(HelpFilePathFor("/home/u/.zorbel"), "/home/u/.zorbel.chm");
    EXPECT_EQ(HelpFilePathFor("zorbel.bin"), "zorbel.chm");
}

// An installed program has no help file beside it; it reads the one installed
// under the prefix. A help file beside the program (a build folder, a copy
// the user put there) still comes first.
class HelpFileLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string strTemplate = (std::filesystem::temp_directory_path() / "zorbel-help-XXXXXX").string();
        ASSERT_NE(::mkdtemp(strTemplate.data()), nullptr);
        m_prefix = strTemplate;
        std::filesystem::create_directories(m_prefix / "bin");
        std::filesystem::create_directories(m_prefix / "share/zorbel");
        m_strExe = (m_prefix / "bin/zorbel").string();
    }
    void TearDown() override { std::filesystem::remove_all(m_prefix); }

    static void Touch(const std::filesystem::path& path) { std::ofstream(path) << "ITSF"; }

    std::filesystem::path m_prefix;
    std::string m_strExe;
    const std::string m_strInstalled = "../share/zorbel/zorbel.chm";
};

TEST_F(HelpFileLookup, TakesTheInstalledFileWhenNoneIsBesideTheProgram)
{
    Touch(m_prefix / "share/zorbel/zorbel.chm");
    EXPECT_EQ(FindHelpFileFor(m_strExe, m_strInstalled), (m_prefix / "share/zorbel/zorbel.chm").string());
}

TEST_F(HelpFileLookup, PrefersTheFileBesideTheProgram)
{
    Touch(m_prefix / "share/zorbel/zorbel.chm");
    Touch(m_prefix / "bin/zorbel.chm");
    EXPECT_EQ(FindHelpFileFor(m_strExe, m_strInstalled), (m_prefix / "bin/zorbel.chm").string());
}

TEST_F(HelpFileLookup, FallsBackToTheFileBesideTheProgramWhenNeitherExists)
{
    EXPECT_EQ(FindHelpFileFor(m_strExe, m_strInstalled), (m_prefix / "bin/zorbel.chm").string());
    EXPECT_EQ(FindHelpFileFor(m_strExe, ""), (m_prefix / "bin/zorbel.chm").string());
    // A folder of that name is not a help file.
    std::filesystem::create_directories(m_prefix / "share/zorbel/zorbel.chm");
    EXPECT_EQ(FindHelpFileFor(m_strExe, m_strInstalled), (m_prefix / "bin/zorbel.chm").string());
}
