#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "core/model/FavoriteItem.h"

// The records of the favourites in tree order, and their one owner. The
// thread that shows the list appends and removes; a check pass walks it
// from its dispatcher thread with a cursor at the same time. A removal
// never disturbs a walk: a cursor past the removed place steps back with
// the records behind it, so nothing is skipped or met twice. A removed
// record is marked m_bRemoved and lives on while anyone (a worker) still
// holds it.
class CFavoriteList {
public:
    using Item = std::shared_ptr<FavoriteItem>;
    class CCursor;

    CFavoriteList() = default;
    explicit CFavoriteList(std::vector<Item> items);
    CFavoriteList(const CFavoriteList&) = delete;
    CFavoriteList& operator=(const CFavoriteList&) = delete;

    void Append(Item pItem);
    // Takes the record's first occurrence out; false when it is not listed.
    bool Remove(const FavoriteItem* pItem);
    // Takes every record out.
    void Clear();

    std::size_t Size() const;
    bool Empty() const { return Size() == 0; }
    Item At(std::size_t nIndex) const;
    // The owning pointer of a listed record; null when it is not listed.
    Item Find(const FavoriteItem* pItem) const;
    // The list as it is now.
    std::vector<Item> Snapshot() const;

private:
    friend class CCursor;
    mutable std::mutex m_mx; // guards the two below
    std::vector<Item> m_items;
    std::vector<CCursor*> m_cursors;
};

// A walk over the list from its first record to its last, as the list is
// at each step.
class CFavoriteList::CCursor {
public:
    explicit CCursor(std::shared_ptr<CFavoriteList> pList);
    ~CCursor();
    CCursor(const CCursor&) = delete;
    CCursor& operator=(const CCursor&) = delete;

    // The next record; null at the end.
    Item Next();

private:
    friend class CFavoriteList;
    std::shared_ptr<CFavoriteList> m_pList;
    std::size_t m_nNext = 0; // guarded by the list's lock
};
