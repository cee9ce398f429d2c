#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the encodings that favourite files and file names come
// in and the UTF-8 the program keeps all its texts in.

// Decodes the code point at `nPos` and moves `nPos` past it. An invalid
// sequence (overlong, surrogate, beyond U+10FFFF, cut short) gives nullopt
// and moves past its longest valid-looking prefix, at least one byte.
std::optional<char32_t> NextUtf8CodePoint(std::string_view strText, size_t& nPos);

void AppendUtf8(std::string& strOut, char32_t cp);

bool IsValidUtf8(std::string_view strText);

// The text with every invalid sequence replaced by U+FFFD; valid text is
// returned unchanged. Used for names shown to the user.
std::string SanitizeUtf8(std::string_view strText);

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined
// become the C1 control with the same value, as Windows converts them.
std::string Windows1252ToUtf8(std::string_view strText);

// The text as UTF-8 when it is valid UTF-8, else read as Windows-1252.
std::string Utf8OrWindows1252(std::string_view strText);

// UTF-16 bytes (little or big endian) as UTF-8; unpaired surrogates and an
// odd last byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view strBytes, bool bBigEndian);

// Decodes UTF-7 (RFC 2152), as Windows stores the Unicode form of a URL.
// Nullopt when the text is not valid UTF-7: bytes above 0x7F, unpaired
// surrogates, or a shifted sequence that leaves non-zero bits behind.
std::optional<std::string> DecodeUtf7(std::string_view strText);

// Encodes UTF-8 text as UTF-7 (RFC 2152), as Windows writes the Unicode
// form of a URL: printable ASCII stands for itself except "+" (written
// "+-"), "\" and "~"; everything else goes in shifted base64 runs of
// UTF-16, each closed by "-". Nullopt when the text is not valid UTF-8.
std::optional<std::string> EncodeUtf7(std::string_view strUtf8);
