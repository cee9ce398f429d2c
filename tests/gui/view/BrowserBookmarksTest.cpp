// A browser's bookmarks in the window: the same folders, names and order as
// the store, folder and favourite icons, read-only as a page's links are
// (no rename, no delete, the pane counting URLs), the same outcomes as
// zorbel-check after Check All, and a missing profile reported in the
// source error box with what was looked for.
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "core/export/ResultsCsv.h"
#include "core/model/FavoriteKind.h"
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
#include "support/BookmarkStores.h"
#include "support/MemoryProfile.h"
#include "support/TestHttpServer.h"

using namespace bookmarkstore;

class BrowserBookmarksTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<CTestHttpServer> m_pServer;
    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    void Open(const std::string& strBrowser)
    {
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pProfile = std::make_unique<MemoryProfile>();
        m_pProfile->WriteProfileInt("Settings", "Threads", 4);
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        m_doc.OnNewDocument();
        m_doc.SetBrowser(strBrowser);
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
    }
    CZorbelView& View() const { return *m_pFrame->View(); }
    bool Enabled(int nId) const
    {
        m_pRouter->UpdateAll();
        return m_pRouter->Action(nId)->isEnabled();
    }

    // "name" lines, two blanks a level; "/" after a folder, "<url>" after a favourite.
    QString Outline() const
    {
        QString strOutline;
        const std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* pParent, int nDepth) {
            for (int i = 0; i < pParent->childCount(); ++i) {
                QTreeWidgetItem* pNode = pParent->child(i);
                const FavoriteItem* pItem = View().RecordOf(pNode);
                strOutline += QString(2 * nDepth, ' ') + pNode->text(0) +
                              (pItem ? " <" + QString::fromStdString(pItem->m_strUrl) + ">" : QString("/")) + "\n";
                walk(pNode, nDepth + 1);
            }
        };
        walk(View().Tree()->invisibleRootItem(), 0);
        return strOutline;
    }

private slots:
    void initTestCase()
    {
        m_pServer = std::make_unique<CTestHttpServer>();
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(".config").toUtf8());
        qputenv("TMPDIR", m_home.path().toUtf8());
        const std::string strProfile = MakeFirefoxProfile(m_home.path().toStdString());
        CPlacesDatabase db(strProfile + "/places.sqlite");
        const auto nNews = db.AddFolder(CPlacesDatabase::kToolbar, "News & Views");
        db.AddBookmark(nNews, "Front page", m_pServer->Url("/ok/front"));
        db.AddBookmark(db.AddFolder(nNews, "Archive"), "Gone", m_pServer->Url("/missing/old"));
        db.AddSeparator(CPlacesDatabase::kToolbar);
        db.AddBookmark(CPlacesDatabase::kToolbar, "", m_pServer->Url("/moved/x"));
        db.AddBookmark(CPlacesDatabase::kMenu, "Kernel", m_pServer->Url("/ok/kernel"));
    }
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void theBookmarkTreeIsShownReadOnly()
    {
        Open("firefox");
        QTRY_VERIFY(!View().State().m_bPopulating && View().Items().size() == 4);
        View().Sink().Flush();
        QVERIFY(View().State().m_bDocumentMode);
        QCOMPARE(Outline(), QString("Bookmarks Toolbar/\n"
                                    "  News & Views/\n"
                                    "    Front page <%1>\n"
                                    "    Archive/\n"
                                    "      Gone <%2>\n"
                                    "  %3 <%3>\n"
                                    "Bookmarks Menu/\n"
                                    "  Kernel <%4>\n")
                                .arg(QString::fromStdString(m_pServer->Url("/ok/front")),
                                     QString::fromStdString(m_pServer->Url("/missing/old")),
                                     QString::fromStdString(m_pServer->Url("/moved/x")),
                                     QString::fromStdString(m_pServer->Url("/ok/kernel"))));
        // Every branch open; folders and favourites with their own icons.
        QTreeWidgetItem* pToolbar = View().Tree()->topLevelItem(0);
        QVERIFY(pToolbar->isExpanded() && pToolbar->child(0)->isExpanded());
        QCOMPARE(pToolbar->icon(0).cacheKey(), View().ImageList().at(ImageFor(KindFolder, StatusNotChecked)).cacheKey());
        QCOMPARE(pToolbar->child(1)->icon(0).cacheKey(),
                 View().ImageList().at(ImageFor(KindInternetFavorite, StatusNotChecked)).cacheKey());
        const FavoriteItem* pGone = View().Items()[1].get();
        QCOMPARE(pGone->m_strFolder, std::string("Bookmarks Toolbar/News & Views/Archive"));
        QCOMPARE(pGone->m_nDepth, 3);
        m_pRouter->UpdateAll();
        // The links are counted, not the four folders that hold them.
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 4 URLs "));

        // Read-only: no rename, no delete, also after a pass found broken ones.
        View().Tree()->setCurrentItem(pToolbar->child(1));
        QVERIFY(Enabled(ID_EDIT_COPY));
        QVERIFY(!Enabled(ID_FAVORITE_DELETE));
        QVERIFY(!Enabled(ID_FAVORITE_RENAME));
        m_pRouter->Run(ID_FAVORITE_RENAME);
        QCoreApplication::processEvents();
        const auto* pEditor = View().Tree()->findChild<QLineEdit*>();
        QVERIFY(!pEditor || !pEditor->isVisible());
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 30000);
        QVERIFY(View().State().m_nBrokenCount > 0);
        QVERIFY(!Enabled(ID_TOOLS_DELETEBROKEN));
        QVERIFY(!Enabled(ID_FAVORITE_DELETE));
    }

    void theWindowAndTheConsoleCheckerAgree()
    {
        if (qEnvironmentVariableIsEmpty("ZORBEL_CHECK_EXE"))
            QSKIP("zorbel-check is not built");
        Open("firefox");
        QTRY_VERIFY(!View().State().m_bPopulating && View().Items().size() == 4);
        View().Sink().Flush();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 30000);
        const QString strWindow = m_home.filePath("window.csv");
        QCOMPARE(WriteResultsCsv(strWindow.toStdString(), View().Items()).m_nResult, ExportResult::Done);

        const QString strConsole = m_home.filePath("console.csv");
        QProcess process;
        process.start(qEnvironmentVariable("ZORBEL_CHECK_EXE"),
                      {"-q", "-j", "4", "--results", strConsole, "--browser", "firefox"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1); // one is partially broken
        QFile window(strWindow), console(strConsole);
        QVERIFY(window.open(QIODevice::ReadOnly) && console.open(QIODevice::ReadOnly));
        const QByteArray results = window.readAll();
        QCOMPARE(results.count('\n'), 5);
        QCOMPARE(console.readAll(), results);
    }

    void aMissingProfileIsReportedWithWhatWasLookedFor()
    {
        Open("chrome");
        QTRY_COMPARE(CMessageHub::ShownBoxes().size(), 1);
        const auto& box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_strText, "No Google Chrome profile was found: there is no " + m_home.filePath(".config") +
                                    "/google-chrome/Local State.");
        QCOMPARE(box.m_strCaption, QString("URL/File Error"));
        QCOMPARE(box.m_nIcon, QMessageBox::Warning);
        QTRY_VERIFY(!m_pFrame->isVisible());
    }
};

ZORBEL_GUI_TEST_MAIN(BrowserBookmarksTest)
#include "BrowserBookmarksTest.moc"
