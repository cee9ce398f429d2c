#include "core/results/ResultsCache.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <unordered_map>

#include "core/platform/SystemError.h"

namespace {

using namespace std::chrono_literals;

// "ZRBL": marks the file as this cache; the version is that of the schema.
constexpr int kApplicationId = 0x5A52424C;
constexpr int kSchemaVersion = 1;

// How long a connection waits for a lock that another program holds.
constexpr int kBusyTimeoutMs = 5000;
// How often the writer tries a batch again whose lock stayed taken; after
// that the batch is given up (the outcomes are in the view anyway).
constexpr int kWriteAttempts = 12;
// The most outcomes written in one transaction.
constexpr std::size_t kMaxBatch = 2000;

// The texts of outcomes repeat ("Link is valid."), so each is kept once and
// the outcome holds its number. The outcome table is keyed by its URL
// without a row id, so a URL is stored once, and an outcome without a
// redirect stores no final address at all.
constexpr const char* kCreateSchema =
    "CREATE TABLE IF NOT EXISTS text(id INTEGER PRIMARY KEY, value TEXT NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS outcome(url TEXT PRIMARY KEY, status INTEGER NOT NULL,"
    " text INTEGER NOT NULL, final_url TEXT, permanent INTEGER NOT NULL,"
    " checked_at INTEGER NOT NULL) WITHOUT ROWID;"
    "PRAGMA application_id = 1515340364;"
    "PRAGMA user_version = 1;";
static_assert(kApplicationId == 1515340364);
static_assert(kSchemaVersion == 1);

std::string ErrnoText(int nError)
{
    char szText[256] = "";
    FormatSystemError(static_cast<std::uint32_t>(nError), szText, sizeof szText);
    return szText;
}

bool IsDamage(int nCode)
{
    const int nPrimary = nCode & 0xff;
    return nPrimary == SQLITE_NOTADB || nPrimary == SQLITE_CORRUPT;
}

// A prepared statement that finalises itself.
class CStatement {
public:
    CStatement(sqlite3* pDb, const char* pszSql)
    {
        m_nPrepare = sqlite3_prepare_v2(pDb, pszSql, -1, &m_pStmt, nullptr);
    }
    ~CStatement() { sqlite3_finalize(m_pStmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    sqlite3_stmt* get() const { return m_pStmt; }
    int PrepareResult() const { return m_nPrepare; }
    bool Ok() const { return m_nPrepare == SQLITE_OK && m_pStmt != nullptr; }

private:
    sqlite3_stmt* m_pStmt = nullptr;
    int m_nPrepare = SQLITE_OK;
};

// One integer of a query; its code in nCode.
std::int64_t QueryInt(sqlite3* pDb, const char* pszSql, int& nCode)
{
    CStatement stmt(pDb, pszSql);
    if (!stmt.Ok()) {
        nCode = stmt.PrepareResult();
        return 0;
    }
    nCode = sqlite3_step(stmt.get());
    if (nCode == SQLITE_ROW) {
        nCode = SQLITE_OK;
        return sqlite3_column_int64(stmt.get(), 0);
    }
    return 0;
}

sqlite3* OpenConnection(const std::string& strPath, int& nCode)
{
    sqlite3* pDb = nullptr;
    nCode = sqlite3_open_v2(strPath.c_str(), &pDb,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (nCode != SQLITE_OK) {
        sqlite3_close(pDb);
        return nullptr;
    }
    sqlite3_busy_timeout(pDb, kBusyTimeoutMs);
    sqlite3_extended_result_codes(pDb, 1);
    return pDb;
}

enum class FileState { Ours, Damaged, Foreign, Unusable };

// Looks at the file under a write lock, so that two programs starting at
// once never both decide to make the schema, and makes it in a file that
// is still empty.
FileState Inspect(sqlite3* pDb, std::string& strWhy)
{
    const auto fail = [&](int nCode) {
        sqlite3_exec(pDb, "ROLLBACK", nullptr, nullptr, nullptr);
        if (IsDamage(nCode))
            return FileState::Damaged;
        strWhy = sqlite3_errstr(nCode);
        return FileState::Unusable;
    };
    int nCode = sqlite3_exec(pDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (nCode != SQLITE_OK)
        return fail(nCode);
    const std::int64_t nId = QueryInt(pDb, "PRAGMA application_id", nCode);
    if (nCode != SQLITE_OK)
        return fail(nCode);
    const std::int64_t nVersion = QueryInt(pDb, "PRAGMA user_version", nCode);
    if (nCode != SQLITE_OK)
        return fail(nCode);
    const std::int64_t nObjects = QueryInt(pDb, "SELECT count(*) FROM sqlite_master", nCode);
    if (nCode != SQLITE_OK)
        return fail(nCode);

    if (nId == 0 && nVersion == 0 && nObjects == 0) {
        nCode = sqlite3_exec(pDb, kCreateSchema, nullptr, nullptr, nullptr);
        if (nCode != SQLITE_OK)
            return fail(nCode);
    } else if (nId != kApplicationId || nVersion != kSchemaVersion) {
        sqlite3_exec(pDb, "ROLLBACK", nullptr, nullptr, nullptr);
        return FileState::Foreign;
    } else {
        // A page damaged on the disk shows here rather than in the middle
        // of a check.
        CStatement check(pDb, "PRAGMA quick_check(1)");
        if (!check.Ok())
            return fail(check.PrepareResult());
        nCode = sqlite3_step(check.get());
        if (nCode != SQLITE_ROW)
            return fail(nCode);
        const unsigned char* pszResult = sqlite3_column_text(check.get(), 0);
        if (pszResult == nullptr || std::string_view(reinterpret_cast<const char*>(pszResult)) != "ok") {
            sqlite3_exec(pDb, "ROLLBACK", nullptr, nullptr, nullptr);
            return FileState::Damaged;
        }
    }
    nCode = sqlite3_exec(pDb, "COMMIT", nullptr, nullptr, nullptr);
    if (nCode != SQLITE_OK)
        return fail(nCode);
    return FileState::Ours;
}

// Makes the folders of the path that do not exist yet, each 0700.
int MakeFolders(const std::string& strFolder)
{
    for (std::size_t n = 1; n <= strFolder.size(); ++n) {
        if (n != strFolder.size() && strFolder[n] != '/')
            continue;
        const std::string strPart = strFolder.substr(0, n);
        if (::mkdir(strPart.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st {};
    if (::stat(strFolder.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// Renames the file (and its write-ahead log with it) to a free name with
// the suffix; the name it got, or empty when it could not be moved.
std::string MoveAside(const std::string& strPath, std::string_view strWhat)
{
    const std::string strBase = strPath + "." + std::string(strWhat) + "-" + std::to_string(std::time(nullptr));
    for (int n = 0; n < 100; ++n) {
        const std::string strAside = n == 0 ? strBase : strBase + "-" + std::to_string(n);
        // link + unlink never replaces a file of that name.
        if (::link(strPath.c_str(), strAside.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        ::unlink(strPath.c_str());
        const std::string strWal = strPath + "-wal";
        if (::access(strWal.c_str(), F_OK) == 0)
            ::rename(strWal.c_str(), (strAside + "-wal").c_str());
        ::unlink((strPath + "-shm").c_str());
        return strAside;
    }
    return {};
}

} // namespace

std::string DefaultResultsCachePath()
{
    std::string strFolder;
    const char* pszCache = std::getenv("XDG_CACHE_HOME");
    if (pszCache != nullptr && pszCache[0] == '/') {
        strFolder = pszCache;
    } else {
        const char* pszHome = std::getenv("HOME");
        if (pszHome == nullptr || pszHome[0] != '/')
            return {};
        strFolder = std::string(pszHome) + "/.cache";
    }
    while (strFolder.size() > 1 && strFolder.back() == '/')
        strFolder.pop_back();
    return strFolder + "/zorbel/" + std::string(kResultsCacheFileName);
}

ResultsCacheOpen CResultsCache::Open(const std::string& strPath)
{
    ResultsCacheOpen result;
    const auto unusable = [&](const std::string& strWhy) {
        result.m_strNotice = "The results cache \"" + strPath + "\" cannot be used: " + strWhy;
        return std::move(result);
    };
    const std::size_t nSlash = strPath.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0) {
        if (const int nError = MakeFolders(strPath.substr(0, nSlash)); nError != 0)
            return unusable(ErrnoText(nError));
    }

    sqlite3* pWriter = nullptr;
    for (int nTry = 0; nTry < 2 && pWriter == nullptr; ++nTry) {
        int nCode = SQLITE_OK;
        sqlite3* pDb = OpenConnection(strPath, nCode);
        if (pDb == nullptr)
            return unusable(sqlite3_errstr(nCode));
        std::string strWhy;
        const FileState state = Inspect(pDb, strWhy);
        if (state == FileState::Ours) {
            pWriter = pDb;
            break;
        }
        sqlite3_close(pDb);
        if (state == FileState::Unusable)
            return unusable(strWhy);
        const std::string strAside = MoveAside(strPath, state == FileState::Damaged ? "damaged" : "foreign");
        if (strAside.empty())
            return unusable(state == FileState::Damaged ? "it is damaged and cannot be moved aside"
                                                        : "it is another program's file and cannot be moved aside");
        result.m_strNotice = "The results cache \"" + strPath + "\" was " +
                             (state == FileState::Damaged ? "damaged" : "not a results cache of this program") +
                             "; it was moved to \"" + strAside + "\" and a new one was started.";
    }
    if (pWriter == nullptr)
        return unusable("it cannot be made anew");

    // Readers and the writer of other programs go on at the same time.
    sqlite3_exec(pWriter, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(pWriter, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    int nCode = SQLITE_OK;
    sqlite3* pReader = OpenConnection(strPath, nCode);
    if (pReader == nullptr) {
        sqlite3_close(pWriter);
        return unusable(sqlite3_errstr(nCode));
    }
    result.m_pCache.reset(new CResultsCache(strPath, pReader, pWriter));
    return result;
}

CResultsCache::CResultsCache(std::string strPath, sqlite3* pReader, sqlite3* pWriter)
    : m_strPath(std::move(strPath)), m_pReader(pReader), m_pWriter(pWriter)
{
    m_writer = std::thread([this] { WriterLoop(); });
}

CResultsCache::~CResultsCache()
{
    {
        std::lock_guard lock(m_mx);
        m_bStop = true;
    }
    m_cvWork.notify_all();
    if (m_writer.joinable())
        m_writer.join();
    sqlite3_close(m_pReader);
    sqlite3_close(m_pWriter);
}

void CResultsCache::Put(KeptOutcome outcome)
{
    {
        std::lock_guard lock(m_mx);
        m_queue.push_back(std::move(outcome));
        ++m_nQueued;
    }
    m_cvWork.notify_one();
}

void CResultsCache::Flush()
{
    std::unique_lock lock(m_mx);
    const std::uint64_t nTarget = m_nQueued;
    m_cvDone.wait(lock, [&] { return m_nDone >= nTarget; });
}

void CResultsCache::WriterLoop()
{
    std::unique_lock lock(m_mx);
    for (;;) {
        m_cvWork.wait(lock, [&] { return m_bStop || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping with nothing left
        std::vector<KeptOutcome> batch;
        while (!m_queue.empty() && batch.size() < kMaxBatch) {
            batch.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
        }
        lock.unlock();
        for (int nAttempt = 0; nAttempt < kWriteAttempts; ++nAttempt) {
            if (WriteBatch(batch))
                break;
            // The lock is another program's for longer than the busy wait;
            // give it a moment rather than failing the outcomes at once.
            std::this_thread::sleep_for(100ms);
        }
        lock.lock();
        m_nDone += batch.size();
        m_cvDone.notify_all();
    }
}

bool CResultsCache::WriteBatch(const std::vector<KeptOutcome>& batch)
{
    sqlite3* const pDb = m_pWriter;
    int nCode = sqlite3_exec(pDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (nCode != SQLITE_OK)
        return IsDamage(nCode); // a damaged file is not tried again
    CStatement addText(pDb, "INSERT OR IGNORE INTO text(value) VALUES(?1)");
    CStatement findText(pDb, "SELECT id FROM text WHERE value = ?1");
    CStatement putOutcome(pDb, "INSERT OR REPLACE INTO outcome(url, status, text, final_url, permanent, checked_at)"
                               " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    bool bOk = addText.Ok() && findText.Ok() && putOutcome.Ok();
    std::unordered_map<std::string_view, std::int64_t> textIds;
    for (const KeptOutcome& outcome : batch) {
        if (!bOk)
            break;
        std::int64_t nTextId = 0;
        if (auto it = textIds.find(outcome.m_strStatusText); it != textIds.end()) {
            nTextId = it->second;
        } else {
            sqlite3_bind_text(addText.get(), 1, outcome.m_strStatusText.data(), int(outcome.m_strStatusText.size()),
                              SQLITE_STATIC);
            nCode = sqlite3_step(addText.get());
            sqlite3_reset(addText.get());
            sqlite3_bind_text(findText.get(), 1, outcome.m_strStatusText.data(), int(outcome.m_strStatusText.size()),
                              SQLITE_STATIC);
            const int nFound = sqlite3_step(findText.get());
            if (nCode != SQLITE_DONE || nFound != SQLITE_ROW) {
                bOk = false;
                break;
            }
            nTextId = sqlite3_column_int64(findText.get(), 0);
            sqlite3_reset(findText.get());
            textIds.emplace(outcome.m_strStatusText, nTextId);
        }
        sqlite3_stmt* const pPut = putOutcome.get();
        sqlite3_bind_text(pPut, 1, outcome.m_strUrl.data(), int(outcome.m_strUrl.size()), SQLITE_STATIC);
        sqlite3_bind_int(pPut, 2, outcome.m_nStatus);
        sqlite3_bind_int64(pPut, 3, nTextId);
        if (outcome.m_strFinalUrl.empty())
            sqlite3_bind_null(pPut, 4);
        else
            sqlite3_bind_text(pPut, 4, outcome.m_strFinalUrl.data(), int(outcome.m_strFinalUrl.size()), SQLITE_STATIC);
        sqlite3_bind_int(pPut, 5, outcome.m_bPermanent ? 1 : 0);
        sqlite3_bind_int64(pPut, 6, outcome.m_nCheckedAt);
        nCode = sqlite3_step(pPut);
        sqlite3_reset(pPut);
        if (nCode != SQLITE_DONE)
            bOk = false;
    }
    if (bOk && sqlite3_exec(pDb, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    sqlite3_exec(pDb, "ROLLBACK", nullptr, nullptr, nullptr);
    return IsDamage(nCode);
}

std::vector<std::optional<KeptOutcome>> CResultsCache::Find(std::span<const std::string> urls)
{
    std::vector<std::optional<KeptOutcome>> found(urls.size());
    sqlite3* const pDb = m_pReader;
    if (sqlite3_exec(pDb, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return found;
    {
        CStatement find(pDb, "SELECT o.status, t.value, o.final_url, o.permanent, o.checked_at"
                             " FROM outcome o LEFT JOIN text t ON t.id = o.text WHERE o.url = ?1");
        for (std::size_t i = 0; find.Ok() && i < urls.size(); ++i) {
            sqlite3_stmt* const pFind = find.get();
            sqlite3_bind_text(pFind, 1, urls[i].data(), int(urls[i].size()), SQLITE_STATIC);
            if (sqlite3_step(pFind) == SQLITE_ROW) {
                KeptOutcome outcome;
                outcome.m_strUrl = urls[i];
                outcome.m_nStatus = sqlite3_column_int(pFind, 0);
                if (const unsigned char* p = sqlite3_column_text(pFind, 1))
                    outcome.m_strStatusText.assign(reinterpret_cast<const char*>(p),
                                                   std::size_t(sqlite3_column_bytes(pFind, 1)));
                if (const unsigned char* p = sqlite3_column_text(pFind, 2))
                    outcome.m_strFinalUrl.assign(reinterpret_cast<const char*>(p),
                                                 std::size_t(sqlite3_column_bytes(pFind, 2)));
                outcome.m_bPermanent = sqlite3_column_int(pFind, 3) != 0;
                outcome.m_nCheckedAt = sqlite3_column_int64(pFind, 4);
                found[i] = std::move(outcome);
            }
            sqlite3_reset(pFind);
        }
    }
    sqlite3_exec(pDb, "COMMIT", nullptr, nullptr, nullptr);
    return found;
}

std::size_t CResultsCache::Count()
{
    int nCode = SQLITE_OK;
    const std::int64_t nCount = QueryInt(m_pReader, "SELECT count(*) FROM outcome", nCode);
    return nCode == SQLITE_OK ? std::size_t(nCount) : 0;
}
