#pragma once

#include <QMenu>
#include <memory>
#include <span>

#include "menus/Commands.h"

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

protected:
    void initStyleOption(QStyleOptionMenuItem* pOption, const QAction* pAction) const override;

private:
    bool m_bShowKeys;
};

// The context menu of a favourite, built from its table with the command
// states of this moment (the router's update pass runs first), its default
// item set; `pOwner` is the window that owns it.
std::unique_ptr<CCommandMenu> CreateFavoriteContextMenu(CCommandRouter& router, QWidget* pOwner);
