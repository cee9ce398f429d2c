// Feeds arbitrary bytes to the readers of Internet Shortcut, channel
// desktop.ini and desktop link files, and checks that what they return is
// always valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/shortcuts/ShortcutText.h"
#include "core/shortcuts/TextEncoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);

    if (!IsValidUtf8(ParseInternetShortcut(bytes)))
        std::abort();
    if (const auto target = ParseChannelTarget(bytes); target && !IsValidUtf8(*target))
        std::abort();
    if (const auto url = ParseDesktopLink(bytes); url && !IsValidUtf8(*url))
        std::abort();
    if (const auto decoded = DecodeUtf7(bytes); decoded && !IsValidUtf8(*decoded))
        std::abort();
    if (!IsValidUtf8(SanitizeUtf8(bytes)))
        std::abort();
    return 0;
}
