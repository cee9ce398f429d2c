#pragma once

#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <functional>
#include <optional>

// The tree control of the view. It tells the view what the user does to it
// instead of acting on its own: the right click, the request for a context
// menu (from the mouse or the keyboard), the double click, and the begin
// and end of an in-place label edit, which the view may refuse. The label
// of a node changes only when the view sets it.
class CFavoritesTree : public QTreeWidget {
    Q_OBJECT
public:
    // The view's answers to the tree's notifications.
    struct Handlers {
        // Right button pressed at a screen point.
        std::function<void(const QPoint& ptPointer)> m_onRightClick;
        // A context menu is asked for: `ptRequest` is (-1, -1) when the
        // request came from the keyboard; `ptPointer` is where the mouse
        // pointer is.
        std::function<void(const QPoint& ptRequest, const QPoint& ptPointer)> m_onContextMenu;
        // Double click with the left button, after the tree's own handling
        // (a folder expands or collapses).
        std::function<void(const QPoint& ptPointer)> m_onDoubleClick;
        // An in-place edit of the node's label is about to start; false
        // refuses it.
        std::function<bool(QTreeWidgetItem* pNode)> m_onBeginLabelEdit;
        // The edit has ended and its box is gone: the node (null when it
        // no longer exists) and the new text (nullopt when cancelled).
        // Called from the event loop, not from inside the editor's closing.
        std::function<void(QTreeWidgetItem* pNode, const std::optional<QString>& strNewText)> m_onEndLabelEdit;
        // Return or Enter pressed on the current node (not while its label
        // is edited).
        std::function<void(QTreeWidgetItem* pNode)> m_onReturn;
    };

    explicit CFavoritesTree(QWidget* pParent = nullptr);
    void SetHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

    // The node at a screen point, null when there is none.
    QTreeWidgetItem* NodeAtGlobal(const QPoint& ptGlobal) const;
    // Starts the in-place edit of a node's label, as F2 does; false when
    // it does not start.
    bool EditLabel(QTreeWidgetItem* pNode);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* pEvent) override;
    void commitData(QWidget* pEditor) override;
    void closeEditor(QWidget* pEditor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    // True when a click at the event's point hits the text of the node's label.
    bool IsOnLabel(const QModelIndex& index, const QEvent* pEvent) const;

    Handlers m_handlers;
    bool m_bEditing = false;                // an edit box of ours is open
    QPersistentModelIndex m_editIndex;      // the node it edits
    std::optional<QString> m_strCommitted;  // its text, once committed
};
