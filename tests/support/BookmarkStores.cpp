#include "support/BookmarkStores.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace bookmarkstore {

namespace {

// Firefox's own statements (toolkit/components/places), less the triggers.
constexpr const char* kPlacesSchema = R"SQL(
CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,
  frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,
  recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host));
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,
  visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,
  frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT,
  foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT,
  preview_image_url TEXT, site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id),
  recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,
  recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_places_hostindex ON moz_places (rev_host);
CREATE INDEX moz_places_visitcount ON moz_places (visit_count);
CREATE INDEX moz_places_frecencyindex ON moz_places (frecency);
CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);
CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);
CREATE INDEX moz_places_originidindex ON moz_places (origin_id);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER,
  position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER,
  lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0,
  syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);
CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);
CREATE INDEX moz_bookmarks_itemlastmodifiedindex ON moz_bookmarks (fk, lastModified);
CREATE INDEX moz_bookmarks_dateaddedindex ON moz_bookmarks (dateAdded);
CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);
CREATE TABLE moz_bookmarks_deleted (guid TEXT PRIMARY KEY, dateRemoved INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, place_id INTEGER,
  post_data TEXT);
INSERT INTO moz_bookmarks (id, type, parent, position, title, dateAdded, lastModified, guid) VALUES
  (1, 2, 0, 0, '', 1700000000000000, 1700000000000000, 'root________'),
  (2, 2, 1, 0, 'menu', 1700000000000000, 1700000000000000, 'menu________'),
  (3, 2, 1, 1, 'toolbar', 1700000000000000, 1700000000000000, 'toolbar_____'),
  (4, 2, 1, 2, 'tags', 1700000000000000, 1700000000000000, 'tags________'),
  (5, 2, 1, 3, 'unfiled', 1700000000000000, 1700000000000000, 'unfiled_____'),
  (6, 2, 1, 4, 'mobile', 1700000000000000, 1700000000000000, 'mobile______');
PRAGMA user_version = 77;
)SQL";

constexpr int kTypeBookmark = 1, kTypeFolder = 2, kTypeSeparator = 3;

void Check(int nResult, sqlite3* pDb, const char* pszWhat)
{
    if (nResult != SQLITE_OK && nResult != SQLITE_DONE && nResult != SQLITE_ROW)
        throw std::runtime_error(std::string(pszWhat) + ": " + (pDb ? sqlite3_errmsg(pDb) : "no database"));
}

std::string ReverseHost(const std::string& strUrl)
{
    const size_t nStart = strUrl.find("://");
    if (nStart == std::string::npos)
        return {};
    const size_t nEnd = strUrl.find_first_of(":/", nStart + 3);
    std::string strHost = strUrl.substr(nStart + 3, nEnd == std::string::npos ? std::string::npos : nEnd - nStart - 3);
    return std::string(strHost.rbegin(), strHost.rend()) + ".";
}

} // namespace

CPlacesDatabase::CPlacesDatabase(const std::string& strPath, bool bWal)
{
    Check(sqlite3_open_v2(strPath.c_str(), &m_pDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), m_pDb,
          "open");
    Exec("PRAGMA page_size = 32768");
    if (bWal) {
        Exec("PRAGMA journal_mode = WAL");
        Exec("PRAGMA wal_autocheckpoint = 0");
    }
    Exec(kPlacesSchema);
}

CPlacesDatabase::~CPlacesDatabase() { Close(); }

void CPlacesDatabase::Close()
{
    if (m_pDb != nullptr)
        sqlite3_close(m_pDb);
    m_pDb = nullptr;
}

void CPlacesDatabase::Exec(const std::string& strSql)
{
    char* pszError = nullptr;
    const int nResult = sqlite3_exec(m_pDb, strSql.c_str(), nullptr, nullptr, &pszError);
    const std::string strError = pszError ? pszError : "";
    sqlite3_free(pszError);
    if (nResult != SQLITE_OK)
        throw std::runtime_error("SQL failed: " + strError + " in " + strSql.substr(0, 200));
}

std::int64_t CPlacesDatabase::NextPosition(std::int64_t nParent)
{
    sqlite3_stmt* pStmt = nullptr;
    Check(sqlite3_prepare_v2(m_pDb, "SELECT count(*) FROM moz_bookmarks WHERE parent = ?", -1, &pStmt, nullptr), m_pDb,
          "prepare");
    sqlite3_bind_int64(pStmt, 1, nParent);
    Check(sqlite3_step(pStmt), m_pDb, "count");
    const std::int64_t nCount = sqlite3_column_int64(pStmt, 0);
    sqlite3_finalize(pStmt);
    return nCount;
}

std::int64_t CPlacesDatabase::Insert(int nType, std::int64_t nParent, const std::string& strTitle,
                                     const std::string& strUrl)
{
    char szGuid[32];
    std::snprintf(szGuid, sizeof szGuid, "zorbelT%05d", ++m_nGuid % 100000);
    std::int64_t nPlace = 0;
    if (nType == kTypeBookmark) {
        sqlite3_stmt* pStmt = nullptr;
        Check(sqlite3_prepare_v2(m_pDb,
                                 "INSERT INTO moz_places (url, title, rev_host, guid, foreign_count, frecency) "
                                 "VALUES (?, ?, ?, ?, 1, 100)",
                                 -1, &pStmt, nullptr),
              m_pDb, "prepare place");
        const std::string strPlaceGuid = std::string("p") + (szGuid + 1);
        const std::string strRevHost = ReverseHost(strUrl);
        sqlite3_bind_text(pStmt, 1, strUrl.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(pStmt, 2, strTitle.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(pStmt, 3, strRevHost.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(pStmt, 4, strPlaceGuid.c_str(), -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(pStmt), m_pDb, "insert place");
        sqlite3_finalize(pStmt);
        nPlace = sqlite3_last_insert_rowid(m_pDb);
    }
    sqlite3_stmt* pStmt = nullptr;
    Check(sqlite3_prepare_v2(m_pDb,
                             "INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, lastModified, "
                             "guid) VALUES (?, ?, ?, ?, ?, 1700000000000000, 1700000000000000, ?)",
                             -1, &pStmt, nullptr),
          m_pDb, "prepare bookmark");
    sqlite3_bind_int(pStmt, 1, nType);
    if (nPlace != 0)
        sqlite3_bind_int64(pStmt, 2, nPlace);
    else
        sqlite3_bind_null(pStmt, 2);
    sqlite3_bind_int64(pStmt, 3, nParent);
    sqlite3_bind_int64(pStmt, 4, NextPosition(nParent));
    if (nType == kTypeSeparator)
        sqlite3_bind_null(pStmt, 5);
    else
        sqlite3_bind_text(pStmt, 5, strTitle.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(pStmt, 6, szGuid, -1, SQLITE_TRANSIENT);
    Check(sqlite3_step(pStmt), m_pDb, "insert bookmark");
    sqlite3_finalize(pStmt);
    return sqlite3_last_insert_rowid(m_pDb);
}

std::int64_t CPlacesDatabase::AddFolder(std::int64_t nParent, const std::string& strTitle)
{
    return Insert(kTypeFolder, nParent, strTitle, {});
}

std::int64_t CPlacesDatabase::AddBookmark(std::int64_t nParent, const std::string& strTitle, const std::string& strUrl)
{
    return Insert(kTypeBookmark, nParent, strTitle, strUrl);
}

std::int64_t CPlacesDatabase::AddSeparator(std::int64_t nParent) { return Insert(kTypeSeparator, nParent, {}, {}); }

void CPlacesDatabase::AddTree(std::int64_t nParent, const std::vector<TestBookmark>& entries)
{
    for (const TestBookmark& entry : entries) {
        if (entry.IsFolder())
            AddTree(AddFolder(nParent, entry.m_strTitle), entry.m_children);
        else
            AddBookmark(nParent, entry.m_strTitle, entry.m_strUrl);
    }
}

namespace {

using Json = nlohmann::json;

class CChromiumWriter {
public:
    Json Node(const TestBookmark& entry)
    {
        Json node;
        node["date_added"] = "13345678901234567";
        node["date_last_used"] = "0";
        node["guid"] = Guid();
        node["id"] = std::to_string(++m_nId);
        node["name"] = entry.m_strTitle;
        if (entry.IsFolder()) {
            node["children"] = Children(entry.m_children);
            node["date_modified"] = "13345678901234567";
            node["type"] = "folder";
        } else {
            node["meta_info"] = {{"power_bookmark_meta", ""}};
            node["type"] = "url";
            node["url"] = entry.m_strUrl;
        }
        return node;
    }
    Json Children(const std::vector<TestBookmark>& entries)
    {
        Json children = Json::array();
        for (const TestBookmark& entry : entries)
            children.push_back(Node(entry));
        return children;
    }

private:
    std::string Guid()
    {
        char sz[40];
        std::snprintf(sz, sizeof sz, "00000000-0000-4000-8000-%012d", ++m_nGuid);
        return sz;
    }
    int m_nId = 3;
    int m_nGuid = 0;
};

void AppendNetscape(std::string& strHtml, const std::vector<TestBookmark>& entries, int nDepth)
{
    const std::string strIndent(size_t(4 * nDepth), ' ');
    const auto escape = [](const std::string& strText) {
        std::string strOut;
        for (char c : strText) {
            switch (c) {
            case '&': strOut += "&amp;"; break;
            case '<': strOut += "&lt;"; break;
            case '>': strOut += "&gt;"; break;
            case '"': strOut += "&quot;"; break;
            case '\'': strOut += "&#39;"; break;
            default: strOut += c;
            }
        }
        return strOut;
    };
    for (const TestBookmark& entry : entries) {
        if (entry.IsFolder()) {
            strHtml += strIndent + "<DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000000\">" +
                       escape(entry.m_strTitle) + "</H3>\n";
            strHtml += strIndent + "<DL><p>\n";
            AppendNetscape(strHtml, entry.m_children, nDepth + 1);
            strHtml += strIndent + "</DL><p>\n";
        } else {
            strHtml += strIndent + "<DT><A HREF=\"" + escape(entry.m_strUrl) +
                       "\" ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000000\">" + escape(entry.m_strTitle) +
                       "</A>\n";
        }
    }
}

void WriteText(const std::string& strPath, const std::string& strText)
{
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
    std::ofstream(strPath, std::ios::binary) << strText;
}

} // namespace

std::string ChromiumBookmarksJson(const std::vector<TestBookmark>& bar, const std::vector<TestBookmark>& other,
                                  const std::vector<TestBookmark>& synced)
{
    CChromiumWriter writer;
    const auto root = [&](int nId, const char* pszName, const char* pszGuid, const std::vector<TestBookmark>& entries) {
        Json node;
        node["children"] = writer.Children(entries);
        node["date_added"] = "13345678901234567";
        node["date_last_used"] = "0";
        node["date_modified"] = "13345678901234567";
        node["guid"] = pszGuid;
        node["id"] = std::to_string(nId);
        node["name"] = pszName;
        node["type"] = "folder";
        return node;
    };
    Json file;
    file["checksum"] = "0123456789abcdef0123456789abcdef";
    file["roots"]["bookmark_bar"] = root(1, "Bookmarks bar", "0bc5d13f-2cba-5d74-951f-3f233fe6c908", bar);
    file["roots"]["other"] = root(2, "Other bookmarks", "82b081ec-3dd3-529c-8475-ab6c344590dd", other);
    file["roots"]["synced"] = root(3, "Mobile bookmarks", "4cf2e351-0e85-532b-bb37-df045d8f8d0f", synced);
    file["version"] = 1;
    return file.dump(3);
}

std::string NetscapeBookmarksHtml(const std::vector<TestBookmark>& entries)
{
    std::string strHtml = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                          "<!-- This is an automatically generated file.\n"
                          "     It will be read and overwritten.\n"
                          "     DO NOT EDIT! -->\n"
                          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                          "<meta http-equiv=\"Content-Security-Policy\"\n"
                          "      content=\"default-src 'self'; script-src 'none'; img-src data: *; object-src "
                          "'none'\"></meta>\n"
                          "<TITLE>Bookmarks</TITLE>\n"
                          "<H1>Bookmarks Menu</H1>\n"
                          "\n"
                          "<DL><p>\n";
    AppendNetscape(strHtml, entries, 1);
    strHtml += "</DL>\n";
    return strHtml;
}

std::string MakeFirefoxProfile(const std::string& strHome, const std::string& strFolder, const std::string& strName)
{
    const std::string strRoot = strHome + "/.mozilla/firefox";
    std::filesystem::create_directories(strRoot + "/" + strFolder);
    WriteText(strRoot + "/profiles.ini", "[Install4F96D1932A9F858E]\nDefault=" + strFolder +
                                             "\nLocked=1\n\n[Profile0]\nName=" + strName +
                                             "\nIsRelative=1\nPath=" + strFolder +
                                             "\n\n[General]\nStartWithLastProfile=1\nVersion=2\n");
    WriteText(strRoot + "/installs.ini", "[4F96D1932A9F858E]\nDefault=" + strFolder + "\nLocked=1\n");
    return strRoot + "/" + strFolder;
}

} // namespace bookmarkstore
