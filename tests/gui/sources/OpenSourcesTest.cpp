// Opening every kind of source from the window: the browser profiles found
// in a temporary home (Firefox and Chromium, and none at all), a page or a
// file (a bookmarks file with its folders), the Favorites folder again;
// each in its mode with the commands and the count of that mode, the title
// naming it, a check under way stopped first without a word about the old
// list, and the source opened last opened again at the next start unless
// the command line names one.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "core/model/LinkStatus.h"
#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/sources/BrowserBookmarksDlg.h"
#include "gui/sources/OpenPageDlg.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "ModalDialog.h"
#include "support/BookmarkStores.h"
#include "support/MemoryProfile.h"
#include "support/TestHttpServer.h"

using namespace bookmarkstore;

class OpenSourcesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CTestHttpServer> m_pServer;
    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile = std::make_unique<MemoryProfile>();
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    QString Home() const { return m_dir.filePath("home"); }
    QString PagePath() const { return m_dir.filePath("links.html"); }
    QString BookmarksFilePath() const { return m_dir.filePath("bookmarks.html"); }

    void Write(const QString& strPath, const std::string& strText)
    {
        QDir().mkpath(QFileInfo(strPath).path());
        QFile f(strPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(strText.data(), qint64(strText.size()));
    }

    // A new window over the same settings, as at the next start.
    void Start(const std::string& strCommandLineSource = {})
    {
        m_pFrame.reset();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        m_doc.OnNewDocument();
        if (!strCommandLineSource.empty())
            m_doc.SetPathName(strCommandLineSource);
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        WaitForList();
    }
    // Every list these tests open holds something; the population thread
    // may not have begun when the command returns.
    void WaitForList()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!View().State().m_bPopulating && View().Sink().NodeCount() > 0, 20000);
        View().Sink().Flush();
        QCoreApplication::processEvents();
        m_pRouter->UpdateAll();
    }
    CZorbelView& View() const { return *m_pFrame->View(); }
    bool Enabled(int nId) const
    {
        m_pRouter->UpdateAll();
        return m_pRouter->Action(nId)->isEnabled();
    }
    QStringList TopLabels() const
    {
        QStringList labels;
        for (int i = 0; i < View().Tree()->topLevelItemCount(); ++i)
            labels << View().Tree()->topLevelItem(i)->text(0);
        return labels;
    }
    QTreeWidgetItem* Node(const QString& strLabel) const
    {
        const auto found = View().Tree()->findItems(strLabel, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    // Opens a page or file through its dialog, as the user types it.
    void OpenPage(const QString& strTyped)
    {
        WhenModal<COpenPageDlg>([strTyped](COpenPageDlg* pDlg) {
            pDlg->Edit()->setText(strTyped);
            QTest::keyClick(pDlg->Edit(), Qt::Key_Return);
        });
        QVERIFY(m_pRouter->Run(ID_FILE_OPENPAGE));
        WaitForList();
    }

private slots:
    void initTestCase()
    {
        m_pServer = std::make_unique<CTestHttpServer>();
        qputenv("HOME", Home().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("TMPDIR", m_dir.path().toUtf8());
        qputenv("ZORBEL_FAVORITES", QFile::encodeName(m_dir.filePath("Favorites")));
        Write(m_dir.filePath("Favorites/Kernel.url"),
              "[InternetShortcut]\r\nURL=" + m_pServer->Url("/ok/kernel") + "\r\n");
        Write(PagePath(), "<a href=\"" + m_pServer->Url("/ok/a") + "\">a</a> <a href=\"" + m_pServer->Url("/wait/3000/ok/b") +
                              "\">b</a>");
        Write(BookmarksFilePath(),
              NetscapeBookmarksHtml({Folder("Reading", {Link("Story", m_pServer->Url("/ok/story"))})}));
    }
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        QDir(Home()).removeRecursively();
        QDir().mkpath(Home());
        m_pProfile = std::make_unique<MemoryProfile>();
        m_pProfile->WriteProfileInt("Settings", "Threads", 4);
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void theStoresOfAHomeAreListedAndTheChosenOneOpens()
    {
        const std::string strHome = Home().toStdString();
        {
            CPlacesDatabase db(MakeFirefoxProfile(strHome) + "/places.sqlite");
            db.AddBookmark(CPlacesDatabase::kToolbar, "Front", m_pServer->Url("/ok/front"));
            db.AddBookmark(CPlacesDatabase::kMenu, "Kernel", m_pServer->Url("/ok/kernel"));
        }
        Write(Home() + "/.config/chromium/Local State",
              R"({"profile": {"last_used": "Default", "info_cache": {"Default": {"name": "Person 1"}}}})");
        Write(Home() + "/.config/chromium/Default/Bookmarks",
              ChromiumBookmarksJson({Folder("Tools", {Link("Search", m_pServer->Url("/ok/search"))})}));
        Start();
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));

        bool bSeen = false;
        WhenModal<CBrowserBookmarksDlg>([&bSeen](CBrowserBookmarksDlg* pDlg) {
            QTreeWidget* pList = pDlg->List();
            QCOMPARE(pList->topLevelItemCount(), 2);
            QCOMPARE(pList->topLevelItem(0)->text(0), QString("Firefox"));
            QCOMPARE(pList->topLevelItem(0)->text(1), QString("default-release  (default)"));
            QCOMPARE(pList->topLevelItem(1)->text(0), QString("Chromium"));
            QCOMPARE(pList->topLevelItem(1)->text(1), QString("Person 1  (default)"));
            // The first browser's default is offered; the counts follow.
            QVERIFY(pDlg->SelectedStore().ends_with("/abcd1234.default-release/places.sqlite"));
            QTRY_COMPARE(pDlg->CountText(0), QString("2"));
            QTRY_COMPARE(pDlg->CountText(1), QString("1"));
            QVERIFY(pDlg->findChild<QPushButton*>("ok")->isDefault());
            // Choosing with the keyboard: down a row, Return.
            QTest::keyClick(pList, Qt::Key_Down);
            QVERIFY(pDlg->SelectedStore().ends_with("/.config/chromium/Default/Bookmarks"));
            QTest::keyClick(pList, Qt::Key_Return);
            bSeen = true;
        });
        QVERIFY(m_pRouter->Run(ID_FILE_OPENBOOKMARKS));
        QVERIFY(bSeen);
        WaitForList();
        QCOMPARE(m_pFrame->windowTitle(), QString("Chromium (Person 1) - Zorbel"));
        QVERIFY(View().State().m_bDocumentMode);
        QVERIFY(Node("Search") && Node("Tools"));
        QVERIFY(!Node("Kernel.url") && !Node("Kernel"));
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 1 URLs "));

        // Cancelled: nothing changes.
        WhenModal<CBrowserBookmarksDlg>([](CBrowserBookmarksDlg* pDlg) { QTest::keyClick(pDlg, Qt::Key_Escape); });
        QVERIFY(m_pRouter->Run(ID_FILE_OPENBOOKMARKS));
        QCOMPARE(m_pFrame->windowTitle(), QString("Chromium (Person 1) - Zorbel"));
        QVERIFY(Node("Search"));
    }

    void aHomeWithoutBrowsersSaysSo()
    {
        Start();
        QVERIFY(m_pRouter->Run(ID_FILE_OPENBOOKMARKS));
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        QCOMPARE(CMessageHub::ShownBoxes()[0].m_strCaption, QString("Open Browser Bookmarks"));
        QVERIFY(CMessageHub::ShownBoxes()[0].m_strText.contains("Firefox, Chromium, Google Chrome, Brave, Vivaldi or "
                                                                "Microsoft Edge"));
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));
        QVERIFY(Node("Kernel"));
    }

    void pagesFilesAndTheFavoritesFolderOpenEachInItsMode()
    {
        Start();
        QVERIFY(!View().State().m_bDocumentMode);
        View().Tree()->setCurrentItem(Node("Kernel"));
        QVERIFY(Enabled(ID_FAVORITE_DELETE));

        // A page's links, the file named relative to nowhere: made absolute.
        OpenPage("  zorbel:" + PagePath() + " ");
        QCOMPARE(m_pFrame->windowTitle(), QString("links.html - Zorbel"));
        QVERIFY(View().State().m_bDocumentMode);
        QCOMPARE(View().CurrentSource().m_strLocation, PagePath().toStdString());
        QCOMPARE(TopLabels(), QStringList({QString::fromStdString(m_pServer->Url("/ok/a")),
                                           QString::fromStdString(m_pServer->Url("/wait/3000/ok/b"))}));
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 2 URLs "));
        View().Tree()->setCurrentItem(View().Tree()->topLevelItem(0));
        QVERIFY(Enabled(ID_EDIT_COPY));
        QVERIFY(!Enabled(ID_FAVORITE_DELETE));
        QVERIFY(!Enabled(ID_TOOLS_UPDATEMOVED));

        // A bookmarks file is read with its folders, as on the command line.
        OpenPage(BookmarksFilePath());
        QCOMPARE(m_pFrame->windowTitle(), QString("bookmarks.html - Zorbel"));
        QVERIFY(Node("Reading") && View().RecordOf(Node("Story")));
        QVERIFY(!View().RecordOf(Node("Reading")));

        // A web page by its address.
        m_pServer->Serve("/list.html", "<a href=\"" + m_pServer->Url("/ok/w") + "\">w</a>", "text/html");
        OpenPage(QString::fromStdString(m_pServer->Url("/list.html")));
        QCOMPARE(m_pFrame->windowTitle(), QString::fromStdString(m_pServer->Url("/list.html")) + " - Zorbel");
        QCOMPARE(TopLabels(), QStringList({QString::fromStdString(m_pServer->Url("/ok/w"))}));

        // Back to the Favorites folder: normal mode, its commands and count.
        QVERIFY(m_pRouter->Run(ID_FILE_OPENFAVORITES));
        WaitForList();
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));
        QVERIFY(!View().State().m_bDocumentMode);
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 1 Items "));
        View().Tree()->setCurrentItem(Node("Kernel"));
        QVERIFY(Enabled(ID_FAVORITE_DELETE));
        QVERIFY(Enabled(ID_FAVORITE_RENAME));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void aCheckUnderWayIsStoppedAndLeavesNothingBehind()
    {
        Start(PagePath().toStdString());
        QVERIFY(View().IsCommandLineSource());
        QCOMPARE(m_pFrame->windowTitle(), QString("links.html - Zorbel"));
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        // The first link is done, the second still waits for its answer.
        QTRY_COMPARE_WITH_TIMEOUT(View().Items()[0]->Status(), std::int32_t(StatusValid), 20000);
        QVERIFY(View().State().m_nActiveWorkers > 0);
        QVERIFY(!Enabled(ID_FILE_REFRESH));
        QVERIFY(Enabled(ID_FILE_OPENFAVORITES));
        QVERIFY(m_pRouter->Run(ID_FILE_OPENFAVORITES));
        WaitForList();
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));
        QVERIFY(!View().IsCommandLineSource());
        QCOMPARE(View().State().m_nActiveWorkers.load(), 0);
        QCOMPARE(View().State().m_nBrokenCount.load(), 0);
        QVERIFY(Node("Kernel"));
        // Nothing checked in the new list: no report yet, nothing to delete.
        QVERIFY(!Enabled(ID_FILE_REPORT));
        QVERIFY(!Enabled(ID_TOOLS_DELETEBROKEN));
        QVERIFY(Enabled(ID_TOOLS_CHECKALL));
        QVERIFY(Enabled(ID_FILE_REFRESH));
        // No word about the old list's pass, then or later.
        QTest::qWait(100);
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void theSourceOpenedLastComesBackAtTheNextStart()
    {
        Start();
        OpenPage(BookmarksFilePath());
        QVERIFY(m_pFrame->close());
        QCOMPARE(m_pProfile->m_ints.at("Settings/LastSourceKind"), 2);

        Start();
        QCOMPARE(m_pFrame->windowTitle(), QString("bookmarks.html - Zorbel"));
        QVERIFY(View().State().m_bDocumentMode);
        QVERIFY(Node("Story"));
        QVERIFY(!View().IsCommandLineSource());

        // A source on the command line wins, and is not remembered.
        m_pFrame->close();
        Start(PagePath().toStdString());
        QCOMPARE(m_pFrame->windowTitle(), QString("links.html - Zorbel"));
        QVERIFY(m_pFrame->close());
        Start();
        QCOMPARE(m_pFrame->windowTitle(), QString("bookmarks.html - Zorbel"));

        // The Favorites folder opened last is remembered too.
        QVERIFY(m_pRouter->Run(ID_FILE_OPENFAVORITES));
        WaitForList();
        QVERIFY(m_pFrame->close());
        Start();
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));
        QVERIFY(Node("Kernel"));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void aRememberedSourceThatIsGoneGivesWayToTheFavoritesFolder()
    {
        m_pProfile->WriteProfileInt("Settings", "LastSourceKind", 2);
        const std::string strGone = m_dir.filePath("gone.html").toStdString();
        m_pProfile->WriteProfileBinary("Settings", "LastSource", std::vector<std::uint8_t>(strGone.begin(), strGone.end()));
        Start();
        QTRY_COMPARE(CMessageHub::ShownBoxes().size(), 1);
        QVERIFY(CMessageHub::ShownBoxes()[0].m_strText.contains("gone.html"));
        WaitForList();
        // The window stays, with the Favorites folder.
        QVERIFY(m_pFrame->isVisible());
        QTRY_VERIFY(Node("Kernel"));
        QCOMPARE(m_pFrame->windowTitle(), QString("Favorites - Zorbel"));
        QVERIFY(!View().State().m_bDocumentMode);
        QVERIFY(m_pFrame->close());
        QCOMPARE(m_pProfile->m_ints.at("Settings/LastSourceKind"), 0);
    }
};

ZORBEL_GUI_TEST_MAIN(OpenSourcesTest)
#include "OpenSourcesTest.moc"
