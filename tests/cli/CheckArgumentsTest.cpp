// zorbel-check's command line: every option in its short, long and joined
// spellings, inclusive ranges, bad values refused with the option named,
// export formats by name or alias, sources that look like options, two
// outputs on one file refused, and a usage text that names every option and
// alias.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "cli/CheckArguments.h"
#include "core/export/ExportFormat.h"
#include "support/ScanTestFiles.h"
#include "support/WorkingDirectory.h"

namespace {

CheckArguments Parse(std::vector<std::string> args) { return ParseCheckArguments(args); }

TEST(CheckArguments, NoArgumentsMeanTheFavoritesFolderWithTheUsersSettings)
{
    const CheckArguments parsed = Parse({});
    ASSERT_EQ(parsed.m_strError, "");
    EXPECT_EQ(parsed.m_options.m_strSource, "");
    EXPECT_FALSE(parsed.m_options.m_nThreads);
    EXPECT_FALSE(parsed.m_options.m_nTimeoutSeconds);
    EXPECT_TRUE(parsed.m_options.m_exports.empty());
    EXPECT_FALSE(parsed.m_options.m_strResults);
    EXPECT_FALSE(parsed.m_options.m_bQuiet);
}

TEST(CheckArguments, ManyChecksAtOnceButFewPerHostAndTwoRetriesByDefault)
{
    const CheckOptions options = Parse({"page.html"}).m_options;
    EXPECT_FALSE(options.m_nThreads); // the run takes kDefaultCheckThreads, not the window's setting
    EXPECT_EQ(kDefaultCheckThreads, 256);
    EXPECT_EQ(options.m_nHostLimit, 8);
    EXPECT_EQ(options.m_nRetries, 2);
    const CheckOptions given = Parse({"--host-limit", "3", "--retries=0", "-j100", "page.html"}).m_options;
    EXPECT_EQ(given.m_nThreads, 100);
    EXPECT_EQ(given.m_nHostLimit, 3);
    EXPECT_EQ(given.m_nRetries, 0);
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
        ASSERT_EQ(parsed.m_strError, "") << args[0];
        EXPECT_EQ(parsed.m_options.m_nThreads, 4);
        EXPECT_EQ(parsed.m_options.m_nTimeoutSeconds, 30);
        EXPECT_TRUE(parsed.m_options.m_bQuiet);
        EXPECT_EQ(parsed.m_options.m_strResults, "r.csv");
        EXPECT_EQ(parsed.m_options.m_strSource, "zorbel:page.html");
    }
    EXPECT_TRUE(Parse({"--help"}).m_options.m_bHelp);
    EXPECT_TRUE(Parse({"-h"}).m_options.m_bHelp);
    EXPECT_TRUE(Parse({"--version"}).m_options.m_bVersion);
    // -v is the version in zorbel-check as in zorbel, never a verbosity.
    EXPECT_TRUE(Parse({"-v"}).m_options.m_bVersion);
    EXPECT_EQ(Parse({"-v", "page.html"}).m_options.m_strSource, "page.html");
    EXPECT_EQ(Parse({"-vx"}).m_strError, "unknown option \"-vx\"");
}

TEST(CheckArguments, RangesAreInclusive)
{
    EXPECT_EQ(Parse({"-j", "1"}).m_options.m_nThreads, 1);
    EXPECT_EQ(Parse({"-j", "256"}).m_options.m_nThreads, 256);
    EXPECT_EQ(Parse({"--host-limit", "0"}).m_options.m_nHostLimit, 0);
    EXPECT_EQ(Parse({"--host-limit=256"}).m_options.m_nHostLimit, 256);
    EXPECT_EQ(Parse({"--retries", "0"}).m_options.m_nRetries, 0);
    EXPECT_EQ(Parse({"--retries=10"}).m_options.m_nRetries, 10);
    EXPECT_EQ(Parse({"-t", "1"}).m_options.m_nTimeoutSeconds, 1);
    EXPECT_EQ(Parse({"-t", "300"}).m_options.m_nTimeoutSeconds, 300);
}

TEST(CheckArguments, BadValuesAreRefusedWithTheOptionNamed)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"-j", "0"}, "-j takes a number of threads from 1 to 1024, not \"0\""},
        {{"--threads", "1025"}, "--threads takes a number of threads from 1 to 1024, not \"1025\""},
        {{"-j", "4x"}, "not \"4x\""},
        {{"-j", "-3"}, "not \"-3\""},
        {{"-j", ""}, "not \"\""},
        {{"-j", "99999999999999999999"}, "from 1 to 1024"},
        {{"--ca-file", "/no/such/bundle.pem"}, "option --ca-file: \"/no/such/bundle.pem\" cannot be read: No such file or directory"},
        {{"--ca-file", "/"}, "option --ca-file: \"/\" is not a file"},
        {{"--ca-file"}, "option --ca-file needs a value"},
        {{"--host-limit", "-1"}, "--host-limit takes a number of checks at once per host from 0 (no limit) to 256, "
                                 "not \"-1\""},
        {{"--host-limit=257"}, "not \"257\""},
        {{"--host-limit"}, "option --host-limit needs a value"},
        {{"--retries", "11"}, "--retries takes a number of retries from 0 to 10, not \"11\""},
        {{"--retries=x"}, "not \"x\""},
        {{"--retries"}, "option --retries needs a value"},
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
        EXPECT_NE(parsed.m_strError.find(strExpected), std::string::npos)
            << "arguments starting " << args[0] << ": " << parsed.m_strError;
    }
}

TEST(CheckArguments, ExportTakesAFormatByNameOrAliasAndAFile)
{
    const CheckArguments parsed = Parse({"--export", "CSV (With Folders)", "a.csv", "--export", "HTML-FOLDERS",
                                         "b.html", "--export=text", "c.txt", "--export", "plain text, urls only",
                                         "d.txt"});
    ASSERT_EQ(parsed.m_strError, "");
    ASSERT_EQ(parsed.m_options.m_exports.size(), 4u);
    EXPECT_EQ(parsed.m_options.m_exports[0].m_nFormatId, ExportCsvFolders);
    EXPECT_EQ(parsed.m_options.m_exports[0].m_strPath, "a.csv");
    EXPECT_EQ(parsed.m_options.m_exports[1].m_nFormatId, ExportHtmlFolders);
    EXPECT_EQ(parsed.m_options.m_exports[2].m_nFormatId, ExportPlainText);
    EXPECT_EQ(parsed.m_options.m_exports[2].m_strPath, "c.txt");
    EXPECT_EQ(parsed.m_options.m_exports[3].m_nFormatId, ExportUrlsOnly);
    EXPECT_EQ(parsed.m_options.m_strSource, "");

    // Every format can be named both ways.
    for (const ExportFormat& format : kExportFormats) {
        EXPECT_EQ(Parse({"--export", std::string(format.m_strName), "f"}).m_options.m_exports.at(0).m_nFormatId,
                  format.m_nId);
        EXPECT_EQ(
            Parse({"--export", std::string(ExportFormatAlias(format.m_nId)), "f"}).m_options.m_exports.at(0).m_nFormatId,
            format.m_nId);
    }
}

TEST(CheckArguments, SourcesThatLookLikeOptions)
{
    // "--" ends the options; a lone "-" is a file name.
    EXPECT_EQ(Parse({"--", "-links.html"}).m_options.m_strSource, "-links.html");
    EXPECT_EQ(Parse({"-"}).m_options.m_strSource, "-");
    // The file of an export is taken as it stands, even when it starts with "-".
    const CheckArguments parsed = Parse({"--export", "csv", "-out.csv", "page.html"});
    ASSERT_EQ(parsed.m_strError, "");
    EXPECT_EQ(parsed.m_options.m_exports.at(0).m_strPath, "-out.csv");
    EXPECT_EQ(parsed.m_options.m_strSource, "page.html");
}

TEST(CheckArguments, TwoOutputsOnOneFileAreRefused)
{
    // Whichever was written last would silently replace the other.
    scantest::TempFolder dir;
    WorkingDirectory cwd(dir.Path());
    scantest::MakeFolder(dir / "sub");
    scantest::WriteFile(dir / "old.csv", "x");
    ASSERT_EQ(::symlink("old.csv", (dir / "alias.csv").c_str()), 0);
    ASSERT_EQ(::link((dir / "old.csv").c_str(), (dir / "hard.csv").c_str()), 0);
    // Links to files that do not exist yet: what a write makes is their target.
    ASSERT_EQ(::symlink("target.csv", (dir / "link.csv").c_str()), 0);
    ASSERT_EQ(::symlink("link.csv", (dir / "chain.csv").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "sub/deep.csv").c_str(), (dir / "abs.csv").c_str()), 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--results", "link.csv", "--export", "csv", "target.csv"},
             {"--results", "chain.csv", "--export", "csv", dir / "target.csv"},
             {"--export", "csv", "sub/../abs.csv", "--results", "sub/deep.csv"},
             {"--export", "csv", "r.csv", "--results", "r.csv"},
             {"--results", "r.csv", "--export", "html", "./sub/../r.csv"},
             {"--export", "text", "list", "--export", "html", dir / "list"},
             {"--export", "csv", "old.csv", "--results", "alias.csv"},
             {"--export", "csv", "old.csv", "--results", "hard.csv"},
         }) {
        const CheckArguments parsed = Parse(args);
        EXPECT_NE(parsed.m_strError.find("name the same file"), std::string::npos) << args[2] << " " << args.back();
    }
    EXPECT_EQ(Parse({"--export", "csv", "r.csv", "--results", "R.csv"}).m_strError, "");
    EXPECT_EQ(Parse({"--export", "csv", "sub/r.csv", "--results", "r.csv"}).m_strError, "");
    // A device takes what it is given, as often as it is given.
    EXPECT_EQ(Parse({"--export", "csv", "/dev/null", "--results", "/dev/null"}).m_strError, "");
}

TEST(CheckArguments, UpdateMovedIsOnlyForTheFavoritesFolder)
{
    EXPECT_FALSE(Parse({}).m_options.m_bUpdateMoved);
    const CheckArguments parsed = Parse({"-q", "--update-moved"});
    ASSERT_EQ(parsed.m_strError, "");
    EXPECT_TRUE(parsed.m_options.m_bUpdateMoved);
    // The links of a page are no favourite files.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--update-moved", "page.html"}, {"https://example.org/", "--update-moved"}})
        EXPECT_EQ(Parse(args).m_strError, "--update-moved rewrites favourites of the Favorites folder and takes no SOURCE");
    EXPECT_EQ(Parse({"--update-moved=yes"}).m_strError, "unknown option \"--update-moved=yes\"");
}

TEST(CheckArguments, ContentChecksAreOnUnlessTurnedOff)
{
    EXPECT_FALSE(Parse({}).m_options.m_bNoContentChecks);
    const CheckArguments parsed = Parse({"--no-content-checks", "page.html"});
    ASSERT_EQ(parsed.m_strError, "");
    EXPECT_TRUE(parsed.m_options.m_bNoContentChecks);
    EXPECT_EQ(Parse({"--no-content-checks=1"}).m_strError, "unknown option \"--no-content-checks=1\"");
    EXPECT_NE(CheckUsageText().find("--no-content-checks"), std::string::npos);
}

TEST(CheckArguments, UsageNamesEveryOptionAndAlias)
{
    const std::string strUsage = CheckUsageText();
    for (const char* pszOption : {"--threads", "--timeout", "--export", "--results", "--quiet", "--help", "--version"})
        EXPECT_NE(strUsage.find(pszOption), std::string::npos) << pszOption;
    for (const ExportFormat& format : kExportFormats)
        EXPECT_NE(strUsage.find(ExportFormatAlias(format.m_nId)), std::string::npos);
}

} // namespace

namespace {

TEST(CheckArguments, ABrowserInsteadOfASource)
{
    EXPECT_EQ(Parse({"--browser", "firefox"}).m_options.m_strBrowser, "firefox");
    EXPECT_EQ(Parse({"--browser=Chromium:Work Stuff", "-q"}).m_options.m_strBrowser, "Chromium:Work Stuff");
    EXPECT_EQ(Parse({"--browser", "opera"}).m_strError,
              "unknown browser \"opera\"; the browsers are firefox, chromium, chrome, brave, vivaldi and edge");
    EXPECT_EQ(Parse({"--browser"}).m_strError, "option --browser needs a value");
    EXPECT_EQ(Parse({"page.html", "--browser", "edge"}).m_strError, "--browser and a SOURCE cannot both be given");
    EXPECT_EQ(Parse({"--browser", "edge", "page.html"}).m_strError, "--browser and a SOURCE cannot both be given");
}

} // namespace
