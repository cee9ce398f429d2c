#pragma once

#include <QIcon>
#include <QObject>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "core/model/TreeSink.h"

class QTreeWidget;
class QTreeWidgetItem;

// The view's side of the tree sink. Calls from any thread are queued in
// order and applied on the GUI thread in batches of a few milliseconds, so
// that a large scan never blocks the window for long; handles and images are
// answered at once from the sink's own books. A node carries its record as
// item data, as a plain pointer: the view's list owns the records, and the
// view takes a node away together with its record.
class CViewTreeSink : public QObject, public ITreeSink {
    Q_OBJECT
public:
    using AppendRecord = std::function<void(std::shared_ptr<FavoriteItem>)>;

    CViewTreeSink(QTreeWidget* pTree, const QList<QIcon>* pImages, QObject* pView,
                  AppendRecord appendRecord);
    ~CViewTreeSink() override;

    void DeleteAllNodes() override;
    TreeNode InsertNode(TreeNode parent, std::string_view strName, int nImage,
                        std::shared_ptr<FavoriteItem> pItem) override;
    int NodeImage(TreeNode node) const override;
    void SetNodeImage(TreeNode node, int nImage) override;
    void EnableTree(bool bEnable) override;
    void ExpandAllBranches() override;
    void EnsureVisible(TreeNode node) override;
    void PostToView(ViewEvent event) override;

    // GUI thread: applies everything queued so far.
    void Flush();
    // GUI thread: the record a node carries (null for a folder) and the
    // handle of a node.
    static FavoriteItem* RecordOf(const QTreeWidgetItem* pWidget);
    static TreeNode NodeOf(const QTreeWidgetItem* pWidget);
    // GUI thread: the widget of a node, null when it is not (or no longer)
    // in the tree.
    QTreeWidgetItem* WidgetOf(TreeNode node) const
    {
        const auto it = m_widgets.find(node);
        return it == m_widgets.end() ? nullptr : it->second;
    }
    // GUI thread: the number of nodes in the tree, folders included.
    size_t NodeCount() const { return m_widgets.size(); }
    // GUI thread: takes a node, its children and their widgets out of the
    // tree; later changes queued for them are dropped.
    void RemoveNode(TreeNode node);

    // What happened to a node, as the sink applies it on the GUI thread: it
    // came (Inserted), its picture changed (ImageChanged), it is about to go
    // with all it holds (Removing), or every node went (Cleared; no node).
    enum class NodeChange { Inserted, ImageChanged, Removing, Cleared };
    using NodeObserver = std::function<void(NodeChange, QTreeWidgetItem*)>;
    void SetNodeObserver(NodeObserver observer) { m_observer = std::move(observer); }

protected:
    bool event(QEvent* pEvent) override;

private:
    struct Op {
        enum Kind { Insert, SetImage, Enable, ExpandAll, EnsureVisible, Post } m_nKind;
        TreeNode m_node = kNoTreeNode;
        TreeNode m_parent = kTreeRoot;
        int m_nValue = 0;
        std::string m_strName;
        std::shared_ptr<FavoriteItem> m_pItem;
    };
    void Enqueue(Op op);
    void ApplyBatch();
    void Apply(Op& op);

    QTreeWidget* m_pTree;
    const QList<QIcon>* m_pImages;
    QObject* m_pView;
    AppendRecord m_appendRecord;

    mutable std::mutex m_mx; // guards the queue and the books below
    std::deque<Op> m_ops;
    bool m_bDrainPosted = false;
    std::unordered_map<TreeNode, int> m_images;
    TreeNode m_nNext = 1;

    // GUI thread only.
    std::unordered_map<TreeNode, QTreeWidgetItem*> m_widgets;
    NodeObserver m_observer;
};
