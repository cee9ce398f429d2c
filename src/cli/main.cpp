// zorbel-check: checks the links of the Favorites folder, a web page or a
// file from a terminal, a script or a cron job.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "CheckArguments.h"
#include "CheckRun.h"
#include "check/CheckPass.h"
#include "net/HttpSession.h"
#include "settings/CheckSettings.h"

namespace {

std::atomic<bool> g_bInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first Ctrl+C stops the checks as Stop Checking does; a second one
// ends the program at once.
extern "C" void OnInterrupt(int)
{
    if (g_bInterrupted.exchange(true)) {
        signal(SIGINT, SIG_DFL);
        raise(SIGINT);
    }
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
    if (parsed.m_options.m_bHelp) {
        std::fputs(CheckUsageText().c_str(), stdout);
        return kExitNothingBroken;
    }
    if (parsed.m_options.m_bVersion) {
        std::printf("zorbel-check %s\n", ZORBEL_VERSION);
        return kExitNothingBroken;
    }

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    // A report piped into a program that has gone must not kill the run
    // before the files are written.
    signal(SIGPIPE, SIG_IGN);

    if (!HttpGlobalInit()) {
        std::fprintf(stderr, "zorbel-check: the network library cannot be initialised\n");
        return kExitError;
    }
    CheckRunIo io;
    io.m_bProgressTerminal = isatty(STDERR_FILENO) != 0;
    io.m_pInterrupted = &g_bInterrupted;
    const int nStatus = RunZorbelCheck(parsed.m_options, io);
    // Checks given up on by a stop may still be running; the network library
    // is only released once they have ended.
    const auto wait = std::chrono::milliseconds(g_checkSettings.m_nTimeoutMs) + std::chrono::seconds(2);
    if (CCheckPass::WaitForStragglers(wait))
        HttpGlobalCleanup();
    return nStatus;
}
