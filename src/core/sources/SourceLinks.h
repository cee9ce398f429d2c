#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

class CViewState;
class ITreeSink;
class ManualResetEvent;
enum class PopulationEnd;

// Caption of the box that reports a source that cannot be read.
inline constexpr std::string_view kSourceErrorCaption = "URL/File Error";
// The box's text is at most this many bytes long.
inline constexpr size_t kMaxSourceErrorMessage = 1024;

// The text of that box: "The specified URL/File: <source>\ncannot be
// downloaded or opened.". A source too long for the limit is shortened (at
// a UTF-8 character border) so that the sentence stays whole.
std::string FormatSourceErrorMessage(std::string_view strSource);

// Fills the tree with the links of one web page or local file; runs on its
// own thread, started by the view on a cleared tree and list.
//
// strDocumentPath is both the source read and the m_strPath of every record.
// A source that begins with "http://" or "https://" in any letter case is
// downloaded to a private temporary file (see DownloadSource; time-out
// nTimeoutMs, the check time-out; 0: its default); anything else is opened
// as a local file, relative to the current directory. A UTF-16 or UTF-32
// page is decoded before its links are looked for (CPageDecoder); character
// references in the links of an HTML page (by its name's extension, or a
// text that begins with a tag) are decoded (CLinkExtractor). Every distinct
// link becomes one top-level node (text the link, image 0) with a record:
// name "<N/A>", kind KindInternetFavorite, depth 0, no folder, not checked.
//
// It runs within the frame of RunPopulation: the tree is disabled and the
// view state's m_bPopulating set while it runs; at the end, unless bClosing
// is set, the tree is enabled, m_bPopulating cleared and ViewEvent::ListReady posted. A source
// that cannot be downloaded or opened, is not a regular file, is empty, or
// is a download larger than kMaxSourceDownloadBytes: no node, m_bPopulating
// cleared and ViewEvent::SourceError posted (the tree stays disabled; the view
// closes). bClosing or hStop end the download and the search early; a
// closing view gets no message at all.
void SourceLinksThread(ITreeSink& sink, CViewState& state, const ManualResetEvent& hStop,
                       const std::atomic<bool>& bClosing, std::string strDocumentPath, int nTimeoutMs = 0);

// The work of SourceLinksThread inside its frame: reads the source and
// inserts its links. SourceError when it cannot be read; Filled otherwise,
// also when fnAbort stopped it.
PopulationEnd FillWithSourceLinks(ITreeSink& sink, const std::string& strDocumentPath,
                                  const std::function<bool()>& fnAbort, int nTimeoutMs = 0);
