#include "core/check/CheckClassification.h"

#include <array>
#include <optional>

#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/net/InternetError.h"
#include "core/platform/SystemError.h"

namespace {

// A row of the HTTP status table. nHttpStatus is empty for the row of a
// failed status query. strTextWithLocation is used instead of strText when
// the answer carries a Location. "%d" in a text stands for the status code,
// "%s" for the Location.
struct HttpStatusRow {
    std::optional<int> m_nHttpStatus;
    std::string_view m_strText;
    std::string_view m_strTextWithLocation;
    LinkStatus m_nStatus;
};

constexpr std::string_view kLoginText = "This URL requires login information.";
constexpr std::string_view kCannotConnectText = "Unable to connect to the server.";
constexpr std::string_view kMovedText = "HTTP status code %d (Redirect or Content Moved.) was received.";
constexpr std::string_view kMovedToText =
    "HTTP status code %d (Redirect or Content Moved to \"%s\")was received.";
constexpr std::string_view kNotFoundText =
    "HTTP status code %d (File Not Found, or Access Forbidden) was received.";

constexpr std::array kInternetErrors{
    InternetErrorRow{InternetErrorTimeout, kTimeoutText, StatusUnverified},
    InternetErrorRow{InternetErrorExtended, "An unexpected status message or code was received.",
                     StatusUnverified},
    InternetErrorRow{InternetErrorNameNotResolved,
                     "The hostname could not be resolved (server not found).", StatusBroken},
    InternetErrorRow{InternetErrorIncorrectUserName, kLoginText, StatusAuthRequired},
    InternetErrorRow{InternetErrorIncorrectPassword, kLoginText, StatusAuthRequired},
    InternetErrorRow{InternetErrorLoginFailure, kLoginText, StatusAuthRequired},
    InternetErrorRow{InternetErrorLoginFailureDisplayBody, kLoginText, StatusAuthRequired},
    InternetErrorRow{InternetErrorCannotConnect, kCannotConnectText, StatusBroken},
    InternetErrorRow{InternetErrorConnectionAborted, kCannotConnectText, StatusBroken},
    InternetErrorRow{InternetErrorConnectionReset, kCannotConnectText, StatusBroken},
};

constexpr std::array kHttpStatuses{
    HttpStatusRow{std::nullopt, "Unable to get HTTP status code.", {}, StatusUnverified},
    HttpStatusRow{200, "Link is valid.", {}, StatusValid},
    HttpStatusRow{301, kMovedText, kMovedToText, StatusMoved},
    HttpStatusRow{302, kMovedText, kMovedToText, StatusMoved},
    HttpStatusRow{303, kMovedText, kMovedToText, StatusMoved},
    HttpStatusRow{401, "HTTP status code 401 (Access Denied) was received.", {}, StatusAuthRequired},
    HttpStatusRow{403, kNotFoundText, {}, StatusPartiallyValid},
    HttpStatusRow{404, kNotFoundText, {}, StatusPartiallyValid},
    HttpStatusRow{500, "HTTP status code 500 (Server Error) was received.", {}, StatusUnverified},
    HttpStatusRow{503, "HTTP status code 503 (Server Overloaded or Too Busy) was received.", {},
                  StatusUnverified},
    HttpStatusRow{12017, "The operation was canceled.", {}, StatusUnverified},
};

// Fills "%d" with the number and "%s" with the text. The texts come from the
// tables above, never from the network, and the values are copied in as
// they are, so a Location full of percent signs stays what it is.
std::string Fill(std::string_view strFormat, long nNumber, std::string_view strText = {})
{
    std::string out;
    out.reserve(strFormat.size() + strText.size() + 12);
    for (size_t i = 0; i < strFormat.size(); ++i) {
        if (strFormat[i] == '%' && i + 1 < strFormat.size()) {
            if (strFormat[i + 1] == 'd') {
                out += std::to_string(nNumber);
                ++i;
                continue;
            }
            if (strFormat[i + 1] == 's') {
                out += strText;
                ++i;
                continue;
            }
        }
        out += strFormat[i];
    }
    return out;
}

CheckOutcome FromError(const HttpCheckResult& result)
{
    for (const auto& row : kInternetErrors)
        if (row.m_dwError == result.m_dwError)
            return {row.m_nStatus, std::string(row.m_strText)};

    // The system has no text for an Internet error: FormatSystemError hands
    // such a number the buffer back as it was given, so it is given empty
    // and the quotes of the text stay empty. Any other number gets the
    // system's text.
    char szText[1024] = "";
    const char* pText = FormatSystemError(result.m_dwError, szText, sizeof szText);
    return {StatusUnverified, Fill(kOtherErrorFormat, static_cast<long>(result.m_dwError), pText)};
}

CheckOutcome FromStatus(const HttpCheckResult& result)
{
    for (const auto& row : kHttpStatuses) {
        if (row.m_nHttpStatus != result.m_nHttpStatus)
            continue;
        const int nStatus = row.m_nHttpStatus.value_or(0);
        const bool bLocation = !row.m_strTextWithLocation.empty() && !result.m_strLocation.empty() &&
                               result.m_strLocation.size() < kLocationBufferSize;
        return {row.m_nStatus,
                bLocation ? Fill(row.m_strTextWithLocation, nStatus, result.m_strLocation)
                          : Fill(row.m_strText, nStatus)};
    }
    return {StatusUnverified, Fill(kUnexpectedStatusFormat, *result.m_nHttpStatus)};
}

} // namespace

int CheckOutcome::IconOffset() const { return ImageFor(KindInternetFavorite, m_nStatus); }

std::span<const InternetErrorRow> InternetErrorTable() { return kInternetErrors; }

CheckOutcome ClassifyCheck(const HttpCheckResult& result)
{
    if (result.m_bOpenFailed)
        return {StatusUnverified, std::string(kOpenFailedText)};
    if (result.m_dwError != 0)
        return FromError(result);
    return FromStatus(result);
}
