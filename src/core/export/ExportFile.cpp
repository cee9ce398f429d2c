#include "core/export/ExportFile.h"

#include <cerrno>
#include <cstring>

CExportFile::CExportFile() = default;

// An export that was not closed is given up; the old file stays.
CExportFile::~CExportFile() = default;

int CExportFile::Open(const std::string& strPath)
{
    m_file.Discard();
    m_bOpen = false;
    m_nError = 0;
    m_nBuffered = 0;
    if (const int nError = m_file.Open(strPath); nError != 0)
        return nError;
    if (!m_pBuffer)
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    m_bOpen = true;
    return 0;
}

bool CExportFile::WriteOut(const char* pBytes, std::size_t nBytes)
{
    if (const int nError = m_file.Write({pBytes, nBytes}); nError != 0) {
        m_nError = nError;
        return false;
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
    if (!m_bOpen || m_nError != 0) {
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
    if (!m_bOpen)
        return m_nError;
    m_bOpen = false;
    if (m_nError == 0)
        Flush();
    m_nBuffered = 0;
    if (m_nError != 0) {
        m_file.Discard();
        return m_nError;
    }
    m_nError = m_file.Commit();
    return m_nError;
}
