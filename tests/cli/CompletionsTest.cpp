// The shell completions of zorbel-check keep up with the program: each of
// the bash, zsh and fish files offers every option that --help lists, every
// export format and every browser name.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CheckArguments.h"
#include "core/sources/bookmarks/BrowserProfiles.h"
#include "core/export/ExportFormat.h"

namespace {

std::string Read(const std::string& strPath)
{
    std::ifstream in(strPath);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// "-j", "--threads" ... as the usage text lists them at the start of its lines.
std::vector<std::string> OptionsOfTheUsageText()
{
    std::vector<std::string> options;
    const std::string strUsage = CheckUsageText();
    const std::regex option(R"((?:^|\n) +(-[a-z])?(?:, )? *(--[a-z][a-z-]*)?)");
    for (auto it = std::sregex_iterator(strUsage.begin(), strUsage.end(), option); it != std::sregex_iterator(); ++it)
        for (size_t i = 1; i < it->size(); ++i)
            if ((*it)[i].matched)
                options.push_back((*it)[i].str());
    return options;
}

// How each shell's file spells an option: bash lists them as words, zsh as
// "-j+" or "--threads=" specs, fish as "-s j" and "-l threads".
bool Offers(const std::string& strShell, const std::string& strText, const std::string& strOption)
{
    if (strShell == "fish") {
        const bool bLong = strOption.starts_with("--");
        const std::string strName = strOption.substr(bLong ? 2 : 1);
        return std::regex_search(strText, std::regex((bLong ? " -l " : " -s ") + strName + "( |$)"));
    }
    return std::regex_search(strText, std::regex("(^|[ \n'{,(*])" + strOption + "([ '=+,}\\[\n]|$)"));
}

class Completions : public ::testing::TestWithParam<const char*> {
protected:
    std::string Text() const
    {
        const std::string strShell = GetParam();
        const std::string strFile = strShell == "bash"  ? "zorbel-check.bash"
                                    : strShell == "zsh" ? "_zorbel-check"
                                                        : "zorbel-check.fish";
        return Read(ZORBEL_MAN_PAGE_DIR "/completions/" + strFile);
    }
};

TEST_P(Completions, OfferEveryOptionOfTheUsageText)
{
    const std::string strText = Text();
    ASSERT_FALSE(strText.empty()) << GetParam();
    const std::vector<std::string> options = OptionsOfTheUsageText();
    ASSERT_GE(options.size(), 15u) << "the usage text is not read right";
    for (const std::string& strOption : options)
        EXPECT_TRUE(Offers(GetParam(), strText, strOption)) << GetParam() << " does not offer " << strOption;
    // And nothing that the program would refuse.
    EXPECT_FALSE(Offers(GetParam(), strText, "--verbose")) << GetParam();
}

TEST_P(Completions, OfferEveryExportFormatAndBrowser)
{
    const std::string strText = Text();
    for (const ExportFormat& format : kExportFormats)
        EXPECT_TRUE(std::regex_search(strText, std::regex("[ '(]" + std::string(format.m_strAlias) + "[ ')]")))
            << GetParam() << " does not offer the format " << format.m_strAlias;
    // Each name of the list the program gives ("firefox, chromium ... or edge").
    const std::string strBrowsers = KnownBrowserNames();
    const std::regex word("[a-z]+");
    int nBrowsers = 0;
    for (auto it = std::sregex_iterator(strBrowsers.begin(), strBrowsers.end(), word); it != std::sregex_iterator();
         ++it) {
        const std::string strName = it->str();
        if (strName == "or" || strName == "and" || !IsKnownBrowser(strName))
            continue;
        ++nBrowsers;
        EXPECT_TRUE(std::regex_search(strText, std::regex("[ '(]" + strName + "[ ')]")))
            << GetParam() << " does not offer the browser " << strName;
    }
    EXPECT_GE(nBrowsers, 6);
}

INSTANTIATE_TEST_SUITE_P(Shells, Completions, ::testing::Values("bash", "zsh", "fish"));

} // namespace
