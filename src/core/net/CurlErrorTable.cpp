#include "core/net/CurlErrorTable.h"

#include <array>

namespace {

constexpr std::array kCurlErrors{
    CurlErrorRow{CURLE_OK, InternetErrorNone},
    CurlErrorRow{CURLE_UNSUPPORTED_PROTOCOL, InternetErrorUnrecognizedScheme},
    CurlErrorRow{CURLE_NOT_BUILT_IN, InternetErrorUnrecognizedScheme},
    CurlErrorRow{CURLE_URL_MALFORMAT, InternetErrorInvalidUrl},
    CurlErrorRow{CURLE_COULDNT_RESOLVE_PROXY, InternetErrorNameNotResolved},
    CurlErrorRow{CURLE_COULDNT_RESOLVE_HOST, InternetErrorNameNotResolved},
    CurlErrorRow{CURLE_COULDNT_CONNECT, InternetErrorCannotConnect},
    CurlErrorRow{CURLE_PROXY, InternetErrorCannotConnect},
    CurlErrorRow{CURLE_WEIRD_SERVER_REPLY, InternetErrorInvalidServerResponse},
    CurlErrorRow{CURLE_HTTP2, InternetErrorInvalidServerResponse},
    CurlErrorRow{CURLE_HTTP2_STREAM, InternetErrorInvalidServerResponse},
    CurlErrorRow{CURLE_BAD_CONTENT_ENCODING, InternetErrorInvalidServerResponse},
#if LIBCURL_VERSION_NUM >= 0x080600
    // headers larger than libcurl keeps: the server answered, but not in a
    // way that can be judged
    CurlErrorRow{CURLE_TOO_LARGE, InternetErrorInvalidServerResponse},
#endif
    // ftp servers that answer but refuse or do not understand
    CurlErrorRow{CURLE_REMOTE_ACCESS_DENIED, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_ACCEPT_FAILED, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_WEIRD_PASS_REPLY, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_ACCEPT_TIMEOUT, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_WEIRD_PASV_REPLY, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_WEIRD_227_FORMAT, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_CANT_GET_HOST, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_COULDNT_SET_TYPE, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_COULDNT_RETR_FILE, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_PORT_FAILED, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_COULDNT_USE_REST, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_PRET_FAILED, InternetErrorExtended},
    CurlErrorRow{CURLE_FTP_BAD_FILE_LIST, InternetErrorExtended},
    CurlErrorRow{CURLE_QUOTE_ERROR, InternetErrorExtended},
    CurlErrorRow{CURLE_REMOTE_FILE_NOT_FOUND, InternetErrorExtended},
    // connections that end without an answer
    CurlErrorRow{CURLE_GOT_NOTHING, InternetErrorConnectionAborted},
    CurlErrorRow{CURLE_PARTIAL_FILE, InternetErrorConnectionAborted},
    CurlErrorRow{CURLE_SEND_ERROR, InternetErrorConnectionAborted},
    CurlErrorRow{CURLE_RECV_ERROR, InternetErrorConnectionReset},
    CurlErrorRow{CURLE_OPERATION_TIMEDOUT, InternetErrorTimeout},
    CurlErrorRow{CURLE_LOGIN_DENIED, InternetErrorLoginFailure},
    CurlErrorRow{CURLE_AUTH_ERROR, InternetErrorLoginFailure},
    CurlErrorRow{CURLE_TOO_MANY_REDIRECTS, InternetErrorRedirectFailed},
    CurlErrorRow{CURLE_ABORTED_BY_CALLBACK, InternetErrorOperationCancelled},
    // certificates
    CurlErrorRow{CURLE_PEER_FAILED_VERIFICATION, InternetErrorInvalidCa},
    CurlErrorRow{CURLE_SSL_CERTPROBLEM, InternetErrorInvalidCa},
    CurlErrorRow{CURLE_SSL_CACERT_BADFILE, InternetErrorInvalidCa},
    CurlErrorRow{CURLE_SSL_CRL_BADFILE, InternetErrorInvalidCa},
    CurlErrorRow{CURLE_SSL_ISSUER_ERROR, InternetErrorInvalidCa},
    CurlErrorRow{CURLE_SSL_PINNEDPUBKEYNOTMATCH, InternetErrorInvalidCa},
    CurlErrorRow{CURLE_SSL_INVALIDCERTSTATUS, InternetErrorInvalidCa},
    // other TLS failures
    CurlErrorRow{CURLE_SSL_CONNECT_ERROR, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_SSL_CIPHER, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_SSL_CLIENTCERT, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_USE_SSL_FAILED, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_SSL_ENGINE_NOTFOUND, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_SSL_ENGINE_SETFAILED, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_SSL_ENGINE_INITFAILED, InternetErrorSecurityChannel},
    CurlErrorRow{CURLE_SSL_SHUTDOWN_FAILED, InternetErrorSecurityChannel},
};

} // namespace

std::span<const CurlErrorRow> CurlErrorTable() { return kCurlErrors; }

InternetError InternetErrorFromCurl(CURLcode nCode)
{
    for (const auto& row : kCurlErrors)
        if (row.m_nCode == nCode)
            return row.m_dwError;
    return InternetErrorInternal;
}
