#include "core/export/ResultsCsv.h"

#include "core/export/CsvField.h"
#include "core/export/ExportFile.h"
#include "core/model/LinkStatus.h"
#include "core/platform/ControlText.h"

namespace {

// Fields are enclosed only when they must be, as RFC 4180 has it.
constexpr CsvQuoting kQuoting = CsvQuoting::WhenNeeded;
constexpr std::string_view kHeader = "FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL\r\n";

} // namespace

ExportOutcome WriteResultsCsv(const std::string& strPath, ExportList items)
{
    CExportFile file;
    if (const int nError = file.Open(strPath); nError != 0)
        return {ExportResult::CannotCreate, nError};
    file.WriteString(kHeader);
    std::string strRow;
    for (const auto& pItem : items) {
        if (!pItem)
            continue;
        strRow.clear();
        strRow += CsvField(ControlsAsBlanks(pItem->m_strFolder), kQuoting);
        strRow += ',';
        strRow += CsvField(ControlsAsBlanks(pItem->m_strName), kQuoting);
        strRow += ',';
        strRow += CsvField(ControlsAsBlanks(pItem->m_strUrl), kQuoting);
        strRow += ',';
        strRow += CsvField(LinkStatusInfoFor(pItem->Status()).m_strName, kQuoting);
        strRow += ',';
        strRow += CsvField(pItem->StatusText(), kQuoting);
        strRow += ',';
        strRow += CsvField(ControlsAsBlanks(pItem->Redirect().m_strFinalUrl), kQuoting);
        strRow += "\r\n";
        if (!file.WriteString(strRow))
            break;
    }
    if (const int nError = file.Close(); nError != 0)
        return {ExportResult::WriteFailed, nError};
    return {ExportResult::Done, 0};
}
