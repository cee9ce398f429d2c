#include <gtest/gtest.h>

#include "CheckArguments.h"
#include "export/ExportFormat.h"

namespace {

CheckArguments Parse(std::vector<std::string> args) { return ParseCheckArguments(args); }

TEST(CheckArguments, NoArgumentsMeanTheFavoritesFolderWithTheUsersSettings)
{
    const CheckArguments parsed = Parse({});
    ASSERT_EQ(parsed.strError, "");
    EXPECT_EQ(parsed.options.strSource, "");
    EXPECT_FALSE(parsed.options.nThreads);
    EXPECT_FALSE(parsed.options.nTimeoutSeconds);
    EXPECT_TRUE(parsed.options.exports.empty());
    EXPECT_FALSE(parsed.options.strResults);
    EXPECT_FALSE(parsed.options.bQuiet);
}

TEST(CheckArguments, EveryOptionInEverySpelling)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-j", "4", "-t", "30", "-q", "--results", "r.csv", "zorbel:page.html"},
             {"--threads", "4", "--timeout", "30", "--quiet", "--results", "r.csv", "zorbel:page.html"},
             {"--threads=4", "--timeout=30", "--results=r.csv", "-q", "zorbel:page.html"},
             {"zorbel:page.html", "-j4", "-t30", "--quiet", "--results", "r.csv"},
         }) {
        const CheckArguments parsed = Parse(args);
        ASSERT_EQ(parsed.strError, "") << args[0];
        EXPECT_EQ(parsed.options.nThreads, 4);
        EXPECT_EQ(parsed.options.nTimeoutSeconds, 30);
        EXPECT_TRUE(parsed.options.bQuiet);
        EXPECT_EQ(parsed.options.strResults, "r.csv");
        EXPECT_EQ(parsed.options.strSource, "zorbel:page.html");
    }
    EXPECT_TRUE(Parse({"--help"}).options.bHelp);
    EXPECT_TRUE(Parse({"-h"}).options.bHelp);
    EXPECT_TRUE(Parse({"--version"}).options.bVersion);
}

TEST(CheckArguments, RangesAreInclusive)
{
    EXPECT_EQ(Parse({"-j", "1"}).options.nThreads, 1);
    EXPECT_EQ(Parse({"-j", "16"}).options.nThreads, 16);
    EXPECT_EQ(Parse({"-t", "1"}).options.nTimeoutSeconds, 1);
    EXPECT_EQ(Parse({"-t", "300"}).options.nTimeoutSeconds, 300);
}

TEST(CheckArguments, BadValuesAreRefusedWithTheOptionNamed)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"-j", "0"}, "-j takes a number of threads from 1 to 16, not \"0\""},
        {{"--threads", "17"}, "--threads takes a number of threads from 1 to 16, not \"17\""},
        {{"-j", "4x"}, "not \"4x\""},
        {{"-j", "-3"}, "not \"-3\""},
        {{"-j", ""}, "not \"\""},
        {{"-j", "99999999999999999999"}, "from 1 to 16"},
        {{"-t", "0"}, "-t takes a time-out in seconds from 1 to 300, not \"0\""},
        {{"--timeout=301"}, "from 1 to 300, not \"301\""},
        {{"--timeout"}, "option --timeout needs a value"},
        {{"-j"}, "option -j needs a value"},
        {{"--results"}, "option --results needs a value"},
        {{"--results="}, "FILE name that is not empty"},
        {{"--export"}, "option --export needs a value"},
        {{"--export", "csv"}, "option --export needs a format and a FILE"},
        {{"--export", "xml", "out.xml"}, "unknown export format \"xml\""},
        {{"--export", "csv", ""}, "FILE name that is not empty"},
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"-x"}, "unknown option \"-x\""},
        {{"--quiet=yes"}, "unknown option \"--quiet=yes\""},
        {{"a.html", "b.html"}, "only one SOURCE may be given (\"a.html\" and \"b.html\")"},
    };
    for (const auto& [args, strExpected] : cases) {
        const CheckArguments parsed = Parse(args);
        EXPECT_NE(parsed.strError.find(strExpected), std::string::npos)
            << "arguments starting " << args[0] << ": " << parsed.strError;
    }
}

TEST(CheckArguments, ExportTakesAFormatByNameOrAliasAndAFile)
{
    const CheckArguments parsed = Parse({"--export", "CSV (With Folders)", "a.csv", "--export", "HTML-FOLDERS",
                                         "b.html", "--export=text", "c.txt", "--export", "plain text, urls only",
                                         "d.txt"});
    ASSERT_EQ(parsed.strError, "");
    ASSERT_EQ(parsed.options.exports.size(), 4u);
    EXPECT_EQ(parsed.options.exports[0].nFormatId, ExportCsvFolders);
    EXPECT_EQ(parsed.options.exports[0].strPath, "a.csv");
    EXPECT_EQ(parsed.options.exports[1].nFormatId, ExportHtmlFolders);
    EXPECT_EQ(parsed.options.exports[2].nFormatId, ExportPlainText);
    EXPECT_EQ(parsed.options.exports[2].strPath, "c.txt");
    EXPECT_EQ(parsed.options.exports[3].nFormatId, ExportUrlsOnly);
    EXPECT_EQ(parsed.options.strSource, "");

    // Every format can be named both ways.
    for (const ExportFormat& format : g_exportFormats) {
        EXPECT_EQ(Parse({"--export", std::string(format.m_strName), "f"}).options.exports.at(0).nFormatId, format.m_nId);
        EXPECT_EQ(Parse({"--export", std::string(ExportFormatAlias(format.m_nId)), "f"}).options.exports.at(0).nFormatId,
                  format.m_nId);
    }
}

TEST(CheckArguments, SourcesThatLookLikeOptions)
{
    // "--" ends the options; a lone "-" is a file name.
    EXPECT_EQ(Parse({"--", "-links.html"}).options.strSource, "-links.html");
    EXPECT_EQ(Parse({"-"}).options.strSource, "-");
    // The file of an export is taken as it stands, even when it starts with "-".
    const CheckArguments parsed = Parse({"--export", "csv", "-out.csv", "page.html"});
    ASSERT_EQ(parsed.strError, "");
    EXPECT_EQ(parsed.options.exports.at(0).strPath, "-out.csv");
    EXPECT_EQ(parsed.options.strSource, "page.html");
}

TEST(CheckArguments, UsageNamesEveryOptionAndAlias)
{
    const std::string strUsage = CheckUsageText();
    for (const char* pszOption : {"--threads", "--timeout", "--export", "--results", "--quiet", "--help", "--version"})
        EXPECT_NE(strUsage.find(pszOption), std::string::npos) << pszOption;
    for (const ExportFormat& format : g_exportFormats)
        EXPECT_NE(strUsage.find(ExportFormatAlias(format.m_nId)), std::string::npos);
}

} // namespace
