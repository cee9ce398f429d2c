#include "core/export/CsvField.h"

namespace {

// A field written into a string, byte for byte.
class CStringOut {
public:
    explicit CStringOut(std::string& strOut) : m_strOut(strOut) {}
    void OpenQuote() { m_strOut += kCsvQuote; }
    void CloseQuote() { m_strOut += kCsvQuote; }
    void AppendText(std::string_view strRun) { m_strOut += strRun; }
    void AppendMarkup(std::string_view strPiece) { m_strOut += strPiece; }

private:
    std::string& m_strOut;
};

} // namespace

std::string CsvField(std::string_view strField, CsvQuoting nQuoting)
{
    std::string strOut;
    strOut.reserve(strField.size() + 2);
    CStringOut out(strOut);
    WriteCsvField(out, strField, nQuoting);
    return strOut;
}
