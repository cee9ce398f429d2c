#include "core/model/FavoriteList.h"

#include <algorithm>

CFavoriteList::CFavoriteList(std::vector<Item> items) : m_items(std::move(items)) {}

void CFavoriteList::Append(Item pItem)
{
    std::lock_guard lock(m_mx);
    m_items.push_back(std::move(pItem));
}

bool CFavoriteList::Remove(const FavoriteItem* pItem)
{
    Item pRemoved;
    {
        std::lock_guard lock(m_mx);
        const auto it = std::find_if(m_items.begin(), m_items.end(),
                                     [pItem](const Item& p) { return p.get() == pItem; });
        if (it == m_items.end())
            return false;
        const std::size_t nIndex = static_cast<std::size_t>(it - m_items.begin());
        pRemoved = std::move(*it);
        m_items.erase(it);
        for (CCursor* pCursor : m_cursors)
            if (pCursor->m_nNext > nIndex)
                --pCursor->m_nNext;
    }
    if (pRemoved)
        pRemoved->m_bRemoved = true;
    return true;
}

void CFavoriteList::Clear()
{
    std::vector<Item> removed;
    {
        std::lock_guard lock(m_mx);
        removed.swap(m_items);
        for (CCursor* pCursor : m_cursors)
            pCursor->m_nNext = 0;
    }
    for (const Item& pItem : removed)
        if (pItem)
            pItem->m_bRemoved = true;
}

std::size_t CFavoriteList::Size() const
{
    std::lock_guard lock(m_mx);
    return m_items.size();
}

CFavoriteList::Item CFavoriteList::At(std::size_t nIndex) const
{
    std::lock_guard lock(m_mx);
    return nIndex < m_items.size() ? m_items[nIndex] : nullptr;
}

CFavoriteList::Item CFavoriteList::Find(const FavoriteItem* pItem) const
{
    std::lock_guard lock(m_mx);
    for (const Item& p : m_items)
        if (p.get() == pItem)
            return p;
    return nullptr;
}

std::vector<CFavoriteList::Item> CFavoriteList::Snapshot() const
{
    std::lock_guard lock(m_mx);
    return m_items;
}

CFavoriteList::CCursor::CCursor(std::shared_ptr<CFavoriteList> pList) : m_pList(std::move(pList))
{
    std::lock_guard lock(m_pList->m_mx);
    m_pList->m_cursors.push_back(this);
}

CFavoriteList::CCursor::~CCursor()
{
    std::lock_guard lock(m_pList->m_mx);
    auto& cursors = m_pList->m_cursors;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
}

CFavoriteList::Item CFavoriteList::CCursor::Next()
{
    std::lock_guard lock(m_pList->m_mx);
    if (m_nNext >= m_pList->m_items.size())
        return nullptr;
    return m_pList->m_items[m_nNext++];
}
