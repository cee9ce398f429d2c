#include "core/export/ExportLine.h"

#include <array>
#include <span>
#include <cstring>

#include "core/export/CsvField.h"
#include "core/platform/ControlText.h"

namespace {

struct EscapeRule {
    unsigned char m_chFrom;
    std::string_view m_strTo;
};

// What each mode writes instead of a byte, besides the control characters,
// which every mode writes as a blank: a text must never break its line.
constexpr std::array<EscapeRule, 0> kNoneRules{};
constexpr std::array kHtmlRules{
    EscapeRule{'<', "&lt;"}, EscapeRule{'>', "&gt;"}, EscapeRule{'&', "&amp;"}, EscapeRule{'"', "&quot;"},
};
constexpr std::string_view kControlAsText = " ";

using EscapeTable = std::array<std::string_view, 256>;

constexpr EscapeTable MakeTable(std::span<const EscapeRule> rules)
{
    EscapeTable table{};
    for (int ch = 0; ch < 0x20; ++ch)
        table[ch] = kControlAsText;
    table[0x7F] = kControlAsText;
    for (const EscapeRule& rule : rules)
        table[rule.m_chFrom] = rule.m_strTo;
    return table;
}

// True where the text holds a byte that is not written as it stands: one of
// the table, or the first byte of a two-byte control character.
bool IsEscapedAt(const EscapeTable& table, std::string_view strText, std::size_t nPos)
{
    const auto ch = static_cast<unsigned char>(strText[nPos]);
    return !table[ch].empty() || (ch == 0xC2 && ControlCharacterLength(strText.substr(nPos)) != 0);
}

constexpr EscapeTable kEscapeTables[] = {
    MakeTable(kNoneRules), // Escape::None
    MakeTable(kHtmlRules), // Escape::Html
};

bool IsContinuationByte(unsigned char ch) { return (ch & 0xC0) == 0x80; }

// The length of the character that starts at the text's first byte: a
// UTF-8 lead byte takes the continuation bytes that follow it (at most
// three); anything else stands alone.
std::size_t CharacterLength(std::string_view strText)
{
    const auto chLead = static_cast<unsigned char>(strText[0]);
    std::size_t nWanted = chLead >= 0xF0 ? 4 : chLead >= 0xE0 ? 3 : chLead >= 0xC0 ? 2 : 1;
    if (chLead >= 0xF8)
        nWanted = 1;
    std::size_t nLength = 1;
    while (nLength < nWanted && nLength < strText.size()
           && IsContinuationByte(static_cast<unsigned char>(strText[nLength])))
        ++nLength;
    return nLength;
}

} // namespace

void CExportLine::Clear()
{
    m_nLength = 0;
    m_strCloser = {};
    m_bCut = false;
}

void CExportLine::Put(std::string_view strBytes)
{
    // An empty view may carry a null pointer, which memcpy must not get.
    if (strBytes.empty())
        return;
    std::memcpy(m_szLine + m_nLength, strBytes.data(), strBytes.size());
    m_nLength += strBytes.size();
}

void CExportLine::Append(std::string_view strMarkup)
{
    if (m_bCut)
        return;
    if (!Fits(strMarkup.size())) {
        m_bCut = true;
        return;
    }
    Put(strMarkup);
}

void CExportLine::Open(std::string_view strMarkup, std::string_view strCloser)
{
    if (m_bCut)
        return;
    // Only one thing is open at a time in the templates.
    if (!m_strCloser.empty() || !Fits(strMarkup.size() + strCloser.size())) {
        m_bCut = true;
        return;
    }
    Put(strMarkup);
    m_strCloser = strCloser;
}

void CExportLine::CloseNext(std::size_t nBytes)
{
    if (m_bCut)
        return;
    if (nBytes > m_strCloser.size())
        nBytes = m_strCloser.size();
    // The room was kept free by Open, so this always fits.
    Put(m_strCloser.substr(0, nBytes));
    m_strCloser.remove_prefix(nBytes);
}

void CExportLine::AppendText(std::string_view strText, Escape nEscape)
{
    if (m_bCut)
        return;
    const EscapeTable& table = kEscapeTables[static_cast<int>(nEscape)];
    while (!strText.empty()) {
        // The run of bytes up to the next one that is escaped goes in one
        // copy, as far as it fits.
        std::size_t nRun = 0;
        while (nRun < strText.size() && !IsEscapedAt(table, strText, nRun))
            ++nRun;
        const std::size_t nRoom = kMaxLength - m_strCloser.size() - m_nLength;
        if (nRun > nRoom) {
            // Cut before the first character that no longer fits whole.
            std::size_t nFit = 0;
            while (nFit < nRoom) {
                const std::size_t nChar = CharacterLength(strText.substr(nFit));
                if (nFit + nChar > nRoom)
                    break;
                nFit += nChar;
            }
            Put(strText.substr(0, nFit));
            m_bCut = true;
            return;
        }
        Put(strText.substr(0, nRun));
        strText.remove_prefix(nRun);
        if (strText.empty())
            break;
        const std::size_t nControl = ControlCharacterLength(strText);
        const std::string_view strTo =
            nControl != 0 ? kControlAsText : table[static_cast<unsigned char>(strText.front())];
        if (!Fits(strTo.size())) {
            m_bCut = true;
            return;
        }
        Put(strTo);
        strText.remove_prefix(nControl != 0 ? nControl : 1);
    }
}

void CExportLine::AppendCsvField(std::string_view strField)
{
    // The field's quotes are opened and closed as markup, so that a cut
    // field is still closed; its own bytes go in as text.
    class CLineOut {
    public:
        explicit CLineOut(CExportLine& line) : m_line(line) {}
        void OpenQuote() { m_line.Open(kCsvQuote, kCsvQuote); }
        void CloseQuote() { m_line.CloseNext(kCsvQuote.size()); }
        void AppendText(std::string_view strRun) { m_line.AppendText(strRun, Escape::None); }
        void AppendMarkup(std::string_view strPiece) { m_line.Append(strPiece); }

    private:
        CExportLine& m_line;
    };
    CLineOut out(*this);
    WriteCsvField(out, strField, CsvQuoting::Always);
}

std::string_view CExportLine::Finish()
{
    if (m_nLength == 0 && m_strCloser.empty())
        return {};
    Put(m_strCloser);
    m_strCloser = {};
    m_szLine[m_nLength++] = '\r';
    m_szLine[m_nLength++] = '\n';
    return {m_szLine, m_nLength};
}
