#include "core/sources/SourceTempFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

CSourceTempFile::CSourceTempFile()
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec)
        return;
    std::string strTemplate = (folder / "ZRBXXXXXX").string();
    std::vector<char> name(strTemplate.begin(), strTemplate.end());
    name.push_back('\0');
    m_hFile = mkostemp(name.data(), O_CLOEXEC);
    if (m_hFile >= 0)
        unlink(name.data());
}

CSourceTempFile::~CSourceTempFile()
{
    if (m_hFile >= 0)
        close(m_hFile);
}
