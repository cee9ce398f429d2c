// zorbel-check: checks the links of the Favorites folder, a web page or a
// file from a terminal, a script or a cron job.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CheckArguments.h"
#include "cli/CheckRun.h"
#include "core/check/CheckPass.h"
#include "core/net/HttpSession.h"

namespace {

// The signals that ask the run to stop: Ctrl+C, and what timeout, systemd
// and cron send, and a terminal that goes away.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Written by the signal handler, read by the run: a signal handler can reach
// nothing but state of the process.
std::atomic<int> s_nStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

// The first stop signal stops the checks as Stop Checking does; the report
// and the files are still written. A second one ends the program at once,
// as the signal would have.
extern "C" void OnStopSignal(int nSignal)
{
    int nNone = 0;
    if (!s_nStopSignal.compare_exchange_strong(nNone, nSignal)) {
        signal(nSignal, SIG_DFL);
        raise(nSignal);
    }
}

// Standard output must take what was printed; a closed pipe or a full disk
// is an error.
int Flushed(int nStatus)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "zorbel-check: the output cannot be written\n");
        return kExitError;
    }
    return nStatus;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CheckArguments parsed = ParseCheckArguments(args);
    if (!parsed.m_strError.empty()) {
        std::fprintf(stderr, "zorbel-check: %s\nTry \"zorbel-check --help\" for the options.\n",
                     parsed.m_strError.c_str());
        return kExitError;
    }
    // A report piped into a program that has gone must not kill the run
    // before the files are written; the failed write is reported instead.
    signal(SIGPIPE, SIG_IGN);
    // Under a file size limit (ulimit -f) a write past it must fail with
    // EFBIG like any other failed write (message, status 2, temporary file
    // removed), not kill the program half-way with its files left behind.
    signal(SIGXFSZ, SIG_IGN);
    if (parsed.m_options.m_bHelp) {
        std::fputs(CheckUsageText().c_str(), stdout);
        return Flushed(kExitNothingBroken);
    }
    if (parsed.m_options.m_bVersion) {
        std::printf("zorbel-check %s\n", ZORBEL_VERSION);
        return Flushed(kExitNothingBroken);
    }

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int nSignal : kStopSignals)
        sigaction(nSignal, &action, nullptr);

    if (!HttpGlobalInit()) {
        std::fprintf(stderr, "zorbel-check: the network library cannot be initialised\n");
        return kExitError;
    }
    CheckRunIo io;
    io.m_bProgressTerminal = isatty(STDERR_FILENO) != 0;
    io.m_pStopSignal = &s_nStopSignal;
    const int nStatus = RunZorbelCheck(parsed.m_options, io);
    // Checks given up on by a stop may still be running; the network library
    // is only released once they have ended.
    const auto wait = std::chrono::milliseconds(CheckTimeoutMs(parsed.m_options)) + std::chrono::seconds(2);
    if (CCheckPass::WaitForStragglers(wait))
        HttpGlobalCleanup();
    return nStatus;
}
