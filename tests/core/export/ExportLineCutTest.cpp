// A favourite whose line would grow beyond 4,096 bytes is cut to at most
// 4,096 bytes, yet its line is always ended, so the next favourite keeps its
// own line; the cut never splits a UTF-8 character, an HTML entity or a
// doubled CSV quote, and a quote or link opened on the line is still closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/export/ExportFormat.h"
#include "core/export/ExportLine.h"
#include "core/export/ExportToFile.h"
#include "ExportTestSupport.h"

using namespace export_test;

namespace {

constexpr std::size_t kMax = CExportLine::kMaxLength;

// The lines of an export without their CR LF, the header lines included.
std::vector<std::string> ExportLines(std::int32_t nFormatId, ExportList items)
{
    TempDir dir;
    const std::string strPath = dir.File("cut.out");
    EXPECT_EQ(ExportToFile(strPath, nFormatId, items).m_nResult, ExportResult::Done);
    const std::string strBytes = ReadBytes(strPath);
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = strBytes.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2)
        lines.push_back(strBytes.substr(nStart, nEnd - nStart));
    EXPECT_EQ(nStart, strBytes.size()) << "bytes after the last line end";
    return lines;
}

} // namespace

TEST(ExportLineCut, PlainTextLineIsCutToExactlyTheLimitAndEnded)
{
    const std::vector items{MakeItem(std::string(5000, 'a'), "http://long.example/"),
                            MakeItem("Next", "http://next.example/")};
    const auto lines = ExportLines(ExportPlainText, items);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "\"" + std::string(kMax - 2, 'a') + "\"");
    EXPECT_EQ(lines[2], "\"Next\" http://next.example/");
}

TEST(ExportLineCut, NamesAndUrlsOnlyKeepTheirFirst4096Bytes)
{
    const std::vector items{MakeItem(std::string(5000, 'n'), std::string(5000, 'u')),
                            MakeItem(std::string(kMax, 'x'), std::string(kMax, 'y')),
                            MakeItem("Next", "http://next.example/")};
    const auto names = ExportLines(ExportNamesOnly, items);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[1], std::string(kMax, 'n'));
    EXPECT_EQ(names[2], std::string(kMax, 'x')); // exactly the limit is not cut
    EXPECT_EQ(names[3], "Next");
    const auto urls = ExportLines(ExportUrlsOnly, items);
    ASSERT_EQ(urls.size(), 4u);
    EXPECT_EQ(urls[1], std::string(kMax, 'u'));
    EXPECT_EQ(urls[2], std::string(kMax, 'y'));
    EXPECT_EQ(urls[3], "http://next.example/");
}

TEST(ExportLineCut, CsvLineStaysWellFormedWhenCut)
{
    // The cut falls in the name; the field is still closed and the URL field
    // that no longer fits is left out.
    const std::vector items{MakeItem(std::string(5000, 'a'), "http://long.example/"),
                            MakeItem(std::string(kMax - 4, 'b') + "\"\"\"", "http://q.example/"),
                            MakeItem("Next", "http://next.example/")};
    const auto lines = ExportLines(ExportCsv, items);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "\"" + std::string(kMax - 2, 'a') + "\"");
    // Room for one doubled quote; the next is not split, so the quotes balance.
    EXPECT_EQ(lines[2], "\"" + std::string(kMax - 4, 'b') + "\"\"\"");
    EXPECT_EQ(lines[2].size(), kMax);
    EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), '"') % 2, 0);
    EXPECT_EQ(lines[3], "\"Next\",\"http://next.example/\"");
}

TEST(ExportLineCut, CsvFieldThatNoLongerFitsIsLeftOutWhole)
{
    // The folder and the name fill the line; what is left for the URL is
    // not enough for an opening and a closing quote.
    const std::vector items{MakeItem(std::string(kMax - 8, 'n'), "http://u.example/", "F")};
    const auto lines = ExportLines(ExportCsvFolders, items);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "\"F\",\"" + std::string(kMax - 8, 'n') + "\",");
}

TEST(ExportLineCut, HtmlLinkIsClosedAndEntitiesStayWhole)
{
    const std::vector items{MakeItem("Long", std::string(5000, 'u')),
                            MakeItem(std::string(2000, '&'), "http://amp.example/"),
                            MakeItem("Next", "http://next.example/")};
    const auto lines = ExportLines(ExportHtml, items);
    ASSERT_EQ(lines.size(), 10u + 3u + 3u);
    const std::string strPrefix = "<LI><A HREF=\"";
    EXPECT_EQ(lines[10], strPrefix + std::string(kMax - strPrefix.size() - 6, 'u') + "\"></A>");
    EXPECT_EQ(lines[10].size(), kMax);

    const std::string& strAmp = lines[11];
    const std::string strOpen = "<LI><A HREF=\"http://amp.example/\">";
    ASSERT_EQ(strAmp.substr(0, strOpen.size()), strOpen);
    ASSERT_GE(strAmp.size(), strOpen.size() + 4);
    EXPECT_EQ(strAmp.substr(strAmp.size() - 4), "</A>");
    EXPECT_LE(strAmp.size(), kMax);
    const std::string strEntities = strAmp.substr(strOpen.size(), strAmp.size() - strOpen.size() - 4);
    ASSERT_EQ(strEntities.size() % 5, 0u);
    for (std::size_t n = 0; n < strEntities.size(); n += 5)
        ASSERT_EQ(strEntities.substr(n, 5), "&amp;") << "at " << n;
    // One more entity would not have fitted.
    EXPECT_GT(strAmp.size() + 5, kMax);

    EXPECT_EQ(lines[12], "<LI><A HREF=\"http://next.example/\">Next</A>&nbsp;:&nbsp;"
                         "<A HREF=\"http://next.example/\">http://next.example/</A>");
    EXPECT_EQ(lines[13], "</DIR>");
}

TEST(ExportLineCut, Utf8CharacterIsNeverSplit)
{
    const std::string strE = "\xC3\xA9";          // é
    const std::string strG = "\xF0\x9F\x98\x80"; // a four-byte character
    const std::vector items{MakeItem(std::string(kMax - 1, 'a') + strE, ""),
                            MakeItem(std::string(kMax - 2, 'a') + strE, ""),
                            MakeItem(std::string(kMax - 2, 'a') + strG, ""),
                            MakeItem(std::string(kMax - 4, 'a') + strG + "z", "")};
    const auto lines = ExportLines(ExportNamesOnly, items);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], std::string(kMax - 1, 'a'));
    EXPECT_EQ(lines[2], std::string(kMax - 2, 'a') + strE);
    EXPECT_EQ(lines[3], std::string(kMax - 2, 'a'));
    EXPECT_EQ(lines[4], std::string(kMax - 4, 'a') + strG);
}

TEST(ExportLineCut, BytesThatAreNotUtf8AreCutAsSingleBytes)
{
    // A stray continuation byte or a lead byte without its continuation is
    // one character of its own.
    const std::vector items{MakeItem(std::string(kMax - 1, 'a') + "\x80\x80", ""),
                            MakeItem(std::string(kMax - 1, 'a') + "\xC3" + "b", "")};
    const auto lines = ExportLines(ExportNamesOnly, items);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], std::string(kMax - 1, 'a') + "\x80");
    EXPECT_EQ(lines[2], std::string(kMax - 1, 'a') + "\xC3");
}
