#pragma once

#include <string>
#include <string_view>

// How a field stands in every CSV file the program writes: enclosed in
// double quotes, a double quote inside it doubled, and a field that a
// spreadsheet would take for a formula (one that begins with "=", "+", "-",
// "@", a tab or a carriage return) preceded by an apostrophe, so that it is
// shown as the text it is instead of being run. Only when the field is
// enclosed differs from file to file.

enum class CsvQuoting {
    Always,     // every field (the CSV export formats)
    WhenNeeded, // only a field with a comma, a double quote, a CR or an LF (RFC 4180)
};

inline constexpr std::string_view kCsvQuote = "\"";
inline constexpr std::string_view kCsvDoubledQuote = "\"\"";
inline constexpr std::string_view kCsvFormulaGuard = "'";

// True for a field that a spreadsheet would open as a formula.
constexpr bool CsvFieldLooksLikeFormula(std::string_view strField)
{
    return !strField.empty() && std::string_view("=+-@\t\r").find(strField.front()) != std::string_view::npos;
}

// True for a field that has to be enclosed: it holds a comma, a double
// quote, a CR or an LF.
constexpr bool CsvFieldNeedsQuotes(std::string_view strField)
{
    return strField.find_first_of(",\"\r\n") != std::string_view::npos;
}

// Writes one field into `out`, which offers:
//   OpenQuote(), CloseQuote()   the enclosing double quotes
//   AppendText(run)             a run of the field's own bytes, as they stand
//   AppendMarkup(piece)         a doubled quote or the formula guard, to be
//                               written whole
// The field's bytes reach `out` only through AppendText, so a target that
// writes some bytes differently (an export file writes a control character
// as a blank) does so inside a field too.
template <typename Out>
void WriteCsvField(Out& out, std::string_view strField, CsvQuoting nQuoting)
{
    const bool bFormula = CsvFieldLooksLikeFormula(strField);
    if (nQuoting == CsvQuoting::WhenNeeded && !CsvFieldNeedsQuotes(strField)) {
        if (bFormula)
            out.AppendMarkup(kCsvFormulaGuard);
        out.AppendText(strField);
        return;
    }
    out.OpenQuote();
    if (bFormula)
        out.AppendMarkup(kCsvFormulaGuard);
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
