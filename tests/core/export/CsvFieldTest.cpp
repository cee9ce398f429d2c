// Every CSV file the program writes encloses a field in double quotes and
// doubles a double quote inside it; the exports enclose every field, the
// results file only a field with a comma, a quote or a line break.
#include <gtest/gtest.h>

#include "export/CsvField.h"

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

} // namespace
