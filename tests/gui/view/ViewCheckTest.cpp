// Check All from the main window: icons change to the outcomes, non-web
// entries are skipped, the finished box closes every pass, Stop Checking
// ends a pass whose servers never answer within the time-out, its wait box
// is drawn normally over the disabled window, and a favourite removed while
// the pass runs is neither checked nor shown again.
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/settings/CheckSettings.h"
#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/Commands.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"
#include "support/TestHttpServer.h"

class ViewCheckTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    MemoryProfile m_profile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;
    std::unique_ptr<CTestHttpServer> m_pServer;

    std::shared_ptr<FavoriteItem> Add(const std::string& strName, const std::string& strUrl, int nKind = 0)
    {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strName = strName;
        pItem->m_strUrl = strUrl;
        pItem->m_nKind = nKind;
        m_pFrame->View()->Sink().InsertNode(kTreeRoot, strName, nKind, pItem);
        return pItem;
    }

    int ImageOf(const std::shared_ptr<FavoriteItem>& pItem)
    {
        return m_pFrame->View()->Sink().NodeImage(pItem->m_hItem);
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
        m_profile.WriteProfileInt("Settings", "Threads", 4);
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
        m_pServer.reset();
    }

    void checkAllMarksEveryFavoriteAndReportsTheEnd()
    {
        auto pValid = Add("Valid", m_pServer->Url("/200"));
        auto pMissing = Add("Missing", m_pServer->Url("/404"));
        auto pMoved = Add("Moved", m_pServer->Url("/302-no-location"));
        auto pFile = Add("File", "/etc/hostname", 3);
        m_pFrame->View()->Sink().Flush();
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);
        const auto& box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_strText, QString("Zorbel has finished checking your Favorites.\n"));
        QCOMPARE(box.m_strCaption, QString("Finished Checking Favorites"));
        QCOMPARE(box.m_nIcon, QMessageBox::Information);

        QCOMPARE(pValid->Status(), int(StatusValid));
        QCOMPARE(ImageOf(pValid), 8);
        QCOMPARE(pMissing->Status(), int(StatusPartiallyValid));
        QCOMPARE(ImageOf(pMissing), 32);
        QCOMPARE(pMoved->Status(), int(StatusMoved));
        QCOMPARE(pFile->Status(), int(StatusSkipped));
        QCOMPARE(ImageOf(pFile), 27);
        QCOMPARE(m_pFrame->View()->State().m_nBrokenCount.load(), 1);
        QCOMPARE(m_pFrame->View()->State().m_nActiveWorkers.load(), 0);
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_TOOLS_CHECKALL)->isEnabled());
    }

    void stopEndsAPassOnHangingServersWithinTheTimeout()
    {
        m_pFrame->View()->Settings().m_nTimeoutMs = 1500;
        m_pFrame->View()->Settings().m_nThreadCount = 3;
        for (int i = 0; i < 6; ++i)
            Add("Hang", m_pServer->Url("/hang/" + std::to_string(i)));
        m_pFrame->View()->Sink().Flush();
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_VERIFY(m_pFrame->View()->State().m_nActiveWorkers == 3);
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_TOOLS_STOPCHECKING)->isEnabled());
        // Exit stays enabled: it stops the check, then closes.
        QVERIFY(m_pRouter->Action(ID_APP_EXIT)->isEnabled());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_pRouter->Run(ID_TOOLS_STOPCHECKING));
        QVERIFY(timer.elapsed() < 1500 + 3000);
        QCOMPARE(m_pFrame->View()->State().m_nActiveWorkers.load(), 0);
        QVERIFY(m_pFrame->isEnabled());
        QTRY_COMPARE(CMessageHub::ShownBoxes().size(), 1);
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_APP_EXIT)->isEnabled());
    }

    void waitBoxStaysEnabledWhileTheWindowIsDisabled()
    {
        m_pFrame->View()->Settings().m_nTimeoutMs = 1000;
        m_pFrame->View()->Settings().m_nThreadCount = 1;
        auto pHang = Add("Hang", m_pServer->Url("/hang/wait"));
        m_pFrame->View()->Sink().Flush();
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_VERIFY(m_pFrame->View()->State().m_nActiveWorkers == 1);
        // The worker runs before the favourite is handed to it; a stop before
        // that ends the pass at once, with no wait box to see.
        QTRY_VERIFY(pHang->Status() == StatusChecking);
        // The box comes only once the end takes more than half a second;
        // it is looked for while the stop waits.
        bool bSeen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* pTop : QApplication::topLevelWidgets()) {
                if (bSeen || pTop->objectName() != "cleanupWaitDlg" || !pTop->isVisible())
                    continue;
                bSeen = true;
                QVERIFY(!m_pFrame->isEnabled());
                QVERIFY(pTop->isEnabled());
                QVERIFY(pTop->findChild<QWidget*>("waitText")->isEnabled());
            }
        });
        poll.start(20);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_pRouter->Run(ID_TOOLS_STOPCHECKING));
        QVERIFY(bSeen || timer.elapsed() < 600);
    }

    void favoriteRemovedDuringAPassIsNotCheckedAndLeavesTheTree()
    {
        m_pFrame->View()->Settings().m_nTimeoutMs = 5000;
        m_pFrame->View()->Settings().m_nThreadCount = 1;
        m_pServer->SetDelay(std::chrono::milliseconds(150));
        std::vector<std::shared_ptr<FavoriteItem>> items;
        for (int i = 0; i < 5; ++i)
            items.push_back(Add("Link " + std::to_string(i), m_pServer->Url("/ok/" + std::to_string(i))));
        CZorbelView& view = *m_pFrame->View();
        view.Sink().Flush();
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE(items[0]->Status(), int(StatusChecking));
        // The one being checked and one still to come.
        view.RemoveRecord(items[0].get());
        view.RemoveRecord(items[3].get());
        QCOMPARE(view.Items().size(), size_t(3));
        QCOMPARE(view.Sink().NodeCount(), size_t(3));
        QCOMPARE(view.Sink().NodeImage(items[3]->m_hItem), -1);
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);

        QCOMPARE(items[3]->Status(), int(StatusNotChecked));
        for (int i : {1, 2, 4})
            QCOMPARE(items[size_t(i)]->Status(), int(StatusValid));
        for (const auto& request : m_pServer->Requests())
            QVERIFY(request.m_strPath != "/ok/3");
        QCOMPARE(view.Tree()->topLevelItemCount(), 3);
        for (int i = 0; i < view.Tree()->topLevelItemCount(); ++i) {
            const FavoriteItem* pRecord = view.RecordOf(view.Tree()->topLevelItem(i));
            QVERIFY(pRecord != items[0].get() && pRecord != items[3].get());
        }
    }
};

ZORBEL_GUI_TEST_MAIN(ViewCheckTest)
#include "ViewCheckTest.moc"
