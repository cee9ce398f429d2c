// Delete All Broken Favorites on a Favorites folder of temporary files: the
// list and its check box, the Delete key wherever the focus is, OK only
// while rows remain, the deletion after a real check with a read-only file
// among them, the errors dialog with its summary and lines (a channel
// folder's among them), the box when all went, and a second run that lists
// only what is left.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/model/LinkStatus.h"
#include "core/settings/CheckSettings.h"
#include "FavoritesFrame.h"
#include "gui/view/DeleteBrokenDlg.h"
#include "gui/view/BatchErrorsDlg.h"
#include "GuiTestMain.h"
#include "support/TestHttpServer.h"

class DeleteAllBrokenTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FavoritesFrame> m_pf;

    static QStringList Rows(const QListWidget* pList)
    {
        QStringList rows;
        for (int i = 0; i < pList->count(); ++i)
            rows << pList->item(i)->text();
        return rows;
    }
    void SetStatus(const QString& strLabel, std::int32_t nStatus)
    {
        FavoriteItem* pItem = m_pf->Record(strLabel);
        QVERIFY(pItem);
        pItem->SetOutcome(nStatus, "set by the test");
    }

    // What the errors dialog showed.
    struct ErrorsSeen {
        QString m_strTitle;
        QString m_strSummary;
        QString m_strErrors;
    };
    // Runs the command, presses OK in the list dialog, and reads the errors
    // dialog if one follows.
    ErrorsSeen RunAndConfirm()
    {
        ErrorsSeen seen;
        ModalWatch watchList([&seen](QWidget* pDlg) {
            // The errors dialog follows from inside this answer's OK.
            auto* pWatchErrors = new ModalWatch([&seen](QWidget* pErrors) {
                seen.m_strTitle = pErrors->windowTitle();
                seen.m_strSummary = pErrors->findChild<QLabel*>("1003")->text();
                seen.m_strErrors = pErrors->findChild<QPlainTextEdit*>("1004")->toPlainText();
                QTest::keyClick(pErrors, Qt::Key_Return); // the default button
            }, "deleteErrorsDlg");
            QObject::connect(pDlg, &QObject::destroyed, [pWatchErrors] { delete pWatchErrors; });
            static_cast<QDialog*>(pDlg)->accept();
        }, "deleteBrokenDlg");
        m_pf->m_pRouter->Run(ID_TOOLS_DELETEBROKEN);
        return seen;
    }

    // The Delete key in the list dialog, with the focus on the check box and
    // on OK; the key goes to whichever control has the focus.
    void CheckDeleteKey(CDeleteBrokenDlg* pDlg, bool& bChecked)
    {
        QVERIFY(QTest::qWaitForWindowActive(pDlg));
        QListWidget* pList = pDlg->List();
        pList->item(1)->setSelected(true);
        pDlg->IncludePartialBox()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pDlg->IncludePartialBox());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(Rows(pList), (QStringList{"A", "C"}));
        // No row selected: a beep, nothing removed.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(CMessageHub::BeepCount(), 1);
        QCOMPARE(pList->count(), 2);
        // The last rows go: OK is disabled.
        pList->selectAll();
        pDlg->OkButton()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pDlg->OkButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(pList->count(), 0);
        QVERIFY(!pDlg->OkButton()->isEnabled());
        bChecked = true;
    }

private slots:
    void init()
    {
        m_pf = std::make_unique<FavoritesFrame>();
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
    }
    void cleanup()
    {
        m_pf->Close();
        m_pf.reset();
    }

    void listShowsTheBrokenAndOnRequestThePartiallyValidOnes()
    {
        for (const char* pszName : {"A", "B", "C", "D"})
            m_pf->WriteUrl(QString(pszName) + ".url", "http://127.0.0.1:1/");
        m_pf->Open({"A", "B", "C", "D"});
        SetStatus("A", StatusBroken);
        SetStatus("B", StatusPartiallyValid);
        SetStatus("C", StatusValid);
        SetStatus("D", StatusBroken);
        // The list shows the stored names, also after a label was changed.
        m_pf->Node("D")->setText(0, "D renamed");

        CDeleteBrokenDlg dlg(m_pf->m_pFrame.get(), nullptr);
        const auto items = m_pf->View().Items();
        CFavoriteList list(items);
        CDeleteBrokenDlg dlgList(m_pf->m_pFrame.get(), &list);
        QCOMPARE(Rows(dlgList.List()), (QStringList{"A", "D"}));
        QVERIFY(dlgList.OkButton()->isEnabled());
        dlgList.IncludePartialBox()->click();
        QCOMPARE(Rows(dlgList.List()), (QStringList{"A", "B", "D"}));
        dlgList.IncludePartialBox()->click();
        QCOMPARE(Rows(dlgList.List()), (QStringList{"A", "D"}));
        QVERIFY(!dlgList.IncludePartialBox()->isChecked());

        // Nothing listed: OK stays disabled.
        QCOMPARE(Rows(dlg.List()), QStringList());
        QVERIFY(!dlg.OkButton()->isEnabled());
    }

    void deleteKeyRemovesSelectedRowsWhereverTheFocusIs()
    {
        for (const char* pszName : {"A", "B", "C"})
            m_pf->WriteUrl(QString(pszName) + ".url", "http://127.0.0.1:1/");
        m_pf->Open({"A", "B", "C"});
        for (const char* pszName : {"A", "B", "C"})
            SetStatus(pszName, StatusBroken);
        m_pf->View().State().m_nBrokenCount = 3;

        bool bChecked = false;
        ModalWatch watch([&](QWidget* pWidget) {
            auto* pDlg = static_cast<CDeleteBrokenDlg*>(pWidget);
            CheckDeleteKey(pDlg, bChecked);
            QTest::keyClick(pDlg, Qt::Key_Escape); // closes it whatever the checks found
        });
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_DELETEBROKEN));
        QVERIFY(bChecked);
        for (const char* pszName : {"A", "B", "C"})
            QVERIFY(m_pf->Exists(QString(pszName) + ".url"));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void afterACheckTwoAreDeletedAndOneReadOnlyStays()
    {
        CTestHttpServer server;
        m_pf->WriteUrl("Alive.url", QByteArray::fromStdString(server.Url("/200")));
        m_pf->WriteUrl("Dead One.url", "http://127.0.0.1:1/one");
        m_pf->WriteUrl("Dead Two.url", "http://127.0.0.1:1/two");
        m_pf->WriteUrl("Locked.url", "http://127.0.0.1:1/locked");
        m_pf->WriteUrl("Missing Page.url", QByteArray::fromStdString(server.Url("/404")));
        QFile::setPermissions(m_pf->Path("Locked.url"), QFile::ReadOwner | QFile::ReadGroup);
        m_pf->Open({"Alive", "Dead One", "Dead Two", "Locked", "Missing Page"});
        QVERIFY(!m_pf->Enabled(ID_TOOLS_DELETEBROKEN));
        m_pf->View().Settings().m_nThreadCount = 4;
        m_pf->View().Settings().m_nTimeoutMs = 5000;
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);
        QCOMPARE(m_pf->Record("Dead One")->Status(), int(StatusBroken));
        QVERIFY(m_pf->Enabled(ID_TOOLS_DELETEBROKEN));

        const ErrorsSeen seen = RunAndConfirm();
        QCOMPARE(seen.m_strTitle, QString("Errors Occurred While Deleting Favorites"));
        QCOMPARE(seen.m_strSummary, QString("2 of the broken links were deleted successfully.  Below is the error for "
                                            "the 1 that could not be deleted."));
        QCOMPARE(seen.m_strErrors, QString("Could not delete \"Locked\": Permission denied"));
        QVERIFY(!m_pf->Exists("Dead One.url"));
        QVERIFY(!m_pf->Exists("Dead Two.url"));
        QVERIFY(m_pf->Exists("Locked.url"));
        QVERIFY(m_pf->Exists("Missing Page.url")); // partially valid: not listed
        QVERIFY(!m_pf->Node("Dead One"));
        QVERIFY(m_pf->Node("Locked"));
        QCOMPARE(m_pf->View().Items().size(), size_t(3));

        // The command stays enabled; a second run lists only what is left.
        QVERIFY(m_pf->Enabled(ID_TOOLS_DELETEBROKEN));
        QStringList secondRows;
        ModalWatch watch([&secondRows](QWidget* pDlg) {
            secondRows = Rows(static_cast<CDeleteBrokenDlg*>(pDlg)->List());
            static_cast<QDialog*>(pDlg)->reject();
        });
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_DELETEBROKEN));
        QCOMPARE(secondRows, QStringList{"Locked"});
    }

    void noneDeletedListsEveryFailureAChannelFolderAmongThem()
    {
        m_pf->WriteChannel("Dead Channel");
        m_pf->WriteUrl("Locked.url", "http://127.0.0.1:1/locked");
        QFile::setPermissions(m_pf->Path("Locked.url"), QFile::ReadOwner);
        m_pf->Open({"Dead Channel", "Locked"});
        SetStatus("Dead Channel", StatusBroken);
        SetStatus("Locked", StatusBroken);
        m_pf->View().State().m_nBrokenCount = 2;

        const ErrorsSeen seen = RunAndConfirm();
        QCOMPARE(seen.m_strSummary, QString("None of the broken links were deleted successfully.  Below are the errors "
                                            "for the 2 that could not be deleted."));
        QCOMPARE(seen.m_strErrors, QString("Could not delete \"Dead Channel\": Is a directory\n"
                                           "Could not delete \"Locked\": Permission denied"));
        QVERIFY(m_pf->Exists("Dead Channel/desktop.ini"));
        QVERIFY(m_pf->Node("Dead Channel"));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void allDeletedIsReportedInABox()
    {
        m_pf->WriteUrl("A.url", "http://127.0.0.1:1/a");
        m_pf->WriteUrl("News/B.url", "http://127.0.0.1:1/b");
        m_pf->Open({"A", "B"});
        SetStatus("A", StatusBroken);
        SetStatus("B", StatusBroken);
        m_pf->View().State().m_nBrokenCount = 2;
        const ErrorsSeen seen = RunAndConfirm();
        QVERIFY(seen.m_strTitle.isEmpty());
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_strText, QString("All of the Broken Links were deleted successfully."));
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_strCaption, QString("All Links Deleted"));
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_nIcon, QMessageBox::Information);
        QVERIFY(!m_pf->Exists("A.url") && !m_pf->Exists("News/B.url"));
        QVERIFY(m_pf->Node("News"));
        QCOMPARE(m_pf->View().Items().size(), size_t(0));
        QCOMPARE(m_pf->View().State().m_nBrokenCount.load(), 2); // until the next check or Refresh
    }
};

ZORBEL_GUI_TEST_MAIN(DeleteAllBrokenTest)
#include "DeleteAllBrokenTest.moc"
