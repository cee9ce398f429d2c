#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/results/KeptOutcome.h"

struct sqlite3;

// The file name of the cache inside its folder.
inline constexpr std::string_view kResultsCacheFileName = "results.sqlite";

// The cache file of this user: $XDG_CACHE_HOME/zorbel/results.sqlite, or
// ~/.cache/zorbel/results.sqlite when XDG_CACHE_HOME is unset, empty or not
// an absolute path. Empty when there is no home either.
std::string DefaultResultsCachePath();

// How opening the cache went.
struct ResultsCacheOpen {
    std::unique_ptr<class CResultsCache> m_pCache; // null when the cache cannot be used now
    // One line for the user when something happened to the file (it was
    // moved aside, or cannot be used); empty when all went as usual.
    std::string m_strNotice;
};

// The outcomes kept between runs, one row per URL, in an SQLite database
// that both programs share. Only outcomes go in; nothing of the favourites
// themselves is read or written through it.
//
// Sharing: the file is in write-ahead-log mode and every connection waits
// for a lock held by another program instead of failing, so two programs
// writing at once both get their rows in and never damage the file. A
// write that still cannot get the lock is tried again later; a check is
// never held up or failed by the cache.
//
// Writing: Put queues the outcome and returns at once; a writer thread of
// the cache writes what is queued in one transaction per batch. Finding
// runs on the caller's thread through a connection of its own.
class CResultsCache {
public:
    // Opens the cache file, making its folder (mode 0700) and the file
    // when they do not exist. A file that is not an SQLite database, a
    // database that is damaged, or one that is not this cache (another
    // schema or version) is renamed with the suffix ".damaged-<time>" or
    // ".foreign-<time>" and a new cache is started; the notice says so.
    static ResultsCacheOpen Open(const std::string& strPath);

    // Writes what is still queued, then ends the writer.
    ~CResultsCache();
    CResultsCache(const CResultsCache&) = delete;
    CResultsCache& operator=(const CResultsCache&) = delete;

    // Queues an outcome for writing; any thread, never waits for the file.
    // A later outcome of the same URL replaces the earlier one.
    void Put(KeptOutcome outcome);

    // Waits until everything queued before the call is written, or given
    // up on (the lock stayed taken by another program for a long time).
    void Flush();

    // The kept outcome of each URL, in the order given (nullopt where none
    // is kept), read in one transaction. One thread at a time.
    std::vector<std::optional<KeptOutcome>> Find(std::span<const std::string> urls);

    // How many URLs have an outcome kept.
    std::size_t Count();

    const std::string& Path() const { return m_strPath; }

private:
    CResultsCache(std::string strPath, sqlite3* pReader, sqlite3* pWriter);
    void WriterLoop();
    bool WriteBatch(const std::vector<KeptOutcome>& batch);

    std::string m_strPath;
    sqlite3* m_pReader = nullptr; // used by Find and Count
    sqlite3* m_pWriter = nullptr; // used by the writer thread only

    std::mutex m_mx; // guards the members below
    std::condition_variable m_cvWork;
    std::condition_variable m_cvDone;
    std::deque<KeptOutcome> m_queue;
    std::uint64_t m_nQueued = 0; // outcomes ever queued
    std::uint64_t m_nDone = 0;   // outcomes written or given up on
    bool m_bStop = false;

    std::thread m_writer;
};
