// zorbel_test_server: the tests' HTTP server as a program of its own, for
// benchmarks and manual trials. Prints its port on the first line and serves
// until it receives SIGINT or SIGTERM; then prints, on one more line, how
// many requests and connections it had and the most requests that waited
// for an answer at one time, then one line for each address it listened on
// ("host ADDRESS requests N peak N"), and a line with the number of 429
// answers of busy limits ("refused N"), and ends.
//
//   zorbel_test_server [--port N] [--listen ADDRESS]... [--delay MS] [--trickle MS]
//                      [--serve PATH FILE]... [--header "NAME: VALUE"]...
//                      [--busy-limit ADDRESS N RETRY_AFTER]...
//
//   --port N                listens on that port (default: any free one)
//   --listen ADDRESS        listens on that IPv4 address, such as 127.0.0.7
//                           (default 127.0.0.1); one port on all of them
//   --busy-limit ADDRESS N RETRY_AFTER
//                           answers 429 with that Retry-After to a request to
//                           ADDRESS beyond N being answered at once
//   --serve PATH FILE       serves the bytes of FILE as text/html at PATH
//   --header "NAME: VALUE"  adds that header to every answer
//   --tls PORT              also serves every address over HTTPS on that
//                           port (0: any free one), with the test
//                           certificate (CA tests/data/tls/ca.pem); the
//                           first line then holds both ports, "PORT TLS_PORT"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/TestHttpServer.h"
#include "support/TestTlsFront.h"

namespace {

int Usage(const char* pszProgram)
{
    std::fprintf(stderr,
                 "usage: %s [--port N] [--listen ADDRESS]... [--delay MS] [--trickle MS] "
                 "[--serve PATH FILE]... [--header \"NAME: VALUE\"]... "
                 "[--busy-limit ADDRESS N RETRY_AFTER]... [--tls PORT]\n",
                 pszProgram);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    long nPort = 0;
    long nDelayMs = 0;
    long nTrickleMs = 1000;
    std::vector<std::pair<std::string, std::string>> pages;   // path, body
    std::vector<std::pair<std::string, std::string>> headers; // name, value
    std::vector<std::string> addresses;
    struct BusyLimit {
        std::string m_strAddress;
        long m_nLimit;
        std::string m_strRetryAfter;
    };
    std::vector<BusyLimit> busyLimits;
    long nTlsPort = -1; // -1: no HTTPS
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            nPort = std::strtol(argv[++i], nullptr, 10);
            if (nPort < 0 || nPort > 65535)
                return Usage(argv[0]);
        } else if (std::strcmp(argv[i], "--listen") == 0 && i + 1 < argc) {
            addresses.emplace_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--busy-limit") == 0 && i + 3 < argc) {
            BusyLimit limit{argv[i + 1], std::strtol(argv[i + 2], nullptr, 10), argv[i + 3]};
            i += 3;
            if (limit.m_nLimit < 0)
                return Usage(argv[0]);
            busyLimits.push_back(std::move(limit));
        } else if (std::strcmp(argv[i], "--tls") == 0 && i + 1 < argc) {
            nTlsPort = std::strtol(argv[++i], nullptr, 10);
            if (nTlsPort < 0 || nTlsPort > 65535)
                return Usage(argv[0]);
        } else if (std::strcmp(argv[i], "--delay") == 0 && i + 1 < argc) {
            nDelayMs = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--trickle") == 0 && i + 1 < argc) {
            nTrickleMs = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--serve") == 0 && i + 2 < argc) {
            std::string strPath = argv[++i];
            const char* pszFile = argv[++i];
            std::ifstream file(pszFile, std::ios::binary);
            if (strPath.empty() || strPath.front() != '/' || !file) {
                std::fprintf(stderr, "%s: cannot serve %s at %s\n", argv[0], pszFile, strPath.c_str());
                return 2;
            }
            std::ostringstream body;
            body << file.rdbuf();
            pages.emplace_back(std::move(strPath), body.str());
        } else if (std::strcmp(argv[i], "--header") == 0 && i + 1 < argc) {
            const std::string strHeader = argv[++i];
            const auto nColon = strHeader.find(':');
            if (nColon == std::string::npos || nColon == 0)
                return Usage(argv[0]);
            std::string strValue = strHeader.substr(nColon + 1);
            strValue.erase(0, strValue.find_first_not_of(" \t"));
            headers.emplace_back(strHeader.substr(0, nColon), std::move(strValue));
        } else {
            return Usage(argv[0]);
        }
    }

    // Block the stop signals before any thread starts, so that every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::optional<CTestHttpServer> oServer;
    try {
        if (addresses.empty())
            addresses.emplace_back("127.0.0.1");
        oServer.emplace(addresses, static_cast<std::uint16_t>(nPort));
        for (const BusyLimit& limit : busyLimits)
            oServer->SetBusyLimit(limit.m_strAddress, static_cast<std::size_t>(limit.m_nLimit), limit.m_strRetryAfter);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s (port %ld)\n", argv[0], e.what(), nPort);
        return 1;
    }
    CTestHttpServer& server = *oServer;
    server.SetDelay(std::chrono::milliseconds(nDelayMs));
    server.SetTrickleInterval(std::chrono::milliseconds(nTrickleMs));
    for (auto& [strPath, strBody] : pages)
        server.Serve(std::move(strPath), strBody, "text/html");
    for (auto& [strName, strValue] : headers)
        server.AddHeader(std::move(strName), std::move(strValue));
    std::optional<CTestTlsFront> oTls;
    if (nTlsPort >= 0) {
        try {
            oTls.emplace(server, static_cast<std::uint16_t>(nTlsPort));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
            return 1;
        }
        std::printf("%u %u\n", static_cast<unsigned>(server.Port()), static_cast<unsigned>(oTls->Port()));
    } else {
        std::printf("%u\n", static_cast<unsigned>(server.Port()));
    }
    std::fflush(stdout);

    int nSignal = 0;
    sigwait(&stopSignals, &nSignal);
    std::printf("requests %zu connections %zu peak %zu\n", server.RequestCount(),
                server.ConnectionCount(), server.PeakRequestsInFlight());
    for (const std::string& strAddress : server.Addresses())
        std::printf("host %s requests %zu peak %zu\n", strAddress.c_str(), server.RequestCount(strAddress),
                    server.PeakRequestsInFlight(strAddress));
    std::printf("refused %zu\n", server.BusyRefusalCount());
    if (oTls)
        std::printf("tls handshakes %zu resumed %zu\n", oTls->HandshakeCount(), oTls->ResumedCount());
    std::fflush(stdout);
    return 0;
}
