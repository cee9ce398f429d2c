#pragma once

#include <string>

// A private scratch file for a downloaded page: made with mkstemp in the
// system's temporary folder ($TMPDIR, else /tmp), name prefix "ZRB". Its
// name is removed at once, so the file is gone from the folder whatever
// happens later, also if the program is killed; the data lives until the
// descriptor is closed by the destructor.
class CSourceTempFile {
public:
    CSourceTempFile();
    ~CSourceTempFile();
    CSourceTempFile(const CSourceTempFile&) = delete;
    CSourceTempFile& operator=(const CSourceTempFile&) = delete;

    bool IsOpen() const { return m_hFile >= 0; }
    int Handle() const { return m_hFile; }

private:
    int m_hFile = -1;
};
