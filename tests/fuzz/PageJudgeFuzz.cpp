// The page judge takes any bytes from the network: whatever a page holds,
// reading its facts and judging it ends, keeps its limits, and the
// evidence of a verdict is a quoted text without control characters that
// the status text can carry.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/check/PageFacts.h"
#include "core/check/PageFingerprint.h"
#include "core/check/PageJudge.h"
#include "core/check/SiteAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view input(reinterpret_cast<const char*>(pData), nSize);
    // The first line, when there is one, is the address the page was sent to.
    const auto nLine = input.find('\n');
    const std::string strFinal(nLine == std::string_view::npos ? std::string_view() : input.substr(0, nLine));
    const std::string_view html = nLine == std::string_view::npos ? input : input.substr(nLine + 1);

    const PageFacts facts = ReadPageFacts(html);
    if (facts.m_strVisibleText.size() > kMaxVisibleText + 1 || facts.m_headings.size() > kMaxHeadings ||
        facts.m_embedded.size() > kMaxSources)
        std::abort();

    const std::vector<std::string> chain{"http://site.example/a/b.html", strFinal};
    const PageVerdict verdict = JudgePage(facts, chain);
    if (verdict.m_nKind != PageVerdictKind::None) {
        const std::string strText = PageVerdictText(verdict);
        if (strText.empty() || verdict.m_strEvidence.empty())
            std::abort();
        for (const unsigned char c : verdict.m_strEvidence)
            if (c < 0x20 || c == 0x7f)
                std::abort();
    }

    const std::string strWords = PageWords(facts.m_strVisibleText);
    const double nSelf = PageSimilarity(strWords, strWords, chain);
    if (nSelf != 0 && nSelf != 1)
        std::abort(); // a page is the same as itself, or too short to tell
    (void)IsRedirectToHome(chain.front(), strFinal);
    return 0;
}
