#include "core/sources/bookmarks/FirefoxPlaces.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "core/platform/UniqueFd.h"

namespace {

// The roots whose bookmarks are shown, in the order shown, by the fixed
// GUIDs Firefox gives them, with the names its library shows.
struct PlacesRoot {
    std::string_view m_strGuid;
    std::string_view m_strTitle;
};
constexpr PlacesRoot kPlacesRoots[] = {
    {"toolbar_____", "Bookmarks Toolbar"},
    {"menu________", "Bookmarks Menu"},
    {"unfiled_____", "Other Bookmarks"},
    {"mobile______", "Mobile Bookmarks"},
};

// moz_bookmarks.type
constexpr int kTypeBookmark = 1;
constexpr int kTypeFolder = 2;

constexpr std::size_t kCopyChunk = 1 << 20;

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

enum class CopyResult { Copied, Missing, Failed };

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
    CUniqueFd to(open(strTo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (to.Get() < 0)
        return CopyResult::Failed;
    posix_fadvise(from.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        if (fnAbort())
            return CopyResult::Failed;
        const ssize_t n = read(from.Get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return CopyResult::Failed;
        if (n == 0)
            return CopyResult::Copied;
        if (!WriteAll(to.Get(), buffer.data(), std::size_t(n)))
            return CopyResult::Failed;
    }
}

class CDatabase {
public:
    explicit CDatabase(const std::string& strPath)
    {
        if (sqlite3_open_v2(strPath.c_str(), &m_pDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(m_pDb);
            m_pDb = nullptr;
        }
    }
    ~CDatabase() { sqlite3_close(m_pDb); }
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;
    sqlite3* Get() const { return m_pDb; }

private:
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

// The two tables of bookmarks are there; false also when the file cannot
// be read as a database at all (nullopt).
std::optional<bool> HasPlacesTables(sqlite3* pDb)
{
    CStatement query(pDb, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                          "name IN ('moz_bookmarks', 'moz_places')");
    if (!query.IsReady() || query.Step() != SQLITE_ROW)
        return std::nullopt;
    return query.Int(0) == 2;
}

// Every row, grouped by folder and in the browser's order within each.
std::optional<std::vector<PlacesRow>> ReadRows(sqlite3* pDb, const std::function<bool()>& fnAbort)
{
    CStatement query(pDb, "SELECT b.id, b.parent, b.type, b.title, p.url, b.guid "
                          "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
                          "ORDER BY b.parent, b.position, b.id");
    if (!query.IsReady())
        return std::nullopt;
    std::vector<PlacesRow> rows;
    for (;;) {
        const int nStep = query.Step();
        if (nStep == SQLITE_DONE)
            return rows;
        if (nStep != SQLITE_ROW || ((rows.size() & 0xFFF) == 0 && fnAbort()))
            return std::nullopt;
        PlacesRow& row = rows.emplace_back();
        row.m_nId = query.Int(0);
        row.m_nParent = query.Int(1);
        row.m_nType = int(query.Int(2));
        row.m_strTitle = TidyBookmarkTitle(query.Text(3));
        row.m_bHasUrl = !query.IsNull(4);
        row.m_strUrl = query.Text(4);
        row.m_strGuid = query.Text(5);
    }
}

// Walks the rows from the roots down into the store, without recursion and
// visiting each row at most once, so that a damaged parent chain cannot
// loop.
bool BuildStore(std::vector<PlacesRow>& rows, BookmarkStore& store)
{
    // The rows of one folder lie together: [first, end) by parent id.
    std::unordered_map<std::int64_t, std::pair<std::size_t, std::size_t>> children;
    std::unordered_map<std::string_view, std::size_t> byGuid;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto [it, bNew] = children.try_emplace(rows[i].m_nParent, i, i + 1);
        if (!bNew)
            it->second.second = i + 1;
        byGuid.emplace(rows[i].m_strGuid, i);
    }

    struct Level {
        std::size_t m_nNext;
        std::size_t m_nEnd;
        std::int32_t m_nFolder;
    };
    std::vector<bool> visited(rows.size(), false);
    bool bAnyRoot = false;
    for (const PlacesRoot& root : kPlacesRoots) {
        const auto found = byGuid.find(root.m_strGuid);
        if (found == byGuid.end())
            continue;
        bAnyRoot = true;
        visited[found->second] = true;
        std::vector<Level> stack;
        const std::int32_t nRoot = store.Add(-1, true, std::string(root.m_strTitle));
        if (const auto range = children.find(rows[found->second].m_nId); range != children.end())
            stack.push_back({range->second.first, range->second.second, nRoot});
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
    return bAnyRoot;
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
    const std::string strCopy = folder.Path() + "/places.sqlite";
    if (CopyRegularFile(strPath, strCopy, fnAbort) != CopyResult::Copied)
        return result;
    // The newest changes, not yet written into the database itself. The
    // copy's -shm index is rebuilt by SQLite from the -wal file.
    if (CopyRegularFile(strPath + "-wal", strCopy + "-wal", fnAbort) == CopyResult::Failed)
        return result;

    CDatabase db(strCopy);
    if (db.Get() == nullptr)
        return result;
    const std::optional<bool> bPlaces = HasPlacesTables(db.Get());
    if (!bPlaces)
        return result;
    if (!*bPlaces)
        return result;
    auto rows = ReadRows(db.Get(), fnAbort);
    if (!rows || !BuildStore(*rows, result.m_store))
        return result;
    result.m_nResult = BookmarkRead::Read;
    return result;
}
