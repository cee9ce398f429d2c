#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The target file of an export: created or truncated on open, written
// through a buffer of its own, closed by its owner or its destructor. The
// first error of any write is kept; after it nothing more is written, so a
// writer can stop at the line where the file failed.
class CExportFile {
public:
    CExportFile();
    ~CExportFile();
    CExportFile(const CExportFile&) = delete;
    CExportFile& operator=(const CExportFile&) = delete;

    // Creates the file, or truncates it when it exists, for writing only.
    // Returns 0 or the errno of the failure; on failure no file is created
    // and an existing one keeps its content. A file that another program
    // holds an exclusive lock on is refused (EWOULDBLOCK) before it is
    // touched, and a pipe nobody reads is refused (ENXIO) instead of
    // blocking the caller.
    int Open(const std::string& strPath);

    // Appends the bytes; false once any write has failed.
    bool WriteString(std::string_view strBytes);

    // Writes out what is buffered and closes the file. Returns 0 or the
    // errno of the first failed write or of the close.
    int Close();

    int Error() const { return m_nError; }

private:
    bool WriteOut(const char* pBytes, std::size_t nBytes);
    bool Flush();

    static constexpr std::size_t kBufferSize = 64 * 1024;

    int m_hFile = -1;
    int m_nError = 0; // errno of the first failure, 0 while all is well
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nBuffered = 0;
};
