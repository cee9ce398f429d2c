#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform/AtomicFile.h"

// The target file of an export, written through a buffer of its own by the
// program's one file writer (CAtomicFile): the old file stays as it was
// until Close has made the whole new content its content. The first error
// of any write is kept; after it nothing more is written, so a writer can
// stop at the line where the file failed.
class CExportFile {
public:
    CExportFile();
    ~CExportFile();
    CExportFile(const CExportFile&) = delete;
    CExportFile& operator=(const CExportFile&) = delete;

    // Starts writing the file. Returns 0 or the errno of the failure; on
    // failure nothing is created and an existing file keeps its content. A
    // file that another program holds an exclusive lock on is refused
    // (EWOULDBLOCK) before it is touched, and a pipe nobody reads is refused
    // (ENXIO) instead of blocking the caller.
    int Open(const std::string& strPath);

    // Appends the bytes; false once any write has failed.
    bool WriteString(std::string_view strBytes);

    // Writes out what is buffered and makes it the file's content. Returns 0
    // or the errno of the first failure; then the old file is as it was.
    int Close();

    int Error() const { return m_nError; }

private:
    bool WriteOut(const char* pBytes, std::size_t nBytes);
    bool Flush();

    static constexpr std::size_t kBufferSize = 64 * 1024;

    CAtomicFile m_file;
    bool m_bOpen = false;
    int m_nError = 0; // errno of the first failure, 0 while all is well
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nBuffered = 0;
};
