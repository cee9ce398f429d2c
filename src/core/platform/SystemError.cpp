#include "core/platform/SystemError.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// The system's own text for a code, or null when it has none.
const char* SystemMessage(std::uint32_t dwError, char* pScratch, std::size_t nScratch)
{
    if (dwError > 0x7fffffffu)
        return nullptr;
    // The GNU strerror_r returns a pointer to the text, which may or may not
    // be the scratch buffer.
    const char* pText = strerror_r(static_cast<int>(dwError), pScratch, nScratch);
    if (pText == nullptr || std::string_view(pText).starts_with("Unknown error"))
        return nullptr;
    return pText;
}

} // namespace

const char* FormatSystemError(std::uint32_t dwError, char* pBuffer, std::size_t nSize)
{
    if (pBuffer == nullptr || nSize == 0) {
        // The buffer used when the caller gives none. One per thread, so that
        // workers formatting at the same time do not write over each other's text.
        thread_local char s_szBuffer[1023];
        pBuffer = s_szBuffer;
        nSize = sizeof s_szBuffer;
    }
    if (dwError >= kInternetErrorFirst && dwError <= kInternetErrorLast)
        return pBuffer;

    char szScratch[256];
    if (const char* pText = SystemMessage(dwError, szScratch, sizeof szScratch))
        std::snprintf(pBuffer, nSize, "%s", pText);
    else
        std::snprintf(pBuffer, nSize, "<Error code 0x%08X not found...>", dwError);
    pBuffer[nSize - 1] = '\0';
    pBuffer[std::strcspn(pBuffer, "\n\r")] = '\0';
    return pBuffer;
}
