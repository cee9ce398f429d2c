#pragma once

// CTestTlsFront: HTTPS in front of a CTestHttpServer. It listens on each of
// the server's addresses with one port of its own, speaks TLS there with the
// tests' server certificate (tests/data/tls/server.pem, issued by the test
// CA tests/data/tls/ca.pem for localhost, *.test and 127.0.0.1 to
// 127.0.0.64, valid for a hundred years), and relays each connection in
// plain text to the server's same address, so every path of the server is
// there over HTTPS too:
//
//     CTestHttpServer server({"127.0.0.1", "127.0.0.2"});
//     CTestTlsFront tls(server);
//     tls.UrlOn("127.0.0.2", "/ok/1")      // "https://127.0.0.2:<port>/ok/1"
//     CTestTlsFront::CaFile()              // the CA to trust for it
//
// It counts handshakes, and those that resumed an earlier session.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CTestHttpServer;

class CTestTlsFront {
public:
    // nPort: the port on every address, 0 for one that is free on all of
    // them; certificate/key: PEM files, empty for the tests' own.
    explicit CTestTlsFront(const CTestHttpServer& server, std::uint16_t nPort = 0, std::string strCertificate = {},
                           std::string strKey = {});
    ~CTestTlsFront();
    CTestTlsFront(const CTestTlsFront&) = delete;
    CTestTlsFront& operator=(const CTestTlsFront&) = delete;

    std::uint16_t Port() const { return m_nPort; }
    std::string Url(std::string_view strPath) const;
    std::string UrlOn(std::string_view strAddress, std::string_view strPath) const;

    // The test CA that issued the server certificate.
    static std::string CaFile();

    std::size_t HandshakeCount() const { return m_nHandshakes.load(); }
    std::size_t ResumedCount() const { return m_nResumed.load(); }

private:
    struct CState;
    void AcceptLoop();
    void Relay(int fdClient, std::string strAddress);

    std::shared_ptr<CState> m_pState;
    std::vector<std::string> m_addresses;
    std::uint16_t m_nServerPort = 0;
    std::uint16_t m_nPort = 0;
    std::atomic<bool> m_bStopping{false};
    std::atomic<std::size_t> m_nHandshakes{0};
    std::atomic<std::size_t> m_nResumed{0};
    std::thread m_acceptThread;
    std::mutex m_mx;
    std::vector<std::thread> m_relays; // guarded by m_mx
    std::vector<int> m_fds;            // guarded by m_mx: open sockets, shut down at the end
};
