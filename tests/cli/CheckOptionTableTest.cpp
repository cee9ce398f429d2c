// zorbel-check's option table and its parser agree: every option of the
// table is taken in each of its spellings, with a value where it wants one;
// one that takes no value refuses a value joined to it; and the usage text
// gives every option its line with the description in its column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CheckArguments.h"
#include "cli/CheckOptionTable.h"

namespace {

// Arguments that are good after the option.
std::vector<std::string> GoodValueOf(CheckOptionId nId)
{
    switch (nId) {
    case CheckOptionId::Threads:
        return {"4"};
    case CheckOptionId::HostLimit:
        return {"2"};
    case CheckOptionId::Retries:
        return {"1"};
    case CheckOptionId::Timeout:
        return {"30"};
    case CheckOptionId::Export:
        return {"csv", "/dev/null"};
    case CheckOptionId::Browser:
        return {"firefox"};
    case CheckOptionId::Results:
        return {"/tmp/zorbel-option-table-results.csv"};
    case CheckOptionId::CaFile:
        return {ZORBEL_TEST_CA_FILE};
    case CheckOptionId::MaxCacheAge:
        return {"12h", "--cache"}; // an age is only taken with the cache
    default:
        return {};
    }
}

TEST(CheckOptionTable, TheParserTakesEveryOptionInEachSpelling)
{
    for (const CheckOptionSpec& option : CheckOptionTable()) {
        std::vector<std::string> names{std::string(option.m_strLong)};
        if (!option.m_strShort.empty())
            names.emplace_back(option.m_strShort);
        for (const std::string& strName : names) {
            std::vector<std::string> args{strName};
            const std::vector<std::string> values = GoodValueOf(option.m_nId);
            EXPECT_EQ(values.empty(), !option.TakesValue()) << strName;
            args.insert(args.end(), values.begin(), values.end());
            EXPECT_EQ(ParseCheckArguments(args).m_strError, "") << strName;
            EXPECT_EQ(FindCheckOption(strName), &option);
            if (!option.TakesValue()) {
                const std::string strJoined = strName + (strName.starts_with("--") ? "=1" : "1");
                EXPECT_EQ(ParseCheckArguments(std::vector<std::string>{strJoined}).m_strError,
                          "unknown option \"" + strJoined + "\"");
            }
        }
    }
    EXPECT_EQ(FindCheckOption("--no-such-option"), nullptr);
    EXPECT_EQ(FindCheckOption(""), nullptr);
}

TEST(CheckOptionTable, EveryOptionHasItsLineInTheUsageText)
{
    const std::string strUsage = CheckUsageText();
    for (const CheckOptionSpec& option : CheckOptionTable()) {
        std::string strLine = "\n  ";
        strLine += option.m_strShort.empty() ? std::string("    ") : std::string(option.m_strShort) + ", ";
        strLine += option.m_strLong;
        EXPECT_NE(strUsage.find(strLine), std::string::npos) << option.m_strLong;
    }
    // No placeholder of a description is left unfilled.
    EXPECT_EQ(strUsage.find('{'), std::string::npos);
    EXPECT_EQ(strUsage.find('}'), std::string::npos);
}

} // namespace
