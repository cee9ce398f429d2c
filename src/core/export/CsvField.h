#pragma once

#include <string>
#include <string_view>

// How a field stands in every CSV file the program writes: enclosed in
// double quotes, a double quote inside it doubled. Only when the field is
// enclosed differs from file to file.

enum class CsvQuoting {
    Always,     // every field (the CSV export formats)
    WhenNeeded, // only a field with a comma, a double quote, a CR or an LF (RFC 4180)
};

inline constexpr std::string_view kCsvQuote = "\"";
inline constexpr std::string_view kCsvDoubledQuote = "\"\"";

// True for a field that has to be enclosed: it holds a comma, a double
// quote, a CR or an LF.
constexpr bool CsvFieldNeedsQuotes(std::string_view strField)
{
    return strField.find_first_of(",\"\r\n") != std::string_view::npos;
}

// Writes one field into `out`, which offers:
//   OpenQuote(), CloseQuote()   the enclosing double quotes
//   AppendText(run)             a run of the field's own bytes, as they stand
//   AppendMarkup(piece)         a doubled quote, to be written whole
// The field's bytes reach `out` only through AppendText, so a target that
// writes a line feed differently (an export file writes CR LF) does so
// inside a field too.
template <typename Out>
void WriteCsvField(Out& out, std::string_view strField, CsvQuoting nQuoting)
{
    if (nQuoting == CsvQuoting::WhenNeeded && !CsvFieldNeedsQuotes(strField)) {
        out.AppendText(strField);
        return;
    }
    out.OpenQuote();
    for (;;) {
        const std::size_t nQuote = strField.find(kCsvQuote);
        out.AppendText(strField.substr(0, nQuote));
        if (nQuote == std::string_view::npos)
            break;
        out.AppendMarkup(kCsvDoubledQuote);
        strField.remove_prefix(nQuote + kCsvQuote.size());
    }
    out.CloseQuote();
}

// The field as its bytes stand in the file.
std::string CsvField(std::string_view strField, CsvQuoting nQuoting);
