#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string_view>

// When a link that was answered "later" (429 Too Many Requests, 503 Service
// Unavailable) is tried again. Only a pass that allows retries asks; the
// final answer is judged like any other.

// The longest Retry-After that is waited for; a longer one makes the answer
// final at once.
inline constexpr std::chrono::seconds kMaxRetryAfter{60};
// The wait before a retry when the answer named none: 1 s, then twice as
// long each time, at most this.
inline constexpr std::chrono::seconds kRetryBackoffLimit{8};
// The most retries a pass may allow per link.
inline constexpr int kMaxRetries = 10;

// The wait a Retry-After header asks for: a number of seconds, or an HTTP
// date (counted from `now`, and 0 when it has passed). Absent when the text
// is neither.
std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view strValue, std::time_t now);

// The wait before the next try of a link whose try number nTry (1 for the
// first) was answered with nHttpStatus and the given Retry-After; absent when
// that answer is final: a status that is not 429 or 503, or a Retry-After
// longer than kMaxRetryAfter. Whether retries are left is the caller's.
std::optional<std::chrono::milliseconds> RetryDelay(int nHttpStatus, std::optional<std::chrono::seconds> retryAfter,
                                                    int nTry);
