#pragma once

#include <cerrno>

#include "core/platform/AtomicFile.h"

// Makes one system call of the file writer fail with an errno for as long as
// the object lives: a write (a full disk), the flush to the disk (a failing
// device) or the rename. nAfterBytes lets that many bytes be written first.
class CFailingDisk {
public:
    enum class Call { Write, Sync, Rename };

    explicit CFailingDisk(Call nCall, int nError, std::size_t nAfterBytes = 0) : m_saved(CAtomicFile::s_systemCalls)
    {
        s_nError = nError;
        s_nBytesLeft = nAfterBytes;
        switch (nCall) {
        case Call::Write: CAtomicFile::s_systemCalls.m_pfnWrite = &FailingWrite; break;
        case Call::Sync: CAtomicFile::s_systemCalls.m_pfnSync = &FailingSync; break;
        case Call::Rename: CAtomicFile::s_systemCalls.m_pfnRename = &FailingRename; break;
        }
    }
    ~CFailingDisk() { CAtomicFile::s_systemCalls = m_saved; }
    CFailingDisk(const CFailingDisk&) = delete;
    CFailingDisk& operator=(const CFailingDisk&) = delete;

private:
    static ssize_t FailingWrite(int hFd, const void* pBytes, size_t nBytes)
    {
        if (s_nBytesLeft == 0) {
            errno = s_nError;
            return -1;
        }
        const size_t nNow = nBytes < s_nBytesLeft ? nBytes : s_nBytesLeft;
        const ssize_t nWritten = ::write(hFd, pBytes, nNow);
        if (nWritten > 0)
            s_nBytesLeft -= static_cast<size_t>(nWritten);
        return nWritten;
    }
    static int FailingSync(int)
    {
        errno = s_nError;
        return -1;
    }
    static int FailingRename(int, const char*, int, const char*)
    {
        errno = s_nError;
        return -1;
    }

    inline static int s_nError = 0;
    inline static std::size_t s_nBytesLeft = 0;
    CAtomicFile::SystemCalls m_saved;
};
