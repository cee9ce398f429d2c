#include "support/TestTlsFront.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "support/TestHttpServer.h"

#ifndef ZORBEL_TEST_TLS_DATA
#error "ZORBEL_TEST_TLS_DATA names the folder of the test certificates"
#endif

struct CTestTlsFront::CState {
    SSL_CTX* m_pContext = nullptr;
    std::vector<int> m_listens;
    int m_hWakeRead = -1;
    int m_hWakeWrite = -1;
    ~CState()
    {
        for (int fd : m_listens)
            ::close(fd);
        if (m_hWakeRead >= 0)
            ::close(m_hWakeRead);
        if (m_hWakeWrite >= 0)
            ::close(m_hWakeWrite);
        SSL_CTX_free(m_pContext);
    }
};

namespace {

int Listen(const std::string& strAddress, std::uint16_t nPort)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    const int nOn = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &nOn, sizeof nOn);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(nPort);
    ::inet_pton(AF_INET, strAddress.c_str(), &address.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4096) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::uint16_t PortOf(int fd)
{
    sockaddr_in address{};
    socklen_t nLength = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &nLength);
    return ntohs(address.sin_port);
}

int ConnectTo(const std::string& strAddress, std::uint16_t nPort)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(nPort);
    ::inet_pton(AF_INET, strAddress.c_str(), &address.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const char* pData, std::size_t nSize)
{
    while (nSize > 0) {
        const ssize_t n = ::send(fd, pData, nSize, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        pData += n;
        nSize -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

CTestTlsFront::CTestTlsFront(const CTestHttpServer& server, std::uint16_t nPort, std::string strCertificate,
                             std::string strKey)
    : m_pState(std::make_shared<CState>()), m_addresses(server.Addresses()), m_nServerPort(server.Port()),
      m_nPort(nPort)
{
    if (strCertificate.empty())
        strCertificate = std::string(ZORBEL_TEST_TLS_DATA) + "/server.pem";
    if (strKey.empty())
        strKey = std::string(ZORBEL_TEST_TLS_DATA) + "/server.key";
    m_pState->m_pContext = SSL_CTX_new(TLS_server_method());
    if (!m_pState->m_pContext ||
        SSL_CTX_use_certificate_chain_file(m_pState->m_pContext, strCertificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(m_pState->m_pContext, strKey.c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("the test certificate cannot be loaded");
    SSL_CTX_set_session_cache_mode(m_pState->m_pContext, SSL_SESS_CACHE_SERVER);

    for (const std::string& strAddress : m_addresses) {
        const int fd = Listen(strAddress, m_nPort);
        if (fd < 0)
            throw std::runtime_error("cannot listen on " + strAddress);
        if (m_nPort == 0)
            m_nPort = PortOf(fd);
        m_pState->m_listens.push_back(fd);
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    m_pState->m_hWakeRead = pipeFds[0];
    m_pState->m_hWakeWrite = pipeFds[1];
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

CTestTlsFront::~CTestTlsFront()
{
    m_bStopping = true;
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(m_pState->m_hWakeWrite, &c, 1);
    m_acceptThread.join();
    std::vector<std::thread> relays;
    {
        std::lock_guard lock(m_mx);
        for (int fd : m_fds)
            ::shutdown(fd, SHUT_RDWR);
        relays.swap(m_relays);
    }
    for (std::thread& relay : relays)
        relay.join();
}

std::string CTestTlsFront::Url(std::string_view strPath) const { return UrlOn(m_addresses.front(), strPath); }

std::string CTestTlsFront::UrlOn(std::string_view strAddress, std::string_view strPath) const
{
    return "https://" + std::string(strAddress) + ":" + std::to_string(m_nPort) + std::string(strPath);
}

std::string CTestTlsFront::CaFile() { return std::string(ZORBEL_TEST_TLS_DATA) + "/ca.pem"; }

void CTestTlsFront::AcceptLoop()
{
    std::vector<pollfd> fds;
    for (int fd : m_pState->m_listens)
        fds.push_back({fd, POLLIN, 0});
    fds.push_back({m_pState->m_hWakeRead, POLLIN, 0});
    while (!m_bStopping) {
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        for (std::size_t i = 0; i + 1 < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::lock_guard lock(m_mx);
            m_fds.push_back(fd);
            m_relays.emplace_back([this, fd, strAddress = m_addresses[i]] { Relay(fd, strAddress); });
        }
    }
}

// One connection: the TLS handshake, then bytes both ways until either
// side closes. One thread drives both directions, as an SSL object must
// not be used by two threads at once.
void CTestTlsFront::Relay(int fdClient, std::string strAddress)
{
    // OpenSSL writes with write(), not send(MSG_NOSIGNAL): a client that has
    // gone would raise SIGPIPE in this thread and end the test's process.
    // Blocked here, the write fails with EPIPE instead.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    SSL* const pSsl = SSL_new(m_pState->m_pContext);
    int fdServer = -1;
    if (pSsl && SSL_set_fd(pSsl, fdClient) == 1 && SSL_accept(pSsl) == 1) {
        ++m_nHandshakes;
        if (SSL_session_reused(pSsl))
            ++m_nResumed;
        fdServer = ConnectTo(strAddress, m_nServerPort);
    }
    if (fdServer >= 0) {
        {
            std::lock_guard lock(m_mx);
            m_fds.push_back(fdServer);
        }
        char buffer[16384];
        for (bool bOpen = true; bOpen && !m_bStopping;) {
            pollfd fds[2] = {{fdClient, POLLIN, 0}, {fdServer, POLLIN, 0}};
            if (SSL_pending(pSsl) == 0 && ::poll(fds, 2, -1) < 0)
                continue;
            if (SSL_pending(pSsl) > 0 || (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
                const int n = SSL_read(pSsl, buffer, sizeof buffer);
                if (n <= 0) {
                    const int nError = SSL_get_error(pSsl, n);
                    if (nError != SSL_ERROR_WANT_READ && nError != SSL_ERROR_WANT_WRITE)
                        bOpen = false;
                } else if (!SendAll(fdServer, buffer, static_cast<std::size_t>(n))) {
                    bOpen = false;
                }
            }
            if (bOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
                const ssize_t n = ::recv(fdServer, buffer, sizeof buffer, 0);
                if (n <= 0 || SSL_write(pSsl, buffer, static_cast<int>(n)) <= 0)
                    bOpen = false;
            }
        }
        SSL_shutdown(pSsl);
    }
    SSL_free(pSsl);
    std::lock_guard lock(m_mx);
    for (int fd : {fdClient, fdServer}) {
        if (fd < 0)
            continue;
        m_fds.erase(std::remove(m_fds.begin(), m_fds.end(), fd), m_fds.end());
        ::close(fd);
    }
}
