// Exporting from the view tells the user the outcome in one box: success
// after a complete write, "Export Failed" when the file cannot be created,
// an error naming the file when a write fails.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/export/ExportFormat.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"

class ViewExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<CZorbelView> m_pView;

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pView = std::make_unique<CZorbelView>(*m_pRouter);
        auto pItem = std::make_shared<FavoriteItem>();
        pItem->m_strName = "Example";
        pItem->m_strUrl = "http://example.com/";
        pItem->m_nKind = 0;
        m_pView->Sink().InsertNode(kTreeRoot, "Example", 0, pItem);
        m_pView->Sink().Flush();
    }
    void cleanup()
    {
        m_pView.reset();
        m_pRouter.reset();
    }

    void completedWriteShowsTheSuccessBox()
    {
        QTemporaryDir dir;
        const QString strPath = dir.filePath("out.txt");
        m_pView->ExportToFile(ExportPlainText, strPath);
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        const auto& box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_strText, QString("Your Favorites have been exported successfully."));
        QCOMPARE(box.m_nIcon, QMessageBox::Information);
        QFile f(strPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("http://example.com/"));
    }

    void missingFolderShowsExportFailedAndMakesNoFile()
    {
        QTemporaryDir dir;
        const QString strPath = dir.filePath("no/such/out.csv");
        m_pView->ExportToFile(ExportCsv, strPath);
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        const auto& box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_strCaption, QString("Export Failed"));
        QCOMPARE(box.m_nIcon, QMessageBox::Warning);
        QVERIFY(box.m_strText.contains("No such file or directory"));
        QVERIFY(!QFile::exists(strPath));
    }

    void failedWriteShowsAnErrorAndNoSuccess()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full here");
        m_pView->ExportToFile(ExportHtmlFolders, "/dev/full");
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        const auto& box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_nIcon, QMessageBox::Warning);
        QVERIFY(box.m_strText.contains("/dev/full"));
        QVERIFY(box.m_strText.contains("No space left on device"));
    }
};

ZORBEL_GUI_TEST_MAIN(ViewExportTest)
#include "ViewExportTest.moc"
