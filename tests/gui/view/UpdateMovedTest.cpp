// Update Moved Favorites on a Favorites folder of temporary files checked
// against our own server: the command waits for favourites that moved for
// good; the details show where each went; the list offers only permanent
// moves to a valid page (a shell link with its note), rows go with the
// Delete key and OK waits for a row that is rewritten; OK rewrites the
// files and the records in place, a read-only favourite is reported in the
// errors dialog, all updated is a box, and a second check finds no
// redirect. The list dialog fits its texts, keeps its Tab order and grows
// on request.
#include <QHeaderView>
#include <QMap>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "core/actions/UpdateMoved.h"
#include "core/model/LinkStatus.h"
#include "core/settings/CheckSettings.h"
#include "FavoritesFrame.h"
#include "gui/view/LinkDetailsDlg.h"
#include "gui/view/UpdateMovedDlg.h"
#include "GuiTestMain.h"
#include "support/TestHttpServer.h"

class UpdateMovedTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FavoritesFrame> m_pf;
    std::unique_ptr<CTestHttpServer> m_pServer;

    QByteArray Url(const char* pszPath) const { return QByteArray::fromStdString(m_pServer->Url(pszPath)); }

    // Each row's cells.
    static QList<QStringList> Rows(const QTreeWidget* pList)
    {
        QList<QStringList> rows;
        for (int i = 0; i < pList->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int nColumn = 0; nColumn < pList->columnCount(); ++nColumn)
                cells << pList->topLevelItem(i)->text(nColumn);
            rows << cells;
        }
        return rows;
    }

    void CheckAll()
    {
        CMessageHub::ResetRecord();
        m_pf->View().Settings().m_nThreadCount = 4;
        m_pf->View().Settings().m_nTimeoutMs = 5000;
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);
        QTRY_VERIFY(m_pf->View().State().IsIdle());
        CMessageHub::ResetRecord();
    }

    // What the errors dialog showed.
    struct ErrorsSeen {
        QString m_strTitle;
        QString m_strSummary;
        QString m_strErrors;
    };
    // Runs the command, presses OK in the list, and reads the errors dialog
    // if one follows.
    ErrorsSeen RunAndConfirm()
    {
        ErrorsSeen seen;
        ModalWatch watchList([&seen](QWidget* pDlg) {
            auto* pWatchErrors = new ModalWatch([&seen](QWidget* pErrors) {
                seen.m_strTitle = pErrors->windowTitle();
                seen.m_strSummary = pErrors->findChild<QLabel*>("1003")->text();
                seen.m_strErrors = pErrors->findChild<QPlainTextEdit*>("1004")->toPlainText();
                QTest::keyClick(pErrors, Qt::Key_Return);
            }, "updateErrorsDlg");
            QObject::connect(pDlg, &QObject::destroyed, [pWatchErrors] { delete pWatchErrors; });
            QTest::keyClick(pDlg, Qt::Key_Return); // the default button
        }, "updateMovedDlg");
        m_pf->m_pRouter->Run(ID_TOOLS_UPDATEMOVED);
        return seen;
    }

private slots:
    void init()
    {
        m_pServer = std::make_unique<CTestHttpServer>();
        m_pf = std::make_unique<FavoritesFrame>();
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        // Three moved for good (one through a chain of a 301 and a 308, one
        // a desktop link), one for a while, one to a page that is gone, one
        // not at all, and one for good but read-only.
        m_pf->Write("Perm.url", "; by hand\r\n[InternetShortcut]\r\nURL=" + Url("/permanent/p") +
                                    "\r\n[InternetShortcut.W]\r\nURL=" + Url("/permanent/p") + "\r\n");
        m_pf->WriteUrl("News/Chain.url", Url("/301-308"));
        m_pf->Write("Link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=" + Url("/permanent/d") + "\n");
        m_pf->WriteUrl("Temp.url", Url("/301-302"));
        m_pf->WriteUrl("Gone.url", Url("/301-404"));
        m_pf->WriteUrl("Plain.url", Url("/ok/plain"));
    }
    void cleanup()
    {
        m_pf->Close();
        m_pf.reset();
        m_pServer.reset();
    }

    void detailsShowWhereEachFavoriteWent()
    {
        m_pf->Open({"Perm", "Chain", "Link", "Temp", "Gone", "Plain"});
        CheckAll();
        const QList<QPair<QString, QString>> expected = {
            {"Perm", QString::fromUtf8(Url("/ok/p"))}, {"Chain", QString::fromUtf8(Url("/200"))},
            {"Temp", QString::fromUtf8(Url("/200"))},  {"Gone", QString::fromUtf8(Url("/404"))},
            {"Plain", QString()},
        };
        for (const auto& [strLabel, strMovedTo] : expected) {
            m_pf->Select(strLabel);
            QString strShown;
            bool bEnabled = false;
            ModalWatch watch([&](QWidget* pDlg) {
                auto* pDetails = static_cast<CLinkDetailsDlg*>(pDlg);
                strShown = pDetails->MovedToEdit()->text();
                bEnabled = pDetails->MovedToEdit()->isEnabled();
                pDetails->reject();
            });
            QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DETAILS));
            QCOMPARE(strShown, strMovedTo);
            QCOMPARE(bEnabled, !strMovedTo.isEmpty());
        }
    }

    void commandWaitsForAFavoriteThatMovedForGood()
    {
        m_pf->Open({"Perm", "Chain", "Link", "Temp", "Gone", "Plain"});
        QVERIFY(!m_pf->Enabled(ID_TOOLS_UPDATEMOVED));
        CheckAll();
        QVERIFY(m_pf->Enabled(ID_TOOLS_UPDATEMOVED));
        m_pf->View().State().m_bDocumentMode = true;
        QVERIFY(!m_pf->Enabled(ID_TOOLS_UPDATEMOVED));
        m_pf->View().State().m_bDocumentMode = false;

        // Only the temporary move and the gone page are left: nothing to offer.
        for (const char* pszLabel : {"Perm", "Chain", "Link"})
            m_pf->Record(pszLabel)->SetOutcome(StatusValid, "Link is valid.");
        QVERIFY(!m_pf->Enabled(ID_TOOLS_UPDATEMOVED));
    }

    void listOffersPermanentMovesAndTheDeleteKeyTakesRowsOut()
    {
        // A shell link that moved is listed with its note, never rewritten.
        QVERIFY(QFile::link(m_pf->Path("Plain.url"), m_pf->Path("Shortcut")));
        m_pf->Open({"Perm", "Chain", "Link", "Temp", "Gone", "Plain", "Shortcut"});
        CheckAll();
        m_pf->Record("Shortcut")->SetOutcome(StatusValid, "Link is valid.", {"http://new.example/", true});

        bool bChecked = false;
        ModalWatch watch([&](QWidget* pWidget) {
            auto* pDlg = static_cast<CUpdateMovedDlg*>(pWidget);
            QTreeWidget* pList = pDlg->List();
            // In the order of the list; the name, the old and the new address.
            QMap<QString, QStringList> rows;
            QStringList names;
            for (const QStringList& cells : Rows(pList)) {
                names << cells[0];
                rows[cells[0]] = cells;
            }
            QCOMPARE(names, (QStringList{"Link", "Chain", "Perm", "Shortcut"}));
            const QString strNote = QString::fromUtf8(UpdateMovedNote(*m_pf->Record("Shortcut")).data());
            QCOMPARE(rows["Chain"], (QStringList{"Chain", QString::fromUtf8(Url("/301-308")), QString::fromUtf8(Url("/200")), ""}));
            QCOMPARE(rows["Link"], (QStringList{"Link", QString::fromUtf8(Url("/permanent/d")), QString::fromUtf8(Url("/ok/d")), ""}));
            QCOMPARE(rows["Perm"], (QStringList{"Perm", QString::fromUtf8(Url("/permanent/p")), QString::fromUtf8(Url("/ok/p")), ""}));
            QCOMPARE(rows["Shortcut"], (QStringList{"Shortcut", QString::fromStdString(m_pf->Record("Shortcut")->m_strUrl),
                                                    "http://new.example/", strNote}));
            QVERIFY(!pList->isColumnHidden(CUpdateMovedDlg::ColumnNote));
            QVERIFY(pDlg->OkButton()->isEnabled());

            // Delete with the focus on OK takes the selected rows out; with
            // none selected it beeps.
            QVERIFY(QTest::qWaitForWindowActive(pDlg));
            for (int i = 0; i < pList->topLevelItemCount(); ++i)
                pList->topLevelItem(i)->setSelected(pList->topLevelItem(i)->text(0) != "Shortcut");
            pDlg->OkButton()->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pDlg->OkButton()));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
            QCOMPARE(pList->topLevelItemCount(), 1);
            // Only the shell link is left: OK would rewrite nothing.
            QVERIFY(!pDlg->OkButton()->isEnabled());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
            QCOMPARE(CMessageHub::BeepCount(), 1);
            bChecked = true;
            QTest::keyClick(pDlg, Qt::Key_Escape);
        }, "updateMovedDlg");
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_UPDATEMOVED));
        QVERIFY(bChecked);
        QCOMPARE(m_pf->Read("Perm.url").contains(Url("/permanent/p")), true);
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void okRewritesInPlaceReportsTheReadOnlyOneAndASecondCheckFindsNoRedirect()
    {
        m_pf->WriteUrl("Locked.url", Url("/permanent/l"));
        QFile::setPermissions(m_pf->Path("Locked.url"), QFile::ReadOwner | QFile::ReadGroup);
        const QByteArray lockedBefore = m_pf->Read("Locked.url");
        const QByteArray tempBefore = m_pf->Read("Temp.url");
        m_pf->Open({"Perm", "Chain", "Link", "Temp", "Gone", "Plain", "Locked"});
        CheckAll();
        QTreeWidgetItem* pPermNode = m_pf->Node("Perm");
        const int nPermIndex = m_pf->Tree().indexOfTopLevelItem(pPermNode);

        const ErrorsSeen seen = RunAndConfirm();
        QCOMPARE(seen.m_strTitle, QString("Errors Occurred While Updating Favorites"));
        QCOMPARE(seen.m_strSummary, QString("3 of the moved favorites were updated successfully.  Below is the error "
                                            "for the 1 that could not be updated."));
        QCOMPARE(seen.m_strErrors, QString("Could not update \"Locked\": Permission denied"));

        QCOMPARE(m_pf->Read("Perm.url"), "; by hand\r\n[InternetShortcut]\r\nURL=" + Url("/ok/p") +
                                             "\r\n[InternetShortcut.W]\r\nURL=" + Url("/ok/p") + "\r\n");
        QVERIFY(m_pf->Read("News/Chain.url").endsWith("[InternetShortcut]\r\nURL=" + Url("/200") + "\r\n"));
        QCOMPARE(m_pf->Read("Link.desktop"), "[Desktop Entry]\nType=Link\nName=Link\nURL=" + Url("/ok/d") + "\n");
        QCOMPARE(m_pf->Read("Locked.url"), lockedBefore);
        QCOMPARE(m_pf->Read("Temp.url"), tempBefore);
        // The records follow; the nodes keep their places.
        QCOMPARE(m_pf->Record("Perm")->m_strUrl, Url("/ok/p").toStdString());
        QCOMPARE(m_pf->Record("Temp")->m_strUrl, Url("/301-302").toStdString());
        QCOMPARE(m_pf->Node("Perm"), pPermNode);
        QCOMPARE(m_pf->Tree().indexOfTopLevelItem(pPermNode), nPermIndex);
        // The read-only one is still offered.
        QVERIFY(m_pf->Enabled(ID_TOOLS_UPDATEMOVED));

        CheckAll();
        for (const char* pszLabel : {"Perm", "Chain", "Link"}) {
            QCOMPARE(m_pf->Record(pszLabel)->Status(), int(StatusValid));
            QCOMPARE(m_pf->Record(pszLabel)->Redirect(), FavoriteRedirect{});
        }
    }

    void theListDialogFitsItsTextsKeepsItsTabOrderAndGrowsOnRequest()
    {
        CFavoriteList list;
        CUpdateMovedDlg dlg(nullptr, &list);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
            QVERIFY(dlg.rect().contains(pLabel->geometry()));
            if (pLabel->text().isEmpty())
                continue;
            QVERIFY2(pLabel->heightForWidth(pLabel->width()) <= pLabel->height(), qPrintable(pLabel->text()));
            if (pLabel->buddy()) // the list's label reads as one line
                QVERIFY(pLabel->fontMetrics().horizontalAdvance(QString(pLabel->text()).remove('&')) <= pLabel->width());
        }
        for (QPushButton* pButton : dlg.findChildren<QPushButton*>()) {
            QVERIFY(pButton->sizeHint().width() <= pButton->width() + 2);
            QVERIFY(dlg.rect().contains(pButton->geometry()));
        }
        QVERIFY(!dlg.OkButton()->isEnabled()); // nothing to rewrite
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.List()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("2")); // OK is disabled: Cancel
        QTest::keyClick(&dlg, 'F', Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.List()));

        // Larger, the list takes the room and the buttons keep to the corner.
        const QSize natural = dlg.size();
        dlg.resize(natural + QSize(200, 100));
        QCOMPARE(dlg.List()->width(), natural.width() + 200 - 2 * dlg.List()->x());
        QCOMPARE(dlg.width() - (dlg.findChild<QPushButton*>("2")->geometry().right() + 1), dlg.List()->x());
        dlg.resize(natural - QSize(100, 50));
        QCOMPARE(dlg.size(), natural);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void allUpdatedIsReportedInABox()
    {
        m_pf->Open({"Perm", "Chain", "Link", "Temp", "Gone", "Plain"});
        CheckAll();
        const ErrorsSeen seen = RunAndConfirm();
        QVERIFY(seen.m_strTitle.isEmpty());
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_strText, QString("All of the Moved Favorites were updated successfully."));
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_strCaption, QString("All Favorites Updated"));
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_nIcon, QMessageBox::Information);
        QVERIFY(!m_pf->Enabled(ID_TOOLS_UPDATEMOVED));
    }
};

ZORBEL_GUI_TEST_MAIN(UpdateMovedTest)
#include "UpdateMovedTest.moc"
