#include "core/check/PageFingerprint.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <unordered_set>

#include "core/check/PageFacts.h"

namespace {

// Words longer than this are tokens, not words of a language.
constexpr std::size_t kTokenLength = 20;

bool IsWordByte(unsigned char c) { return c >= 0x80 || std::isalnum(c); }

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> out;
    std::string word;
    for (const char ch : text) {
        if (IsWordByte(static_cast<unsigned char>(ch))) {
            word += ch;
            continue;
        }
        if (!word.empty())
            out.push_back(std::move(word));
        word.clear();
    }
    if (!word.empty())
        out.push_back(std::move(word));
    return out;
}

} // namespace

PageFingerprint MakePageFingerprint(std::string_view strText, std::span<const std::string> addresses)
{
    std::unordered_set<std::string> addressWords;
    for (const auto& address : addresses)
        for (auto& word : Words(FoldCase(address)))
            addressWords.insert(std::move(word));

    std::vector<std::string> words;
    for (auto& word : Words(FoldCase(strText))) {
        if (addressWords.contains(word))
            continue;
        if (std::any_of(word.begin(), word.end(), [](unsigned char c) { return std::isdigit(c); }))
            word = "#";
        else if (word.size() > kTokenLength)
            word = "~";
        words.push_back(std::move(word));
    }

    PageFingerprint fingerprint;
    fingerprint.m_nWords = words.size();
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i + 2 < words.size() && fingerprint.m_shingles.size() < kMaxShingles; ++i) {
        const std::string shingle = words[i] + ' ' + words[i + 1] + ' ' + words[i + 2];
        fingerprint.m_shingles.push_back(hash(shingle));
    }
    std::sort(fingerprint.m_shingles.begin(), fingerprint.m_shingles.end());
    fingerprint.m_shingles.erase(std::unique(fingerprint.m_shingles.begin(), fingerprint.m_shingles.end()),
                                 fingerprint.m_shingles.end());
    return fingerprint;
}

double PageSimilarity(const PageFingerprint& a, const PageFingerprint& b)
{
    if (a.m_nWords < kMinFingerprintWords || b.m_nWords < kMinFingerprintWords)
        return 0;
    std::size_t nShared = 0;
    auto ia = a.m_shingles.begin();
    auto ib = b.m_shingles.begin();
    while (ia != a.m_shingles.end() && ib != b.m_shingles.end()) {
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
    const std::size_t nAll = a.m_shingles.size() + b.m_shingles.size() - nShared;
    return nAll == 0 ? 0 : static_cast<double>(nShared) / static_cast<double>(nAll);
}
