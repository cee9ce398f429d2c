#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <span>

#include "core/net/InternetError.h"

// One libcurl result and the Internet error number it stands for.
struct CurlErrorRow {
    CURLcode m_nCode;
    InternetError m_dwError;
};

// Every libcurl result that has a number of its own; each appears once.
std::span<const CurlErrorRow> CurlErrorTable();

// The number for any libcurl result. Results missing from the table are
// internal errors (12004), so that every failure still gets a text.
InternetError InternetErrorFromCurl(CURLcode nCode);
