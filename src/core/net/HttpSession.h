#pragma once

#include <curl/curl.h>

#include <memory>

// What every HTTP request of the program has in common, whether it
// downloads a page to list its links or checks a favourite: the user agent,
// the one set-up of libcurl for the process and the options of each request
// handle. Nothing here knows what a request is for.

// The user agent of every request the program makes.
inline constexpr const char* kZorbelUserAgent = "Ornamy Zorbel Utility";

// Sets libcurl up for the process. Any thread may call it any number of
// times: only the first successful call does the work. False when libcurl
// cannot be set up (a later call tries again). The programs call it at
// start; NewHttpHandle calls it too, so that code run without a program
// around it (the tests) needs no set-up of its own.
bool HttpGlobalInit();

// Releases what HttpGlobalInit set up. For the end of a program, once no
// request runs any more; a later HttpGlobalInit sets libcurl up again.
void HttpGlobalCleanup();

struct CurlEasyCleanup {
    void operator()(CURL* pCurl) const { curl_easy_cleanup(pCurl); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyCleanup>;

// A new request handle, libcurl set up first; null when either fails.
CurlEasyPtr NewHttpHandle();

// Gives a new or reset request handle the options every request shares:
// the user agent; no signals (requests run on worker threads, and a name
// look-up must not raise SIGALRM in them); only the schemes listed in
// pszProtocols ("http,https" ...), also when a redirect is followed;
// certificates and host names verified. Proxies are those of the
// environment (http_proxy, https_proxy, no_proxy ...), libcurl's own rule,
// so no proxy option is set here.
void ApplyHttpSessionOptions(CURL* pCurl, const char* pszProtocols);
