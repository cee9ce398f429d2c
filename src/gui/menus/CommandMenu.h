#pragma once

#include <QHash>
#include <QMenu>
#include <span>

#include "gui/menus/Commands.h"

class CCommandRouter;

// A popup of commands. Its items show the accelerator text that the command
// table gives for them (none for a command whose keys stay out of the menus,
// and none at all in a context menu), whatever shortcuts their actions carry.
class CCommandMenu : public QMenu {
    Q_OBJECT
public:
    CCommandMenu(const QString& strTitle, QWidget* pParent, bool bShowKeys = true);

    // Adds the items in order: each command's action from the router with
    // the item's text, or a separator.
    void AddItems(CCommandRouter& router, std::span<const MenuItemInfo> items);
    // Adds the items as actions of this menu's own, so that their texts may
    // differ from the menu bar's for the same command: each takes its
    // command's state (enabled, checked, picture, prompt) from the router's
    // action as it is now, and runs the command through the router when it
    // is chosen, as a menu command does.
    void AddOwnItems(CCommandRouter& router, std::span<const MenuItemInfo> items);
    // This menu's item of a command; null when it has none.
    QAction* ItemOf(int nId) const;

    // The text this popup shows for an item: its own label (one action may
    // stand in several popups under different labels), then a tab and the
    // accelerator text when the popup names a key for it.
    QString FullText(const QAction* pAction) const;

protected:
    void initStyleOption(QStyleOptionMenuItem* pOption, const QAction* pAction) const override;

private:
    bool m_bShowKeys;
    QHash<const QAction*, QString> m_labels;
};

