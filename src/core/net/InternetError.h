#pragma once

#include <cstdint>

// The Internet error numbers the checker speaks in. Every libcurl result is
// mapped onto one of them (CurlErrorTable), and the classification of a
// check is keyed on them, so the texts and statuses of the program stay the
// same whatever library does the request.
enum InternetError : std::uint32_t {
    InternetErrorNone = 0,
    InternetErrorTimeout = 12002,               // the request did not end in time
    InternetErrorExtended = 12003,              // the server sent an unexpected reply (ftp)
    InternetErrorInternal = 12004,              // anything the other numbers do not name
    InternetErrorInvalidUrl = 12005,            // the URL cannot be parsed
    InternetErrorUnrecognizedScheme = 12006,    // neither http, https nor ftp
    InternetErrorNameNotResolved = 12007,       // host (or proxy) name not found
    InternetErrorIncorrectUserName = 12013,
    InternetErrorIncorrectPassword = 12014,
    InternetErrorLoginFailure = 12015,          // the server refused the login
    InternetErrorOperationCancelled = 12017,
    InternetErrorCannotConnect = 12029,         // nobody listens, or the route is closed
    InternetErrorConnectionAborted = 12030,     // closed without an answer
    InternetErrorConnectionReset = 12031,       // reset by the peer
    InternetErrorInvalidCa = 12045,             // the certificate is not trusted
    InternetErrorLoginFailureDisplayBody = 12054,
    InternetErrorInvalidServerResponse = 12152, // the answer is not HTTP
    InternetErrorRedirectFailed = 12156,        // too many redirects, or a loop
    InternetErrorSecurityChannel = 12157,       // TLS failed for another reason
};
