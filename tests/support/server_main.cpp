// zorbel_test_server: the tests' HTTP server as a program of its own, for
// benchmarks and manual trials. Prints its port on the first line and serves
// until it receives SIGINT or SIGTERM.
//
//   zorbel_test_server [--delay MS] [--trickle MS]

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/TestHttpServer.h"

int main(int argc, char** argv)
{
    long nDelayMs = 0;
    long nTrickleMs = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--delay") == 0 && i + 1 < argc)
            nDelayMs = std::strtol(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--trickle") == 0 && i + 1 < argc)
            nTrickleMs = std::strtol(argv[++i], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: %s [--delay MS] [--trickle MS]\n", argv[0]);
            return 2;
        }
    }

    // Block the stop signals before any thread starts, so that every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CTestHttpServer server;
    server.SetDelay(std::chrono::milliseconds(nDelayMs));
    server.SetTrickleInterval(std::chrono::milliseconds(nTrickleMs));
    std::printf("%u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);

    int nSignal = 0;
    sigwait(&stopSignals, &nSignal);
    return 0;
}
