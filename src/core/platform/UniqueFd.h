#pragma once

#include <unistd.h>

#include <utility>

// A file descriptor of our own, closed when it goes out of scope. -1 holds
// nothing.
class CUniqueFd {
public:
    CUniqueFd() = default;
    explicit CUniqueFd(int hFd) : m_hFd(hFd) {}
    ~CUniqueFd() { Reset(); }
    CUniqueFd(CUniqueFd&& other) noexcept : m_hFd(std::exchange(other.m_hFd, -1)) {}
    CUniqueFd& operator=(CUniqueFd&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_hFd, -1));
        return *this;
    }
    CUniqueFd(const CUniqueFd&) = delete;
    CUniqueFd& operator=(const CUniqueFd&) = delete;

    int Get() const { return m_hFd; }
    bool IsOpen() const { return m_hFd >= 0; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(m_hFd, -1); }
    // Closes what is held and holds hFd instead.
    void Reset(int hFd = -1)
    {
        if (m_hFd >= 0)
            ::close(m_hFd);
        m_hFd = hFd;
    }

private:
    int m_hFd = -1;
};
