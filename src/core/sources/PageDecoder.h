#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text of a page or file as the link search reads it: UTF-16 and UTF-32
// pages become UTF-8 first, so that their links are found at all; anything
// else (UTF-8, Latin-1, Windows-1252 ...) goes through as the bytes it is,
// since its links are ASCII in any of them.
//
// The encoding is told by a byte order mark, or, without one, by a charset
// declared in the page ("charset=utf-16", as a META tag or an XML
// declaration has it) that can be read in the first kSniffBytes when they
// are read as that encoding. Until those bytes have arrived (or the text
// ends) nothing comes out.
//
// U+0000 comes out as a NUL byte, so that the text still ends there;
// unpaired surrogates and values beyond Unicode come out as U+FFFD.
class CPageDecoder {
public:
    enum class Encoding { Bytes, Utf16Le, Utf16Be, Utf32Le, Utf32Be };
    static constexpr std::size_t kSniffBytes = 1024;

    // Appends the UTF-8 of the next piece to strOut.
    void Feed(std::string_view strBytes, std::string& strOut);
    // The end of the text: what was held back comes out.
    void Finish(std::string& strOut);

    // The encoding found; Bytes until it is known.
    Encoding GetEncoding() const { return m_encoding; }
    bool IsDecided() const { return m_bDecided; }

    // The encoding of a text that begins with strHead, and the length of its
    // byte order mark.
    static Encoding Detect(std::string_view strHead, std::size_t& nMarkLength);

private:
    void Decide(std::string& strOut);
    void Decode(std::string_view strBytes, std::string& strOut);

    Encoding m_encoding = Encoding::Bytes;
    bool m_bDecided = false;
    std::string m_strPending;        // bytes held back: the head, or a part of a code unit
    std::uint32_t m_nHighSurrogate = 0; // a UTF-16 high surrogate waiting for its pair
};
