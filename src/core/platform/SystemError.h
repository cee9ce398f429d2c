#pragma once

#include <cstddef>
#include <cstdint>

// The first Internet error number and the last; their texts are the
// callers' own, so they are never looked up.
inline constexpr std::uint32_t kInternetErrorFirst = 12000;
inline constexpr std::uint32_t kInternetErrorLast = 12174;

// The system's text for an error code (an errno value here), cut at its
// first line end. Without a buffer a buffer of 1023 bytes of the calling
// thread is used. For the Internet error range the buffer is returned as the
// caller passed it, so such callers empty it first. Unknown codes give
// "<Error code 0x%08X not found...>".
const char* FormatSystemError(std::uint32_t dwError, char* pBuffer = nullptr, std::size_t nSize = 0);
