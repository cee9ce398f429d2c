#include "core/check/TreeSinkGate.h"

#include <mutex>

void CTreeSinkGate::Close()
{
    std::unique_lock lock(m_mx);
    m_pTarget = nullptr;
}

void CTreeSinkGate::DeleteAllNodes()
{
    std::shared_lock lock(m_mx);
    if (m_pTarget)
        m_pTarget->DeleteAllNodes();
}

TreeNode CTreeSinkGate::InsertNode(TreeNode parent, std::string_view strName, int nImage,
                                   std::shared_ptr<FavoriteItem> pItem)
{
    std::shared_lock lock(m_mx);
    return m_pTarget ? m_pTarget->InsertNode(parent, strName, nImage, std::move(pItem)) : kNoTreeNode;
}

int CTreeSinkGate::NodeImage(TreeNode node) const
{
    std::shared_lock lock(m_mx);
    return m_pTarget ? m_pTarget->NodeImage(node) : -1;
}

void CTreeSinkGate::SetNodeImage(TreeNode node, int nImage)
{
    std::shared_lock lock(m_mx);
    if (m_pTarget)
        m_pTarget->SetNodeImage(node, nImage);
}

void CTreeSinkGate::EnableTree(bool bEnable)
{
    std::shared_lock lock(m_mx);
    if (m_pTarget)
        m_pTarget->EnableTree(bEnable);
}

void CTreeSinkGate::ExpandAllBranches()
{
    std::shared_lock lock(m_mx);
    if (m_pTarget)
        m_pTarget->ExpandAllBranches();
}

void CTreeSinkGate::EnsureVisible(TreeNode node)
{
    std::shared_lock lock(m_mx);
    if (m_pTarget)
        m_pTarget->EnsureVisible(node);
}

void CTreeSinkGate::PostToView(ViewEvent message)
{
    std::shared_lock lock(m_mx);
    if (m_pTarget)
        m_pTarget->PostToView(message);
}
