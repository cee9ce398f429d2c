#pragma once

#include <QIcon>
#include <QObject>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "model/TreeSink.h"

class QTreeWidget;
class QTreeWidgetItem;

// The view's side of the tree sink. Calls from any thread are queued in
// order and applied on the GUI thread in batches of a few milliseconds, so
// that a large scan never blocks the window for long; handles and images are
// answered at once from the sink's own books.
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
    void PostToView(ViewMessage message) override;

    // GUI thread: applies everything queued so far.
    void Flush();
    // GUI thread: the widget of a node and the record on it (null for a folder).
    QTreeWidgetItem* WidgetOf(TreeNode node) const;
    std::shared_ptr<FavoriteItem> RecordOf(const QTreeWidgetItem* pWidget) const;
    TreeNode NodeOf(const QTreeWidgetItem* pWidget) const;
    // GUI thread: the number of nodes in the tree, folders included.
    size_t NodeCount() const { return m_widgets.size(); }
    // GUI thread: takes a node and its widget out of the tree.
    void RemoveNode(TreeNode node);

    // The longest stretch the GUI thread spent applying changes, in ms.
    qint64 LongestBatchMs() const { return m_nLongestBatchMs; }

protected:
    bool event(QEvent* pEvent) override;

private:
    struct Op {
        enum Kind { Insert, SetImage, Enable, ExpandAll, EnsureVisible, Post } nKind;
        TreeNode node = kNoTreeNode;
        TreeNode parent = kTreeRoot;
        int nValue = 0;
        std::string strName;
        std::shared_ptr<FavoriteItem> pItem;
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
    std::unordered_map<TreeNode, std::shared_ptr<FavoriteItem>> m_records;
    qint64 m_nLongestBatchMs = 0;
};
