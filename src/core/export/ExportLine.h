#pragma once

#include <cstddef>
#include <string_view>

// The fixed line buffer of the export writers: one favourite's line is built
// here without any allocation. A line holds at most kMaxLength bytes before
// its line end. When the texts do not fit, the line is cut, but it is cut
// only between whole characters, whole escapes and whole pieces of markup,
// whatever was opened (a quote, a link) is still closed, and the line end is
// always written, so a long favourite never runs into the next one.
class CExportLine {
public:
    static constexpr std::size_t kMaxLength = 4096;

    // How a text is written into the line. Every mode writes a control
    // character (see ControlText.h) as a blank, so that no name, URL or
    // folder can break its line or start one of its own.
    enum class Escape {
        None, // as it stands
        Html, // < > & and " become entities
    };

    // Starts a new, empty line.
    void Clear();

    // A fixed piece of the template; written whole or, when it does not fit,
    // not at all (and the line is cut there).
    void Append(std::string_view strMarkup);

    // A piece of the template that opens something, and the text that closes
    // it again. The room for the closing text is kept free from now on, so a
    // cut line is still closed.
    void Open(std::string_view strMarkup, std::string_view strCloser);

    // Writes the first nBytes of what is still to be closed.
    void CloseNext(std::size_t nBytes);

    // A text of the record, escaped as asked, as much of it as fits.
    void AppendText(std::string_view strText, Escape nEscape);

    // A text of the record as a CSV field in double quotes (see
    // WriteCsvField), as much of it as fits; the closing quote is always
    // written.
    void AppendCsvField(std::string_view strField);

    // Closes what is still open and adds CR LF. Returns the bytes to write,
    // or an empty view when the line has no content at all.
    std::string_view Finish();

private:
    bool Fits(std::size_t nBytes) const
    {
        return m_nLength + nBytes + m_strCloser.size() <= kMaxLength;
    }
    void Put(std::string_view strBytes);

    char m_szLine[kMaxLength + 2];
    std::size_t m_nLength = 0;
    std::string_view m_strCloser; // still to be written to close the line
    bool m_bCut = false;
};
