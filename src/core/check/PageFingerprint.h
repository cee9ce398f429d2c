#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// Whether two answers are the same page, told from their visible text in a
// way that stays the same between two answers of one template: words are
// case-folded, every word that holds a digit (dates, times, counters,
// request ids) becomes one mark and every very long word (tokens, hashes)
// another; the words of the addresses asked are left out of both (a "not
// found" page often repeats the address it was asked for); then the
// overlapping runs of three words of the two texts are compared.

// Words a text must have to be compared at all: a page that shows next to
// nothing (the shell of a script-built page) cannot be told apart from
// another.
inline constexpr std::size_t kMinFingerprintWords = 25;
// Words kept of one page: enough to tell pages apart, little to keep.
inline constexpr std::size_t kMaxFingerprintWords = 600;
// Agreement (shared runs over all runs) from which two pages count as the
// same.
inline constexpr double kSamePageSimilarity = 0.8;

// The words of a visible text as compared: reduced as above, joined by
// single blanks, at most kMaxFingerprintWords.
std::string PageWords(std::string_view strVisibleText);

// 0 to 1; 0 when either has too few words to tell once the words of the
// addresses are left out.
double PageSimilarity(std::string_view strWordsA, std::string_view strWordsB,
                      std::span<const std::string> addresses);
