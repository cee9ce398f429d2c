#include "core/net/UrlHost.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

std::string CheckHostOf(std::string_view strUrl)
{
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> pUrl(curl_url(), &curl_url_cleanup);
    if (!pUrl || curl_url_set(pUrl.get(), CURLUPART_URL, std::string(strUrl).c_str(), CURLU_NON_SUPPORT_SCHEME) !=
                     CURLUE_OK)
        return {};
    char* pHost = nullptr;
    if (curl_url_get(pUrl.get(), CURLUPART_HOST, &pHost, 0) != CURLUE_OK || !pHost)
        return {};
    std::string strHost(pHost);
    curl_free(pHost);
    std::transform(strHost.begin(), strHost.end(), strHost.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    char* pPort = nullptr;
    if (curl_url_get(pUrl.get(), CURLUPART_PORT, &pPort, CURLU_DEFAULT_PORT) == CURLUE_OK && pPort) {
        strHost += ":";
        strHost += pPort;
        curl_free(pPort);
    }
    return strHost;
}
