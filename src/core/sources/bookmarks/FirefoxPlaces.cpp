#include "core/sources/bookmarks/FirefoxPlaces.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <utility>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "core/platform/AsciiText.h"
#include "core/platform/UniqueFd.h"

namespace {

// The roots whose bookmarks are shown, in the order shown, by the fixed
// GUIDs Firefox gives them, with the names its library shows.
// Stores older than Firefox 31 or so give their roots random GUIDs and name
// them in moz_bookmarks_roots instead (Firefox 3 has no GUIDs at all).
struct PlacesRoot {
    std::string_view m_strGuid;
    std::string_view m_strRootName; // in moz_bookmarks_roots
    std::string_view m_strTitle;
};
constexpr PlacesRoot kPlacesRoots[] = {
    {"toolbar_____", "toolbar", "Bookmarks Toolbar"},
    {"menu________", "menu", "Bookmarks Menu"},
    {"unfiled_____", "unfiled", "Other Bookmarks"},
    {"mobile______", "mobile", "Mobile Bookmarks"},
};
constexpr std::size_t kRootCount = std::size(kPlacesRoots);

// moz_bookmarks.type
constexpr int kTypeBookmark = 1;
constexpr int kTypeFolder = 2;

constexpr std::size_t kCopyChunk = 1 << 20;

// Limits on what a store may cost to read. A Firefox profile's database is
// tens of megabytes with years of history; each bound is far above what
// Firefox writes and keeps a hostile file from taking the machine.
constexpr std::int64_t kMaxStoreBytes = std::int64_t(1) << 30; // the database, and its -wal file, each
constexpr int kMaxValueBytes = 16 << 20;                       // one title, address or row
constexpr std::size_t kMaxRows = 5'000'000;                    // bookmarks, folders and separators
constexpr std::size_t kMaxTextBytes = std::size_t(512) << 20;  // all titles and addresses together

// A folder of our own in the temporary folder, removed with what it holds
// (the copies and whatever SQLite made beside them) when it goes.
class CPrivateFolder {
public:
    CPrivateFolder()
    {
        std::error_code ec;
        const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
        if (ec)
            return;
        std::string strTemplate = (temp / "zorbel-places-XXXXXX").string();
        if (mkdtemp(strTemplate.data()) != nullptr)
            m_strPath = strTemplate;
    }
    ~CPrivateFolder()
    {
        if (m_strPath.empty())
            return;
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
    CPrivateFolder(const CPrivateFolder&) = delete;
    CPrivateFolder& operator=(const CPrivateFolder&) = delete;
    bool IsMade() const { return !m_strPath.empty(); }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

enum class CopyResult { Copied, Missing, Failed, TooLarge };

bool WriteAll(int hFile, const char* pData, std::size_t nSize)
{
    while (nSize > 0) {
        const ssize_t n = write(hFile, pData, nSize);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        pData += n;
        nSize -= std::size_t(n);
    }
    return true;
}

// Copies a regular file; the source is opened for reading only.
// Non-blocking, so that a named pipe cannot hold the thread.
CopyResult CopyRegularFile(const std::string& strFrom, const std::string& strTo, const std::function<bool()>& fnAbort)
{
    CUniqueFd from(open(strFrom.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (from.Get() < 0)
        return errno == ENOENT ? CopyResult::Missing : CopyResult::Failed;
    struct stat info {};
    if (fstat(from.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return CopyResult::Failed;
    // Before a byte is copied: a sparse file of gigabytes costs nothing to
    // make and would fill the temporary folder.
    if (info.st_size > kMaxStoreBytes)
        return CopyResult::TooLarge;
    CUniqueFd to(open(strTo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (to.Get() < 0)
        return CopyResult::Failed;
    posix_fadvise(from.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(kCopyChunk);
    for (std::int64_t nCopied = 0;;) {
        if (fnAbort())
            return CopyResult::Failed;
        const ssize_t n = read(from.Get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return CopyResult::Failed;
        if (n == 0)
            return CopyResult::Copied;
        nCopied += n;
        if (nCopied > kMaxStoreBytes) // it grew while it was copied
            return CopyResult::TooLarge;
        if (!WriteAll(to.Get(), buffer.data(), std::size_t(n)))
            return CopyResult::Failed;
    }
}

// The copy, opened read-only and distrusting what the file says of itself:
// SQLite evaluates the expressions of a file's schema (generated columns,
// views, triggers) as it reads, so they are kept from running
// (trusted_schema off, views and triggers off, defensive mode), and no
// value or row may be longer than kMaxValueBytes.
class CDatabase {
public:
    explicit CDatabase(const std::string& strPath)
    {
        if (sqlite3_open_v2(strPath.c_str(), &m_pDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK || !Distrust()) {
            sqlite3_close(m_pDb);
            m_pDb = nullptr;
        }
    }
    ~CDatabase() { sqlite3_close(m_pDb); }
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;
    sqlite3* Get() const { return m_pDb; }

private:
    bool Distrust()
    {
        for (const auto& [nOption, nValue] : {std::pair{SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
                                              std::pair{SQLITE_DBCONFIG_DEFENSIVE, 1},
                                              std::pair{SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
                                              std::pair{SQLITE_DBCONFIG_ENABLE_VIEW, 0}}) {
            int nNow = -1;
            if (sqlite3_db_config(m_pDb, nOption, nValue, &nNow) != SQLITE_OK || nNow != nValue)
                return false;
        }
        sqlite3_limit(m_pDb, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
        return true;
    }

    sqlite3* m_pDb = nullptr;
};

class CStatement {
public:
    CStatement(sqlite3* pDb, std::string_view strSql)
    {
        if (sqlite3_prepare_v2(pDb, strSql.data(), int(strSql.size()), &m_pStmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_pStmt);
            m_pStmt = nullptr;
        }
    }
    ~CStatement() { sqlite3_finalize(m_pStmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    bool IsReady() const { return m_pStmt != nullptr; }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return sqlite3_step(m_pStmt); }
    std::int64_t Int(int nColumn) const { return sqlite3_column_int64(m_pStmt, nColumn); }
    std::string Text(int nColumn) const
    {
        const unsigned char* p = sqlite3_column_text(m_pStmt, nColumn);
        return p ? std::string(reinterpret_cast<const char*>(p), size_t(sqlite3_column_bytes(m_pStmt, nColumn)))
                 : std::string();
    }
    bool IsNull(int nColumn) const { return sqlite3_column_type(m_pStmt, nColumn) == SQLITE_NULL; }
    sqlite3_stmt* Handle() const { return m_pStmt; }

private:
    sqlite3_stmt* m_pStmt = nullptr;
};

// One row of moz_bookmarks with the URL of its place.
struct PlacesRow {
    std::int64_t m_nId = 0;
    std::int64_t m_nParent = 0;
    int m_nType = 0;
    bool m_bHasUrl = false;
    std::string m_strTitle;
    std::string m_strUrl;
    std::string m_strGuid;
};

// The column names of a table of the main database, with whether each is
// generated (computed by an expression of the file's own); empty when there
// is no such table. nullopt when the file cannot be read as a database.
std::optional<std::vector<std::pair<std::string, bool>>> ColumnsOf(sqlite3* pDb, std::string_view strTable)
{
    CStatement type(pDb, "SELECT type FROM main.sqlite_master WHERE name = ?1");
    if (!type.IsReady())
        return std::nullopt;
    sqlite3_bind_text(type.Handle(), 1, strTable.data(), int(strTable.size()), SQLITE_STATIC);
    const int nStep = type.Step();
    if (nStep == SQLITE_DONE || (nStep == SQLITE_ROW && type.Text(0) != "table"))
        return std::vector<std::pair<std::string, bool>>{};
    if (nStep != SQLITE_ROW)
        return std::nullopt;
    CStatement columns(pDb, "SELECT name, hidden FROM pragma_table_xinfo(?1, 'main')");
    if (!columns.IsReady())
        return std::nullopt;
    sqlite3_bind_text(columns.Handle(), 1, strTable.data(), int(strTable.size()), SQLITE_STATIC);
    std::vector<std::pair<std::string, bool>> names;
    for (int nRow = columns.Step(); nRow != SQLITE_DONE; nRow = columns.Step()) {
        if (nRow != SQLITE_ROW)
            return std::nullopt;
        // hidden: 2 and 3 are generated columns (virtual and stored).
        names.emplace_back(columns.Text(0), columns.Int(1) == 2 || columns.Int(1) == 3);
    }
    return names;
}

// What the store has of the schema the reader needs.
struct PlacesSchema {
    bool m_bGuid = false;  // moz_bookmarks.guid (Firefox 4 and later)
    bool m_bRoots = false; // the table moz_bookmarks_roots (before Firefox 31 or so)
};

// Checks the tables read and what they hold: nullopt with strError set when
// the store is not one (what is missing) or cannot be trusted (a generated
// column); nullopt with strError empty when it cannot be read at all.
std::optional<PlacesSchema> CheckSchema(sqlite3* pDb, std::string& strError)
{
    struct Need {
        std::string_view m_strTable;
        std::vector<std::string_view> m_columns;
    };
    const Need needs[] = {{"moz_bookmarks", {"id", "type", "fk", "parent", "position", "title"}},
                          {"moz_places", {"id", "url"}}};
    PlacesSchema schema;
    for (const Need& need : needs) {
        const auto columns = ColumnsOf(pDb, need.m_strTable);
        if (!columns)
            return std::nullopt;
        if (columns->empty()) {
            strError = "It is an SQLite database, but not Firefox's bookmarks: it has no table " +
                       std::string(need.m_strTable) + ".";
            return std::nullopt;
        }
        for (const auto& [strName, bGenerated] : *columns) {
            if (bGenerated) {
                strError = "The column " + strName + " of its table " + std::string(need.m_strTable) +
                           " is computed by the file itself, which Firefox never does; it is not read.";
                return std::nullopt;
            }
            if (need.m_strTable == "moz_bookmarks" && EqualsAsciiNoCase(strName, "guid"))
                schema.m_bGuid = true;
        }
        for (std::string_view strNeeded : need.m_columns) {
            bool bFound = false;
            for (const auto& column : *columns)
                bFound = bFound || EqualsAsciiNoCase(column.first, strNeeded);
            if (!bFound) {
                strError = "It is an SQLite database, but not Firefox's bookmarks: its table " +
                           std::string(need.m_strTable) + " has no column " + std::string(strNeeded) + ".";
                return std::nullopt;
            }
        }
    }
    const auto roots = ColumnsOf(pDb, "moz_bookmarks_roots");
    if (!roots)
        return std::nullopt;
    for (const auto& [strName, bGenerated] : *roots) {
        if (bGenerated) {
            strError = "The column " + strName +
                       " of its table moz_bookmarks_roots is computed by the file itself, which Firefox never does; "
                       "it is not read.";
            return std::nullopt;
        }
    }
    schema.m_bRoots = !roots->empty();
    return schema;
}

enum class RowsRead { Read, Failed, TooMany };

// Every row, grouped by folder and in the browser's order within each.
RowsRead ReadRows(sqlite3* pDb, const PlacesSchema& schema, std::vector<PlacesRow>& rows,
                  const std::function<bool()>& fnAbort)
{
    CStatement query(pDb, std::string("SELECT b.id, b.parent, b.type, b.title, p.url, ") +
                              (schema.m_bGuid ? "b.guid" : "NULL") +
                              " FROM main.moz_bookmarks b LEFT JOIN main.moz_places p ON p.id = b.fk "
                              "ORDER BY b.parent, b.position, b.id");
    if (!query.IsReady())
        return RowsRead::Failed;
    std::size_t nTextBytes = 0;
    for (;;) {
        const int nStep = query.Step();
        if (nStep == SQLITE_DONE)
            return RowsRead::Read;
        if (nStep == SQLITE_TOOBIG)
            return RowsRead::TooMany;
        if (nStep != SQLITE_ROW || ((rows.size() & 0xFFF) == 0 && fnAbort()))
            return RowsRead::Failed;
        if (rows.size() >= kMaxRows)
            return RowsRead::TooMany;
        PlacesRow& row = rows.emplace_back();
        row.m_nId = query.Int(0);
        row.m_nParent = query.Int(1);
        row.m_nType = int(query.Int(2));
        row.m_strTitle = TidyBookmarkTitle(query.Text(3));
        row.m_bHasUrl = !query.IsNull(4);
        row.m_strUrl = query.Text(4);
        row.m_strGuid = query.Text(5);
        nTextBytes += row.m_strTitle.size() + row.m_strUrl.size() + row.m_strGuid.size();
        if (nTextBytes > kMaxTextBytes)
            return RowsRead::TooMany;
    }
}

// The ids of the roots by moz_bookmarks_roots.
std::optional<std::vector<std::optional<std::int64_t>>> RootsByName(sqlite3* pDb)
{
    CStatement query(pDb, "SELECT root_name, folder_id FROM main.moz_bookmarks_roots");
    if (!query.IsReady())
        return std::nullopt;
    std::vector<std::optional<std::int64_t>> ids(kRootCount);
    for (int nStep = query.Step(); nStep != SQLITE_DONE; nStep = query.Step()) {
        if (nStep != SQLITE_ROW)
            return std::nullopt;
        const std::string strName = query.Text(0);
        for (std::size_t i = 0; i < kRootCount; ++i)
            if (strName == kPlacesRoots[i].m_strRootName && !query.IsNull(1))
                ids[i] = query.Int(1);
    }
    return ids;
}

// The ids of the roots by their fixed GUIDs.
std::vector<std::optional<std::int64_t>> RootsByGuid(const std::vector<PlacesRow>& rows)
{
    std::vector<std::optional<std::int64_t>> ids(kRootCount);
    for (const PlacesRow& row : rows)
        for (std::size_t i = 0; i < kRootCount; ++i)
            if (!ids[i] && row.m_strGuid == kPlacesRoots[i].m_strGuid)
                ids[i] = row.m_nId;
    return ids;
}

bool AnyRoot(const std::vector<std::optional<std::int64_t>>& ids)
{
    for (const auto& id : ids)
        if (id)
            return true;
    return false;
}

// Walks the rows from the roots down into the store, without recursion and
// visiting each row at most once, so that a damaged parent chain cannot
// loop.
void BuildStore(std::vector<PlacesRow>& rows, const std::vector<std::optional<std::int64_t>>& rootIds,
                BookmarkStore& store)
{
    // The rows of one folder lie together: [first, end) by parent id.
    std::unordered_map<std::int64_t, std::pair<std::size_t, std::size_t>> children;
    std::unordered_map<std::int64_t, std::size_t> byId;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto [it, bNew] = children.try_emplace(rows[i].m_nParent, i, i + 1);
        if (!bNew)
            it->second.second = i + 1;
        byId.emplace(rows[i].m_nId, i);
    }

    struct Level {
        std::size_t m_nNext;
        std::size_t m_nEnd;
        std::int32_t m_nFolder;
    };
    std::vector<bool> visited(rows.size(), false);
    for (std::size_t nRoot = 0; nRoot < kRootCount; ++nRoot) {
        const PlacesRoot& root = kPlacesRoots[nRoot];
        const auto found = rootIds[nRoot] ? byId.find(*rootIds[nRoot]) : byId.end();
        if (found == byId.end() || visited[found->second])
            continue;
        visited[found->second] = true;
        std::vector<Level> stack;
        const std::int32_t nRootEntry = store.Add(-1, true, std::string(root.m_strTitle));
        if (const auto range = children.find(rows[found->second].m_nId); range != children.end())
            stack.push_back({range->second.first, range->second.second, nRootEntry});
        while (!stack.empty()) {
            Level& level = stack.back();
            if (level.m_nNext == level.m_nEnd) {
                stack.pop_back();
                continue;
            }
            const std::size_t nRow = level.m_nNext++;
            const std::int32_t nFolder = level.m_nFolder;
            PlacesRow& row = rows[nRow];
            if (visited[nRow])
                continue;
            visited[nRow] = true;
            if (row.m_nType == kTypeFolder) {
                const std::int32_t nSub = store.Add(nFolder, true, std::move(row.m_strTitle));
                if (const auto range = children.find(row.m_nId); range != children.end())
                    stack.push_back({range->second.first, range->second.second, nSub}); // `level` is stale now
            } else if (row.m_nType == kTypeBookmark && row.m_bHasUrl && !row.m_strUrl.empty() &&
                       !IsBookmarkQuery(row.m_strUrl)) {
                store.Add(nFolder, false, std::move(row.m_strTitle), std::move(row.m_strUrl));
            }
        }
    }
    store.DropEmptyTopFolders();
}

} // namespace

BookmarkReadResult ReadFirefoxPlaces(const std::string& strPath, const std::function<bool()>& fnAbort)
{
    BookmarkReadResult result;
    if (strPath.find('\0') != std::string::npos)
        return result;
    CPrivateFolder folder;
    if (!folder.IsMade())
        return result;
    const std::string strTooLarge = "It is larger than " + std::to_string(kMaxStoreBytes >> 20) +
                                    " MB, more than any Firefox profile's bookmarks and history take.";
    const std::string strCopy = folder.Path() + "/places.sqlite";
    switch (CopyRegularFile(strPath, strCopy, fnAbort)) {
    case CopyResult::Copied:
        break;
    case CopyResult::TooLarge:
        return BookmarkReadFailure(strTooLarge);
    default:
        return result;
    }
    // The newest changes, not yet written into the database itself. The
    // copy's -shm index is rebuilt by SQLite from the -wal file.
    switch (CopyRegularFile(strPath + "-wal", strCopy + "-wal", fnAbort)) {
    case CopyResult::Copied:
    case CopyResult::Missing:
        break;
    case CopyResult::TooLarge:
        return BookmarkReadFailure("Its -wal file is larger than " + std::to_string(kMaxStoreBytes >> 20) + " MB.");
    case CopyResult::Failed:
        return result;
    }

    CDatabase db(strCopy);
    if (db.Get() == nullptr)
        return result;
    std::string strError;
    const std::optional<PlacesSchema> schema = CheckSchema(db.Get(), strError);
    if (!schema)
        return BookmarkReadFailure(std::move(strError));
    std::vector<PlacesRow> rows;
    switch (ReadRows(db.Get(), *schema, rows, fnAbort)) {
    case RowsRead::Read:
        break;
    case RowsRead::TooMany:
        return BookmarkReadFailure("It holds more bookmarks, or longer ones, than Zorbel reads: at most " +
                                   std::to_string(kMaxRows) + " entries, " + std::to_string(kMaxTextBytes >> 20) +
                                   " MB of titles and addresses, " + std::to_string(kMaxValueBytes >> 20) +
                                   " MB in one.");
    case RowsRead::Failed:
        return result;
    }
    std::vector<std::optional<std::int64_t>> rootIds = RootsByGuid(rows);
    if (!AnyRoot(rootIds) && schema->m_bRoots) {
        const auto byName = RootsByName(db.Get());
        if (!byName)
            return result;
        rootIds = *byName;
    }
    if (!AnyRoot(rootIds))
        return BookmarkReadFailure(schema->m_bRoots ? "It is an SQLite database with Firefox's tables, but "
                                                      "moz_bookmarks_roots names none of the bookmark roots."
                                                    : "It is an SQLite database with Firefox's tables, but no "
                                                      "bookmark root: neither the roots' GUIDs nor a table "
                                                      "moz_bookmarks_roots.");
    BuildStore(rows, rootIds, result.m_store);
    result.m_nResult = BookmarkRead::Read;
    return result;
}
