// Every Internet error number the checker can report (each number of the
// libcurl table, and the number of results missing from it) has its row on
// the help page that the text "Please see the documentation" points to.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "core/net/CurlErrorTable.h"

namespace {

TEST(InternetErrorHelp, EveryNumberTheCheckerReportsIsExplained)
{
    std::ifstream in(ZORBEL_HELP_SOURCE "/InternetErrors.htm", std::ios::binary);
    ASSERT_TRUE(in) << "the help page is missing";
    const std::string strPage((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::set<std::uint32_t> numbers{InternetErrorFromCurl(CURLE_OUT_OF_MEMORY)};
    for (const CurlErrorRow& row : CurlErrorTable())
        if (row.m_dwError != InternetErrorNone)
            numbers.insert(row.m_dwError);
    for (const std::uint32_t dwError : numbers)
        EXPECT_NE(strPage.find("<tr><td>" + std::to_string(dwError) + "</td>"), std::string::npos) << dwError;
}

} // namespace
