// zorbel-check's progress line: checked, total, broken, rate and time left;
// on a pipe a plain line per tenth of the list and one at the end, on a
// terminal one line rewritten in place.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "cli/CheckProgress.h"

namespace {

using namespace std::chrono_literals;

TEST(CheckProgress, LineNamesCheckedTotalBrokenRateAndTimeLeft)
{
    EXPECT_EQ(FormatProgress({120, 2000, 4, 3s}), "120 of 2000 checked, 4 broken, 40.0 links/s, 0:47 left");
    EXPECT_EQ(FormatProgress({1, 10001, 0, 1s}), "1 of 10001 checked, 0 broken, 1.0 links/s, 2:46:40 left");
    EXPECT_EQ(FormatProgress({20, 20, 3, 2s}), "20 of 20 checked, 3 broken, 10.0 links/s, 0:00 left");
    // Before the first outcome nothing is known of the pace.
    EXPECT_EQ(FormatProgress({0, 50, 0, 0s}), "0 of 50 checked, 0 broken, - links/s, - left");
    EXPECT_EQ(FormatProgress({0, 0, 0, 1s}), "0 of 0 checked, 0 broken, - links/s, - left");
}

// What the display wrote, through a memory stream.
class CaptureFile {
public:
    CaptureFile() : m_pFile(open_memstream(&m_pBuffer, &m_nSize)) {}
    ~CaptureFile()
    {
        std::fclose(m_pFile);
        std::free(m_pBuffer);
    }
    std::FILE* File() { return m_pFile; }
    std::string Text()
    {
        std::fflush(m_pFile);
        return {m_pBuffer, m_nSize};
    }

private:
    char* m_pBuffer = nullptr;
    std::size_t m_nSize = 0;
    std::FILE* m_pFile;
};

TEST(CheckProgress, PlainFormWritesALinePerTenthAndTheEnd)
{
    CaptureFile out;
    CProgressDisplay display(out.File(), false);
    for (int n = 0; n <= 95; ++n)
        display.Update({n, 95, 0, 1s});
    display.Finish({95, 95, 0, 1s});
    const std::string strText = out.Text();
    EXPECT_EQ(strText.find_first_of("\r\x1b"), std::string::npos);
    // 10 %, 20 % ... 100 %, and the end is not written twice.
    int nLines = 0;
    for (const char c : strText)
        nLines += c == '\n';
    EXPECT_EQ(nLines, 10);
    EXPECT_TRUE(strText.starts_with("10 of 95 checked")) << strText;
    EXPECT_NE(strText.find("\n19 of 95 checked"), std::string::npos);
    EXPECT_TRUE(strText.ends_with("95 of 95 checked, 0 broken, 95.0 links/s, 0:00 left\n"));
}

TEST(CheckProgress, PlainFormShowsAnUnfinishedEndOnce)
{
    CaptureFile out;
    CProgressDisplay display(out.File(), false);
    display.Update({3, 100, 1, 1s});
    display.Finish({3, 100, 1, 1s});
    EXPECT_EQ(out.Text(), "3 of 100 checked, 1 broken, 3.0 links/s, 0:32 left\n");
}

TEST(CheckProgress, TerminalFormRewritesOneLine)
{
    CaptureFile out;
    CProgressDisplay display(out.File(), true);
    display.Update({1, 4, 0, 1s});
    display.Update({2, 4, 0, 1s}); // within 200 ms of the last: not shown
    display.BreakLine();
    display.BreakLine(); // nothing open any more
    display.Update({3, 4, 1, 1s});
    display.Finish({4, 4, 1, 1s});
    EXPECT_EQ(out.Text(), "\r1 of 4 checked, 0 broken, 1.0 links/s, 0:03 left\x1b[K\n"
                          "\r3 of 4 checked, 1 broken, 3.0 links/s, 0:00 left\x1b[K"
                          "\r4 of 4 checked, 1 broken, 4.0 links/s, 0:00 left\x1b[K\n");
}

} // namespace
