#pragma once

#include <QHash>

#include "gui/view/ViewTreeSink.h"

class QTreeWidget;
class QTreeWidgetItem;

// Shows only the favourites whose outcome is a problem (IsProblemStatus)
// and the folders that hold one, by hiding the other rows: the nodes stay
// where they are, so the handles the core holds stay good, and a favourite
// whose outcome turns into a problem during a pass shows up at once. It
// keeps, for every folder, how many of its children are shown, so that a
// change costs only the walk up to the top.
//
// GUI thread only. The tree sink tells it of every node that comes, changes
// its picture (its outcome), or goes.
class CProblemsFilter {
public:
    explicit CProblemsFilter(QTreeWidget* pTree);

    // Turns the filter on (every row judged anew) or off (every row shown).
    void SetOn(bool bOn);
    bool IsOn() const { return m_bOn; }
    // Rows shown while the filter is on.
    int ShownCount() const { return m_nShown; }
    // Of those, the rows of favourites (a document counts its links alone).
    int ShownRecordCount() const { return m_nShownRecords; }

    // What the tree sink reports of a node, passed to the handlers below.
    void Follow(CViewTreeSink::NodeChange change, QTreeWidgetItem* pNode);

    void OnInserted(QTreeWidgetItem* pNode);
    void OnChanged(QTreeWidgetItem* pNode);
    // Before the node and what it holds leave the tree.
    void OnRemoving(QTreeWidgetItem* pNode);
    // After every node has left the tree.
    void OnCleared();

private:
    // A favourite with a problem, or a node with a shown child.
    bool Wanted(QTreeWidgetItem* pNode) const;
    // Shows or hides a node and brings the folders above it along.
    void SetShown(QTreeWidgetItem* pNode, bool bShown);
    // Judges a node and everything below it afresh; true when it is shown.
    bool Judge(QTreeWidgetItem* pNode);
    void HideCurrentIfHidden();
    // A row comes into (+1) or leaves (-1) the shown ones.
    void Count(const QTreeWidgetItem* pNode, int nDelta);

    QTreeWidget* m_pTree;
    bool m_bOn = false;
    int m_nShown = 0;
    int m_nShownRecords = 0;
    QHash<const QTreeWidgetItem*, int> m_shownChildren;
};
