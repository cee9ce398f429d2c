#include "support/MemoryTreeSink.h"

#include <algorithm>
#include <functional>

void MemoryTreeSink::DeleteAllNodes()
{
    std::lock_guard lock(m_mx);
    m_nodes.clear();
    m_order.clear();
    m_pItems->Clear();
}

TreeNode MemoryTreeSink::InsertNode(TreeNode parent, std::string_view strName, int nImage,
                                    std::shared_ptr<FavoriteItem> pItem)
{
    std::lock_guard lock(m_mx);
    const TreeNode node = m_nNext++;
    Node& n = m_nodes[node];
    n.m_parent = parent;
    n.m_strName = std::string(strName);
    n.m_nImage = nImage;
    n.m_pItem = pItem;
    n.m_imageHistory.push_back(nImage);
    m_order.push_back(node);
    if (pItem) {
        pItem->m_hItem = node;
        m_pItems->Append(std::move(pItem));
    }
    return node;
}

int MemoryTreeSink::NodeImage(TreeNode node) const
{
    std::lock_guard lock(m_mx);
    auto it = m_nodes.find(node);
    return it == m_nodes.end() ? -1 : it->second.m_nImage;
}

void MemoryTreeSink::SetNodeImage(TreeNode node, int nImage)
{
    std::lock_guard lock(m_mx);
    auto it = m_nodes.find(node);
    if (it == m_nodes.end())
        return;
    it->second.m_nImage = nImage;
    it->second.m_imageHistory.push_back(nImage);
    m_imageLog.emplace_back(node, nImage);
}

void MemoryTreeSink::EnableTree(bool bEnable)
{
    std::lock_guard lock(m_mx);
    m_bEnabled = bEnable;
}

void MemoryTreeSink::ExpandAllBranches()
{
    std::lock_guard lock(m_mx);
    ++m_nExpand;
}

void MemoryTreeSink::EnsureVisible(TreeNode node)
{
    std::lock_guard lock(m_mx);
    m_visible = node;
}

void MemoryTreeSink::PostToView(ViewEvent message)
{
    std::lock_guard lock(m_mx);
    m_messages.push_back(message);
}

std::vector<std::shared_ptr<FavoriteItem>> MemoryTreeSink::Items() const { return m_pItems->Snapshot(); }

std::vector<ViewEvent> MemoryTreeSink::Messages() const
{
    std::lock_guard lock(m_mx);
    return m_messages;
}

MemoryTreeSink::Node MemoryTreeSink::NodeAt(TreeNode node) const
{
    std::lock_guard lock(m_mx);
    auto it = m_nodes.find(node);
    return it == m_nodes.end() ? Node{} : it->second;
}

std::vector<TreeNode> MemoryTreeSink::Children(TreeNode parent) const
{
    std::lock_guard lock(m_mx);
    std::vector<TreeNode> out;
    for (TreeNode n : m_order)
        if (m_nodes.at(n).m_parent == parent)
            out.push_back(n);
    return out;
}

size_t MemoryTreeSink::NodeCount() const
{
    std::lock_guard lock(m_mx);
    return m_nodes.size();
}

std::string MemoryTreeSink::Outline() const
{
    std::string out;
    std::function<void(TreeNode, int)> walk = [&](TreeNode parent, int depth) {
        for (TreeNode n : Children(parent)) {
            const Node node = NodeAt(n);
            out += std::string(2 * depth, ' ') + node.m_strName + "\n";
            walk(n, depth + 1);
        }
    };
    walk(kTreeRoot, 0);
    return out;
}

bool MemoryTreeSink::TreeEnabled() const
{
    std::lock_guard lock(m_mx);
    return m_bEnabled;
}

int MemoryTreeSink::ExpandCount() const
{
    std::lock_guard lock(m_mx);
    return m_nExpand;
}

TreeNode MemoryTreeSink::VisibleNode() const
{
    std::lock_guard lock(m_mx);
    return m_visible;
}

std::vector<std::pair<TreeNode, int>> MemoryTreeSink::ImageLog() const
{
    std::lock_guard lock(m_mx);
    return m_imageLog;
}

void MemoryTreeSink::RemoveItem(const std::shared_ptr<FavoriteItem>& pItem)
{
    m_pItems->Remove(pItem.get());
    std::lock_guard lock(m_mx);
    m_nodes.erase(pItem->m_hItem);
    m_order.erase(std::remove(m_order.begin(), m_order.end(), pItem->m_hItem), m_order.end());
}
