#include "core/check/PageFingerprint.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "core/check/PageFacts.h"

namespace {

// Words longer than this are tokens, not words of a language.
constexpr std::size_t kTokenLength = 20;

bool IsWordByte(unsigned char c) { return c >= 0x80 || std::isalnum(c); }

template <typename F>
void ForEachWord(std::string_view text, F&& f)
{
    std::size_t nStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && IsWordByte(static_cast<unsigned char>(text[i])))
            continue;
        if (i > nStart && !f(text.substr(nStart, i - nStart)))
            return;
        nStart = i + 1;
    }
}

std::vector<std::uint64_t> Shingles(std::string_view words, const std::unordered_set<std::string>& left)
{
    std::vector<std::string_view> kept;
    ForEachWord(words, [&](std::string_view word) {
        if (!left.contains(std::string(word)))
            kept.push_back(word);
        return true;
    });
    std::vector<std::uint64_t> out;
    if (kept.size() < kMinFingerprintWords)
        return out;
    const std::hash<std::string> hash;
    for (std::size_t i = 0; i + 2 < kept.size(); ++i)
        out.push_back(hash(std::string(kept[i]) + ' ' + std::string(kept[i + 1]) + ' ' + std::string(kept[i + 2])));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace

std::string PageWords(std::string_view strVisibleText)
{
    const std::string folded = FoldCase(strVisibleText);
    std::string out;
    std::size_t nWords = 0;
    ForEachWord(folded, [&](std::string_view word) {
        if (!out.empty())
            out += ' ';
        if (std::any_of(word.begin(), word.end(), [](unsigned char c) { return std::isdigit(c); }))
            out += '#';
        else if (word.size() > kTokenLength)
            out += '~';
        else
            out += word;
        return ++nWords < kMaxFingerprintWords;
    });
    return out;
}

double PageSimilarity(std::string_view strWordsA, std::string_view strWordsB, std::span<const std::string> addresses)
{
    std::unordered_set<std::string> left;
    for (const auto& address : addresses)
        ForEachWord(FoldCase(address), [&](std::string_view word) {
            left.emplace(word);
            return true;
        });
    const auto a = Shingles(strWordsA, left);
    const auto b = Shingles(strWordsB, left);
    if (a.empty() || b.empty())
        return 0;
    std::size_t nShared = 0;
    auto ia = a.begin();
    auto ib = b.begin();
    while (ia != a.end() && ib != b.end()) {
        if (*ia < *ib) {
            ++ia;
        } else if (*ib < *ia) {
            ++ib;
        } else {
            ++nShared;
            ++ia;
            ++ib;
        }
    }
    return static_cast<double>(nShared) / static_cast<double>(a.size() + b.size() - nShared);
}
