// The results file of zorbel-check as JSON: an array of one object per
// favourite with the CSV's fields, every string escaped and valid UTF-8
// whatever the names hold, and an earlier file that survives a failure.
#include <cerrno>

#include <gtest/gtest.h>

#include "core/export/ResultsJson.h"
#include "core/model/LinkStatus.h"
#include "core/platform/AtomicFileSeam.h"
#include "ExportTestSupport.h"

namespace {

using namespace export_test;

TEST(ResultsJson, StringsAreEscapedAndAlwaysValidUtf8)
{
    EXPECT_EQ(JsonString(""), "\"\"");
    EXPECT_EQ(JsonString("say \"hi\" \\ / caf\xC3\xA9"), "\"say \\\"hi\\\" \\\\ / caf\xC3\xA9\"");
    EXPECT_EQ(JsonString("a\tb\r\nc\x01\x1b[2J\x7f"), "\"a\\tb\\r\\nc\\u0001\\u001b[2J\\u007f\"");
    // A file name that is not UTF-8, and the two separators that end a line
    // in JavaScript.
    EXPECT_EQ(JsonString("caf\xE9 \xE2\x80\xA8\xE2\x80\xA9"), "\"caf\xEF\xBF\xBD \\u2028\\u2029\"");
    EXPECT_TRUE(IsJsonResultsPath("out/results.JSON"));
    EXPECT_FALSE(IsJsonResultsPath("results.json.csv"));
    EXPECT_FALSE(IsJsonResultsPath(".json/results"));
}

TEST(ResultsJson, OneObjectPerFavouriteWithTheCsvFields)
{
    TempDir dir;
    auto pMoved = MakeItem("Example", "http://old.example/", "News/Daily");
    pMoved->SetOutcome(StatusValid, "Link is valid.", {"https://new.example/", true});
    auto pOdd = MakeItem("A \"quoted\", name", "http://example.test/a,b");
    pOdd->SetOutcome(StatusAuthRequired, "HTTP status code 401 was received.\nTry again.");
    auto pWaiting = MakeItem("Later", "http://example.test/later");
    const std::vector<std::shared_ptr<FavoriteItem>> items{pMoved, nullptr, pOdd, pWaiting};

    ASSERT_EQ(WriteResultsJson(dir.File("r.json"), items).m_nResult, ExportResult::Done);
    EXPECT_EQ(ReadBytes(dir.File("r.json")),
              "[\n"
              "  {\"folder\": \"News/Daily\", \"name\": \"Example\", \"url\": \"http://old.example/\", "
              "\"status\": \"Valid\", \"text\": \"Link is valid.\", \"final_url\": \"https://new.example/\"},\n"
              "  {\"folder\": \"\", \"name\": \"A \\\"quoted\\\", name\", \"url\": \"http://example.test/a,b\", "
              "\"status\": \"Authorization Required\", \"text\": \"HTTP status code 401 was received.\\nTry again.\", "
              "\"final_url\": \"\"},\n"
              "  {\"folder\": \"\", \"name\": \"Later\", \"url\": \"http://example.test/later\", "
              "\"status\": \"Not Checked\", \"text\": \"\", \"final_url\": \"\"}\n"
              "]\n");

    ASSERT_EQ(WriteResultsJson(dir.File("empty.json"), {}).m_nResult, ExportResult::Done);
    EXPECT_EQ(ReadBytes(dir.File("empty.json")), "[]\n");
}

TEST(ResultsJson, AFailedWriteLeavesTheEarlierResultsAsTheyWere)
{
    TempDir dir;
    const std::string strPath = dir.File("r.json");
    const std::string strOld = "[]\n";
    {
        std::ofstream out(strPath, std::ios::binary);
        out << strOld;
    }
    std::vector<std::shared_ptr<FavoriteItem>> items;
    for (int n = 0; n < 2000; ++n)
        items.push_back(MakeItem("Item " + std::to_string(n), "http://new.example/" + std::to_string(n)));
    CFailingDisk disk(CFailingDisk::Call::Write, ENOSPC, 1000);
    const auto outcome = WriteResultsJson(strPath, items);
    EXPECT_EQ(outcome.m_nResult, ExportResult::WriteFailed);
    EXPECT_EQ(outcome.m_nError, ENOSPC);
    EXPECT_EQ(ReadBytes(strPath), strOld);
    EXPECT_EQ(WriteResultsJson(dir.File("missing/r.json"), {}).m_nResult, ExportResult::CannotCreate);
}

} // namespace
