// Feeds arbitrary bytes to the rewrite of a favourite's URL, as a .url and
// as a .desktop file, and checks what a rewrite promises: the file read
// back gives exactly the new URL, and rewriting it again with the same URL
// changes no byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/shortcuts/ShortcutRewrite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
    constexpr std::string_view kNewUrl = "https://new.example/caf\xC3\xA9?a=1&b=~+\\";
    for (const ShortcutFormat format : {ShortcutFormat::InternetShortcut, ShortcutFormat::DesktopLink}) {
        const auto rewritten = RewriteShortcutUrl(bytes, format, kNewUrl);
        if (!rewritten)
            continue;
        if (ShortcutUrlOf(*rewritten, format) != kNewUrl)
            std::abort();
        if (RewriteShortcutUrl(*rewritten, format, kNewUrl) != rewritten)
            std::abort();
    }
    return 0;
}
