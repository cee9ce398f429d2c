// Every export format writes exactly the bytes of its golden file, for an
// empty list, for a small list with the awkward cases (top level, two
// folders down, empty URL, empty name, comma, double quote, "&", markup in a
// name, a link of a page, an empty entry) and for a hostile list (formulas
// for spreadsheets, line ends and other control characters in names and
// links, addresses that run scripts); what a check finds is never exported;
// and the format table lists the seven formats in id order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/export/ExportFormat.h"
#include "core/export/ExportToFile.h"
#include "core/model/LinkStatus.h"
#include "ExportTestSupport.h"

using namespace export_test;

namespace {

struct GoldenCase {
    std::int32_t m_nFormatId;
    const char* m_pszSuffix; // golden file name without the "empty-" or "small-" in front
};

constexpr GoldenCase kGoldenCases[] = {
    {ExportPlainText, "1-plain.txt"},   {ExportNamesOnly, "2-names.txt"},
    {ExportUrlsOnly, "3-urls.txt"},     {ExportCsv, "4-csv.csv"},
    {ExportCsvFolders, "5-csv-folders.csv"}, {ExportHtml, "6-html.htm"},
    {ExportHtmlFolders, "7-html-folders.htm"},
};

std::string Golden(const std::string& strName)
{
    return ReadBytes(std::string(ZORBEL_TEST_DATA) + "/export/" + strName);
}

std::vector<std::shared_ptr<FavoriteItem>> SmallList()
{
    return {
        MakeItem("Ornamy Home", "http://www.ornamy.example/"),
        MakeItem("Tool Box", "http://tools.example/box.htm", "Links/Tools"),
        MakeItem("Home", ""),
        nullptr, // an entry without a record gives no line
        MakeItem("", "http://noname.example/", "Links"),
        MakeItem("Smith, Jones & Co", "http://sj.example/?a=1&b=2", "Links"),
        MakeItem("The \"Best\" <Page>", "http://quote.example/q\"x", "Links/Tools"),
        MakeItem("<N/A>", "http://page.example/link"),
    };
}

// What a hostile list of favourites may hold.
std::vector<std::shared_ptr<FavoriteItem>> HostileList()
{
    return {
        MakeItem("=HYPERLINK(\"http://evil.example/\",\"Click\")", "http://formula.example/"),
        MakeItem("@SUM(A1)", "http://at.example/", "-Folder"),
        MakeItem("+1 and -1", "=1+1"),
        // A desktop link's escaped line end, and a tab.
        MakeItem("Two\nLines\r\nand\ta tab", "http://lines.example/\nfile:///etc/shadow"),
        MakeItem("Script", "javascript:alert(document.cookie)"),
        MakeItem("Data", " \x01" "DATA:text/html,<script>alert(1)</script>", "Links"),
        MakeItem("VB", "Vb\tScript:MsgBox(1)"),
        MakeItem("C1 \xC2\x85 control", "http://c1.example/\xC2\x9B" "31m\x1B[2J", "Tab\tFolder"),
        MakeItem("Caf\xC3\xA9", "https://safe.example/?next=javascript:x"),
    };
}

std::string Export(const TempDir& dir, std::int32_t nFormatId, ExportList items)
{
    const std::string strPath = dir.File("export.out");
    const ExportOutcome outcome = ExportToFile(strPath, nFormatId, items);
    EXPECT_EQ(outcome.m_nResult, ExportResult::Done) << "format " << nFormatId;
    EXPECT_EQ(outcome.m_nError, 0);
    return ReadBytes(strPath);
}

} // namespace

TEST(ExportGolden, EmptyListWritesHeaderAndFooterOnly)
{
    TempDir dir;
    for (const GoldenCase& golden : kGoldenCases) {
        const std::string strExpected = Golden(std::string("empty-") + golden.m_pszSuffix);
        ASSERT_FALSE(strExpected.empty()) << golden.m_pszSuffix;
        EXPECT_EQ(Export(dir, golden.m_nFormatId, {}), strExpected) << golden.m_pszSuffix;
    }
}

TEST(ExportGolden, SmallListMatchesGoldenBytes)
{
    TempDir dir;
    const auto items = SmallList();
    for (const GoldenCase& golden : kGoldenCases) {
        const std::string strExpected = Golden(std::string("small-") + golden.m_pszSuffix);
        ASSERT_FALSE(strExpected.empty()) << golden.m_pszSuffix;
        EXPECT_EQ(Export(dir, golden.m_nFormatId, items), strExpected) << golden.m_pszSuffix;
    }
}

TEST(ExportGolden, EveryLineEndIsCrLfAndNothingFollowsTheLast)
{
    TempDir dir;
    const auto items = SmallList();
    for (const GoldenCase& golden : kGoldenCases) {
        const std::string strBytes = Export(dir, golden.m_nFormatId, items);
        ASSERT_GE(strBytes.size(), 2u);
        EXPECT_EQ(strBytes.substr(strBytes.size() - 2), "\r\n") << golden.m_pszSuffix;
        EXPECT_NE(strBytes.substr(0, 3), "\xEF\xBB\xBF") << golden.m_pszSuffix;
        for (std::size_t n = 0; n < strBytes.size(); ++n) {
            if (strBytes[n] == '\n') {
                EXPECT_TRUE(n > 0 && strBytes[n - 1] == '\r') << golden.m_pszSuffix << " at " << n;
            }
        }
    }
}

TEST(ExportGolden, HostileListMatchesGoldenBytes)
{
    TempDir dir;
    const auto items = HostileList();
    for (const GoldenCase& golden : kGoldenCases) {
        const std::string strExpected = Golden(std::string("hostile-") + golden.m_pszSuffix);
        ASSERT_FALSE(strExpected.empty()) << golden.m_pszSuffix;
        EXPECT_EQ(Export(dir, golden.m_nFormatId, items), strExpected) << golden.m_pszSuffix;
    }
}

TEST(ExportGolden, NoTextOfAFavouriteBreaksItsLine)
{
    // A line end or any other control character inside a name, URL or
    // folder is written as a blank: every favourite has one line, and no
    // control character reaches the file.
    TempDir dir;
    const auto items = HostileList();
    for (const GoldenCase& golden : kGoldenCases) {
        const std::string strBytes = Export(dir, golden.m_nFormatId, items);
        std::size_t nLines = 0;
        for (std::size_t n = 0; n < strBytes.size(); ++n) {
            const auto ch = static_cast<unsigned char>(strBytes[n]);
            if (ch == '\r') {
                ASSERT_LT(n + 1, strBytes.size());
                ASSERT_EQ(strBytes[n + 1], '\n') << golden.m_pszSuffix << " at " << n;
                ++nLines;
                ++n;
                continue;
            }
            EXPECT_FALSE(ch < 0x20 || ch == 0x7F) << golden.m_pszSuffix << " at " << n;
            EXPECT_FALSE(ch == 0xC2 && n + 1 < strBytes.size() &&
                         static_cast<unsigned char>(strBytes[n + 1]) < 0xA0)
                << golden.m_pszSuffix << " at " << n;
        }
        const std::size_t nFrame = golden.m_nFormatId >= ExportHtml ? 13 : 1;
        EXPECT_EQ(nLines, nFrame + items.size()) << golden.m_pszSuffix;
    }
}

TEST(ExportGolden, CheckOutcomesAreNotExported)
{
    TempDir dir;
    const auto items = SmallList();
    std::vector<std::string> before;
    for (const GoldenCase& golden : kGoldenCases)
        before.push_back(Export(dir, golden.m_nFormatId, items));
    for (const auto& pItem : items)
        if (pItem)
            pItem->SetOutcome(StatusBroken, "The server name cannot be resolved");
    for (std::size_t n = 0; n < std::size(kGoldenCases); ++n)
        EXPECT_EQ(Export(dir, kGoldenCases[n].m_nFormatId, items), before[n]) << kGoldenCases[n].m_pszSuffix;
}

TEST(ExportFormatTable, SevenFormatsInIdOrderWithTheirNames)
{
    constexpr std::string_view kNames[] = {
        "Plain Text", "Plain Text, Names Only", "Plain Text, URLs Only", "CSV",
        "CSV (With Folders)", "HTML", "HTML (With Folders)", "Bookmarks File for Browsers",
    };
    // The seven lists of old keep their numbers; the bookmarks file follows.
    ASSERT_EQ(kExportFormats.size(), 8u);
    for (std::size_t n = 0; n < kExportFormats.size(); ++n) {
        EXPECT_EQ(kExportFormats[n].m_nId, static_cast<std::int32_t>(n + 1));
        EXPECT_EQ(kExportFormats[n].m_strName, kNames[n]);
        EXPECT_FALSE(kExportFormats[n].m_strDescription.empty());
        EXPECT_EQ(FindExportFormat(kExportFormats[n].m_nId), &kExportFormats[n]);
    }
    EXPECT_EQ(FindExportFormat(0), nullptr);
    EXPECT_EQ(FindExportFormat(9), nullptr);
    EXPECT_EQ(kExportFormats[0].m_strDescription,
              "Each Favorite will be exported to a single line in a text file.  The line's format will be: "
              "the Name of the Favorite, followed by it's URL.");
}
