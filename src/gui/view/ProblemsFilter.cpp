#include "gui/view/ProblemsFilter.h"

#include <QTreeWidget>
#include <vector>

#include "core/model/LinkStatus.h"
#include "gui/view/ViewTreeSink.h"

CProblemsFilter::CProblemsFilter(QTreeWidget* pTree) : m_pTree(pTree) {}

bool CProblemsFilter::Wanted(QTreeWidgetItem* pNode) const
{
    if (const FavoriteItem* pItem = CViewTreeSink::RecordOf(pNode); pItem && IsProblemStatus(pItem->Status()))
        return true;
    return m_shownChildren.value(pNode) > 0;
}

void CProblemsFilter::SetShown(QTreeWidgetItem* pNode, bool bShown)
{
    bool bHidSome = false;
    // Each change of a node can change only its parent's judgement, and that
    // only when the parent's count of shown children passes between 0 and 1.
    while (pNode && pNode->isHidden() == bShown) {
        pNode->setHidden(!bShown);
        Count(pNode, bShown ? 1 : -1);
        bHidSome = bHidSome || !bShown;
        QTreeWidgetItem* pParent = pNode->parent();
        if (!pParent)
            break;
        m_shownChildren[pParent] += bShown ? 1 : -1;
        pNode = pParent;
        bShown = Wanted(pParent);
    }
    if (bHidSome)
        HideCurrentIfHidden();
}

void CProblemsFilter::HideCurrentIfHidden()
{
    // A hidden row must not stay the one the commands act on.
    for (QTreeWidgetItem* pNode = m_pTree->currentItem(); pNode; pNode = pNode->parent()) {
        if (pNode->isHidden()) {
            m_pTree->setCurrentItem(nullptr);
            m_pTree->clearSelection();
            return;
        }
    }
}

void CProblemsFilter::Count(const QTreeWidgetItem* pNode, int nDelta)
{
    m_nShown += nDelta;
    if (CViewTreeSink::RecordOf(pNode))
        m_nShownRecords += nDelta;
}

bool CProblemsFilter::Judge(QTreeWidgetItem* pNode)
{
    int nShownChildren = 0;
    for (int i = 0; i < pNode->childCount(); ++i)
        nShownChildren += Judge(pNode->child(i)) ? 1 : 0;
    if (nShownChildren > 0)
        m_shownChildren.insert(pNode, nShownChildren);
    const bool bShown = Wanted(pNode);
    pNode->setHidden(!bShown);
    if (bShown)
        Count(pNode, 1);
    return bShown;
}

void CProblemsFilter::SetOn(bool bOn)
{
    m_bOn = bOn;
    m_shownChildren.clear();
    m_nShown = 0;
    m_nShownRecords = 0;
    // One layout of the rows for all the changes.
    const bool bUpdates = m_pTree->updatesEnabled();
    m_pTree->setUpdatesEnabled(false);
    QTreeWidgetItem* pRoot = m_pTree->invisibleRootItem();
    for (int i = 0; i < pRoot->childCount(); ++i) {
        if (bOn) {
            Judge(pRoot->child(i));
            continue;
        }
        std::vector<QTreeWidgetItem*> stack{pRoot->child(i)};
        while (!stack.empty()) {
            QTreeWidgetItem* pNode = stack.back();
            stack.pop_back();
            pNode->setHidden(false);
            for (int j = 0; j < pNode->childCount(); ++j)
                stack.push_back(pNode->child(j));
        }
    }
    m_pTree->setUpdatesEnabled(bUpdates);
    if (bOn)
        HideCurrentIfHidden();
}

void CProblemsFilter::Follow(CViewTreeSink::NodeChange change, QTreeWidgetItem* pNode)
{
    switch (change) {
    case CViewTreeSink::NodeChange::Inserted:
        OnInserted(pNode);
        break;
    case CViewTreeSink::NodeChange::ImageChanged:
        OnChanged(pNode);
        break;
    case CViewTreeSink::NodeChange::Removing:
        OnRemoving(pNode);
        break;
    case CViewTreeSink::NodeChange::Cleared:
        OnCleared();
        break;
    }
}

void CProblemsFilter::OnInserted(QTreeWidgetItem* pNode)
{
    if (!m_bOn)
        return;
    // A new row counts nowhere until it is judged.
    pNode->setHidden(true);
    SetShown(pNode, Wanted(pNode));
}

void CProblemsFilter::OnChanged(QTreeWidgetItem* pNode)
{
    if (m_bOn)
        SetShown(pNode, Wanted(pNode));
}

void CProblemsFilter::OnRemoving(QTreeWidgetItem* pNode)
{
    if (!m_bOn)
        return;
    const bool bWasShown = !pNode->isHidden();
    // What leaves with the node leaves the counts with it.
    std::vector<QTreeWidgetItem*> stack{pNode};
    while (!stack.empty()) {
        QTreeWidgetItem* p = stack.back();
        stack.pop_back();
        if (!p->isHidden())
            Count(p, -1);
        m_shownChildren.remove(p);
        for (int i = 0; i < p->childCount(); ++i)
            stack.push_back(p->child(i));
    }
    QTreeWidgetItem* pParent = pNode->parent();
    if (!bWasShown || !pParent)
        return;
    // The parent loses a shown child; the node is on its way out, so the
    // walk up starts at the parent.
    m_shownChildren[pParent] -= 1;
    SetShown(pParent, Wanted(pParent));
}

void CProblemsFilter::OnCleared()
{
    m_shownChildren.clear();
    m_nShown = 0;
    m_nShownRecords = 0;
}
