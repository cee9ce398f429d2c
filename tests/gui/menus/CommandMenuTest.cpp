// Commands as the menus show them and as the router runs them: each item
// shows the accelerator the command table names for it (Help (Contents)
// none, though F1 runs it; a context menu none at all), and a window's
// commands go with the window, so nothing calls into a window that is gone.
#include <QAction>
#include <QStyleOptionMenuItem>
#include <QtTest>

#include "gui/menus/CommandMenu.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/Commands.h"
#include "GuiTestMain.h"

namespace {

// Exposes the text a menu hands to the style for one item.
class CProbeMenu : public CCommandMenu {
public:
    using CCommandMenu::CCommandMenu;
    QString ItemText(int nId) const
    {
        for (QAction* pAction : actions()) {
            if (pAction->data().toInt() != nId)
                continue;
            QStyleOptionMenuItem option;
            initStyleOption(&option, pAction);
            return option.text;
        }
        return "<missing>";
    }
};

// A window with one command and one pane update, as the real windows have.
class CCounterWindow : public QObject {
public:
    int m_nRuns = 0;
    int m_nUpdates = 0;
    int m_nPaneUpdates = 0;
    void OnRun() { ++m_nRuns; }
    void OnUpdateRun(CCmdUI& ui)
    {
        ++m_nUpdates;
        ui.Enable(true);
    }
    void OnUpdatePane() { ++m_nPaneUpdates; }
};

const CommandMapEntry<CCounterWindow> kCounterCommands[] = {
    {ID_FILE_REFRESH, &CCounterWindow::OnRun, &CCounterWindow::OnUpdateRun},
};

} // namespace

class CommandMenuTest : public QObject {
    Q_OBJECT
private slots:
    void menusShowTheTableAcceleratorsAndHelpShowsNone()
    {
        CCommandRouter router;
        std::map<QString, CProbeMenu*> menus;
        QWidget owner;
        for (const PopupMenuInfo& popup : MenuTable()) {
            auto* pMenu = new CProbeMenu(QString::fromUtf8(popup.m_pszText), &owner);
            pMenu->AddItems(router, popup.m_items);
            menus[pMenu->title()] = pMenu;
        }
        QCOMPARE(menus["&File"]->ItemText(ID_FILE_REFRESH), QString("&Refresh Favorites\tF5"));
        QCOMPARE(menus["&File"]->ItemText(ID_FILE_EXPORT), QString("&Export Favorites..."));
        QCOMPARE(menus["&File"]->ItemText(ID_APP_EXIT), QString("E&xit\tAlt+X"));
        QCOMPARE(menus["&Edit"]->ItemText(ID_FAVORITE_DELETE), QString("&Delete Favorite\tShift+Del"));
        QCOMPARE(menus["&Edit"]->ItemText(ID_EDIT_COPY), QString("&Copy Favorite URL\tCtrl+C"));
        QCOMPARE(menus["&Tools"]->ItemText(ID_TOOLS_DELETEBROKEN),
                 QString("Delete All Broken Favorites\tCtrl+Shift+Del"));
        QCOMPARE(menus["&Help"]->ItemText(ID_HELP_FINDER), QString("&Help (Contents)"));
        // The key is still bound, only not named.
        QCOMPARE(router.Action(ID_HELP_FINDER)->shortcut(), QKeySequence(Qt::Key_F1));

        const MenuItemInfo contextItems[] = {{ID_FILE_REFRESH, "&Refresh"}};
        CProbeMenu context(QString(), &owner, false);
        context.AddItems(router, contextItems);
        QCOMPARE(context.ItemText(ID_FILE_REFRESH), QString("&Refresh"));
    }

    void eachPopupKeepsItsOwnLabelForASharedCommand()
    {
        CCommandRouter router;
        QWidget owner;
        const MenuItemInfo editItems[] = {{ID_FAVORITE_DELETE, "&Delete Favorite"}};
        const MenuItemInfo contextItems[] = {{ID_FAVORITE_DELETE, "D&elete Favorite"}};
        CProbeMenu edit("&Edit", &owner);
        edit.AddItems(router, editItems);
        CProbeMenu context(QString(), &owner, false);
        context.AddItems(router, contextItems);
        QCOMPARE(edit.ItemText(ID_FAVORITE_DELETE), QString("&Delete Favorite\tShift+Del"));
        QCOMPARE(context.ItemText(ID_FAVORITE_DELETE), QString("D&elete Favorite"));
    }

    void aWindowsCommandsAndPaneUpdatesGoWithIt()
    {
        CCommandRouter router;
        auto* pWindow = new CCounterWindow;
        router.AddCommandMap(pWindow, kCounterCommands);
        router.AddIdleUpdate(pWindow, &CCounterWindow::OnUpdatePane);
        router.UpdateAll();
        QVERIFY(router.Action(ID_FILE_REFRESH)->isEnabled());
        QVERIFY(pWindow->m_nPaneUpdates > 0);
        QVERIFY(router.Run(ID_FILE_REFRESH));
        QCOMPARE(pWindow->m_nRuns, 1);

        delete pWindow;
        router.UpdateAll(); // would call into the deleted window
        QVERIFY(!router.Action(ID_FILE_REFRESH)->isEnabled());
        QVERIFY(!router.Run(ID_FILE_REFRESH));
    }
};

ZORBEL_GUI_TEST_MAIN(CommandMenuTest)
#include "CommandMenuTest.moc"
