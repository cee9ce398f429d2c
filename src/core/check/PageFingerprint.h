#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The visible text of a page reduced to what stays the same between two
// answers of the same template: words case-folded, every word that holds a
// digit (dates, times, counters, request ids) made one mark, very long words
// (tokens, hashes) another, the words of the addresses asked left out (a
// "not found" page often repeats the address it was asked for), and then
// overlapping runs of three words hashed into a set. Two answers are "the
// same page" when their sets mostly agree.
struct PageFingerprint {
    std::vector<std::uint64_t> m_shingles; // sorted, unique
    std::size_t m_nWords = 0;              // words counted after the reduction
};

// Words a fingerprint must have to be compared at all: a page that shows
// next to nothing (the shell of a script-built page) cannot be told apart
// from another.
inline constexpr std::size_t kMinFingerprintWords = 25;
// Shingles kept of one page; the rest of a very long text is not needed.
inline constexpr std::size_t kMaxShingles = 4096;
// Agreement (shared shingles over all shingles) from which two pages count
// as the same.
inline constexpr double kSamePageSimilarity = 0.8;

// strText: visible text; addresses: the addresses whose words are left out.
PageFingerprint MakePageFingerprint(std::string_view strText, std::span<const std::string> addresses);

// 0 to 1; 0 when either has too few words to tell.
double PageSimilarity(const PageFingerprint& a, const PageFingerprint& b);
