#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/model/LinkStatus.h"
#include "core/net/HttpCheckResult.h"

// The judgement of one check: status and text. Its picture follows from the
// status (ImageFor).
struct CheckOutcome {
    LinkStatus m_nStatus = StatusUnverified;
    std::string m_strText;

    // The icon offset added to the node's kind.
    int IconOffset() const;
};

// Texts of outcomes that are not rows of the two tables.
inline constexpr std::string_view kOpenFailedText = "Unable to open the Windows Internet Subsystem.";
inline constexpr std::string_view kOtherErrorFormat =
    "Error %d: \"%s\" Occured.  Please see the documentation for further information.";
inline constexpr std::string_view kUnexpectedStatusFormat = "Unexpected HTTP status code %d was received";
inline constexpr std::string_view kTimeoutText = "A timeout occured while trying to connect to the site.";

// A row of the Internet error table: the error number, its outcome.
struct InternetErrorRow {
    std::uint32_t m_dwError;
    std::string_view m_strText;
    LinkStatus m_nStatus;
};

// Error numbers with a text of their own; every other non-zero number takes
// kOtherErrorFormat and StatusUnverified.
std::span<const InternetErrorRow> InternetErrorTable();

// A Location of this length or longer counts as absent, as the status text
// keeps the Location whole or not at all.
inline constexpr std::size_t kLocationBufferSize = 2048;

// Judges a request: the error number first, then, for an answer, its status.
CheckOutcome ClassifyCheck(const HttpCheckResult& result);
