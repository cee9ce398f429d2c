#include "core/sources/SourceLinks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <vector>

#include "core/model/FavoriteItem.h"
#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/model/TreeSink.h"
#include "core/net/SourceDownload.h"
#include "core/platform/ManualResetEvent.h"
#include "core/platform/UniqueFd.h"
#include "core/sources/LinkExtractor.h"
#include "core/sources/PageDecoder.h"
#include "core/sources/PopulationFrame.h"
#include "core/sources/SourceLocation.h"
#include "core/sources/SourceTempFile.h"

namespace {

constexpr std::string_view kMessageHead = "The specified URL/File: ";
constexpr std::string_view kMessageTail = "\ncannot be downloaded or opened.";
constexpr std::string_view kLinkRecordName = "<N/A>";
constexpr size_t kReadChunk = 1 << 20;

enum class ReadOutcome { Read, Failed, Aborted };

// The source must be a regular file with at least one byte; a directory, a
// device or a pipe is not a page.
bool IsReadableSource(int hFile)
{
    struct stat info {};
    return fstat(hFile, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

// Whether the name of a source says it is an HTML page.
bool IsHtmlName(std::string_view strSource)
{
    std::string_view strName = strSource.substr(0, strSource.find_first_of("?#"));
    strName = strName.substr(strName.rfind('/') + 1);
    const size_t nDot = strName.rfind('.');
    if (nDot == std::string_view::npos)
        return false;
    std::string strExtension;
    for (const char c : strName.substr(nDot + 1))
        strExtension += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char* pszHtml : {"htm", "html", "xhtml", "shtml", "php", "asp", "aspx", "jsp"})
        if (strExtension == pszHtml)
            return true;
    return false;
}

// An HTML page by its name, or by its text: the first thing in it, after
// blanks, is a tag (a downloaded page rarely says it in its address).
bool IsHtmlText(bool bHtmlName, std::string_view strHead)
{
    if (bHtmlName)
        return true;
    if (strHead.starts_with("\xEF\xBB\xBF"))
        strHead.remove_prefix(3);
    const size_t nFirst = strHead.find_first_not_of(" \t\r\n\f");
    return nFirst != std::string_view::npos && strHead[nFirst] == '<';
}

// Feeds the file from its start to the extractor, one chunk at a time, as
// text: a UTF-16 or UTF-32 page decoded first (see CPageDecoder). Whether
// it is an HTML page is decided on its first decoded bytes.
ReadOutcome ReadInto(int hFile, CLinkExtractor& extractor, bool bHtmlName, const std::function<bool()>& fnAbort)
{
    if (lseek(hFile, 0, SEEK_SET) != 0)
        return ReadOutcome::Failed;
    posix_fadvise(hFile, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(kReadChunk);
    CPageDecoder decoder;
    std::string strText;
    bool bStarted = false;
    // Hands the decoded text on; false once it ended at a NUL.
    const auto handOn = [&](bool bLast) {
        if (!bStarted) {
            if (!bLast && strText.size() < CPageDecoder::kSniffBytes)
                return true;
            extractor.SetHtml(IsHtmlText(bHtmlName, strText));
            bStarted = true;
        }
        const bool bGoesOn = extractor.Feed(strText);
        strText.clear();
        return bGoesOn;
    };
    for (;;) {
        if (fnAbort())
            return ReadOutcome::Aborted;
        const ssize_t n = read(hFile, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReadOutcome::Failed;
        if (n == 0)
            break;
        decoder.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)), strText);
        if (!handOn(false))
            return ReadOutcome::Read; // the text ended at a NUL byte
    }
    decoder.Finish(strText);
    if (!handOn(true))
        return ReadOutcome::Read;
    extractor.Finish();
    return ReadOutcome::Read;
}

// Downloads or opens the source and extracts its links.
ReadOutcome ExtractSource(const std::string& strSource, CLinkExtractor& extractor,
                          const std::function<bool()>& fnAbort, int nTimeoutMs)
{
    if (IsWebSource(strSource)) {
        CSourceTempFile tempFile;
        if (!tempFile.IsOpen())
            return ReadOutcome::Failed;
        const SourceDownloadResult result =
            DownloadSource(strSource, tempFile.Handle(), nTimeoutMs,
                           kMaxSourceDownloadBytes, fnAbort);
        if (result.m_bAborted)
            return ReadOutcome::Aborted;
        if (!result.m_bOk || !IsReadableSource(tempFile.Handle()))
            return ReadOutcome::Failed;
        return ReadInto(tempFile.Handle(), extractor, IsHtmlName(strSource), fnAbort);
    }

    // Opened as given: a relative name is resolved against the current
    // directory by the system. Non-blocking so that a named pipe cannot
    // hold the thread before the type test refuses it.
    if (strSource.find('\0') != std::string::npos)
        return ReadOutcome::Failed;
    CUniqueFd file(open(strSource.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0 || !IsReadableSource(file.Get()))
        return ReadOutcome::Failed;
    return ReadInto(file.Get(), extractor, IsHtmlName(strSource), fnAbort);
}

// One top-level node and record per distinct link, in list order, until
// fnAbort asks to stop.
void InsertLinks(ITreeSink& sink, const CLinkExtractor& extractor, const std::string& strDocumentPath,
                 const std::function<bool()>& fnAbort)
{
    for (size_t nPrefix = 0; nPrefix < CLinkExtractor::kPrefixes.size(); ++nPrefix) {
        for (const std::string& strLink : extractor.LinksOf(nPrefix)) {
            if (fnAbort())
                return;
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strName = kLinkRecordName;
            pItem->m_strPath = strDocumentPath;
            pItem->m_strUrl = strLink;
            pItem->m_nKind = KindInternetFavorite;
            pItem->m_nDepth = 0;
            pItem->SetStatus(StatusNotChecked);
            sink.InsertNode(kTreeRoot, strLink, ImageFor(KindInternetFavorite, StatusNotChecked),
                            std::move(pItem));
        }
    }
}

// Cuts a text to at most nMax bytes without splitting a UTF-8 character.
std::string_view CutAtCharacter(std::string_view strText, size_t nMax)
{
    if (strText.size() <= nMax)
        return strText;
    size_t nEnd = nMax;
    while (nEnd > 0 && (static_cast<unsigned char>(strText[nEnd]) & 0xC0) == 0x80)
        --nEnd;
    return strText.substr(0, nEnd);
}

} // namespace

std::string FormatSourceErrorMessage(std::string_view strSource)
{
    const size_t nRoom = kMaxSourceErrorMessage - kMessageHead.size() - kMessageTail.size();
    std::string strMessage(kMessageHead);
    strMessage += CutAtCharacter(strSource, nRoom);
    strMessage += kMessageTail;
    return strMessage;
}

void SourceLinksThread(ITreeSink& sink, CViewState& state, const ManualResetEvent& hStop,
                       const std::atomic<bool>& bClosing, std::string strDocumentPath, int nTimeoutMs)
{
    const std::function<bool()> fnAbort = [&] { return bClosing.load() || hStop.IsSet(); };
    RunPopulation(sink, state, bClosing,
                  [&] { return FillWithSourceLinks(sink, strDocumentPath, fnAbort, nTimeoutMs); });
}

PopulationEnd FillWithSourceLinks(ITreeSink& sink, const std::string& strDocumentPath,
                                  const std::function<bool()>& fnAbort, int nTimeoutMs)
{
    CLinkExtractor extractor;
    const ReadOutcome outcome = ExtractSource(strDocumentPath, extractor, fnAbort, nTimeoutMs);
    // The file and any downloaded copy are closed and gone at this point.
    if (outcome == ReadOutcome::Failed)
        return PopulationEnd::SourceError;
    if (outcome == ReadOutcome::Read)
        InsertLinks(sink, extractor, strDocumentPath, fnAbort);
    return PopulationEnd::Filled;
}
