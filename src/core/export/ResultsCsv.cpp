#include "export/ResultsCsv.h"

#include "export/ExportFile.h"
#include "model/LinkStatus.h"

std::string CsvField(std::string_view strValue)
{
    if (strValue.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(strValue);
    std::string strField;
    strField.reserve(strValue.size() + 2);
    strField += '"';
    for (const char c : strValue) {
        if (c == '"')
            strField += '"';
        strField += c;
    }
    strField += '"';
    return strField;
}

ExportOutcome WriteResultsCsv(const std::string& strPath, ExportList items)
{
    CExportFile file;
    if (const int nError = file.Open(strPath); nError != 0)
        return {ExportResult::CannotCreate, nError};
    file.WriteString("FOLDER,NAME,URL,STATUS,TEXT\r\n");
    std::string strRow;
    for (const auto& pItem : items) {
        if (!pItem)
            continue;
        strRow.clear();
        strRow += CsvField(pItem->m_strFolder);
        strRow += ',';
        strRow += CsvField(pItem->m_strName);
        strRow += ',';
        strRow += CsvField(pItem->m_strUrl);
        strRow += ',';
        strRow += CsvField(LinkStatusInfoFor(pItem->Status()).strName);
        strRow += ',';
        strRow += CsvField(pItem->StatusText());
        strRow += "\r\n";
        if (!file.WriteString(strRow))
            break;
    }
    if (const int nError = file.Close(); nError != 0)
        return {ExportResult::WriteFailed, nError};
    return {ExportResult::Done, 0};
}
