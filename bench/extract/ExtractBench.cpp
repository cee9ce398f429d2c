// Time from the start of the extraction thread to ViewEvent::ListReady for a 50 MB
// HTML page holding 200,000 links, half of them repeats (target: under 2 s,
// peak memory under 300 MB), read from a local file and downloaded from the
// local test server; and a 1 GB text of one line without blanks fed through
// the extractor in 1 MiB pieces, to show that memory stays bounded.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/model/TreeSink.h"
#include "core/platform/ManualResetEvent.h"
#include "core/model/ViewState.h"
#include "core/sources/LinkExtractor.h"
#include "core/sources/SourceLinks.h"
#include "support/TestHttpServer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLinkCount = 200'000;
constexpr size_t kPageBytes = 50'000'000;

// Stands in for the view: keeps what a real view would queue for its GUI
// thread (node text and record) and nothing more.
class QueueSink : public ITreeSink {
public:
    void DeleteAllNodes() override
    {
        std::lock_guard lock(m_mx);
        m_names.clear();
        m_items.clear();
        m_bReady = false;
    }
    TreeNode InsertNode(TreeNode, std::string_view strName, int, std::shared_ptr<FavoriteItem> pItem) override
    {
        std::lock_guard lock(m_mx);
        m_names.emplace_back(strName);
        if (pItem) {
            pItem->m_hItem = m_names.size();
            m_items.push_back(std::move(pItem));
        }
        return m_names.size();
    }
    int NodeImage(TreeNode) const override { return 0; }
    void SetNodeImage(TreeNode, int) override {}
    void EnableTree(bool) override {}
    void ExpandAllBranches() override {}
    void EnsureVisible(TreeNode) override {}
    void PostToView(ViewEvent message) override
    {
        std::lock_guard lock(m_mx);
        m_bReady = message == ViewEvent::ListReady;
    }
    size_t Count() const
    {
        std::lock_guard lock(m_mx);
        return m_items.size();
    }
    bool Ready() const
    {
        std::lock_guard lock(m_mx);
        return m_bReady;
    }

private:
    mutable std::mutex m_mx;
    std::vector<std::string> m_names;
    std::vector<std::shared_ptr<FavoriteItem>> m_items;
    bool m_bReady = false;
};

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// One block of the page per link; link i and link i + kLinkCount/2 are the
// same, so half the links are repeats.
std::string PageBlock(int i)
{
    const int nSite = i % (kLinkCount / 2);
    const char* pScheme = nSite % 4 == 0 ? "https" : "http";
    std::string strLink = std::string(pScheme) + "://site" + std::to_string(nSite % 997) + ".example/dir" +
                          std::to_string(nSite) + "/page.html?id=" + std::to_string(nSite);
    std::string strBlock = "<p class=\"entry\">Entry " + std::to_string(i) + ": <a href=\"" + strLink +
                           "\" title='Entry'>" + strLink + "</a> ";
    const size_t nBlock = kPageBytes / kLinkCount;
    while (strBlock.size() + 5 < nBlock)
        strBlock += "lorem ipsum dolor sit amet, hyper text transfer ";
    strBlock.resize(nBlock - 5);
    strBlock += "</p>\n";
    return strBlock;
}

// The page is built once and streamed to its file, never held whole.
const std::string& PagePath()
{
    static const std::string kPagePath = [] {
        std::string strTemplate = (fs::temp_directory_path() / "zorbel-extract-bench-XXXXXX").string();
        if (!mkdtemp(strTemplate.data()))
            std::abort();
        const std::string strPath = strTemplate + "/page.html";
        std::ofstream out(strPath, std::ios::binary);
        out << "<html><body>\n";
        for (int i = 0; i < kLinkCount; ++i)
            out << PageBlock(i);
        out << "</body></html>\n";
        return strPath;
    }();
    return kPagePath;
}

void RunToListReady(benchmark::State& state, const std::string& strSource)
{
    ManualResetEvent stop;
    CViewState viewState;
    std::atomic<bool> bClosing{false};
    size_t nCount = 0;
    for (auto _ : state) {
        QueueSink sink;
        std::thread worker(SourceLinksThread, std::ref(sink), std::ref(viewState), std::cref(stop),
                           std::cref(bClosing), strSource, 60'000);
        worker.join();
        if (!sink.Ready())
            state.SkipWithError("no ViewEvent::ListReady");
        nCount = sink.Count();
    }
    state.counters["links"] = static_cast<double>(nCount);
    state.counters["peak_rss_MB"] = PeakRssMb();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(PagePath())));
}

void BM_LocalPage50MB(benchmark::State& state)
{
    RunToListReady(state, PagePath());
}

void BM_DownloadedPage50MB(benchmark::State& state)
{
    static CTestHttpServer* g_pServer = [] {
        auto* pServer = new CTestHttpServer; // lives to the end of the run
        std::ifstream in(PagePath(), std::ios::binary);
        const std::string strBody((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        pServer->Serve("/page.html", strBody);
        return pServer;
    }();
    setenv("no_proxy", "127.0.0.1", 1);
    RunToListReady(state, g_pServer->Url("/page.html"));
}

void BM_OneLineGigabyte(benchmark::State& state)
{
    // One line, no blank: a link start every 64 KiB, so each link is cut at
    // 4096 and the search goes on through the rest of the line.
    std::string strPiece(1 << 20, 'x');
    for (size_t i = 0; i < strPiece.size(); i += 65536)
        strPiece.replace(i, 7, "http://");
    size_t nLinks = 0;
    for (auto _ : state) {
        CLinkExtractor extractor;
        for (int i = 0; i < 1024; ++i) {
            strPiece[8] = static_cast<char>('a' + i % 26); // some distinct links
            extractor.Feed(strPiece);
        }
        extractor.Finish();
        nLinks = extractor.LinkCount();
    }
    state.counters["links"] = static_cast<double>(nLinks);
    state.counters["peak_rss_MB"] = PeakRssMb();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) << 30);
}

} // namespace

// The local page first, so that its peak memory is not the server's.
BENCHMARK(BM_LocalPage50MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OneLineGigabyte)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_DownloadedPage50MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    PagePath();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(fs::path(PagePath()).parent_path(), ec);
    return 0;
}
