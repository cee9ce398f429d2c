// One Check All pass over 2,000 links, each answered by the test server
// after 50 ms, with 16 workers and the real checker. The design's floor is
// 2,000 x (50 ms answer + 10 ms pause) / 16 = 7.5 s; the target is to stay
// within 15 % of it. The server runs in a child process, so the CPU time
// reported is the checker's alone; peak memory is the benchmark process's.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/check/CheckPass.h"
#include "core/check/PageProbe.h"
#include "core/model/LinkStatus.h"
#include "core/settings/CheckSettings.h"
#include "support/MemoryTreeSink.h"
#include "support/TestHttpServer.h"

namespace {

constexpr int kLinkCount = 2000;
constexpr int kThreads = 16;
constexpr int kAnswerDelayMs = 50;
constexpr double kFloorSeconds = kLinkCount * (kAnswerDelayMs + 10) / 1000.0 / kThreads;

// The test server in a child process; its port comes back through a pipe.
class CServerProcess {
public:
    CServerProcess()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            CTestHttpServer server;
            server.SetDelay(std::chrono::milliseconds(kAnswerDelayMs));
            const std::uint16_t nPort = server.Port();
            (void)!::write(fds[1], &nPort, sizeof nPort);
            ::close(fds[1]);
            for (;;)
                ::pause(); // ended by the parent
        }
        ::close(fds[1]);
        if (m_pid > 0 && ::read(fds[0], &m_nPort, sizeof m_nPort) != sizeof m_nPort)
            m_nPort = 0;
        ::close(fds[0]);
    }
    ~CServerProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    std::uint16_t Port() const { return m_nPort; }

private:
    pid_t m_pid = -1;
    std::uint16_t m_nPort = 0;
};

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakRssMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

void BM_CheckPass2000Links16Threads(benchmark::State& state)
{
    CServerProcess server; // forked before any thread of ours exists
    if (server.Port() == 0) {
        state.SkipWithError("test server did not start");
        return;
    }
    const std::string strBase = "http://127.0.0.1:" + std::to_string(server.Port()) + "/ok/";

    for (auto _ : state) {
        MemoryTreeSink sink;
        for (int i = 0; i < kLinkCount; ++i) {
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strUrl = strBase + std::to_string(i);
            sink.InsertNode(kTreeRoot, pItem->m_strUrl, 0, pItem);
        }
        const auto items = sink.Items();
        const double dCpuStart = CpuSeconds();
        const auto tStart = std::chrono::steady_clock::now();
        auto pPass = CCheckPass::Start(sink, std::make_shared<CViewState>(), sink.List(), std::make_shared<std::mutex>(),
                                       std::make_shared<ManualResetEvent>(),
                                       CheckPassOptions::Window(kThreads, 60000));
        if (!pPass || !pPass->WaitFinished(std::chrono::minutes(5))) {
            state.SkipWithError("the pass did not end");
            return;
        }
        const double dSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
        const double dCpu = CpuSeconds() - dCpuStart;
        pPass.reset();
        state.SetIterationTime(dSeconds);

        int nValid = 0;
        for (const auto& pItem : items)
            nValid += pItem->Status() == StatusValid;
        state.counters["valid"] = nValid;
        state.counters["pass_s"] = dSeconds;
        state.counters["floor_s"] = kFloorSeconds;
        state.counters["over_floor_pct"] = (dSeconds / kFloorSeconds - 1.0) * 100.0;
        state.counters["cpu_s"] = dCpu;
        state.counters["peak_rss_MiB"] = PeakRssMiB();
    }
}

// Looking into pages: 2,000 links over 40 hosts (127.0.0.1 to 127.0.0.40),
// 50 per host in one folder each, every one an HTML article of its own of
// about 30 KB answered after 50 ms; unknown addresses are 404. Run with the
// content checks off (0) and on (1): the difference is the cost of reading
// and judging every page, plus one probe per host and folder.
constexpr int kHosts = 40;
constexpr int kArticleWords = 4500;

std::string Article(int nIndex)
{
    static const char* const kWords[] = {"garden", "water", "morning", "roses", "sunny", "places", "deep", "soil",
                                         "compost", "prune", "spring", "bulbs", "autumn", "leaves", "shade", "seed"};
    std::string out = "<!DOCTYPE html><html><head><title>Article " + std::to_string(nIndex) +
                      " | Garden Notes</title><script src=/static/app.js></script></head><body><nav><a href=/>Home"
                      "</a> <a href=/blog/>Blog</a></nav><h1>Article " + std::to_string(nIndex) + "</h1><article><p>";
    for (int i = 0; i < kArticleWords; ++i) {
        out += kWords[(i * 7 + nIndex) % 16];
        out += i % 60 == 59 ? "</p><p>" : " ";
    }
    return out + "</p></article><footer>Garden Notes</footer></body></html>";
}

class CPagesServerProcess {
public:
    CPagesServerProcess()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            std::vector<std::string> addresses;
            for (int h = 1; h <= kHosts; ++h)
                addresses.push_back("127.0.0." + std::to_string(h));
            CTestHttpServer server(addresses);
            server.SetDelay(std::chrono::milliseconds(kAnswerDelayMs));
            for (int i = 0; i < kLinkCount; ++i)
                server.Serve("/blog/post-" + std::to_string(i) + ".html", Article(i));
            const std::uint16_t nPort = server.Port();
            (void)!::write(fds[1], &nPort, sizeof nPort);
            ::close(fds[1]);
            for (;;)
                ::pause(); // ended by the parent
        }
        ::close(fds[1]);
        if (m_pid > 0 && ::read(fds[0], &m_nPort, sizeof m_nPort) != sizeof m_nPort)
            m_nPort = 0;
        ::close(fds[0]);
    }
    ~CPagesServerProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    std::uint16_t Port() const { return m_nPort; }

private:
    pid_t m_pid = -1;
    std::uint16_t m_nPort = 0;
};

void BM_ContentChecks2000PagesOver40Hosts(benchmark::State& state)
{
    CPagesServerProcess server;
    if (server.Port() == 0) {
        state.SkipWithError("test server did not start");
        return;
    }
    CheckPassOptions options = CheckPassOptions::Window(kThreads, 60000);
    options.m_bContentChecks = state.range(0) != 0;

    for (auto _ : state) {
        MemoryTreeSink sink;
        for (int i = 0; i < kLinkCount; ++i) {
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strUrl = "http://127.0.0." + std::to_string(i % kHosts + 1) + ":" +
                              std::to_string(server.Port()) + "/blog/post-" + std::to_string(i) + ".html";
            sink.InsertNode(kTreeRoot, pItem->m_strUrl, 0, pItem);
        }
        const auto items = sink.Items();
        const double dCpuStart = CpuSeconds();
        const auto tStart = std::chrono::steady_clock::now();
        auto pPass = CCheckPass::Start(sink, std::make_shared<CViewState>(), sink.List(), std::make_shared<std::mutex>(),
                                       std::make_shared<ManualResetEvent>(), options);
        if (!pPass || !pPass->WaitFinished(std::chrono::minutes(5))) {
            state.SkipWithError("the pass did not end");
            return;
        }
        const double dSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
        const double dCpu = CpuSeconds() - dCpuStart;
        const std::size_t nProbes = pPass->ProbeCount();
        pPass.reset();
        state.SetIterationTime(dSeconds);

        int nValid = 0;
        for (const auto& pItem : items)
            nValid += pItem->Status() == StatusValid;
        state.counters["valid"] = nValid;
        state.counters["probes"] = static_cast<double>(nProbes);
        state.counters["pass_s"] = dSeconds;
        state.counters["cpu_s"] = dCpu;
        state.counters["peak_rss_MiB"] = PeakRssMiB();
    }
}

} // namespace

BENCHMARK(BM_ContentChecks2000PagesOver40Hosts)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_CheckPass2000Links16Threads)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
