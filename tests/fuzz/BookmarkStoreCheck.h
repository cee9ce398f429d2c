#pragma once

// What every bookmark reader's result keeps, whatever the input: a folder
// comes before what it holds and the parent of an entry is a folder, a
// bookmark has an address and a folder none, names are tidy, and a store
// that is read nests no deeper than the store's own depth says.

#include <cstdlib>

#include "core/sources/bookmarks/BookmarkStore.h"

inline void CheckBookmarkStore(const BookmarkReadResult& result)
{
    if (result.m_nResult != BookmarkRead::Read) {
        if (!result.m_store.m_entries.empty())
            std::abort();
        return;
    }
    const auto& entries = result.m_store.m_entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const BookmarkEntry& entry = entries[i];
        if (entry.m_nParent >= 0 && (std::size_t(entry.m_nParent) >= i || !entries[size_t(entry.m_nParent)].m_bFolder))
            std::abort();
        if (entry.m_bFolder != entry.m_strUrl.empty())
            std::abort();
        if (TidyBookmarkTitle(entry.m_strTitle) != entry.m_strTitle)
            std::abort();
        if (!entry.m_bFolder && IsBookmarkQuery(entry.m_strUrl))
            std::abort();
    }
    if (result.m_store.MaxDepth() < 0)
        std::abort();
}
