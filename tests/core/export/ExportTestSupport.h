#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "core/model/FavoriteItem.h"

namespace export_test {

// A fresh folder below the system's temporary folder, removed with all it
// holds when the test ends.
class TempDir {
public:
    TempDir()
    {
        std::string strTemplate = (std::filesystem::temp_directory_path() / "zorbel-export-XXXXXX").string();
        if (::mkdtemp(strTemplate.data()) != nullptr)
            m_path = strTemplate;
    }
    ~TempDir()
    {
        std::error_code error;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(m_path, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& strName) const { return (m_path / strName).string(); }

private:
    std::filesystem::path m_path;
};

inline std::shared_ptr<FavoriteItem> MakeItem(std::string strName, std::string strUrl, std::string strFolder = {})
{
    auto pItem = std::make_shared<FavoriteItem>();
    pItem->m_strName = std::move(strName);
    pItem->m_strUrl = std::move(strUrl);
    pItem->m_nDepth = strFolder.empty() ? 0 : 1;
    for (char ch : strFolder)
        pItem->m_nDepth += ch == '/';
    pItem->m_strFolder = std::move(strFolder);
    pItem->m_strPath = "/home/user/Favorites/" + pItem->m_strName + ".url";
    pItem->m_nKind = 0;
    return pItem;
}

inline std::string ReadBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& strPath, const std::string& strBytes)
{
    std::ofstream file(strPath, std::ios::binary | std::ios::trunc);
    file << strBytes;
}

} // namespace export_test
