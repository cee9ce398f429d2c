#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a page says, read from its HTML as a browser would show it, but
// without running anything: the title, the main headings, the visible text
// and where its scripts and frames come from. The HTML is parsed by libxml2
// in its forgiving mode, so any bytes give some facts; texts are UTF-8.
struct PageFacts {
    std::string m_strTitle;
    std::vector<std::string> m_headings; // h1 texts, in order (at most kMaxHeadings)
    // The text a reader sees (scripts, styles and templates left out),
    // blanks collapsed to one space; at most kMaxVisibleText bytes.
    std::string m_strVisibleText;
    std::size_t m_nWords = 0; // words of the visible text
    // src of every script, iframe and frame, as written (at most kMaxSources).
    std::vector<std::string> m_embedded;
    // Where a meta refresh or a script of a page that shows next to nothing
    // sends the reader, as written; empty when nothing does.
    std::string m_strLanderTarget;
    // The page is the frame of a script-built application: it holds an
    // empty element where such applications draw themselves (id "root",
    // "app", "__next" ...). Every address of such a site may answer with
    // the same frame, so it cannot be told from a missing page.
    bool m_bScriptShell = false;
};

inline constexpr std::size_t kMaxHeadings = 8;
inline constexpr std::size_t kMaxVisibleText = 64 * 1024;
inline constexpr std::size_t kMaxSources = 64;
// A page with fewer visible words than this that sets its location in a
// script is a lander: it exists to send the reader on.
inline constexpr std::size_t kLanderMaxWords = 40;
// A meta refresh sends the reader on when it waits no longer than this.
inline constexpr int kLanderMaxRefreshSeconds = 10;

PageFacts ReadPageFacts(std::string_view strHtml);

// The lander target alone (for the HTTP client's hop).
std::string LanderTargetOf(std::string_view strHtml);

// Lower case for ASCII and the accented Latin letters of UTF-8 (U+00C0 to
// U+00DE); other bytes as they are.
std::string FoldCase(std::string_view strText);
