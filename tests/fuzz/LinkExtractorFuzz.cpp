// The links found in a page do not depend on how the page arrives: fed
// whole, or in pieces of any sizes, the page decoder gives the same text and
// the extractor the same links in the same order, as plain text and as
// HTML, and every link keeps the rules of a link.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/sources/LinkExtractor.h"
#include "core/sources/PageDecoder.h"

namespace {

// Piece sizes from a small generator seeded by the input's first bytes:
// mostly small pieces, now and then one larger than the extractor's window.
class CPieceSizes {
public:
    explicit CPieceSizes(std::uint32_t nSeed) : m_nState(nSeed * 2654435761u + 1) {}
    std::size_t Next()
    {
        m_nState = m_nState * 1103515245u + 12345u;
        const std::uint32_t nBits = m_nState >> 8;
        return (nBits & 7) == 0 ? 1 + nBits % 9000 : 1 + nBits % 17;
    }

private:
    std::uint32_t m_nState;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 2)
        return 0;
    CPieceSizes sizes(pData[0] | (pData[1] << 8));
    const bool bHtml = (pData[0] & 1) != 0;
    const std::string_view bytes(reinterpret_cast<const char*>(pData) + 2, nSize - 2);

    std::string strText;
    CPageDecoder wholeDecoder;
    wholeDecoder.Feed(bytes, strText);
    wholeDecoder.Finish(strText);
    std::string strPiecesText;
    CPageDecoder piecesDecoder;
    for (std::size_t nPos = 0; nPos < bytes.size();) {
        const std::string_view piece = bytes.substr(nPos, sizes.Next());
        nPos += piece.size();
        piecesDecoder.Feed(piece, strPiecesText);
    }
    piecesDecoder.Finish(strPiecesText);
    if (strText != strPiecesText)
        std::abort();
    const std::string_view text = strText;

    CLinkExtractor whole;
    whole.SetHtml(bHtml);
    whole.Feed(text);
    whole.Finish();

    CLinkExtractor pieces;
    pieces.SetHtml(bHtml);
    for (std::size_t nPos = 0; nPos < text.size();) {
        const std::string_view piece = text.substr(nPos, sizes.Next());
        nPos += piece.size();
        if (!pieces.Feed(piece))
            break;
    }
    pieces.Finish();

    const auto links = whole.Links();
    if (links != pieces.Links())
        std::abort();
    for (const auto& strLink : links) {
        if (strLink.size() > CLinkExtractor::kMaxLinkLength)
            std::abort();
        if (strLink.find_first_of(std::string_view("\r\n \t<>\0", 7)) != std::string::npos)
            std::abort();
        bool bPrefixed = false;
        for (const std::string_view strPrefix : CLinkExtractor::kPrefixes)
            bPrefixed = bPrefixed || std::string_view(strLink).starts_with(strPrefix);
        if (!bPrefixed)
            std::abort();
    }
    return 0;
}
