// The commands on one favourite, on a Favorites folder of temporary files:
// when each is enabled (a favourite, a folder or nothing selected; document
// mode; a scan or a check running), the context menu from the mouse and the
// keyboard, the double click, Open in Browser and its failure box, the
// clipboard, Properties, the in-place rename with its refusals and its new
// path, and Delete Favorite with its confirmation, the Ctrl key, channel
// folders and its failures.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>

#include <cerrno>

#include "core/model/LinkStatus.h"
#include "core/settings/CheckSettings.h"
#include "FavoritesFrame.h"
#include "gui/common/DesktopLauncher.h"
#include "gui/menus/Commands.h"
#include "gui/view/FavoritePropertiesDlg.h"
#include "GuiTestMain.h"
#include "support/TestHttpServer.h"

namespace {

// Stands in for the details command, to see what the double click and the
// menu run.
class DetailsProbe : public QObject {
public:
    explicit DetailsProbe(CZorbelView& view) : m_view(view) {}
    void OnViewDetails() { ++m_nRuns; }
    void OnUpdate(CCmdUI& ui) { m_view.OnUpdateSelectionCommand(ui); }
    CZorbelView& m_view;
    int m_nRuns = 0;
};
const CommandMapEntry<DetailsProbe> kProbeCommands[] = {
    {ID_FAVORITE_DETAILS, &DetailsProbe::OnViewDetails, &DetailsProbe::OnUpdate},
};

constexpr int kSelectionCommands[] = {ID_FAVORITE_OPEN, ID_FAVORITE_PROPERTIES, ID_EDIT_COPY,
                                      ID_FAVORITE_COPYNAME, ID_FAVORITE_RENAME};

} // namespace

class ItemCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FavoritesFrame> m_pf;

    QMessageBox::StandardButton m_answer = QMessageBox::Yes;

    QList<CMessageHub::Box> Boxes() const { return CMessageHub::ShownBoxes(); }

    // Types a new name into the in-place editor that Rename Favorite opens
    // and ends the edit with the key; true when the editor opened.
    bool RenameTo(const QString& strLabel, const QString& strNewName, Qt::Key nKey = Qt::Key_Return)
    {
        m_pf->Select(strLabel);
        if (!m_pf->m_pRouter->Run(ID_FAVORITE_RENAME))
            return false;
        auto* pEditor = m_pf->Tree().findChild<QLineEdit*>();
        if (!pEditor || !pEditor->isVisible())
            return false;
        pEditor->setText(strNewName);
        QTest::keyClick(pEditor, nKey);
        // The end of the edit is handled from the event loop.
        QTest::qWait(20);
        QCoreApplication::processEvents();
        return true;
    }

    // Shows the context menu as the tree asks for it, and reads it.
    struct MenuSeen {
        bool m_bShown = false;
        QPoint m_ptAt;
        QStringList m_texts;
        QList<bool> m_enabled;
        QString m_strDefault;
    };
    MenuSeen ContextMenu(const QPoint& ptRequest, const QPoint& ptPointer)
    {
        MenuSeen seen;
        ModalWatch watch([&seen](QWidget* pPopup) {
            auto* pMenu = qobject_cast<QMenu*>(pPopup);
            seen.m_bShown = true;
            seen.m_ptAt = pMenu->pos();
            for (QAction* pAction : pMenu->actions()) {
                seen.m_texts << (pAction->isSeparator() ? QString("-") : pAction->text());
                if (!pAction->isSeparator())
                    seen.m_enabled << pAction->isEnabled();
            }
            if (pMenu->defaultAction())
                seen.m_strDefault = pMenu->defaultAction()->text();
            pMenu->close();
        });
        m_pf->View().OnContextMenu(ptRequest, ptPointer);
        QTest::qWait(50); // no menu came: the probe goes unused
        return seen;
    }

private slots:
    void init()
    {
        m_pf = std::make_unique<FavoritesFrame>();
        CMessageHub::SetAnswerer([this](const CMessageHub::Box&) { return m_answer; });
        CMessageHub::ResetRecord();
        m_answer = QMessageBox::Yes;
        m_pf->WriteUrl("Example.url", "http://127.0.0.1:1/example");
        m_pf->WriteUrl("Other.url", "http://127.0.0.1:1/other");
        m_pf->WriteUrl("News/Daily.url", "http://127.0.0.1:1/daily");
        m_pf->Open({"Example", "Other", "Daily"});
    }
    void cleanup()
    {
        CDesktopLauncher::SetRunner({});
        CFavoritePropertiesDlg::SetAsker({});
        m_pf->Close();
        m_pf.reset();
    }

    void commandsFollowTheSelectionTheModeAndTheRunningWork()
    {
        m_pf->Tree().setCurrentItem(nullptr);
        for (int nId : kSelectionCommands)
            QVERIFY(!m_pf->Enabled(nId));
        QVERIFY(!m_pf->Enabled(ID_FAVORITE_DELETE));

        m_pf->Select("News"); // a folder
        for (int nId : kSelectionCommands)
            QVERIFY(!m_pf->Enabled(nId));
        QVERIFY(!m_pf->Enabled(ID_FAVORITE_DELETE));

        m_pf->Select("Example");
        for (int nId : kSelectionCommands)
            QVERIFY2(m_pf->Enabled(nId), qPrintable(QString::number(nId)));
        QVERIFY(m_pf->Enabled(ID_FAVORITE_DELETE));

        // Delete All Broken needs broken favourites and no worker.
        QVERIFY(!m_pf->Enabled(ID_TOOLS_DELETEBROKEN));
        m_pf->View().State().m_nBrokenCount = 2;
        QVERIFY(m_pf->Enabled(ID_TOOLS_DELETEBROKEN));
        m_pf->View().State().m_nActiveWorkers = 1; // a check runs
        QVERIFY(!m_pf->Enabled(ID_TOOLS_DELETEBROKEN));
        QVERIFY(!m_pf->Enabled(ID_FILE_REFRESH));
        for (int nId : kSelectionCommands)
            QVERIFY(m_pf->Enabled(nId));
        QVERIFY(m_pf->Enabled(ID_FAVORITE_DELETE));
        m_pf->View().State().m_nActiveWorkers = 0;
        m_pf->View().State().m_bPopulating = true; // a scan runs
        QVERIFY(!m_pf->Enabled(ID_FILE_REFRESH));
        m_pf->View().State().m_bPopulating = false;
        QVERIFY(m_pf->Enabled(ID_FILE_REFRESH));

        // Document mode: the links of a page or a browser are only read, so
        // neither rename nor deletion is offered, and rename does not start.
        m_pf->View().State().m_bDocumentMode = true;
        QVERIFY(!m_pf->Enabled(ID_FAVORITE_RENAME));
        QVERIFY(!m_pf->Enabled(ID_FAVORITE_DELETE));
        QVERIFY(!m_pf->Enabled(ID_TOOLS_DELETEBROKEN));
        QVERIFY(!static_cast<CFavoritesTree&>(m_pf->Tree()).EditLabel(m_pf->Node("Example")));
        QVERIFY(m_pf->Exists("Example.url"));
        m_pf->View().State().m_bDocumentMode = false;
    }

    void contextMenuFromTheMouse()
    {
        DetailsProbe probe(m_pf->View());
        m_pf->m_pRouter->AddCommandMap(&probe, kProbeCommands);

        // On empty space: nothing, and the selection stays.
        m_pf->Select("Other");
        const QPoint ptEmpty = m_pf->Tree().viewport()->mapToGlobal(QPoint(200, m_pf->Tree().viewport()->height() - 5));
        QVERIFY(!static_cast<CFavoritesTree&>(m_pf->Tree()).NodeAtGlobal(ptEmpty));
        MenuSeen seen = ContextMenu(ptEmpty, ptEmpty);
        QVERIFY(!seen.m_bShown);
        QCOMPARE(m_pf->Tree().currentItem(), m_pf->Node("Other"));

        // On a favourite: it is selected, and the menu shows its commands.
        const QPoint ptExample = m_pf->GlobalPointOf("Example");
        seen = ContextMenu(ptExample, ptExample);
        QVERIFY(seen.m_bShown);
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Example"));
        QCOMPARE(seen.m_ptAt, ptExample);
        QCOMPARE(seen.m_texts, (QStringList{"&Open in Browser", "-", "View &Details", "-", "&Rename Favorite", "-",
                                            "D&elete Favorite", "-", "&Copy Favorite URL", "Copy Favorite &Name", "-",
                                            "&Properties"}));
        QCOMPARE(seen.m_strDefault, QString("View &Details"));
        QCOMPARE(seen.m_enabled, QList<bool>(7, true));
        // The menu bar keeps its own text for the same command.
        QCOMPARE(m_pf->m_pRouter->Action(ID_FAVORITE_DELETE)->text(), QString("&Delete Favorite"));

        // On a folder: it is selected, and every item is disabled.
        const QPoint ptFolder = m_pf->GlobalPointOf("News");
        seen = ContextMenu(ptFolder, ptFolder);
        QVERIFY(seen.m_bShown);
        QCOMPARE(m_pf->Tree().currentItem(), m_pf->Node("News"));
        QVERIFY(!seen.m_enabled.contains(true));

        // A right click selects the node under the pointer at once.
        m_pf->View().OnTreeRightClick(ptExample);
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Example"));
        m_pf->View().OnTreeRightClick(ptEmpty);
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Example"));
    }

    void contextMenuKeyActsOnTheSelectionWhereverThePointerIs()
    {
        m_pf->Select("Example");
        const QPoint ptOutside = m_pf->m_pFrame->mapToGlobal(QPoint(-50, -50));
        MenuSeen seen;
        ModalWatch watch([&seen](QWidget* pPopup) {
            seen.m_bShown = true;
            seen.m_ptAt = pPopup->pos();
            for (QAction* pAction : pPopup->actions())
                if (!pAction->isSeparator())
                    seen.m_enabled << pAction->isEnabled();
            pPopup->close();
        });
        QCursor::setPos(ptOutside);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), m_pf->Tree().mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(&m_pf->Tree(), &key);
        QTRY_VERIFY(seen.m_bShown);
        // At the selected node, with its commands, and it stays selected.
        const QRect rcNode = m_pf->Tree().visualItemRect(m_pf->Node("Example"));
        const QRect rcGlobal(m_pf->Tree().viewport()->mapToGlobal(rcNode.topLeft()), rcNode.size());
        QVERIFY2(seen.m_ptAt.y() >= rcGlobal.top() && seen.m_ptAt.y() <= rcGlobal.bottom() + 2,
                 qPrintable(QString("menu at %1, node %2..%3").arg(seen.m_ptAt.y()).arg(rcGlobal.top()).arg(rcGlobal.bottom())));
        QVERIFY(seen.m_enabled.contains(true));
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Example"));

        // With nothing selected, the menu opens at the tree's corner, all
        // of it disabled.
        m_pf->Tree().setCurrentItem(nullptr);
        m_pf->Tree().clearSelection();
        MenuSeen none;
        ModalWatch watchNone([&none](QWidget* pPopup) {
            none.m_bShown = true;
            for (QAction* pAction : pPopup->actions())
                if (!pAction->isSeparator())
                    none.m_enabled << pAction->isEnabled();
            pPopup->close();
        });
        QApplication::sendEvent(&m_pf->Tree(), &key);
        QTRY_VERIFY(none.m_bShown);
        QVERIFY(!none.m_enabled.contains(true));
    }

    void doubleClickRunsDetailsOnAFavoriteAndTogglesAFolder()
    {
        DetailsProbe probe(m_pf->View());
        m_pf->m_pRouter->AddCommandMap(&probe, kProbeCommands);
        QWidget* pViewport = m_pf->Tree().viewport();
        const auto local = [&](const QString& strLabel) { return pViewport->mapFromGlobal(m_pf->GlobalPointOf(strLabel)); };

        QTest::mouseClick(pViewport, Qt::LeftButton, {}, local("Example"));
        QTest::mouseDClick(pViewport, Qt::LeftButton, {}, local("Example"));
        QCOMPARE(probe.m_nRuns, 1);
        QTest::qWait(QApplication::doubleClickInterval() + 200); // no delayed edit either
        QVERIFY(m_pf->Tree().findChild<QLineEdit*>() == nullptr || !m_pf->Tree().findChild<QLineEdit*>()->isVisible());

        QTreeWidgetItem* pFolder = m_pf->Node("News");
        const bool bExpanded = pFolder->isExpanded();
        QTest::mouseClick(pViewport, Qt::LeftButton, {}, local("News"));
        QTest::mouseDClick(pViewport, Qt::LeftButton, {}, local("News"));
        QCOMPARE(pFolder->isExpanded(), !bExpanded);
        QCOMPARE(probe.m_nRuns, 1);
    }

    void openInBrowserHandsTheUrlToTheDesktopAndReportsAFailure()
    {
        QStringList seenArgs;
        DesktopOpenResult answer{0, 0};
        CDesktopLauncher::SetRunner([&](const QString&, const QStringList& args, QObject*, CDesktopLauncher::Done done) {
            seenArgs = args;
            done(answer);
        });
        m_pf->Select("Example");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_OPEN));
        QCOMPARE(seenArgs, QStringList{"http://127.0.0.1:1/example"});
        QVERIFY(Boxes().isEmpty());

        answer = {3, 0};
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_OPEN));
        answer = {-1, ENOENT};
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_OPEN));
        QCOMPARE(Boxes().size(), 2);
        // The numbers, then in words what they mean.
        QCOMPARE(Boxes()[0].m_strText,
                 QString("Unable to open the URL.  The following error was returned: 3/SE0.\n\n"
                         "No program is set up on this desktop to open it (no web browser or mail program is chosen)."));
        QCOMPARE(Boxes()[0].m_strCaption, QString("Unable To launch Browser"));
        QCOMPARE(Boxes()[0].m_nIcon, QMessageBox::Warning);
        QCOMPARE(Boxes()[1].m_strText,
                 QString("Unable to open the URL.  The following error was returned: -1/SE2.\n\n"
                         "xdg-open, which hands links to the desktop, is not installed (package xdg-utils)."));
    }

    void clipboardGetsTheUrlAndTheNameShown()
    {
        m_pf->WriteUrl("Caf\xC3\xA9 \xE2\x98\x95.url", "http://127.0.0.1:1/caf\xC3\xA9");
        m_pf->Refresh({QString::fromUtf8("Caf\xC3\xA9 \xE2\x98\x95")});
        m_pf->Select(QString::fromUtf8("Caf\xC3\xA9 \xE2\x98\x95"));
        QVERIFY(m_pf->m_pRouter->Run(ID_EDIT_COPY));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("http://127.0.0.1:1/caf\xC3\xA9"));
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_COPYNAME));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("Caf\xC3\xA9 \xE2\x98\x95"));

        // After a rename the new name is copied.
        QVERIFY(RenameTo("Example", "Renamed"));
        m_pf->Select("Renamed");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_COPYNAME));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("Renamed"));
    }

    void propertiesAskTheFileManagerFirst()
    {
        m_pf->WriteRawName("Odd\xE9.url", "[InternetShortcut]\r\nURL=http://odd.example/\r\n");
        m_pf->Refresh({QString::fromUtf8("Odd\xEF\xBF\xBD")});

        QStringList uris;
        bool bAnswer = true;
        CFavoritePropertiesDlg::SetAsker([&](const QString& strUri, QObject*, std::function<void(bool)> done) {
            uris << strUri;
            done(bAnswer);
        });
        const auto dialogs = [] {
            int n = 0;
            for (QWidget* pTop : QApplication::topLevelWidgets())
                n += pTop->objectName() == "favoritePropertiesDlg" && pTop->isVisible();
            return n;
        };
        m_pf->Select(QString::fromUtf8("Odd\xEF\xBF\xBD"));
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_PROPERTIES));
        // The real bytes of the name reach the file manager.
        QCOMPARE(uris, QStringList{"file://" + QString(QUrl::toPercentEncoding(QDir(m_pf->m_dir.path()).absolutePath(), "/")) +
                                   "/Favorites/Odd%E9.url"});
        QCOMPARE(dialogs(), 0);

        // No file manager: our own dialog, with the file's facts.
        bAnswer = false;
        m_pf->Select("Example");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_PROPERTIES));
        QCOMPARE(dialogs(), 1);
        QWidget* pDlg = nullptr;
        for (QWidget* pTop : QApplication::topLevelWidgets())
            if (pTop->objectName() == "favoritePropertiesDlg")
                pDlg = pTop;
        QCOMPARE(pDlg->windowTitle(), QString("Example Properties"));
        QCOMPARE(pDlg->findChild<QLineEdit*>("type")->text(), QString("Internet Shortcut"));
        QCOMPARE(pDlg->findChild<QLineEdit*>("file")->text(), m_pf->Path("Example.url"));
        QCOMPARE(pDlg->findChild<QLineEdit*>("url")->text(), QString("http://127.0.0.1:1/example"));
        QCOMPARE(pDlg->findChild<QLineEdit*>("size")->text(), QString("%1 bytes").arg(m_pf->Read("Example.url").size()));
        QTest::keyClick(pDlg, Qt::Key_Escape);
        QTRY_COMPARE(dialogs(), 0);

        // A file that is gone: nothing is asked, shown or reported.
        QFile::remove(m_pf->Path("Other.url"));
        m_pf->Select("Other");
        const auto nAsked = uris.size();
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_PROPERTIES));
        QCOMPARE(uris.size(), nAsked);
        QCOMPARE(dialogs(), 0);
        QVERIFY(Boxes().isEmpty());
    }

    void renameKeepsTheExtensionAndReportsSuccess()
    {
        QVERIFY(RenameTo("Example", "Example 2.0"));
        QVERIFY(m_pf->Exists("Example 2.0.url"));
        QVERIFY(!m_pf->Exists("Example.url"));
        QVERIFY(m_pf->Node("Example 2.0"));
        FavoriteItem* pItem = m_pf->Record("Example 2.0");
        QCOMPARE(pItem->m_strPath, m_pf->PathBytes("Example 2.0.url"));
        QCOMPARE(pItem->m_strName, std::string("Example")); // the stored name stays
        QCOMPARE(Boxes().size(), 1);
        QCOMPARE(Boxes()[0].m_strText, QString("The Favorite was renamed successfully."));
        QCOMPARE(Boxes()[0].m_strCaption, QString("Favorite Renamed"));
        QCOMPARE(Boxes()[0].m_nIcon, QMessageBox::Information);

        QVERIFY(RenameTo("Example 2.0", "My Site"));
        QVERIFY(m_pf->Exists("My Site.url"));
        QVERIFY(RenameTo("My Site", "Plain.URL"));
        QVERIFY(m_pf->Exists("Plain.URL"));
        QCOMPARE(m_pf->Read("Plain.URL"), QByteArray("[InternetShortcut]\r\nURL=http://127.0.0.1:1/example\r\n"));
    }

    void renameRefusals()
    {
        // A folder is never edited.
        m_pf->Select("News");
        QVERIFY(!m_pf->Enabled(ID_FAVORITE_RENAME));
        QVERIFY(!static_cast<CFavoritesTree&>(m_pf->Tree()).EditLabel(m_pf->Node("News")));

        // Cancelled, emptied, unchanged: nothing happens; unchanged beeps.
        QVERIFY(RenameTo("Example", "Whatever", Qt::Key_Escape));
        QVERIFY(RenameTo("Example", ""));
        QVERIFY(RenameTo("Example", "Example"));
        QCOMPARE(CMessageHub::BeepCount(), 1);
        QVERIFY(Boxes().isEmpty());
        QVERIFY(m_pf->Exists("Example.url"));

        // A character a name may not hold: the first one is named, and the
        // typed name comes back into the editor to be corrected.
        const auto reopenedEditor = [this]() -> QLineEdit* {
            auto* pEditor = m_pf->Tree().findChild<QLineEdit*>();
            return pEditor && pEditor->isVisible() ? pEditor : nullptr;
        };
        QVERIFY(RenameTo("Example", "a|b\"c"));
        QCOMPARE(Boxes().size(), 1);
        QCOMPARE(Boxes()[0].m_strText, QString("The character \"|\" is not valid for a the Name of a Favorite."));
        QTRY_VERIFY(reopenedEditor());
        QCOMPARE(reopenedEditor()->text(), QString("a|b\"c"));
        QTest::keyClick(reopenedEditor(), Qt::Key_Escape);
        QTest::qWait(20);
        QVERIFY(RenameTo("Example", "News/Sport"));
        QCOMPARE(Boxes().size(), 2);
        QCOMPARE(Boxes()[1].m_strText, QString("The character \"/\" is not valid for a the Name of a Favorite."));
        QCOMPARE(Boxes()[1].m_strCaption, QString("Invalid Character Specified"));
        QCOMPARE(Boxes()[1].m_nIcon, QMessageBox::Warning);
        QTRY_VERIFY(reopenedEditor());
        QCOMPARE(reopenedEditor()->text(), QString("News/Sport"));
        QVERIFY(m_pf->Exists("Example.url"));
        // Corrected in place, the name is taken.
        reopenedEditor()->setText("News Sport");
        QTest::keyClick(reopenedEditor(), Qt::Key_Return);
        QTRY_VERIFY(m_pf->Node("News Sport"));
        QVERIFY(m_pf->Exists("News Sport.url"));
        QVERIFY(RenameTo("News Sport", "Example"));
        QVERIFY(m_pf->Exists("Example.url"));
        CMessageHub::ResetRecord();

        // The name of another favourite: the move fails, the box names the
        // other favourite, the label keeps the old name, and the other file
        // is untouched.
        const QByteArray other = m_pf->Read("Other.url");
        QVERIFY(RenameTo("Example", "Other"));
        QCOMPARE(m_pf->Read("Other.url"), other);
        QCOMPARE(m_pf->Node("Example")->text(0), QString("Example"));
        QCOMPARE(Boxes().size(), 1);
        QVERIFY2(Boxes()[0].m_strText.contains("\"Other\" already has that name"), qPrintable(Boxes()[0].m_strText));
        QCOMPARE(Boxes()[0].m_strCaption, QString("Favorite Not Renamed"));
        QCOMPARE(Boxes()[0].m_nIcon, QMessageBox::Warning);
        QVERIFY(!m_pf->Tree().findChild<QLineEdit*>() || !m_pf->Tree().findChild<QLineEdit*>()->isVisible());
        QCOMPARE(QDir(m_pf->Path("")).entryList(QDir::Files), (QStringList{"Example.url", "Other.url"}));
    }

    void deleteMovesTheFavoriteToTheTrashWhereTheDesktopCanRestoreIt()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        m_answer = QMessageBox::Yes;
        m_pf->Select("Example");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(!m_pf->Exists("Example.url"));
        QVERIFY(!m_pf->Node("Example"));
        QCOMPARE(Boxes().last().m_strText, QString("The specified Favorite was deleted successfully."));
        QFile trashed(data.path() + "/Trash/files/Example.url");
        QVERIFY(trashed.open(QIODevice::ReadOnly));
        QCOMPARE(trashed.readAll(), QByteArray("[InternetShortcut]\r\nURL=http://127.0.0.1:1/example\r\n"));
        QFile info(data.path() + "/Trash/info/Example.url.trashinfo");
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = info.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
        QCOMPARE(lines.value(1), "Path=" + QFileInfo(m_pf->Path("")).canonicalFilePath().toUtf8() + "/Example.url");
        QVERIFY(QDateTime::fromString(QString::fromLatin1(lines.value(2).mid(13)), "yyyy-MM-ddThh:mm:ss").isValid());
        QVERIFY(lines.value(2).startsWith("DeletionDate="));
    }

    void deleteAsksFirstUnlessCtrlIsHeld()
    {
        m_answer = QMessageBox::No;
        m_pf->Select("Example");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        QCOMPARE(Boxes().size(), 1);
        QCOMPARE(Boxes()[0].m_strText, QString("Are you SURE you want to delete \"Example\"\nfrom your Favorites?"));
        QCOMPARE(Boxes()[0].m_strCaption, QString("Confirm Delete"));
        QCOMPARE(Boxes()[0].m_nIcon, QMessageBox::Question);
        QCOMPARE(Boxes()[0].m_buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(m_pf->Exists("Example.url"));

        m_answer = QMessageBox::Yes;
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        QVERIFY(!m_pf->Exists("Example.url"));
        QVERIFY(!m_pf->Node("Example"));
        QCOMPARE(m_pf->View().Items().size(), size_t(2));
        QCOMPARE(Boxes().last().m_strText, QString("The specified Favorite was deleted successfully."));
        QCOMPARE(Boxes().last().m_strCaption, QString("Link Deleted"));

        // Ctrl held down: no question.
        CMessageHub::ResetRecord();
        m_pf->Select("Other");
        QTest::keyPress(m_pf->m_pFrame->windowHandle(), Qt::Key_Control, Qt::ControlModifier);
        QVERIFY(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        QTest::keyRelease(m_pf->m_pFrame->windowHandle(), Qt::Key_Control, Qt::NoModifier);
        QVERIFY(!m_pf->Exists("Other.url"));
        QCOMPARE(Boxes().size(), 1);
        QCOMPARE(Boxes()[0].m_strCaption, QString("Link Deleted"));

        // The last favourite of a folder: the folder stays.
        m_pf->Select("Daily");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        QVERIFY(!m_pf->Node("Daily"));
        QVERIFY(m_pf->Node("News"));
    }

    void deleteFailuresShowTheSystemText()
    {
        const auto failure = [](const QString& strText) {
            return "The specified Favorite could not be deleted.  The following error was returned:\n\n" + strText;
        };
        m_pf->WriteChannel("Full Channel");
        m_pf->Write("Full Channel/logo.gif", "GIF89a");
        m_pf->WriteChannel("Bare Channel");
        m_pf->WriteUrl("Locked.url", "http://127.0.0.1:1/locked");
        m_pf->Refresh({"Full Channel", "Bare Channel", "Locked"});
        QFile::setPermissions(m_pf->Path("Locked.url"), QFile::ReadOwner | QFile::ReadGroup);
        QFile::remove(m_pf->Path("Other.url"));

        for (const char* pszLabel : {"Full Channel", "Locked", "Other"}) {
            m_pf->Select(pszLabel);
            QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
            QVERIFY(m_pf->Node(pszLabel)); // the node stays
        }
        QCOMPARE(Boxes().size(), 6);
        QCOMPARE(Boxes()[1].m_strText, failure("Directory not empty"));
        QCOMPARE(Boxes()[1].m_strCaption, QString("Failed To Delete Favorite"));
        QCOMPARE(Boxes()[1].m_nIcon, QMessageBox::Warning);
        QCOMPARE(Boxes()[3].m_strText, failure("Permission denied"));
        QCOMPARE(Boxes()[5].m_strText, failure("No such file or directory"));
        QVERIFY(m_pf->Exists("Full Channel/desktop.ini"));
        QVERIFY(m_pf->Exists("Full Channel/logo.gif"));
        QVERIFY(m_pf->Exists("Locked.url"));

        // A channel folder that holds only its desktop.ini goes whole.
        m_pf->Select("Bare Channel");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        QVERIFY(!m_pf->Exists("Bare Channel"));
        QVERIFY(!m_pf->Node("Bare Channel"));
    }

    void favoriteDeletedWhileItsCheckRuns()
    {
        CTestHttpServer server;
        server.SetDelay(std::chrono::milliseconds(300));
        m_pf->WriteUrl("Slow.url", QByteArray::fromStdString(server.Url("/ok/slow")));
        m_pf->Refresh({"Slow"});
        m_pf->View().Settings().m_nThreadCount = 2;
        m_pf->View().Settings().m_nTimeoutMs = 5000;
        FavoriteItem* pSlow = m_pf->Record("Slow");
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE(pSlow->Status(), int(StatusChecking));
        m_pf->Select("Slow");
        QVERIFY(m_pf->Enabled(ID_FAVORITE_DELETE));
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_DELETE));
        QVERIFY(!m_pf->Exists("Slow.url"));
        QVERIFY(!m_pf->Node("Slow"));
        QTRY_COMPARE_WITH_TIMEOUT(Boxes().last().m_strCaption, QString("Finished Checking Favorites"), 20000);
        QCOMPARE(m_pf->View().State().m_nActiveWorkers.load(), 0);
    }
};

ZORBEL_GUI_TEST_MAIN(ItemCommandsTest)
#include "ItemCommandsTest.moc"
