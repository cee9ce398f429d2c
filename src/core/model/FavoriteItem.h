#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/model/TreeNode.h"

// Where the redirects followed by a check ended: kept beside its outcome.
struct FavoriteRedirect {
    std::string m_strFinalUrl;  // empty when the check followed no redirect
    bool m_bPermanent = false;  // every redirect followed was a 301 or a 308

    bool operator==(const FavoriteRedirect&) const = default;
};

// The favourite's own file as the scan found it: where the Favorites folder
// ends in the record's path, and the file's device and inode. A command on
// the file (rewrite, rename, delete) goes down from the Favorites folder
// without following a link and acts only on this same file. All zero for a
// record that no scan made.
struct FavoriteFileIdentity {
    std::uint32_t m_nRootLength = 0; // bytes of m_strPath that name the Favorites folder
    std::uint64_t m_nDevice = 0;
    std::uint64_t m_nInode = 0;
    std::uint32_t m_nType = 0; // the file type bits of its mode (a freed inode number may come back as a link)

    bool IsKnown() const { return m_nDevice != 0 || m_nInode != 0; }
};

// The record of one favourite (folders have none). What the scan or the
// extraction found is filled in by its creator before anyone else sees the
// record and never changes afterwards, except the name and path after a
// rename and the URL after an update in place, both on the GUI thread while
// no check runs. The outcome of a check (with where its redirects ended) is
// written by the worker that holds the record while the GUI may read it, so
// it is guarded.
class FavoriteItem {
public:
    TreeNode m_hItem = kNoTreeNode; // the node that shows this favourite
    std::string m_strUrl;           // the link to check
    std::string m_strPath;          // the favourite's own file, or the source page
    std::string m_strName;          // display name; "<N/A>" for a link of a page
    std::string m_strFolder;        // folder names below the root joined with "/"
    std::int32_t m_nDepth = 0;      // folder nesting depth, 0 at the top level
    std::int32_t m_nKind = -1;      // a FavoriteKind, -1 until set
    FavoriteFileIdentity m_fileId;  // the file the scan read

    // Set on the GUI thread when the record is taken out of the list, so a
    // check pass that still has it queued passes it by.
    std::atomic<bool> m_bRemoved{false};

    std::int32_t Status() const { return m_nStatus.load(std::memory_order_acquire); }
    std::string StatusText() const
    {
        std::lock_guard lock(m_mxOutcome);
        return m_strStatusText;
    }
    void SetStatus(std::int32_t nStatus) { m_nStatus.store(nStatus, std::memory_order_release); }
    FavoriteRedirect Redirect() const
    {
        std::lock_guard lock(m_mxOutcome);
        return m_redirect;
    }
    // When the last outcome was found, in seconds since 1970 (UTC); 0
    // before the first.
    std::int64_t CheckedAt() const
    {
        std::lock_guard lock(m_mxOutcome);
        return m_nCheckedAt;
    }
    // A new outcome replaces the redirect of the last one too: an outcome
    // without a redirect leaves none behind. It is stamped with the time it
    // was found: now, or the time of a kept outcome taken up again.
    void SetOutcome(std::int32_t nStatus, std::string strText, FavoriteRedirect redirect = {},
                    std::int64_t nCheckedAt = SecondsNow())
    {
        {
            std::lock_guard lock(m_mxOutcome);
            m_strStatusText = std::move(strText);
            m_redirect = std::move(redirect);
            m_nCheckedAt = nCheckedAt;
        }
        SetStatus(nStatus);
    }
    static std::int64_t SecondsNow()
    {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    // The favourite now points where its redirects ended: the URL becomes
    // that address and the redirect is forgotten. GUI thread, no check
    // running.
    void SetUpdatedUrl(std::string strUrl)
    {
        std::lock_guard lock(m_mxOutcome);
        m_strUrl = std::move(strUrl);
        m_redirect = {};
    }

private:
    mutable std::mutex m_mxOutcome;
    std::string m_strStatusText;            // text of the last outcome
    FavoriteRedirect m_redirect;            // where the last check's redirects ended
    std::int64_t m_nCheckedAt = 0;          // when the last outcome was found
    std::atomic<std::int32_t> m_nStatus{0}; // a LinkStatus value
};
