// The window around a check: the status bar shows how far a pass is and
// keeps its counts after the end box; Stop is in the Tools menu and on Esc;
// a Stop ends a pass over links that never answer within a second, without
// the wait box; closing the window during a check or while the list fills
// stops that work, closes, and saves the settings as any exit does.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"
#include "support/TestHttpServer.h"

class CheckProgressTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    MemoryProfile m_profile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;
    std::unique_ptr<CTestHttpServer> m_pServer;

    CZorbelView& View() const { return *m_pFrame->View(); }

    std::shared_ptr<FavoriteItem> Add(const std::string& strName, const std::string& strUrl)
    {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strName = strName;
        pItem->m_strUrl = strUrl;
        View().Sink().InsertNode(kTreeRoot, strName, 0, pItem);
        return pItem;
    }
    void StartCheck()
    {
        View().Sink().Flush();
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
    }
    bool WaitBoxShown() const
    {
        for (QWidget* pTop : QApplication::topLevelWidgets())
            if (pTop->objectName() == "cleanupWaitDlg" && pTop->isVisible())
                return true;
        return false;
    }

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
        m_pServer = std::make_unique<CTestHttpServer>();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, m_profile);
        m_doc.OnNewDocument();
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QTRY_VERIFY(!View().State().m_bPopulating);
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
        m_pServer.reset();
    }

    void statusBarCountsThePassAndKeepsTheCountsAfterTheEnd()
    {
        View().Settings().m_nThreadCount = 2;
        View().Settings().m_nTimeoutMs = 10000;
        m_pServer->SetDelay(std::chrono::milliseconds(60));
        for (int i = 0; i < 12; ++i)
            Add("Link " + std::to_string(i), m_pServer->Url(i % 4 == 3 ? "/missing/" + std::to_string(i)
                                                                       : "/ok/" + std::to_string(i)));
        auto* pBar = m_pFrame->findChild<QProgressBar*>("progressBar");
        QVERIFY(pBar);
        QVERIFY(!pBar->isVisible());
        StartCheck();

        // Midway: the bar shows, its count grows and names the total.
        QTRY_VERIFY(View().State().m_nPassDone >= 3);
        m_pRouter->UpdateAll();
        QVERIFY(pBar->isVisible());
        QCOMPARE(pBar->maximum(), 12);
        QVERIFY(pBar->value() >= 3 && pBar->value() < 12);
        QVERIFY2(m_pFrame->PaneText(ID_INDICATOR_PROGRESS).contains(QString("of 12 checked")),
                 qPrintable(m_pFrame->PaneText(ID_INDICATOR_PROGRESS)));
        QVERIFY(pBar->value() > 0);

        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);
        QCOMPARE(CMessageHub::ShownBoxes().first().m_strText, QString("Zorbel has finished checking your Favorites.\n"));
        m_pRouter->UpdateAll();
        // After the end: the counts stay, the bar goes.
        QVERIFY(!pBar->isVisible());
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_PROGRESS), QString(" 12 of 12 checked, 3 broken "));
        QTest::qWait(50);
        m_pRouter->UpdateAll();
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_PROGRESS), QString(" 12 of 12 checked, 3 broken "));
    }

    void stopIsInTheToolsMenuUnderCheckAllAndOnEsc()
    {
        QMenu* pTools = nullptr;
        for (QAction* pAction : m_pFrame->menuBar()->actions())
            if (pAction->text() == "&Tools")
                pTools = pAction->menu();
        QVERIFY(pTools);
        QList<int> ids;
        for (QAction* pAction : pTools->actions())
            ids << (pAction->isSeparator() ? 0 : pAction->data().toInt());
        QCOMPARE(ids.mid(0, 2), (QList<int>{ID_TOOLS_CHECKALL, ID_TOOLS_STOPCHECKING}));
        QCOMPARE(m_pRouter->Action(ID_TOOLS_STOPCHECKING)->shortcut(), QKeySequence(Qt::Key_Escape));
        QCOMPARE(m_pRouter->Action(ID_TOOLS_CHECKALL)->toolTip(), QString("Check All Favorites"));

        // Esc while a check runs stops it.
        View().Settings().m_nTimeoutMs = 1000;
        View().Settings().m_nThreadCount = 2;
        for (int i = 0; i < 4; ++i)
            Add("Hang", m_pServer->Url("/hang/esc" + std::to_string(i)));
        StartCheck();
        QTRY_VERIFY(View().State().m_nActiveWorkers == 2);
        m_pRouter->UpdateAll();
        View().Tree()->setFocus();
        QTest::keyClick(View().Tree(), Qt::Key_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(View().State().m_nActiveWorkers.load(), 0, 5000);
        QTRY_COMPARE(CMessageHub::ShownBoxes().size(), 1);
    }

    // 20 links that never answer, a time-out of a minute: Stop ends the
    // pass within a second and no wait box is needed for that.
    void stopEndsAPassOfNeverAnsweringLinksWithinASecond()
    {
        View().Settings().m_nTimeoutMs = 60000;
        View().Settings().m_nThreadCount = 16;
        std::vector<std::shared_ptr<FavoriteItem>> items;
        for (int i = 0; i < 20; ++i)
            items.push_back(Add("Hang " + std::to_string(i), m_pServer->Url("/hang/" + std::to_string(i))));
        StartCheck();
        QTRY_VERIFY(View().State().m_nActiveWorkers == 16);
        QTRY_VERIFY(std::count_if(items.begin(), items.end(),
                                  [](const auto& p) { return p->Status() == StatusChecking; }) == 16);
        bool bBoxSeen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] { bBoxSeen = bBoxSeen || WaitBoxShown(); });
        poll.start(20);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_pRouter->Run(ID_TOOLS_STOPCHECKING));
        const qint64 nElapsed = timer.elapsed();
        QVERIFY2(nElapsed < 1000, qPrintable(QString("Stop took %1 ms").arg(nElapsed)));
        QVERIFY(!bBoxSeen);
        QCOMPARE(View().State().m_nActiveWorkers.load(), 0);
        QVERIFY(m_pFrame->isEnabled());
        // The links abandoned keep what they had: none of them is called gone.
        for (const auto& pItem : items)
            QVERIFY(!LinkStatusInfoFor(pItem->Status()).m_bIsBroken);
    }

    void waitBoxComesOnlyAfterHalfASecond()
    {
        // Today's end of a check may take longer than that; the box then
        // shows, over a disabled window, and goes with the end.
        View().Settings().m_nTimeoutMs = 1000;
        View().Settings().m_nThreadCount = 1;
        auto pHang = Add("Hang", m_pServer->Url("/hang/box"));
        StartCheck();
        QTRY_VERIFY(pHang->Status() == StatusChecking);
        QElapsedTimer timer;
        qint64 nFirstSeen = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (nFirstSeen < 0 && WaitBoxShown()) {
                nFirstSeen = timer.elapsed();
                QVERIFY(!m_pFrame->isEnabled());
            }
        });
        poll.start(10);
        timer.start();
        QVERIFY(m_pRouter->Run(ID_TOOLS_STOPCHECKING));
        const qint64 nElapsed = timer.elapsed();
        if (nElapsed < 500) {
            QCOMPARE(nFirstSeen, qint64(-1));
        } else {
            QVERIFY(nFirstSeen >= 450);
        }
        QVERIFY(!WaitBoxShown());
        QVERIFY(m_pFrame->isEnabled());
    }

    void closeDuringACheckStopsItThenClosesAndSavesTheSettings()
    {
        // However the engine ends its checks, the close waits no longer than
        // a Stop does (at most the time-out and its grace).
        View().Settings().m_nTimeoutMs = 1000;
        View().Settings().m_nThreadCount = 4;
        for (int i = 0; i < 8; ++i)
            Add("Hang", m_pServer->Url("/hang/close" + std::to_string(i)));
        StartCheck();
        QTRY_VERIFY(View().State().m_nActiveWorkers == 4);
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_APP_EXIT)->isEnabled());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_pFrame->close());
        QVERIFY2(timer.elapsed() < 1000 + 3000, qPrintable(QString("close took %1 ms").arg(timer.elapsed())));
        QVERIFY(!m_pFrame->isVisible());
        QCOMPARE(CMessageHub::BeepCount(), 0);
        // The end box of the stopped pass is not shown to a closing window.
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        QCOMPARE(m_profile.m_ints.at("Settings/CommTimeout"), 1);
        QCOMPARE(m_profile.m_ints.at("Settings/Threads"), 4);
        QVERIFY(m_profile.m_ints.count("Settings/OldMFState") == 1);
    }

    // Not a check: with ZORBEL_PICTURE=<file.png> it draws the window during a
    // check of a local page's links, for the README.
    void pictureOfACheckInProgress()
    {
        const QString strPicture = qEnvironmentVariable("ZORBEL_PICTURE");
        if (strPicture.isEmpty())
            QSKIP("ZORBEL_PICTURE names no file to draw into");
        cleanup();
        CMessageHub::ResetRecord();
        m_pServer = std::make_unique<CTestHttpServer>();
        QTemporaryDir dir;
        const struct {
            const char* m_pszName;
            std::string m_strPath;
        } links[] = {
            {"Ornamy Software", "/ok/home"},           {"Daily News", "/ok/news"},
            {"Weather Where I Live", "/ok/weather"},   {"Old Photo Forum", "/missing/forum"},
            {"Recipes From Grandma", "/ok/recipes"},   {"Train Timetables", "/moved/trains"},
            {"Local Library", "/ok/library"},          {"Chess Club", "/missing/chess"},
            {"Garden Centre", "/wait/20000/ok/garden"}, {"Bird Watching Notes", "/wait/20000/ok/birds"},
            {"Model Railway Shop", "/wait/20000/ok/rail"}, {"Town Council", "/wait/20000/ok/town"},
            {"Cycling Routes", "/ok/cycling"},         {"Open Source Desk", "/ok/desk"},
        };
        // A Favorites folder of shortcuts to the test server.
        const QString strFavorites = dir.filePath("Favorites");
        int nLink = 0;
        for (const auto& link : links) {
            const QString strFolder = nLink++ < 6 ? "/" : "/Hobbies/";
            QDir().mkpath(strFavorites + strFolder);
            QFile file(strFavorites + strFolder + link.m_pszName + ".url");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[InternetShortcut]\r\nURL=" + QByteArray::fromStdString(m_pServer->Url(link.m_strPath)) + "\r\n");
        }
        qputenv("ZORBEL_FAVORITES", QFile::encodeName(strFavorites));
        m_profile.WriteProfileInt("Settings", "Threads", 6);
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, m_profile);
        m_doc.OnNewDocument();
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->resize(640, 480);
        m_pFrame->show();
        QTRY_VERIFY(!View().State().m_bPopulating && View().Items().size() == std::size(links));
        StartCheck();
        QTRY_VERIFY_WITH_TIMEOUT(View().State().m_nPassDone >= 8, 10000);
        View().Tree()->setCurrentItem(View().Tree()->topLevelItem(4));
        m_pRouter->UpdateAll();
        QTest::qWait(300);
        m_pRouter->UpdateAll();
        QVERIFY(m_pFrame->grab().save(strPicture));
        m_pRouter->Run(ID_TOOLS_STOPCHECKING);
    }

    void exitWhileTheListFillsStopsTheFillingAndCloses()
    {
        // A page that takes its time to come fills the list in document mode.
        cleanup();
        CMessageHub::ResetRecord();
        m_pServer = std::make_unique<CTestHttpServer>();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, m_profile);
        m_doc.SetPathName(m_pServer->Url("/wait/30000/ok/page"), false);
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QTRY_VERIFY(View().State().m_bPopulating);
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_APP_EXIT)->isEnabled());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_pRouter->Run(ID_APP_EXIT));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString("exit took %1 ms").arg(timer.elapsed())));
        QVERIFY(!m_pFrame->isVisible());
        QVERIFY(m_profile.m_ints.count("Settings/OldMFState") == 1);
    }
};

ZORBEL_GUI_TEST_MAIN(CheckProgressTest)
#include "CheckProgressTest.moc"
