// zorbel-check's manual page keeps up with the program: every option that
// --help lists, in its short and long spelling, and every export format has
// an entry in the page.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/CheckArguments.h"
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

// "-j", "--threads" ... as the usage text lists them at the start of its lines.
std::set<std::string> OptionsOfTheUsageText()
{
    std::set<std::string> options;
    const std::string strUsage = CheckUsageText();
    const std::regex option(R"((?:^|\n) +(-[a-z])?(?:, )? *(--[a-z][a-z-]*)?)");
    for (auto it = std::sregex_iterator(strUsage.begin(), strUsage.end(), option); it != std::sregex_iterator(); ++it)
        for (size_t i = 1; i < it->size(); ++i)
            if ((*it)[i].matched)
                options.insert((*it)[i].str());
    return options;
}

TEST(ManualPage, HasAnEntryForEveryOptionOfTheUsageText)
{
    const std::string strOptions = OptionsSection(ManualPageText());
    ASSERT_FALSE(strOptions.empty()) << "no OPTIONS section in zorbel-check.1";
    const std::set<std::string> options = OptionsOfTheUsageText();
    // The usage text is read right: its options are all found.
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
