#include "export/ExportFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CExportFile::CExportFile() = default;

CExportFile::~CExportFile()
{
    if (m_hFile >= 0)
        Close();
}

int CExportFile::Open(const std::string& strPath)
{
    if (m_hFile >= 0)
        Close();
    m_nError = 0;
    m_nBuffered = 0;

    // Not truncated yet: the file keeps its content until the lock is ours.
    // Non-blocking only for the open itself, so that a pipe without a reader
    // fails instead of hanging the window.
    const int hFile = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (hFile < 0)
        return errno;

    // Exclusive sharing: nobody else who locks the file writes it meanwhile.
    if (::flock(hFile, LOCK_EX | LOCK_NB) != 0) {
        const int nError = errno;
        ::close(hFile);
        return nError;
    }
    struct stat info {};
    if (::fstat(hFile, &info) != 0 || (S_ISREG(info.st_mode) && ::ftruncate(hFile, 0) != 0)) {
        const int nError = errno;
        ::close(hFile);
        return nError;
    }
    const int nFlags = ::fcntl(hFile, F_GETFL);
    if (nFlags >= 0)
        ::fcntl(hFile, F_SETFL, nFlags & ~O_NONBLOCK);

    if (!m_pBuffer)
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    m_hFile = hFile;
    return 0;
}

bool CExportFile::WriteOut(const char* pBytes, std::size_t nBytes)
{
    while (nBytes > 0) {
        const ssize_t nWritten = ::write(m_hFile, pBytes, nBytes);
        if (nWritten < 0) {
            if (errno == EINTR)
                continue;
            m_nError = errno;
            return false;
        }
        if (nWritten == 0) {
            m_nError = EIO;
            return false;
        }
        pBytes += nWritten;
        nBytes -= static_cast<std::size_t>(nWritten);
    }
    return true;
}

bool CExportFile::Flush()
{
    const std::size_t nBytes = m_nBuffered;
    m_nBuffered = 0;
    return WriteOut(m_pBuffer.get(), nBytes);
}

bool CExportFile::WriteString(std::string_view strBytes)
{
    if (m_hFile < 0 || m_nError != 0) {
        if (m_nError == 0)
            m_nError = EBADF;
        return false;
    }
    if (strBytes.empty())
        return true;
    if (strBytes.size() > kBufferSize - m_nBuffered) {
        if (!Flush())
            return false;
        if (strBytes.size() >= kBufferSize)
            return WriteOut(strBytes.data(), strBytes.size());
    }
    std::memcpy(m_pBuffer.get() + m_nBuffered, strBytes.data(), strBytes.size());
    m_nBuffered += strBytes.size();
    return true;
}

int CExportFile::Close()
{
    if (m_hFile < 0)
        return m_nError;
    if (m_nError == 0)
        Flush();
    m_nBuffered = 0;
    // The lock goes with the descriptor.
    if (::close(m_hFile) != 0 && m_nError == 0 && errno != EINTR)
        m_nError = errno;
    m_hFile = -1;
    return m_nError;
}
