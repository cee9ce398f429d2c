// View Details and Generate Report from the main window: the details show
// the selected favourite with its folders in the name; a status chosen by
// hand changes the record's status and the node's picture (its kind read
// from the picture) but not the text or the counters; the same status or
// Cancel changes nothing; the dialog's width goes to the frame's settings.
// The report counts the list by exact status as it is when opened, a
// status changed by hand under the new one, is offered once a favourite was
// checked and no list is being filled, and does not follow a running check.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include "core/model/LinkStatus.h"
#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/LinkDetailsDlg.h"
#include "gui/view/ReportDlg.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "ModalDialog.h"
#include "support/MemoryProfile.h"

class ViewResultsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    CZorbelView& View() { return *m_pFrame->View(); }

    TreeNode AddFolder(TreeNode parent, const std::string& strName)
    {
        return View().Sink().InsertNode(parent, strName, 1, nullptr);
    }

    std::shared_ptr<FavoriteItem> Add(TreeNode parent, const std::string& strFolder, const std::string& strName,
                                      int nImage, int nStatus = 0, const std::string& strText = {})
    {
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strName = strName;
        pItem->m_strFolder = strFolder;
        pItem->m_strUrl = "http://example.org/" + strName;
        pItem->m_strPath = "/favorites/" + strName + ".url";
        pItem->m_nKind = nImage % 4;
        pItem->SetOutcome(nStatus, strText);
        View().Sink().InsertNode(parent, strName, nImage, pItem);
        View().Sink().Flush();
        return pItem;
    }

    QTreeWidgetItem* WidgetOf(TreeNode node)
    {
        for (QTreeWidgetItemIterator it(View().Tree()); *it; ++it)
            if (CViewTreeSink::NodeOf(*it) == node)
                return *it;
        return nullptr;
    }

    void Select(TreeNode node)
    {
        QTreeWidgetItem* pWidget = WidgetOf(node);
        QVERIFY(pWidget);
        View().Tree()->setCurrentItem(pWidget);
        m_pRouter->UpdateAll();
    }

    // The sentences of the report opened from the File menu.
    QStringList RunReport()
    {
        QStringList rows;
        WhenModal<CReportDlg>([&rows](CReportDlg* p) {
            for (int i = 0; i < p->FindingsList()->topLevelItemCount(); ++i)
                rows << p->FindingsList()->topLevelItem(i)->text(0);
            p->CloseButton()->click();
        });
        m_pRouter->UpdateAll();
        if (!m_pRouter->Run(ID_FILE_REPORT))
            return {"not run"};
        return rows;
    }

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
        m_pProfile = std::make_unique<MemoryProfile>();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        m_doc.OnNewDocument();
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QTRY_VERIFY(!View().State().m_bPopulating);
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void detailsShowTheSelectedFavoriteWithItsFolders_data()
    {
        QTest::addColumn<bool>("bInFolders");
        QTest::addColumn<QString>("strName");
        QTest::newRow("in News/Sport") << true << "News/Sport/Daily";
        QTest::newRow("at the top level") << false << "Daily";
    }
    void detailsShowTheSelectedFavoriteWithItsFolders()
    {
        QFETCH(bool, bInFolders);
        QFETCH(QString, strName);
        TreeNode parent = kTreeRoot;
        if (bInFolders)
            parent = AddFolder(AddFolder(kTreeRoot, "News"), "Sport");
        auto pItem = Add(parent, bInFolders ? "News/Sport" : "", "Daily", 2, StatusValid, "Link is valid");
        Select(pItem->m_hItem);
        QVERIFY(m_pRouter->Action(ID_FAVORITE_DETAILS)->isEnabled());

        QStringList fields;
        int nSelected = -1;
        WhenModal<CLinkDetailsDlg>([&](CLinkDetailsDlg* p) {
            fields << p->NameEdit()->text() << p->PathEdit()->text() << p->UrlEdit()->text()
                   << p->MemoEdit()->toPlainText();
            nSelected = p->StatusCombo()->currentData().toInt();
            p->CloseButton()->click();
        });
        QVERIFY(m_pRouter->Run(ID_FAVORITE_DETAILS));
        QCOMPARE(fields, QStringList({strName, "/favorites/Daily.url", "http://example.org/Daily", "Link is valid"}));
        QCOMPARE(nSelected, int(StatusValid));
    }

    void detailsNeedASelectedFavorite()
    {
        const TreeNode folder = AddFolder(kTreeRoot, "News");
        Add(folder, "News", "Daily", 0);
        m_pRouter->UpdateAll();
        QVERIFY(!m_pRouter->Action(ID_FAVORITE_DETAILS)->isEnabled());
        Select(folder);
        QVERIFY(!m_pRouter->Action(ID_FAVORITE_DETAILS)->isEnabled());
        QVERIFY(!m_pRouter->Run(ID_FAVORITE_DETAILS));
    }

    void statusChosenByHandShowsTheIconOfTheNodesKind_data()
    {
        QTest::addColumn<int>("nRow");
        QTest::addColumn<int>("nStatus");
        QTest::addColumn<int>("nOffset");
        QTest::newRow("skipped") << 7 << int(StatusSkipped) << 24;
        QTest::newRow("moved") << 8 << int(StatusMoved) << 28;
        QTest::newRow("authorisation required") << 6 << int(StatusAuthRequired) << 20;
    }
    void statusChosenByHandShowsTheIconOfTheNodesKind()
    {
        QFETCH(int, nRow);
        QFETCH(int, nStatus);
        QFETCH(int, nOffset);
        // A broken shortcut by its picture; the record's own kind says
        // otherwise, and the picture is the one that counts.
        auto pItem = Add(kTreeRoot, "", "Daily", 4 + 3, StatusBroken, "Host not found");
        pItem->m_nKind = 0;
        View().State().m_nBrokenCount = 1;
        Select(pItem->m_hItem);
        WhenModal<CLinkDetailsDlg>([nRow](CLinkDetailsDlg* p) {
            p->StatusCombo()->setCurrentIndex(nRow);
            p->OkButton()->click();
        });
        QVERIFY(m_pRouter->Run(ID_FAVORITE_DETAILS));
        QCOMPARE(pItem->Status(), nStatus);
        QCOMPARE(View().Sink().NodeImage(pItem->m_hItem), nOffset + 3);
        QCOMPARE(WidgetOf(pItem->m_hItem)->icon(0).cacheKey(), View().ImageList().at(nOffset + 3).cacheKey());
        QCOMPARE(pItem->StatusText(), std::string("Host not found"));
        QCOMPARE(View().State().m_nBrokenCount.load(), 1);
    }

    void theSameStatusOrCancelChangesNothing()
    {
        auto pItem = Add(kTreeRoot, "", "Daily", 4, StatusBroken);
        Select(pItem->m_hItem);
        WhenModal<CLinkDetailsDlg>([](CLinkDetailsDlg* p) {
            p->StatusCombo()->setCurrentIndex(2);
            p->StatusCombo()->setCurrentIndex(4);
            p->OkButton()->click();
        });
        QVERIFY(m_pRouter->Run(ID_FAVORITE_DETAILS));
        WhenModal<CLinkDetailsDlg>([](CLinkDetailsDlg* p) {
            p->StatusCombo()->setCurrentIndex(2);
            p->CloseButton()->click();
        });
        QVERIFY(m_pRouter->Run(ID_FAVORITE_DETAILS));
        QCOMPARE(pItem->Status(), int(StatusBroken));
        QCOMPARE(View().Sink().NodeImage(pItem->m_hItem), 4);
    }

    void detailsWidthGoesToTheFramesSettings()
    {
        auto pItem = Add(kTreeRoot, "", "Daily", 0);
        Select(pItem->m_hItem);
        int nWidth = 0;
        WhenModal<CLinkDetailsDlg>([&nWidth](CLinkDetailsDlg* p) {
            p->resize(p->width() + 33, p->height());
            nWidth = p->width();
            p->CloseButton()->click();
        });
        QVERIFY(m_pRouter->Run(ID_FAVORITE_DETAILS));
        QCOMPARE(m_pProfile->m_ints["Settings/LastDetailsDlgWidth"], nWidth);
    }

    void reportCountsByExactStatus()
    {
        for (int nStatus : {16, 4, 64, 32, 2, 8})
            Add(kTreeRoot, "", "F" + std::to_string(nStatus), 0, nStatus);
        // Not yet checked, still being checked: counted nowhere.
        Add(kTreeRoot, "", "Waiting", 0, StatusNotChecked);
        Add(kTreeRoot, "", "Busy", 16, StatusChecking);
        View().State().m_bChecked = true;
        QCOMPARE(RunReport(), QStringList({"1 link was skipped", "1 link appears to be broken",
                                           "1 link is \"partially\" broken",
                                           "1 link appears to have have its target moved", "1 link is still valid",
                                           "1 link could not be tested correctly"}));
    }

    void reportCountsAuthorisationWithTheUnverified()
    {
        Add(kTreeRoot, "", "A", 20, StatusAuthRequired);
        Add(kTreeRoot, "", "B", 20, StatusAuthRequired);
        Add(kTreeRoot, "", "C", 12, StatusUnverified);
        View().State().m_bChecked = true;
        const QStringList rows = RunReport();
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows.first(), QString("0 links were skipped"));
        QCOMPARE(rows.last(), QString("3 links could not be tested correctly"));
    }

    void reportCountsAStatusChangedByHandUnderTheNewOne()
    {
        auto pItem = Add(kTreeRoot, "", "Daily", 4, StatusBroken);
        View().State().m_bChecked = true;
        Select(pItem->m_hItem);
        WhenModal<CLinkDetailsDlg>([](CLinkDetailsDlg* p) {
            p->StatusCombo()->setCurrentIndex(2); // valid
            p->OkButton()->click();
        });
        QVERIFY(m_pRouter->Run(ID_FAVORITE_DETAILS));
        const QStringList rows = RunReport();
        QCOMPARE(rows.value(1), QString("0 links appear to be broken"));
        QCOMPARE(rows.value(4), QString("1 link is still valid"));
    }

    void reportIsASnapshotThatARunningCheckDoesNotChange()
    {
        auto pItem = Add(kTreeRoot, "", "Daily", 16, StatusChecking);
        View().State().m_bChecked = true;
        View().State().m_nActiveWorkers = 1; // a pass runs: the report stays available
        QStringList before;
        QStringList after;
        WhenModal<CReportDlg>([&](CReportDlg* p) {
            for (int i = 0; i < 6; ++i)
                before << p->FindingsList()->topLevelItem(i)->text(0);
            pItem->SetOutcome(StatusValid, "Link is valid");
            QApplication::processEvents();
            for (int i = 0; i < 6; ++i)
                after << p->FindingsList()->topLevelItem(i)->text(0);
            p->CloseButton()->click();
        });
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_FILE_REPORT));
        QCOMPARE(before.value(4), QString("0 links are still valid"));
        QCOMPARE(after, before);
    }

    void reportIsOfferedOnceCheckedAndNotWhileTheListFills()
    {
        m_pRouter->UpdateAll();
        QVERIFY(!m_pRouter->Action(ID_FILE_REPORT)->isEnabled());
        QVERIFY(!m_pRouter->Run(ID_FILE_REPORT));
        View().State().m_bChecked = true;
        View().State().m_bPopulating = true;
        m_pRouter->UpdateAll();
        QVERIFY(!m_pRouter->Action(ID_FILE_REPORT)->isEnabled());
        View().State().m_bPopulating = false;
        View().State().m_nActiveWorkers = 3;
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_FILE_REPORT)->isEnabled());
    }
};

ZORBEL_GUI_TEST_MAIN(ViewResultsTest)
#include "ViewResultsTest.moc"
