// The report dialog: six sentences in their order, each with the picture
// of its outcome; Close answers Return and Escape; every sentence shows
// whole, also with large counts, and nothing else is clipped.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "gui/common/Artwork.h"
#include "gui/view/ReportDlg.h"
#include "GuiTestMain.h"
#include "ModalDialog.h"

namespace {

QImage ImageOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }

} // namespace

class ReportDlgTest : public QObject {
    Q_OBJECT
private slots:
    void sentencesInOrderWithTheirPictures()
    {
        ReportCounts counts;
        counts.m_nSkipped = 2;
        counts.m_nBroken = 1;
        counts.m_nPartial = 0;
        counts.m_nMoved = 5;
        counts.m_nValid = 1;
        counts.m_nUnverified = 7;
        CReportDlg dlg(nullptr, counts);
        QCOMPARE(dlg.windowTitle(), QString("Zorbel Report"));
        QTreeWidget* pList = dlg.FindingsList();
        QVERIFY(pList->isHeaderHidden());
        QCOMPARE(pList->columnCount(), 1);
        QVERIFY(pList->columnWidth(0) >= 300);
        const QStringList texts = {"2 links were skipped",
                                   "1 link appears to be broken",
                                   "0 links are \"partially\" broken",
                                   "5 links appear to have have their target moved",
                                   "1 link is still valid",
                                   "7 links could not be tested correctly"};
        const int images[] = {25, 4, 32, 28, 8, 12};
        QCOMPARE(pList->topLevelItemCount(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(pList->topLevelItem(i)->text(0), texts[i]);
            QCOMPARE(ImageOf(pList->topLevelItem(i)->icon(0)), ImageOf(Artwork::StatusIcon(images[i])));
        }
    }

    void closeAnswersReturnAndEscape_data()
    {
        QTest::addColumn<int>("nKey");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void closeAnswersReturnAndEscape()
    {
        QFETCH(int, nKey);
        CReportDlg dlg(nullptr, {});
        QVERIFY(dlg.CloseButton()->isDefault());
        bool bOpen = false;
        WhenModal<CReportDlg>([&bOpen, nKey](CReportDlg* p) {
            bOpen = true;
            QTest::keyClick(p->FindingsList(), Qt::Key(nKey));
            QVERIFY(!p->isVisible());
        });
        dlg.exec();
        QVERIFY(bOpen);
        QVERIFY(!dlg.isVisible());
    }

    void everySentenceShowsWhole()
    {
        ReportCounts counts;
        counts.m_nSkipped = 1000000;
        counts.m_nMoved = 1234567;
        counts.m_nPartial = 99999;
        CReportDlg dlg(nullptr, counts);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTreeWidget* pList = dlg.FindingsList();
        const QFontMetrics fm(pList->font());
        for (int i = 0; i < pList->topLevelItemCount(); ++i) {
            QTreeWidgetItem* pRow = pList->topLevelItem(i);
            const QRect rcRow = pList->visualItemRect(pRow);
            QVERIFY2(16 + fm.horizontalAdvance(pRow->text(0)) < rcRow.width(), qPrintable(pRow->text(0)));
            QVERIFY2(pList->viewport()->rect().contains(rcRow), qPrintable(pRow->text(0)));
        }
        for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
            QVERIFY(dlg.rect().contains(pLabel->geometry()));
            if (!pLabel->text().isEmpty())
                QVERIFY2(pLabel->heightForWidth(pLabel->width()) <= pLabel->height() &&
                             pLabel->sizeHint().width() <= pLabel->width() + (pLabel->wordWrap() ? 1000 : 0),
                         qPrintable(pLabel->text()));
        }
        QPushButton* pClose = dlg.CloseButton();
        QVERIFY(pClose->sizeHint().width() <= pClose->width() + 2);
        QVERIFY(pClose->sizeHint().height() <= pClose->height() + 2);
        QVERIFY(pList->geometry().bottom() < pClose->geometry().top());
        QVERIFY(dlg.rect().contains(pClose->geometry()));
        QCOMPARE(pClose->geometry().center().x(), dlg.rect().center().x());
        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            dlg.grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + QStringLiteral("/report.png"));
    }
};

ZORBEL_GUI_TEST_MAIN(ReportDlgTest)
#include "ReportDlgTest.moc"
