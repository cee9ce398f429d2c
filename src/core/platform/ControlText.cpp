#include "core/platform/ControlText.h"

namespace {

std::string ReplaceControls(std::string_view strText, std::string_view strBy)
{
    std::string strOut;
    strOut.reserve(strText.size());
    while (!strText.empty()) {
        if (const std::size_t nControl = ControlCharacterLength(strText); nControl != 0) {
            strOut += strBy;
            strText.remove_prefix(nControl);
            continue;
        }
        strOut += strText.front();
        strText.remove_prefix(1);
    }
    return strOut;
}

} // namespace

std::size_t ControlCharacterLength(std::string_view strText)
{
    if (strText.empty())
        return 0;
    const auto ch = static_cast<unsigned char>(strText[0]);
    if (ch < 0x20 || ch == 0x7F)
        return 1;
    if (ch == 0xC2 && strText.size() >= 2) {
        const auto chNext = static_cast<unsigned char>(strText[1]);
        if (chNext >= 0x80 && chNext <= 0x9F)
            return 2;
    }
    return 0;
}

std::string ControlsAsBlanks(std::string_view strText) { return ReplaceControls(strText, " "); }

std::string ControlsAsReplacementCharacters(std::string_view strText)
{
    return ReplaceControls(strText, "\xEF\xBF\xBD");
}
