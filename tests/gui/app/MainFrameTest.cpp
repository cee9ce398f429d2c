// The main window as the user meets it: its menus, accelerators, toolbar and
// panes; the commands that are refused while the list fills or checks run;
// the close rule; the stored placement.
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/Commands.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"

class MainFrameTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    QAction* ActionOf(int nId) { return m_pRouter->Action(nId); }

    void MakeFrame(const std::string& strSource = {})
    {
        m_pFrame.reset();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        m_doc.OnNewDocument();
        if (!strSource.empty())
            m_doc.SetPathName(strSource);
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
        QTest::qWait(20);
        m_pRouter->UpdateAll();
    }

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        m_pProfile = std::make_unique<MemoryProfile>();
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
        MakeFrame();
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void menusHoldEveryItemWithItsTextAndId()
    {
        const QList<QAction*> popups = m_pFrame->menuBar()->actions();
        QCOMPARE(popups.size(), 5);
        QStringList titles;
        for (QAction* p : popups)
            titles << p->text();
        QCOMPARE(titles, QStringList({"&File", "&Edit", "&View", "&Tools", "&Help"}));

        auto describe = [](QMenu* pMenu) {
            QStringList items;
            for (QAction* a : pMenu->actions())
                items << (a->isSeparator() ? QString("-") : a->text() + "=" + a->data().toString());
            return items.join('|');
        };
        QCOMPARE(describe(popups[0]->menu()),
                 QString("&Refresh Favorites=32778|Open &Favorites Folder=32795|Open &Browser Bookmarks...=32796|"
                         "Open &Web Page or File...=32797|-|&Export Favorites...=32789|-|&Generate Report=32779|-|"
                         "E&xit=57665"));
        QCOMPARE(describe(popups[1]->menu()),
                 QString("&Rename Favorite=32784|-|&Delete Favorite=32771|-|&Copy Favorite URL=57634|Copy Favorite &Name=32773"));
        QCOMPARE(describe(popups[2]->menu()),
                 QString("&Toolbar=59392|&Status Bar=59393|-|&Open in Browser=32774|View &Details=59411|"
                         "Show Pro&blems Only=32798|-|&Properties=32772"));
        QCOMPARE(describe(popups[3]->menu()),
                 QString("&Check All Favorites=32775|&Stop Checking=32780|Delete All Broken Favorites=32781|"
                         "&Update Moved Favorites...=32794|-|C&onfiguration...=32777"));
        QCOMPARE(describe(popups[4]->menu()),
                 QString("&Help (Contents)=57666|-|Show &Legend=32786|-|&About Zorbel=57664"));
    }

    void acceleratorsAreBound()
    {
        QCOMPARE(ActionOf(ID_EDIT_COPY)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}));
        QCOMPARE(ActionOf(ID_FAVORITE_COPYNAME)->shortcut(), QKeySequence("Ctrl+D"));
        QCOMPARE(ActionOf(ID_FAVORITE_DELETE)->shortcut(), QKeySequence("Shift+Del"));
        QCOMPARE(ActionOf(ID_TOOLS_DELETEBROKEN)->shortcut(), QKeySequence("Ctrl+Shift+Del"));
        QCOMPARE(ActionOf(ID_HELP_FINDER)->shortcut(), QKeySequence("F1"));
        QCOMPARE(ActionOf(ID_FAVORITE_RENAME)->shortcut(), QKeySequence("F2"));
        QCOMPARE(ActionOf(ID_FILE_REFRESH)->shortcut(), QKeySequence("F5"));
        QCOMPARE(ActionOf(ID_TOOLS_CHECKALL)->shortcut(), QKeySequence("F7"));
        QCOMPARE(ActionOf(ID_APP_EXIT)->shortcut(), QKeySequence("Alt+X"));
    }

    void promptsBecomeStatusTipsAndTooltips()
    {
        QCOMPARE(ActionOf(ID_TOOLS_CHECKALL)->statusTip(), QString("Start checking all Favorites"));
        // The Check All button's tooltip names its command.
        QCOMPARE(ActionOf(ID_TOOLS_CHECKALL)->toolTip(), QString("Check All Favorites"));
        QCOMPARE(ActionOf(ID_TOOLS_DELETEBROKEN)->statusTip(),
                 QString("Delete all of the Favorites that have checked out as \"Broken\""));
        QCOMPARE(ActionOf(ID_APP_EXIT)->toolTip(), QString("Exit"));
    }

    void toolbarHoldsTheButtonsInOrderAndDoesNotMove()
    {
        QToolBar* pBar = m_pFrame->ToolBar();
        QVERIFY(!pBar->isMovable());
        QVERIFY(!pBar->isFloatable());
        QStringList ids;
        for (QAction* a : pBar->actions())
            ids << (a->isSeparator() ? QString("-") : a->data().toString());
        QCOMPARE(ids.join(' '), QString("32778 - 32772 59411 - 32771 32773 57634 - 32775 32780 - 32781 - "
                                        "32777 - 32779 - 32786 - 57664 - 32798"));
        QVERIFY(!m_pFrame->MenuImageBar()->isVisible());
        QCOMPARE(m_pFrame->MenuImageBar()->actions().size(), 11);
    }

    void commandsWithoutHandlersAreDisabled()
    {
        QVERIFY(!ActionOf(ID_FAVORITE_PROPERTIES)->isEnabled());
        QVERIFY(!ActionOf(ID_TOOLS_DELETEBROKEN)->isEnabled());
        QVERIFY(ActionOf(ID_FILE_REFRESH)->isEnabled());
        QVERIFY(ActionOf(ID_APP_EXIT)->isEnabled());
        QVERIFY(!ActionOf(ID_TOOLS_STOPCHECKING)->isEnabled());
    }

    void checkAllIsDisabledWhileTheListFillsButExitIsNot()
    {
        m_pFrame->View()->State().m_bPopulating = true;
        m_pRouter->UpdateAll();
        // Exit stays: closing stops the filling first.
        QVERIFY(ActionOf(ID_APP_EXIT)->isEnabled());
        QVERIFY(!ActionOf(ID_TOOLS_CHECKALL)->isEnabled());
        QVERIFY(!ActionOf(ID_FILE_REFRESH)->isEnabled());
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_SCANNING), QString(" Scanning "));
        // Even before an update pass has run, a disabled command does not run.
        m_pFrame->View()->State().m_bPopulating = false;
        m_pRouter->UpdateAll();
        m_pFrame->View()->State().m_nActiveWorkers = 2;
        QVERIFY(!m_pRouter->Run(ID_TOOLS_CHECKALL));
        QVERIFY(m_pFrame->isVisible());
        m_pFrame->View()->State().m_nActiveWorkers = 0;
        m_pFrame->View()->State().m_bPopulating = false;
        m_pRouter->UpdateAll();
        QVERIFY(ActionOf(ID_APP_EXIT)->isEnabled());
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_SCANNING), QString());
    }

    void closeWhileBusyStopsTheWorkAndCloses()
    {
        // No pass of the window's own runs: the close does not wait for
        // counts it cannot end, and the settings are written as on any exit.
        m_pFrame->View()->State().m_nActiveWorkers = 3;
        QVERIFY(m_pFrame->close());
        QCOMPARE(CMessageHub::BeepCount(), 0);
        QVERIFY(!m_pFrame->isVisible());
        QVERIFY(m_pProfile->m_ints.find("Settings/OldMFState") != m_pProfile->m_ints.end());
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        m_pFrame->View()->State().m_nActiveWorkers = 0;
    }

    void emptyPanesGiveWayToThePrompts()
    {
        // At the minimum width, with no check and no scan, only the item
        // count stands beside the message pane.
        m_pFrame->resize(m_pFrame->minimumSize());
        m_pRouter->UpdateAll();
        QCoreApplication::processEvents();
        auto* pThreads = m_pFrame->findChild<QLabel*>("paneThreads");
        auto* pScanning = m_pFrame->findChild<QLabel*>("paneScanning");
        QVERIFY(!pThreads->isVisible());
        QVERIFY(!pScanning->isVisible());
        const QString strLongest = "Delete all of the Favorites that have checked out as \"Broken\"";
        m_pFrame->statusBar()->showMessage(strLongest);
        QCoreApplication::processEvents();
        auto* pItems = m_pFrame->findChild<QLabel*>("paneItems");
        const int nRoom = pItems->geometry().left() - m_pFrame->statusBar()->contentsRect().left();
        QVERIFY2(m_pFrame->statusBar()->fontMetrics().horizontalAdvance(strLongest) + 12 <= nRoom,
                 qPrintable(QString("room %1").arg(nRoom)));
        m_pFrame->statusBar()->clearMessage();
    }

    void threadsPaneFollowsTheActiveWorkers()
    {
        m_pFrame->View()->State().m_nActiveWorkers = 4;
        m_pRouter->UpdateAll();
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_THREADS), QString(" Checking - 4 Thread(s) Active "));
        m_pFrame->View()->State().m_nActiveWorkers = 3;
        m_pRouter->UpdateAll();
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_THREADS), QString(" Checking - 3 Thread(s) Active "));
        m_pFrame->View()->State().m_nActiveWorkers = 0;
        m_pRouter->UpdateAll();
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_THREADS), QString());
    }

    void itemCountPaneCountsItemsOrUrls()
    {
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 0 Items "));
        m_pFrame->View()->Sink().InsertNode(kTreeRoot, "Folder", 1, nullptr);
        auto pItem = std::make_shared<FavoriteItem>();
        m_pFrame->View()->Sink().InsertNode(1, "Link", 0, pItem);
        m_pFrame->View()->Sink().Flush();
        m_pRouter->UpdateAll();
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 2 Items "));

        cleanup();
        init();
        MakeFrame("page.html");
        QVERIFY(m_pFrame->View()->State().m_bDocumentMode);
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 0 URLs "));
        m_pFrame->View()->State().m_bDocumentMode = false;
    }

    void exitWritesSettingsAndPlacement()
    {
        QVERIFY(m_pFrame->close());
        QCOMPARE(m_pProfile->m_ints.at("Settings/CommTimeout"), 60);
        QCOMPARE(m_pProfile->m_ints.at("Settings/Threads"), 1);
        QCOMPARE(m_pProfile->m_ints.at("Settings/AutoCheck"), 0);
        QCOMPARE(m_pProfile->m_ints.at("Settings/OldMFState"), 1);
        const auto& bytes = m_pProfile->m_binaries.at("Settings/OldMFWP");
        QCOMPARE(bytes.size(), size_t(44));
        const auto wp = WindowPlacement::FromBytes(bytes);
        QVERIFY(wp);
        QVERIFY(wp->m_nRight - wp->m_nLeft >= 550);
        QVERIFY(wp->m_nBottom - wp->m_nTop >= 450);
    }

    void storedPlacementIsAppliedOnlyWhenItFitsTheWorkArea()
    {
        const QRect area = m_pFrame->WorkArea();
        WindowPlacement wp;
        wp.m_nLeft = 10;
        wp.m_nTop = 20;
        wp.m_nRight = 710;
        wp.m_nBottom = 620;
        m_pProfile->WriteProfileBinary("Settings", "OldMFWP", wp.ToBytes());
        MakeFrame();
        QCOMPARE(m_pFrame->geometry().topLeft(), area.topLeft() + QPoint(10, 20));
        QCOMPARE(m_pFrame->geometry().size(), QSize(700, 600));

        WindowPlacement outside = wp;
        outside.m_nLeft = area.width() - 600 + 1;
        outside.m_nRight = area.width() + 1;
        m_pProfile->WriteProfileBinary("Settings", "OldMFWP", outside.ToBytes());
        MakeFrame();
        QVERIFY(m_pFrame->geometry().right() < area.width());

        std::vector<std::uint8_t> shortRecord = wp.ToBytes();
        shortRecord.pop_back();
        m_pProfile->WriteProfileBinary("Settings", "OldMFWP", shortRecord);
        MakeFrame();
        QCOMPARE(m_pFrame->size(), QSize(550, 450));
    }

    void windowNeverShrinksBelowItsMinimum()
    {
        m_pFrame->resize(100, 100);
        QCOMPARE(m_pFrame->size(), QSize(550, 450));
        // The title names what the list shows in front of the program's name.
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));
    }
};

ZORBEL_GUI_TEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
