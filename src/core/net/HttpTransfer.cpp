#include "core/net/HttpTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "core/net/CurlErrorTable.h"
#include "core/net/HttpClient.h"
#include "core/net/HttpSession.h"
#include "core/platform/ControlText.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::array<std::string_view, 3> kSchemes{"http", "https", "ftp"};
constexpr std::array<long, 5> kFollowedStatuses{301, 302, 303, 307, 308};
// Longest Content-Type kept; only its first word is ever looked at.
constexpr std::size_t kMaxContentType = 256;

std::string Lower(std::string_view str)
{
    std::string out(str);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The scheme of a link: a letter, then letters, digits, "+", "-" or ".",
// ended by ":". Empty when the text does not start with one.
std::string SchemeOf(std::string_view strUrl)
{
    const auto nColon = strUrl.find(':');
    if (nColon == std::string_view::npos || nColon == 0 ||
        !std::isalpha(static_cast<unsigned char>(strUrl[0])))
        return {};
    for (char c : strUrl.substr(0, nColon))
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return {};
    return Lower(strUrl.substr(0, nColon));
}

bool IsOpenedScheme(std::string_view strScheme)
{
    return std::find(kSchemes.begin(), kSchemes.end(), strScheme) != kSchemes.end();
}

// A body worth reading as a page: HTML, or no type given at all.
bool IsPageType(std::string_view strContentType)
{
    const std::string strType = Lower(strContentType.substr(0, strContentType.find(';')));
    std::string_view type = strType;
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t'))
        type.remove_suffix(1);
    return type.empty() || type == "text/html" || type == "application/xhtml+xml";
}

bool HasControlCharacter(std::string_view strUrl)
{
    return std::any_of(strUrl.begin(), strUrl.end(),
                       [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

// The absolute link a Location points to, resolved against the URL that
// answered; empty when it cannot be resolved. (The transfer is ended before
// libcurl works this out itself, so it is done here.)
std::string ResolveLocation(const std::string& strBase, const std::string& strLocation)
{
    if (strLocation.empty())
        return {};
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> pUrl(curl_url(), &curl_url_cleanup);
    if (!pUrl || curl_url_set(pUrl.get(), CURLUPART_URL, strBase.c_str(), 0) != CURLUE_OK ||
        curl_url_set(pUrl.get(), CURLUPART_URL, strLocation.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return {};
    char* pText = nullptr;
    if (curl_url_get(pUrl.get(), CURLUPART_URL, &pText, 0) != CURLUE_OK || !pText)
        return {};
    std::string out(pText);
    curl_free(pText);
    return out;
}

// The address as plain ASCII: bytes above 0x7F percent-encoded, as a
// browser sends them, so it can be written into any favourite file.
std::string AsciiUrl(std::string_view strUrl)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(strUrl.size());
    for (const unsigned char c : strUrl) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

// Notes one redirect followed from strFrom (the address as the trail has it
// so far) to strTarget. The trail stays permanent while every hop is a 301
// or a 308. A target without a fragment keeps the one of the address it
// came from, as browsers keep it: a favourite's "#section" is not lost.
void NoteRedirect(HttpCheckResult& result, long nStatus, std::string_view strFrom, const std::string& strTarget,
                  bool bFirst)
{
    const bool bPermanent = nStatus == 301 || nStatus == 308;
    result.m_bPermanentRedirects = bPermanent && (bFirst || result.m_bPermanentRedirects);
    std::string strFinal = AsciiUrl(strTarget);
    if (const auto nHash = strFrom.find('#'); nHash != std::string_view::npos && strFinal.find('#') == std::string::npos)
        strFinal += strFrom.substr(nHash);
    result.m_strFinalUrl = std::move(strFinal);
}

} // namespace


// What the callbacks of one hop collect.
struct CHttpTransfer::CHandle {
    CurlEasyPtr m_pCurl;
    bool m_bHttpBlock = false;   // the header block being read began with an HTTP status line
    long m_nBlockStatus = 0;     // its status code
    bool m_bHeadersDone = false; // the final headers are in: the transfer was ended on purpose
    std::string m_strLocation;   // Location of the latest header block
    std::string m_strRetryAfter; // Retry-After of the latest header block
    std::string m_strContentType; // Content-Type of the latest header block
    long long m_nContentLength = -1; // Content-Length of the latest header block; -1: none
    const PageReadOptions* m_pRead = nullptr; // read the page of a 200 answer
    bool m_bReadingBody = false; // the final answer's body is being read
    // The final answer's short body is read and thrown away, so that its
    // connection can serve the next request to that host.
    bool m_bDraining = false;
    std::string m_strBody;       // what was read of the page, decoded
    size_t m_nHeaderBytes = 0;   // header bytes of this request so far
    bool m_bHeadersTooLarge = false;

    // More header bytes than this and the answer is given up. It is below
    // the limit of libcurl itself (300 KB), which ends such a transfer with
    // the same result as a broken connection; a server that sent that much
    // did answer, so the link is not verifiable rather than broken.
    static constexpr size_t kMaxHeaderBytes = 256 * 1024;
    // The longest body (by its Content-Length) read only to keep the
    // connection; a longer one is cut off with its connection.
    static constexpr long long kMaxDrainBytes = 16 * 1024;

    static size_t OnHeader(char* pData, size_t nSize, size_t nCount, void* pUser)
    {
        auto& self = *static_cast<CHandle*>(pUser);
        const size_t nBytes = nSize * nCount;
        self.m_nHeaderBytes += nBytes;
        if (self.m_nHeaderBytes > kMaxHeaderBytes) {
            self.m_bHeadersTooLarge = true;
            return 0;
        }
        std::string_view line(pData, nBytes);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);

        if (line.starts_with("HTTP/")) {
            // A new answer begins (an interim one, or the final one).
            self.m_bHttpBlock = true;
            self.m_nBlockStatus = 0;
            self.m_strLocation.clear();
            self.m_strRetryAfter.clear();
            self.m_strContentType.clear();
            self.m_nContentLength = -1;
            const auto nSpace = line.find(' ');
            if (nSpace != std::string_view::npos)
                self.m_nBlockStatus = std::strtol(std::string(line.substr(nSpace + 1, 3)).c_str(), nullptr, 10);
            return nBytes;
        }
        if (!self.m_bHttpBlock)
            return nBytes; // ftp server replies
        if (line.empty()) {
            // End of a header block. Interim answers (100 Continue, ...) are
            // followed by the real one; after a final answer nothing more is
            // wanted, so the transfer is ended here rather than read, unless
            // its body is short enough to read for the connection's sake.
            self.m_bHttpBlock = false;
            if (self.m_nBlockStatus >= 100 && self.m_nBlockStatus < 200)
                return nBytes;
            self.m_bHeadersDone = true;
            if (self.m_pRead && self.m_nBlockStatus == 200 && IsPageType(self.m_strContentType)) {
                self.m_bReadingBody = true;
                return nBytes;
            }
            if (self.m_nContentLength >= 0 && self.m_nContentLength <= kMaxDrainBytes) {
                self.m_bDraining = true;
                return nBytes;
            }
            return 0;
        }
        const auto nColon = line.find(':');
        if (nColon == std::string_view::npos)
            return nBytes;
        const std::string strName = Lower(line.substr(0, nColon));
        if (strName != "location" && strName != "retry-after" && strName != "content-type" &&
            strName != "content-length")
            return nBytes;
        std::string_view value = line.substr(nColon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        if (strName == "content-length") {
            const bool bDigits = !value.empty() && value.size() <= 18 &&
                                 std::all_of(value.begin(), value.end(),
                                             [](unsigned char c) { return std::isdigit(c) != 0; });
            self.m_nContentLength = bDigits ? std::stoll(std::string(value)) : -1;
        } else if (strName == "content-type") {
            self.m_strContentType = std::string(value.substr(0, kMaxContentType));
        } else {
            (strName == "location" ? self.m_strLocation : self.m_strRetryAfter) = std::string(value);
        }
        return nBytes;
    }

    // Body bytes, already decoded by libcurl. Those of a page being read are
    // kept up to the limit, where the transfer is ended; a short body read
    // for its connection is let through; an ftp transfer gets here too, and
    // its first bytes prove that the file is there.
    static size_t OnBody(char* pData, size_t nSize, size_t nCount, void* pUser)
    {
        auto& self = *static_cast<CHandle*>(pUser);
        const size_t nBytes = nSize * nCount;
        self.m_bHeadersDone = true;
        if (self.m_bDraining)
            return nBytes;
        if (!self.m_bReadingBody)
            return 0;
        const size_t nRoom = self.m_pRead->m_nMaxBytes - std::min(self.m_pRead->m_nMaxBytes, self.m_strBody.size());
        self.m_strBody.append(pData, std::min(nRoom, nBytes));
        return self.m_strBody.size() >= self.m_pRead->m_nMaxBytes ? 0 : nBytes;
    }

    // Sets the handle up for one hop: a GET of the URL within the time left.
    void Prepare(const std::string& strUrl, Clock::duration remaining)
    {
        CURL* const h = m_pCurl.get();
        curl_easy_reset(h);
        m_bHttpBlock = false;
        m_nBlockStatus = 0;
        m_bHeadersDone = false;
        m_nHeaderBytes = 0;
        m_bHeadersTooLarge = false;
        m_strLocation.clear();
        m_strRetryAfter.clear();
        m_strContentType.clear();
        m_nContentLength = -1;
        m_bReadingBody = false;
        m_bDraining = false;
        m_strBody.clear();

        const long nTimeoutMs = std::max<long>(
            1, static_cast<long>(std::chrono::ceil<std::chrono::milliseconds>(remaining).count()));
        ApplyHttpSessionOptions(h, "http,https,ftp");
        curl_easy_setopt(h, CURLOPT_URL, strUrl.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, nTimeoutMs);
        curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CHandle::OnHeader);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CHandle::OnBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
        if (m_pRead) // decoded as it arrives, counted after decoding
            curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    }
};

CHttpTransfer::CHttpTransfer(CurlEasyPtr pCurl)
{
    if (pCurl) {
        m_pHandle = std::make_unique<CHandle>();
        m_pHandle->m_pCurl = std::move(pCurl);
    }
}

CHttpTransfer::~CHttpTransfer() = default;

CURL* CHttpTransfer::Handle() const { return m_pHandle ? m_pHandle->m_pCurl.get() : nullptr; }

CurlEasyPtr CHttpTransfer::ReleaseHandle() { return m_pHandle ? std::move(m_pHandle->m_pCurl) : CurlEasyPtr(); }

void CHttpTransfer::Fail(CURLcode nCode) { m_result.m_dwError = InternetErrorFromCurl(nCode); }

HttpCheckResult CHttpTransfer::TakeResult() { return std::move(m_result); }

bool CHttpTransfer::Begin(std::string_view strUrl, Clock::time_point deadline, const PageReadOptions* pRead)
{
    m_result = {};
    m_nHop = 0;
    m_deadline = deadline;
    m_pRead = pRead;
    m_strUrl = std::string(strUrl);
    m_strCurrent = m_strUrl;
    if (!m_pHandle) {
        m_result.m_bOpenFailed = true;
        return false;
    }
    // libcurl would guess a scheme for a bare host name and cut a URL at a
    // line break; a favourite is checked only as the link it is.
    if (HasControlCharacter(strUrl)) {
        Fail(CURLE_URL_MALFORMAT);
        return false;
    }
    const std::string strScheme = SchemeOf(strUrl);
    if (strScheme.empty()) {
        Fail(CURLE_URL_MALFORMAT);
        return false;
    }
    if (!IsOpenedScheme(strScheme)) {
        Fail(CURLE_UNSUPPORTED_PROTOCOL);
        return false;
    }
    m_pHandle->m_pRead = pRead;
    if (pRead)
        m_result.m_redirectChain.push_back(m_strCurrent);
    return true;
}

bool CHttpTransfer::PrepareHop()
{
    const auto remaining = m_deadline - Clock::now();
    if (remaining <= Clock::duration::zero()) {
        Fail(CURLE_OPERATION_TIMEDOUT);
        return false;
    }
    m_pHandle->Prepare(m_strCurrent, remaining);
    return true;
}

bool CHttpTransfer::HopDone(CURLcode nCode)
{
    CHandle& handle = *m_pHandle;
    HttpCheckResult& result = m_result;
    const PageReadOptions* const pRead = m_pRead;
    if (handle.m_bHeadersTooLarge) {
        // An answer whose headers do not end: not proof that the link is broken.
        result.m_dwError = InternetErrorInvalidServerResponse;
        return false;
    }
    if (nCode == CURLE_WRITE_ERROR && handle.m_bHeadersDone)
        nCode = CURLE_OK; // ended on purpose once the headers were in
    else if (nCode != CURLE_OK && (handle.m_bReadingBody || handle.m_bDraining))
        nCode = CURLE_OK; // the answer was in; its body ended early (time-out, broken off)
    else if (nCode == CURLE_UNSUPPORTED_PROTOCOL)
        nCode = CURLE_WEIRD_SERVER_REPLY; // the scheme was checked above: the answer was not HTTP
    if (nCode != CURLE_OK) {
        Fail(nCode);
        return false;
    }

    const char* pScheme = nullptr;
    curl_easy_getinfo(handle.m_pCurl.get(), CURLINFO_SCHEME, &pScheme);
    if (pScheme && Lower(pScheme) == "ftp")
        return false; // an ftp answer has no HTTP status to ask for

    long nStatus = 0;
    curl_easy_getinfo(handle.m_pCurl.get(), CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus <= 0)
        return false;

    const int nHop = m_nHop;
    const bool bRedirect =
        std::find(kFollowedStatuses.begin(), kFollowedStatuses.end(), nStatus) != kFollowedStatuses.end();
    const std::string strTarget = bRedirect ? ResolveLocation(m_strCurrent, handle.m_strLocation) : std::string();
    if (!strTarget.empty() && IsOpenedScheme(SchemeOf(strTarget)) && !HasControlCharacter(strTarget)) {
        if (nHop == kMaxRedirects) {
            result.m_strFinalUrl.clear(); // a loop ends nowhere
            result.m_bPermanentRedirects = false;
            Fail(CURLE_TOO_MANY_REDIRECTS);
            return false;
        }
        NoteRedirect(result, nStatus, nHop == 0 ? std::string_view(m_strUrl) : std::string_view(result.m_strFinalUrl),
                     strTarget, nHop == 0);
        m_strCurrent = strTarget;
        if (pRead)
            result.m_redirectChain.push_back(m_strCurrent);
        ++m_nHop;
        return true;
    }
    if (handle.m_bReadingBody && pRead->m_landerTarget) {
        // A page that only sends its reader on: its target is one more
        // (temporary) hop, as a browser would take it. (The page is
        // always shown to the function, also when no hop is left.)
        const std::string strWritten = pRead->m_landerTarget(handle.m_strBody);
        const std::string strLander = HasControlCharacter(strWritten) || nHop >= kMaxRedirects
                                          ? std::string()
                                          : ResolveLocation(m_strCurrent, strWritten);
        if (!strLander.empty() && strLander != m_strCurrent && IsOpenedScheme(SchemeOf(strLander)) &&
            !HasControlCharacter(strLander)) {
            NoteRedirect(result, 302, nHop == 0 ? std::string_view(m_strUrl) : std::string_view(result.m_strFinalUrl),
                         strLander, nHop == 0);
            m_strCurrent = strLander;
            result.m_redirectChain.push_back(m_strCurrent);
            ++m_nHop;
            return true;
        }
    }
    if (pRead) {
        result.m_strContentType = ControlsAsReplacementCharacters(handle.m_strContentType);
        result.m_bBodyRead = handle.m_bReadingBody;
        result.m_strBody = std::move(handle.m_strBody);
        handle.m_strBody = {};
    }
    result.m_strRetryAfter = handle.m_strRetryAfter;
    result.m_nHttpStatus = static_cast<int>(nStatus);
    // The server's text reaches the status text, the window and the
    // results file: its control characters must not act on any of them.
    result.m_strLocation = ControlsAsReplacementCharacters(handle.m_strLocation);
    return false;
}
