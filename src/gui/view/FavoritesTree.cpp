#include "gui/view/FavoritesTree.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QCursor>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>

CFavoritesTree::CFavoritesTree(QWidget* pParent) : QTreeWidget(pParent)
{
    // F2, and a click on the label of the node that is already selected.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

QTreeWidgetItem* CFavoritesTree::NodeAtGlobal(const QPoint& ptGlobal) const
{
    const QPoint pt = viewport()->mapFromGlobal(ptGlobal);
    if (!viewport()->rect().contains(pt))
        return nullptr;
    return itemAt(pt);
}

bool CFavoritesTree::EditLabel(QTreeWidgetItem* pNode)
{
    return pNode && edit(indexFromItem(pNode), AllEditTriggers, nullptr);
}

bool CFavoritesTree::IsOnLabel(const QModelIndex& index, const QEvent* pEvent) const
{
    const auto* pMouse = dynamic_cast<const QMouseEvent*>(pEvent);
    if (!pMouse)
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.text = index.data(Qt::DisplayRole).toString();
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!option.icon.isNull())
        option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize();
    QRect rcText = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    // The label ends with its text, not with the row.
    const int nMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    rcText.setWidth(std::min(rcText.width(), option.fontMetrics.horizontalAdvance(option.text) + 2 * nMargin));
    return rcText.contains(pMouse->position().toPoint());
}

bool CFavoritesTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* pEvent)
{
    if (trigger == SelectedClicked) {
        // Only arms the tree's delayed start (a double click may follow);
        // the start itself comes back here with AllEditTriggers.
        if (!IsOnLabel(index, pEvent))
            return false;
        return QTreeWidget::edit(index, trigger, pEvent);
    }
    const bool bStarts = index.isValid() && !m_bEditing && state() != EditingState &&
                         (trigger == AllEditTriggers || (editTriggers() & trigger) != 0);
    if (!bStarts)
        return QTreeWidget::edit(index, trigger, pEvent);
    if (!m_handlers.m_onBeginLabelEdit || !m_handlers.m_onBeginLabelEdit(itemFromIndex(index)))
        return false;
    m_strCommitted.reset();
    m_editIndex = QPersistentModelIndex(index);
    m_bEditing = true;
    if (QTreeWidget::edit(index, trigger, pEvent))
        return true;
    m_bEditing = false;
    return false;
}

void CFavoritesTree::commitData(QWidget* pEditor)
{
    // The text is handed to the view; the model keeps the old label until
    // the view sets the new one.
    if (const auto* pLine = qobject_cast<const QLineEdit*>(pEditor); pLine && m_bEditing)
        m_strCommitted = pLine->text();
}

void CFavoritesTree::closeEditor(QWidget* pEditor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool bWasEditing = std::exchange(m_bEditing, false);
    const QPersistentModelIndex index = std::exchange(m_editIndex, QPersistentModelIndex());
    const std::optional<QString> strText = std::exchange(m_strCommitted, std::nullopt);
    QTreeWidget::closeEditor(pEditor, hint);
    if (!bWasEditing)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, index, strText] {
            if (m_handlers.m_onEndLabelEdit)
                m_handlers.m_onEndLabelEdit(index.isValid() ? itemFromIndex(index) : nullptr, strText);
        },
        Qt::QueuedConnection);
}

void CFavoritesTree::mousePressEvent(QMouseEvent* pEvent)
{
    // The right button never changes the selection by itself: the view
    // decides, and the context menu follows.
    if (pEvent->button() == Qt::RightButton) {
        pEvent->accept();
        if (m_handlers.m_onRightClick)
            m_handlers.m_onRightClick(pEvent->globalPosition().toPoint());
        return;
    }
    QTreeWidget::mousePressEvent(pEvent);
}

void CFavoritesTree::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::RightButton) {
        pEvent->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(pEvent);
}

void CFavoritesTree::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    QTreeWidget::mouseDoubleClickEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton && m_handlers.m_onDoubleClick)
        m_handlers.m_onDoubleClick(pEvent->globalPosition().toPoint());
}

void CFavoritesTree::contextMenuEvent(QContextMenuEvent* pEvent)
{
    pEvent->accept();
    if (!m_handlers.m_onContextMenu)
        return;
    if (pEvent->reason() == QContextMenuEvent::Keyboard)
        m_handlers.m_onContextMenu(QPoint(-1, -1), QCursor::pos());
    else
        m_handlers.m_onContextMenu(pEvent->globalPos(), pEvent->globalPos());
}

void CFavoritesTree::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bReturn = pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
    // Shift+F10 and the Menu key ask for the context menu of the selection.
    const Qt::KeyboardModifiers mods = pEvent->modifiers() & ~Qt::KeypadModifier;
    const bool bMenuKey = (pEvent->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
                          (pEvent->key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
    if (bMenuKey && state() != EditingState && m_handlers.m_onContextMenu) {
        pEvent->accept();
        m_handlers.m_onContextMenu(QPoint(-1, -1), QCursor::pos());
        return;
    }
    if (bReturn && state() != EditingState && m_handlers.m_onReturn &&
        (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        pEvent->accept();
        m_handlers.m_onReturn(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(pEvent);
}
