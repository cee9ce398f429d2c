#pragma once

#include <string>
#include <string_view>

// The single document: it only carries the source location from the command
// line to the view. Empty means the Favorites folder. Never saved.
class CZorbelDoc {
public:
    // Stores the path without the "zorbel:" prefix, unchanged otherwise;
    // adds nothing to any recent-file list.
    void SetPathName(std::string_view strPath, bool bAddToMRU = true);
    const std::string& GetPathName() const { return m_strPathName; }

    // The browser whose bookmarks are listed instead ("NAME[:PROFILE]",
    // from --browser); empty for none.
    void SetBrowser(std::string strBrowser) { m_strBrowser = std::move(strBrowser); }
    const std::string& GetBrowser() const { return m_strBrowser; }

    bool OnNewDocument();
    // Opens nothing: the view reads the source when it fills its list.
    bool OnOpenDocument(const char* pszPathName);

private:
    std::string m_strPathName;
    std::string m_strBrowser;
};
