#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Control characters in texts the program did not write itself: names,
// links and server answers. A control character is a C0 byte (0x00 to
// 0x1F), DEL (0x7F) or a C1 character (U+0080 to U+009F, two bytes in
// UTF-8); a C1 byte that is not part of UTF-8 is not one.

// The length in bytes of the control character the text begins with: 1 or
// 2, or 0 when it begins with anything else (or is empty).
std::size_t ControlCharacterLength(std::string_view strText);

// The text with every control character written as one blank, so that it
// cannot break the line it stands in.
std::string ControlsAsBlanks(std::string_view strText);

// The text with every control character replaced by U+FFFD, so that what
// came from outside shows where a control character was without acting on
// the terminal, the list or the file it reaches.
std::string ControlsAsReplacementCharacters(std::string_view strText);
