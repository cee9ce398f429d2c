// The icon legend from the main window: made on the first Show Legend and
// then shown or hidden by it, the command checked exactly while it is
// visible (also after its close box or Escape hid it); a tool window of the
// frame with the 24 rows in order with their pictures; a click of any kind
// leaves no row selected; Enter keeps it open; every description shows
// whole.
#include <QAction>
#include <QHeaderView>
#include <QTreeWidget>
#include <QtTest>

#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/Artwork.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/IconLegendDlg.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"

namespace {

QImage ImageOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }

} // namespace

class IconLegendDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    MemoryProfile m_profile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    QAction* ShowLegend() { return m_pRouter->Action(ID_HELP_SHOWLEGEND); }

    // Show Legend as the toolbar button or the menu item runs it.
    void RunShowLegend()
    {
        m_pRouter->UpdateAll();
        QVERIFY(ShowLegend()->isEnabled());
        ShowLegend()->trigger();
        m_pRouter->UpdateAll();
    }

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, m_profile);
        m_doc.OnNewDocument();
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void showLegendMakesItOnceAndThenTogglesIt()
    {
        QVERIFY(!m_pFrame->Legend());
        QVERIFY(ShowLegend()->isCheckable());
        QVERIFY(!ShowLegend()->isChecked());
        RunShowLegend();
        CIconLegendDlg* pLegend = m_pFrame->Legend();
        QVERIFY(pLegend);
        QVERIFY(pLegend->isVisible());
        QVERIFY(ShowLegend()->isChecked());
        QCOMPARE(pLegend->parentWidget(), static_cast<QWidget*>(m_pFrame.get()));
        QVERIFY(pLegend->windowFlags().testFlag(Qt::Tool));
        QVERIFY(!pLegend->isModal());
        QCOMPARE(pLegend->windowTitle(), QString("Icon Legend"));

        RunShowLegend();
        QVERIFY(!pLegend->isVisible());
        QVERIFY(!ShowLegend()->isChecked());
        RunShowLegend();
        QCOMPARE(m_pFrame->Legend(), pLegend); // the same window again
        QVERIFY(pLegend->isVisible());
        QVERIFY(ShowLegend()->isChecked());
    }

    void closeBoxAndEscapeHideItEnterDoesNot()
    {
        RunShowLegend();
        CIconLegendDlg* pLegend = m_pFrame->Legend();
        QVERIFY(QTest::qWaitForWindowExposed(pLegend));
        QTest::keyClick(pLegend->LegendList(), Qt::Key_Return);
        QTest::keyClick(pLegend, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(pLegend->isVisible());

        QTest::keyClick(pLegend->LegendList(), Qt::Key_Escape);
        QVERIFY(!pLegend->isVisible());
        m_pRouter->UpdateAll();
        QVERIFY(!ShowLegend()->isChecked());

        RunShowLegend();
        QVERIFY(pLegend->isVisible());
        QCOMPARE(pLegend->LegendList()->topLevelItemCount(), 24);
        pLegend->close();
        QVERIFY(!pLegend->isVisible());
        m_pRouter->UpdateAll();
        QVERIFY(!ShowLegend()->isChecked());
    }

    void listsTheTwentyFourPicturesInOrder()
    {
        RunShowLegend();
        QTreeWidget* pList = m_pFrame->Legend()->LegendList();
        QVERIFY(!pList->isHeaderHidden());
        QCOMPARE(pList->headerItem()->text(0), QString("Description"));
        QVERIFY(pList->columnWidth(0) >= 250);
        const QList<QPair<int, QString>> rows = {
            {0, "Internet Favorite"},
            {1, "Folder"},
            {2, "Channel Link"},
            {3, "Shortcut"},
            {4, "Broken Internet Favorite"},
            {6, "Broken Channel Link"},
            {7, "Broken Shortcut"},
            {8, "Validated Internet Favorite"},
            {10, "Validated Channel Link"},
            {11, "Validated Shortcut"},
            {12, "Indeterminate Internet Favorite"},
            {14, "Indeterminate Channel Link"},
            {15, "Indeterminate Shortcut"},
            {16, "Checking This Internet Favorite"},
            {18, "Checking This Channel"},
            {19, "Checking This Shortcut"},
            {20, "Authentication Required for this Internet Favorite"},
            {22, "Authentication Required for this Channel"},
            {25, "Skipped Folder"},
            {27, "Skipped Shortcut"},
            {28, "Moved/Redirected Internet Favorite"},
            {30, "Moved/Redirected Channel"},
            {32, "Partially Valid Internet Favorite"},
            {34, "Partially Valid Channel"},
        };
        QCOMPARE(pList->topLevelItemCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(pList->topLevelItem(i)->text(0), rows[i].second);
            QCOMPARE(ImageOf(pList->topLevelItem(i)->icon(0)), ImageOf(Artwork::StatusIcon(rows[i].first)));
        }
    }

    void noClickLeavesARowSelected()
    {
        RunShowLegend();
        CIconLegendDlg* pLegend = m_pFrame->Legend();
        QVERIFY(QTest::qWaitForWindowExposed(pLegend));
        QTreeWidget* pList = pLegend->LegendList();
        const QPoint row = pList->visualItemRect(pList->topLevelItem(2)).center();
        QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(pList->selectedItems().isEmpty());
        QTest::mouseDClick(pList->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(pList->selectedItems().isEmpty());
        QTest::mouseClick(pList->viewport(), Qt::RightButton, {}, row);
        QVERIFY(pList->selectedItems().isEmpty());
        // Pressed on one row and let go on another.
        const QPoint other = pList->visualItemRect(pList->topLevelItem(4)).center();
        QTest::mousePress(pList->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseMove(pList->viewport(), other);
        QTest::mouseRelease(pList->viewport(), Qt::LeftButton, {}, other);
        QVERIFY(pList->selectedItems().isEmpty());
        QTest::keyClick(pList, Qt::Key_Down);
        QVERIFY(pList->selectedItems().isEmpty());
        QVERIFY(pLegend->isVisible());
    }

    void everyDescriptionShowsWhole()
    {
        RunShowLegend();
        CIconLegendDlg* pLegend = m_pFrame->Legend();
        QVERIFY(QTest::qWaitForWindowExposed(pLegend));
        QTreeWidget* pList = pLegend->LegendList();
        QCOMPARE(pList->geometry(), pLegend->rect());
        const QFontMetrics fm(pList->font());
        for (int i = 0; i < pList->topLevelItemCount(); ++i) {
            QTreeWidgetItem* pRow = pList->topLevelItem(i);
            QVERIFY2(16 + fm.horizontalAdvance(pRow->text(0)) < pList->columnWidth(0), qPrintable(pRow->text(0)));
        }
        // No sideways scrolling needed.
        QVERIFY(pList->columnWidth(0) <= pList->viewport()->width());
        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            pLegend->grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + QStringLiteral("/legend.png"));
    }
};

ZORBEL_GUI_TEST_MAIN(IconLegendDlgTest)
#include "IconLegendDlgTest.moc"
