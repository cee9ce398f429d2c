// The results file of zorbel-check: RFC 4180 CSV with a header row and one
// row per favourite (folder, name, URL, status name, text, where its
// redirects ended), fields quoted
// only when they must be and never cut; files that cannot be created or
// written are reported, and an earlier results file survives a failure.
#include <cerrno>

#include <gtest/gtest.h>

#include "core/export/CsvField.h"
#include "core/export/ResultsCsv.h"
#include "core/model/LinkStatus.h"
#include "core/platform/AtomicFileSeam.h"
#include "ExportTestSupport.h"

namespace {

using namespace export_test;

TEST(ResultsCsv, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(CsvField("", CsvQuoting::WhenNeeded), "");
    EXPECT_EQ(CsvField("plain text; with: marks", CsvQuoting::WhenNeeded), "plain text; with: marks");
    EXPECT_EQ(CsvField("a,b", CsvQuoting::WhenNeeded), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\"", CsvQuoting::WhenNeeded), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines", CsvQuoting::WhenNeeded), "\"two\r\nlines\"");
    EXPECT_EQ(CsvField("line\n", CsvQuoting::WhenNeeded), "\"line\n\"");
    EXPECT_EQ(CsvField("\"", CsvQuoting::WhenNeeded), "\"\"\"\"");
}

TEST(ResultsCsv, OneRowPerFavouriteWithStatusNameAndText)
{
    TempDir dir;
    auto pValid = MakeItem("Example", "http://example.test/", "News/Daily");
    pValid->SetOutcome(StatusValid, "Link is valid.");
    auto pOdd = MakeItem("A \"quoted\", name", "http://example.test/a,b");
    pOdd->SetOutcome(StatusAuthRequired, "HTTP status code 401 was received.\nTry again.");
    auto pWaiting = MakeItem("Later", "http://example.test/later");
    const std::string strLong(10000, 'x'); // never cut
    auto pLong = MakeItem(strLong, "http://example.test/" + strLong);
    pLong->SetOutcome(StatusPartiallyValid, "404");
    const std::vector<std::shared_ptr<FavoriteItem>> items{pValid, nullptr, pOdd, pWaiting, pLong};

    ASSERT_EQ(WriteResultsCsv(dir.File("r.csv"), items).m_nResult, ExportResult::Done);
    EXPECT_EQ(ReadBytes(dir.File("r.csv")),
              "FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL\r\n"
              "News/Daily,Example,http://example.test/,Valid,Link is valid.,\r\n"
              ",\"A \"\"quoted\"\", name\",\"http://example.test/a,b\",Authorization Required,"
              "\"HTTP status code 401 was received.\nTry again.\",\r\n"
              ",Later,http://example.test/later,Not Checked,,\r\n"
              "," +
                  strLong + ",http://example.test/" + strLong + ",Partially Valid,404,\r\n");
}

TEST(ResultsCsv, TheLastColumnIsWhereTheRedirectsEnded)
{
    TempDir dir;
    auto pMoved = MakeItem("Moved", "http://old.example/");
    pMoved->SetOutcome(StatusValid, "Link is valid.", {"https://new.example/a,b", true});
    auto pTemporary = MakeItem("Login", "http://site.example/");
    pTemporary->SetOutcome(StatusValid, "Link is valid.", {"=https://site.example/login", false});
    const std::vector<std::shared_ptr<FavoriteItem>> items{pMoved, pTemporary};
    ASSERT_EQ(WriteResultsCsv(dir.File("r.csv"), items).m_nResult, ExportResult::Done);
    EXPECT_EQ(ReadBytes(dir.File("r.csv")), "FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL\r\n"
                                            ",Moved,http://old.example/,Valid,Link is valid.,\"https://new.example/a,b\"\r\n"
                                            ",Login,http://site.example/,Valid,Link is valid.,'=https://site.example/login\r\n");
}

TEST(ResultsCsv, HostileNamesKeepToTheirRowAndRunNoFormula)
{
    TempDir dir;
    auto pItem = MakeItem("=cmd|' /C calc'!A0", "http://a.example/\nfile:///etc/shadow\x1b[2J", "-Links\tOld");
    pItem->SetOutcome(StatusValid, "Link is valid.");
    const std::vector<std::shared_ptr<FavoriteItem>> items{pItem};
    ASSERT_EQ(WriteResultsCsv(dir.File("r.csv"), items).m_nResult, ExportResult::Done);
    EXPECT_EQ(ReadBytes(dir.File("r.csv")), "FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL\r\n"
                                            "'-Links Old,'=cmd|' /C calc'!A0,http://a.example/ file:///etc/shadow [2J,"
                                            "Valid,Link is valid.,\r\n");
}

TEST(ResultsCsv, FailuresAreReported)
{
    TempDir dir;
    EXPECT_EQ(WriteResultsCsv(dir.File("missing/r.csv"), {}).m_nResult, ExportResult::CannotCreate);
    const auto outcome = WriteResultsCsv("/dev/full", {});
    EXPECT_EQ(outcome.m_nResult, ExportResult::WriteFailed);
    EXPECT_EQ(outcome.m_nError, ENOSPC);
}

TEST(ResultsCsv, AFailedWriteLeavesTheEarlierResultsAsTheyWere)
{
    TempDir dir;
    const std::string strPath = dir.File("r.csv");
    const std::string strOld = "FOLDER,NAME,URL,STATUS,TEXT\r\n,Old,http://old.example/,Valid,Link is valid.\r\n";
    WriteBytes(strPath, strOld);
    std::vector<std::shared_ptr<FavoriteItem>> items;
    for (int n = 0; n < 2000; ++n)
        items.push_back(MakeItem("Item " + std::to_string(n), "http://new.example/" + std::to_string(n)));
    CFailingDisk disk(CFailingDisk::Call::Write, ENOSPC, 1000);
    const auto outcome = WriteResultsCsv(strPath, items);
    EXPECT_EQ(outcome.m_nResult, ExportResult::WriteFailed);
    EXPECT_EQ(outcome.m_nError, ENOSPC);
    EXPECT_EQ(ReadBytes(strPath), strOld);
}

} // namespace
