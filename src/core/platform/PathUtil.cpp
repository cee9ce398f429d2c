#include "core/platform/PathUtil.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "core/platform/AsciiText.h"

bool PathIsURLA(const std::string& strPath)
{
    size_t n = 0;
    while (n < strPath.size()) {
        const char c = strPath[n];
        const bool bAlnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!(bAlnum || c == '+' || c == '-' || c == '.'))
            break;
        ++n;
    }
    return n >= 2 && n < strPath.size() && strPath[n] == ':';
}

bool PathIsWebLink(const std::string& strPath)
{
    if (!PathIsURLA(strPath))
        return false;
    const std::string_view strScheme = std::string_view(strPath).substr(0, strPath.find(':'));
    return EqualsAsciiNoCase(strScheme, "http") || EqualsAsciiNoCase(strScheme, "https") ||
           EqualsAsciiNoCase(strScheme, "ftp");
}

bool PathIsDirectoryA(const std::string& strPath)
{
    struct stat st {};
    return !strPath.empty() && ::stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HelpFilePathFor(const std::string& strExecutable)
{
    const size_t nSlash = strExecutable.find_last_of('/');
    const size_t nNameStart = nSlash == std::string::npos ? 0 : nSlash + 1;
    const size_t nDot = strExecutable.find_last_of('.');
    if (nDot == std::string::npos || nDot <= nNameStart)
        return strExecutable + ".chm";
    return strExecutable.substr(0, nDot) + ".chm";
}

std::string FindHelpFileFor(const std::string& strExecutable, const std::string& strInstalledFromBinDir)
{
    namespace fs = std::filesystem;
    const std::string strBeside = HelpFilePathFor(strExecutable);
    std::error_code ec;
    if (fs::is_regular_file(strBeside, ec) || strInstalledFromBinDir.empty())
        return strBeside;
    const fs::path installed =
        (fs::path(strExecutable).parent_path() / fs::path(strInstalledFromBinDir)).lexically_normal();
    if (fs::is_regular_file(installed, ec))
        return installed.string();
    return strBeside;
}
