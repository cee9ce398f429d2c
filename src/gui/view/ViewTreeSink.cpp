#include "gui/view/ViewTreeSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>
#include <QTreeWidget>

#include "gui/view/ViewMessage.h"

namespace {

// The sink's own event: "apply what is queued".
const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::User + 1);
// Longest time one batch may keep the GUI thread, so the window stays live.
constexpr qint64 kBatchBudgetMs = 15;
constexpr int kNodeRole = Qt::UserRole;
constexpr int kRecordRole = Qt::UserRole + 1;

} // namespace

CViewTreeSink::CViewTreeSink(QTreeWidget* pTree, const QList<QIcon>* pImages, QObject* pView,
                             AppendRecord appendRecord)
    : m_pTree(pTree), m_pImages(pImages), m_pView(pView), m_appendRecord(std::move(appendRecord))
{
}

CViewTreeSink::~CViewTreeSink() = default;

void CViewTreeSink::DeleteAllNodes()
{
    Q_ASSERT(QThread::currentThread() == thread());
    {
        std::lock_guard lock(m_mx);
        m_ops.clear();
        m_images.clear();
    }
    m_widgets.clear();
    m_pTree->setUpdatesEnabled(false);
    m_pTree->clear();
    m_pTree->setUpdatesEnabled(true);
    m_pTree->repaint();
    if (m_observer)
        m_observer(NodeChange::Cleared, nullptr);
}

TreeNode CViewTreeSink::InsertNode(TreeNode parent, std::string_view strName, int nImage,
                                   std::shared_ptr<FavoriteItem> pItem)
{
    TreeNode node;
    {
        std::lock_guard lock(m_mx);
        node = m_nNext++;
        m_images[node] = nImage;
    }
    if (pItem)
        pItem->m_hItem = node;
    Enqueue({Op::Insert, node, parent, nImage, std::string(strName), std::move(pItem)});
    return node;
}

int CViewTreeSink::NodeImage(TreeNode node) const
{
    std::lock_guard lock(m_mx);
    auto it = m_images.find(node);
    return it == m_images.end() ? -1 : it->second;
}

void CViewTreeSink::SetNodeImage(TreeNode node, int nImage)
{
    {
        std::lock_guard lock(m_mx);
        auto it = m_images.find(node);
        if (it == m_images.end())
            return; // the node was deleted meanwhile
        it->second = nImage;
    }
    Enqueue({Op::SetImage, node, kTreeRoot, nImage, {}, nullptr});
}

void CViewTreeSink::EnableTree(bool bEnable) { Enqueue({Op::Enable, kNoTreeNode, kTreeRoot, bEnable ? 1 : 0, {}, nullptr}); }
void CViewTreeSink::ExpandAllBranches() { Enqueue({Op::ExpandAll, kNoTreeNode, kTreeRoot, 0, {}, nullptr}); }
void CViewTreeSink::EnsureVisible(TreeNode node) { Enqueue({Op::EnsureVisible, node, kTreeRoot, 0, {}, nullptr}); }
void CViewTreeSink::PostToView(ViewEvent event)
{
    Enqueue({Op::Post, kNoTreeNode, kTreeRoot, int(ViewMessageFor(event)), {}, nullptr});
}

void CViewTreeSink::Enqueue(Op op)
{
    bool bPost = false;
    {
        std::lock_guard lock(m_mx);
        m_ops.push_back(std::move(op));
        if (!m_bDrainPosted)
            bPost = m_bDrainPosted = true;
    }
    if (bPost)
        QCoreApplication::postEvent(this, new QEvent(kDrainEvent));
}

bool CViewTreeSink::event(QEvent* pEvent)
{
    if (pEvent->type() != kDrainEvent)
        return QObject::event(pEvent);
    ApplyBatch();
    return true;
}

void CViewTreeSink::ApplyBatch()
{
    QElapsedTimer timer;
    timer.start();
    std::deque<Op> batch;
    for (;;) {
        {
            std::lock_guard lock(m_mx);
            if (m_ops.empty()) {
                m_bDrainPosted = false;
                break;
            }
            // Take a slice at a time, so the lock is never held while widgets change.
            const size_t n = std::min<size_t>(m_ops.size(), 256);
            batch.assign(std::make_move_iterator(m_ops.begin()), std::make_move_iterator(m_ops.begin() + n));
            m_ops.erase(m_ops.begin(), m_ops.begin() + n);
        }
        for (Op& op : batch)
            Apply(op);
        batch.clear();
        if (timer.elapsed() >= kBatchBudgetMs) {
            // More to do: let paint and input events in first.
            QCoreApplication::postEvent(this, new QEvent(kDrainEvent), Qt::LowEventPriority);
            break;
        }
    }
}

void CViewTreeSink::Flush()
{
    for (;;) {
        std::deque<Op> batch;
        {
            std::lock_guard lock(m_mx);
            if (m_ops.empty())
                return;
            batch.swap(m_ops);
        }
        for (Op& op : batch)
            Apply(op);
    }
}

void CViewTreeSink::Apply(Op& op)
{
    switch (op.m_nKind) {
    case Op::Insert: {
        QTreeWidgetItem* pParent = nullptr;
        if (op.m_parent != kTreeRoot) {
            auto it = m_widgets.find(op.m_parent);
            if (it == m_widgets.end())
                return; // the parent is gone
            pParent = it->second;
        }
        auto* pWidget = new QTreeWidgetItem;
        // The view decides which labels may be edited in place.
        pWidget->setFlags(pWidget->flags() | Qt::ItemIsEditable);
        pWidget->setText(0, QString::fromUtf8(op.m_strName.data(), qsizetype(op.m_strName.size())));
        pWidget->setData(0, kNodeRole, QVariant::fromValue<quint64>(op.m_node));
        if (op.m_pItem)
            pWidget->setData(0, kRecordRole, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(op.m_pItem.get())));
        if (op.m_nValue >= 0 && op.m_nValue < m_pImages->size())
            pWidget->setIcon(0, m_pImages->at(op.m_nValue));
        if (pParent)
            pParent->addChild(pWidget);
        else
            m_pTree->addTopLevelItem(pWidget);
        m_widgets.emplace(op.m_node, pWidget);
        if (op.m_pItem)
            m_appendRecord(std::move(op.m_pItem));
        if (m_observer)
            m_observer(NodeChange::Inserted, pWidget);
        break;
    }
    case Op::SetImage:
        if (auto it = m_widgets.find(op.m_node); it != m_widgets.end() && op.m_nValue >= 0 &&
                                                op.m_nValue < m_pImages->size()) {
            it->second->setIcon(0, m_pImages->at(op.m_nValue));
            if (m_observer)
                m_observer(NodeChange::ImageChanged, it->second);
        }
        break;
    case Op::Enable:
        m_pTree->setEnabled(op.m_nValue != 0);
        break;
    case Op::ExpandAll:
        m_pTree->expandAll();
        break;
    case Op::EnsureVisible:
        if (auto it = m_widgets.find(op.m_node); it != m_widgets.end())
            m_pTree->scrollToItem(it->second);
        break;
    case Op::Post:
        QCoreApplication::postEvent(m_pView, new QEvent(static_cast<QEvent::Type>(op.m_nValue)));
        break;
    }
}

TreeNode CViewTreeSink::NodeOf(const QTreeWidgetItem* pWidget)
{
    return pWidget ? pWidget->data(0, kNodeRole).value<quint64>() : kNoTreeNode;
}

FavoriteItem* CViewTreeSink::RecordOf(const QTreeWidgetItem* pWidget)
{
    return pWidget ? reinterpret_cast<FavoriteItem*>(pWidget->data(0, kRecordRole).value<quintptr>()) : nullptr;
}

void CViewTreeSink::RemoveNode(TreeNode node)
{
    {
        std::lock_guard lock(m_mx);
        m_images.erase(node);
    }
    auto it = m_widgets.find(node);
    if (it == m_widgets.end())
        return;
    QTreeWidgetItem* pWidget = it->second;
    if (m_observer)
        m_observer(NodeChange::Removing, pWidget);
    // Children go with their parent.
    std::vector<QTreeWidgetItem*> stack{pWidget};
    while (!stack.empty()) {
        QTreeWidgetItem* p = stack.back();
        stack.pop_back();
        const TreeNode n = NodeOf(p);
        m_widgets.erase(n);
        if (n != node) {
            std::lock_guard lock(m_mx);
            m_images.erase(n);
        }
        for (int i = 0; i < p->childCount(); ++i)
            stack.push_back(p->child(i));
    }
    delete pWidget;
}
