#include "cli/ListTreeSink.h"

void CListTreeSink::DeleteAllNodes()
{
    std::lock_guard lock(m_mx);
    // Handles keep counting up, so a handle of the old tree never names a
    // node of the new one; the old images are simply no longer asked for.
    for (int& nImage : m_images)
        nImage = -1;
    m_pItems->Clear();
}

TreeNode CListTreeSink::InsertNode(TreeNode /*parent*/, std::string_view /*strName*/, int nImage,
                                   std::shared_ptr<FavoriteItem> pItem)
{
    std::lock_guard lock(m_mx);
    m_images.push_back(nImage);
    const TreeNode node = m_images.size();
    if (pItem) {
        pItem->m_hItem = node;
        m_pItems->Append(std::move(pItem));
    }
    return node;
}

int CListTreeSink::NodeImage(TreeNode node) const
{
    std::lock_guard lock(m_mx);
    if (node == kNoTreeNode || node > m_images.size())
        return -1;
    return m_images[node - 1];
}

void CListTreeSink::SetNodeImage(TreeNode node, int nImage)
{
    std::lock_guard lock(m_mx);
    if (node != kNoTreeNode && node <= m_images.size())
        m_images[node - 1] = nImage;
}

void CListTreeSink::PostToView(ViewEvent message)
{
    {
        std::lock_guard lock(m_mx);
        m_messages.push_back(message);
    }
    m_cvMessage.notify_all();
}

std::optional<ViewEvent> CListTreeSink::WaitMessage(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mx);
    if (!m_cvMessage.wait_for(lock, timeout, [this] { return !m_messages.empty(); }))
        return std::nullopt;
    const ViewEvent message = m_messages.front();
    m_messages.pop_front();
    return message;
}
