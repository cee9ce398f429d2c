// Every CSV file the program writes encloses a field in double quotes and
// doubles a double quote inside it; the exports enclose every field, the
// results file only a field with a comma, a quote or a line break; a field
// that a spreadsheet would run as a formula is guarded by an apostrophe.
#include <gtest/gtest.h>

#include "core/export/CsvField.h"

namespace {

TEST(CsvField, ExportsEncloseEveryFieldTheResultsFileOnlyThoseThatMustBe)
{
    EXPECT_EQ(CsvField("", CsvQuoting::Always), "\"\"");
    EXPECT_EQ(CsvField("plain", CsvQuoting::Always), "\"plain\"");
    EXPECT_EQ(CsvField("plain", CsvQuoting::WhenNeeded), "plain");
    for (const CsvQuoting nQuoting : {CsvQuoting::Always, CsvQuoting::WhenNeeded}) {
        EXPECT_EQ(CsvField("say \"hi\", twice", nQuoting), "\"say \"\"hi\"\", twice\"");
        EXPECT_EQ(CsvField("\"\"", nQuoting), "\"\"\"\"\"\"");
        EXPECT_EQ(CsvField("two\nlines", nQuoting), "\"two\nlines\"");
    }
}

TEST(CsvField, AFieldASpreadsheetWouldRunAsAFormulaIsGuarded)
{
    EXPECT_EQ(CsvField("=1+1", CsvQuoting::Always), "\"'=1+1\"");
    EXPECT_EQ(CsvField("=1+1", CsvQuoting::WhenNeeded), "'=1+1");
    EXPECT_EQ(CsvField("+1", CsvQuoting::WhenNeeded), "'+1");
    EXPECT_EQ(CsvField("-1", CsvQuoting::WhenNeeded), "'-1");
    EXPECT_EQ(CsvField("@SUM(A1)", CsvQuoting::WhenNeeded), "'@SUM(A1)");
    EXPECT_EQ(CsvField("\t=1", CsvQuoting::WhenNeeded), "'\t=1");
    EXPECT_EQ(CsvField("\r=1", CsvQuoting::WhenNeeded), "\"'\r=1\"");
    EXPECT_EQ(CsvField("=HYPERLINK(\"x\",\"y\")", CsvQuoting::WhenNeeded), "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
    // Only the first character counts.
    EXPECT_EQ(CsvField("a=b", CsvQuoting::WhenNeeded), "a=b");
    EXPECT_EQ(CsvField(" =1", CsvQuoting::WhenNeeded), " =1");
    EXPECT_EQ(CsvField("'quoted", CsvQuoting::WhenNeeded), "'quoted");
}

} // namespace
