#include "core/export/BookmarksExport.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/export/ExportFile.h"
#include "core/model/LinkStatus.h"
#include "core/platform/ControlText.h"

namespace {

constexpr std::string_view kHeader =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<!-- This is an automatically generated file.\n"
    "     It will be read and overwritten.\n"
    "     DO NOT EDIT! -->\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n"
    "<H1>Bookmarks</H1>\n"
    "<DL><p>\n";
constexpr std::string_view kFooter = "</DL><p>\n";

// One folder of the file: its name and what it holds, in order of first
// appearance. A child is a folder (its index) or a favourite (its index in
// the list), told apart by the flag.
struct CFolder {
    std::string_view m_strName;
    struct Child {
        bool m_bFolder;
        std::size_t m_nIndex;
    };
    std::vector<Child> m_children;
};

// The index of the folder named strName inside folder nParent, made when
// it is new.
std::size_t SubFolder(std::vector<CFolder>& folders, std::size_t nParent, std::string_view strName)
{
    for (const CFolder::Child& child : folders[nParent].m_children)
        if (child.m_bFolder && folders[child.m_nIndex].m_strName == strName)
            return child.m_nIndex;
    folders.push_back({strName, {}});
    const std::size_t nNew = folders.size() - 1;
    folders[nParent].m_children.push_back({true, nNew});
    return nNew;
}

void AppendEscaped(std::string& strOut, std::string_view strText)
{
    const std::string strPlain = ControlsAsBlanks(strText);
    for (const char ch : strPlain) {
        switch (ch) {
        case '&': strOut += "&amp;"; break;
        case '<': strOut += "&lt;"; break;
        case '>': strOut += "&gt;"; break;
        case '"': strOut += "&quot;"; break;
        default: strOut += ch; break;
        }
    }
}

// A local path as a file:// address, its bytes outside the unreserved set
// percent-encoded; anything else as it is.
std::string AddressOf(const std::string& strUrl)
{
    if (strUrl.empty() || strUrl.front() != '/')
        return strUrl;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string strAddress = "file://";
    for (const char ch : strUrl) {
        const auto by = static_cast<unsigned char>(ch);
        if ((by >= 'a' && by <= 'z') || (by >= 'A' && by <= 'Z') || (by >= '0' && by <= '9') || by == '/' ||
            by == '-' || by == '.' || by == '_' || by == '~') {
            strAddress += ch;
        } else {
            strAddress += '%';
            strAddress += kHex[by >> 4];
            strAddress += kHex[by & 15];
        }
    }
    return strAddress;
}

// When the favourite's own file was last changed (the time a shortcut was
// made or updated), or 0 when there is no file of its own.
std::int64_t AddDateOf(const FavoriteItem& item)
{
    if (!item.m_fileId.IsKnown())
        return 0;
    struct stat st {};
    if (::lstat(item.m_strPath.c_str(), &st) != 0)
        return 0;
    return static_cast<std::int64_t>(st.st_mtime);
}

class CBookmarksWriter {
public:
    CBookmarksWriter(CExportFile& file, ExportList items, const std::vector<CFolder>& folders)
        : m_file(file), m_items(items), m_folders(folders)
    {
    }

    bool Folder(std::size_t nFolder, int nDepth)
    {
        const std::string strIndent(std::size_t(nDepth) * 4 + 4, ' ');
        for (const CFolder::Child& child : m_folders[nFolder].m_children) {
            m_strLine.clear();
            m_strLine += strIndent;
            if (child.m_bFolder) {
                m_strLine += "<DT><H3>";
                AppendEscaped(m_strLine, m_folders[child.m_nIndex].m_strName);
                m_strLine += "</H3>\n";
                m_strLine += strIndent;
                m_strLine += "<DL><p>\n";
                if (!m_file.WriteString(m_strLine) || !Folder(child.m_nIndex, nDepth + 1))
                    return false;
                m_strLine = strIndent;
                m_strLine += "</DL><p>\n";
            } else {
                const FavoriteItem& item = *m_items[child.m_nIndex];
                m_strLine += "<DT><A HREF=\"";
                AppendEscaped(m_strLine, AddressOf(item.m_strUrl));
                m_strLine += '"';
                if (const std::int64_t nDate = AddDateOf(item); nDate > 0) {
                    m_strLine += " ADD_DATE=\"";
                    m_strLine += std::to_string(nDate);
                    m_strLine += '"';
                }
                m_strLine += '>';
                AppendEscaped(m_strLine, item.m_strName);
                m_strLine += "</A>\n";
            }
            if (!m_file.WriteString(m_strLine))
                return false;
        }
        return true;
    }

private:
    CExportFile& m_file;
    ExportList m_items;
    const std::vector<CFolder>& m_folders;
    std::string m_strLine;
};

} // namespace

int WriteBookmarksExport(CExportFile& file, ExportList items)
{
    // The folder tree first: folder 0 is the top of the file.
    std::vector<CFolder> folders(1);
    for (std::size_t n = 0; n < items.size(); ++n) {
        const std::shared_ptr<FavoriteItem>& pItem = items[n];
        if (!pItem || pItem->m_strUrl.empty())
            continue;
        std::size_t nFolder = 0;
        std::string_view strRest = pItem->m_strFolder;
        while (!strRest.empty()) {
            const std::size_t nSlash = strRest.find('/');
            nFolder = SubFolder(folders, nFolder, strRest.substr(0, nSlash));
            strRest = nSlash == std::string_view::npos ? std::string_view() : strRest.substr(nSlash + 1);
        }
        folders[nFolder].m_children.push_back({false, n});
    }
    if (!file.WriteString(kHeader))
        return file.Error();
    CBookmarksWriter writer(file, items, folders);
    if (!writer.Folder(0, 0) || !file.WriteString(kFooter))
        return file.Error();
    return 0;
}

std::vector<std::shared_ptr<FavoriteItem>> LeaveOutBroken(ExportList items)
{
    std::vector<std::shared_ptr<FavoriteItem>> kept;
    kept.reserve(items.size());
    for (const std::shared_ptr<FavoriteItem>& pItem : items)
        if (pItem && !LinkStatusInfoFor(pItem->Status()).m_bIsBroken)
            kept.push_back(pItem);
    return kept;
}
