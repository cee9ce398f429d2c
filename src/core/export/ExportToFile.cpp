#include "core/export/ExportToFile.h"

#include <cerrno>
#include <cstdio>

#include "core/export/ExportFile.h"
#include "core/export/ExportFormat.h"
#include "core/platform/SystemError.h"

namespace {

constexpr std::string_view kCaptionFailed = "Export Failed";
constexpr std::string_view kCaptionDone = "Export Successful";
constexpr std::string_view kTextDone = "Your Favorites have been exported successfully.";

} // namespace

ExportOutcome ExportToFile(const std::string& strPath, std::int32_t nFormatId, ExportList items)
{
    const ExportFormat* pFormat = FindExportFormat(nFormatId);
    if (pFormat == nullptr)
        return {ExportResult::CannotCreate, EINVAL};

    CExportFile file;
    if (const int nError = file.Open(strPath); nError != 0)
        return {ExportResult::CannotCreate, nError};
    pFormat->m_pfnWrite(file, items);
    if (const int nError = file.Close(); nError != 0)
        return {ExportResult::WriteFailed, nError};
    return {ExportResult::Done, 0};
}

ExportMessage ExportOutcomeMessage(const ExportOutcome& outcome, std::string_view strFileName)
{
    if (outcome.m_nResult == ExportResult::Done)
        return {std::string(kTextDone), kCaptionDone, ExportMessageIcon::Information};

    char szSystem[512] = "";
    FormatSystemError(static_cast<std::uint32_t>(outcome.m_nError), szSystem, sizeof szSystem);
    char szText[1024];
    if (outcome.m_nResult == ExportResult::CannotCreate) {
        std::snprintf(szText, sizeof szText,
                      "The specified file cannot be created.  The following error occured: \"%s\"", szSystem);
        return {szText, kCaptionFailed, ExportMessageIcon::Exclamation};
    }
    std::string strText = "The export to \"";
    strText += strFileName;
    strText += "\" has not been completed.  The following error occurred: \"";
    strText += szSystem;
    strText += '"';
    return {std::move(strText), kCaptionFailed, ExportMessageIcon::Exclamation};
}
