// zorbel-check's manual page keeps up with the program: every option of
// the table that drives the parser and --help, in its short and long
// spelling, and every export format has an entry in the page.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/CheckArguments.h"
#include "cli/CheckOptionTable.h"
#include "core/export/ExportFormat.h"

namespace {

// The page as its reader sees the option names: roff's escaped minus signs
// ("\-") read as plain hyphens.
std::string ManualPageText()
{
    std::ifstream in(ZORBEL_MAN_PAGE_DIR "/zorbel-check.1");
    std::stringstream text;
    text << in.rdbuf();
    std::string strPage = text.str();
    for (size_t n = strPage.find("\\-"); n != std::string::npos; n = strPage.find("\\-", n))
        strPage.erase(n, 1);
    return strPage;
}

// The text of the OPTIONS section: from ".SH OPTIONS" to the next ".SH".
std::string OptionsSection(const std::string& strPage)
{
    const size_t nStart = strPage.find(".SH OPTIONS");
    if (nStart == std::string::npos)
        return {};
    return strPage.substr(nStart, strPage.find("\n.SH ", nStart + 1) - nStart);
}

// "-j", "--threads" ... as the option table names them.
std::set<std::string> OptionsOfTheTable()
{
    std::set<std::string> options;
    for (const CheckOptionSpec& option : CheckOptionTable()) {
        if (!option.m_strShort.empty())
            options.insert(std::string(option.m_strShort));
        options.insert(std::string(option.m_strLong));
    }
    return options;
}

TEST(ManualPage, HasAnEntryForEveryOptionOfTheTable)
{
    const std::string strOptions = OptionsSection(ManualPageText());
    ASSERT_FALSE(strOptions.empty()) << "no OPTIONS section in zorbel-check.1";
    const std::set<std::string> options = OptionsOfTheTable();
    // The table is read right: its options are all found.
    for (const char* pszKnown : {"-j", "--threads", "-t", "--timeout", "--export", "--results", "-q", "--quiet",
                                 "-h", "--help", "--version"})
        EXPECT_TRUE(options.contains(pszKnown)) << pszKnown;
    // Each option starts an entry: a ".TP" line followed by the line that
    // names it.
    const std::regex entry(R"(\.TP\n\.B[IR]? ([^\n]*))");
    std::string strEntries;
    for (auto it = std::sregex_iterator(strOptions.begin(), strOptions.end(), entry); it != std::sregex_iterator(); ++it)
        strEntries += (*it)[1].str() + "\n";
    for (const std::string& strOption : options) {
        const std::regex named("(^|[ \"])" + strOption + "([ \",]|$)", std::regex::multiline);
        EXPECT_TRUE(std::regex_search(strEntries, named)) << strOption << " has no entry in zorbel-check.1's OPTIONS";
    }
}

TEST(ManualPage, NamesEveryExportFormat)
{
    const std::string strOptions = OptionsSection(ManualPageText());
    // Each name in bold on a line of its own (".B csv-folders", ".BR csv ,").
    for (const ExportFormat& format : kExportFormats) {
        const std::regex named("\\n\\.BR? " + std::string(format.m_strAlias) + "( |\\n)");
        EXPECT_TRUE(std::regex_search(strOptions, named)) << format.m_strAlias << " is not named in zorbel-check.1";
    }
}

} // namespace
