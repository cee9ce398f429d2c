// Show Problems Only: the tree shows the favourites whose outcome is a
// problem and the folders that hold them, nothing else (unchecked, valid
// and skipped ones hidden); it follows the outcomes as a pass brings them
// and as they change by hand, and the rows that go; the count says how many
// of all are shown; the menu item and the toolbar button show its state,
// and the settings keep it.
#include <QToolBar>
#include <QToolButton>

#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "FavoritesFrame.h"
#include "GuiTestMain.h"
#include "support/TestHttpServer.h"

class ProblemsOnlyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CTestHttpServer> m_pServer;
    std::unique_ptr<FavoritesFrame> m_pF;

    QByteArray Url(const char* pszPath) const { return QByteArray::fromStdString(m_pServer->Url(pszPath)); }
    // The labels the tree shows, folders with "/", in tree order.
    QStringList Shown() const
    {
        QStringList labels;
        const std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* pParent) {
            for (int i = 0; i < pParent->childCount(); ++i) {
                QTreeWidgetItem* pNode = pParent->child(i);
                if (pNode->isHidden())
                    continue;
                labels << pNode->text(0) + (m_pF->View().RecordOf(pNode) ? "" : "/");
                walk(pNode);
            }
        };
        walk(m_pF->Tree().invisibleRootItem());
        return labels;
    }
    QString ItemsPane() const
    {
        m_pF->m_pRouter->UpdateAll();
        return m_pF->m_pFrame->PaneText(ID_INDICATOR_ITEMS);
    }
    // Gives a favourite an outcome as a worker does: status, then picture.
    void SetOutcome(const QString& strLabel, LinkStatus nStatus)
    {
        FavoriteItem* pItem = m_pF->Record(strLabel);
        QVERIFY(pItem);
        pItem->SetStatus(nStatus);
        m_pF->View().Sink().SetNodeImage(pItem->m_hItem, ImageFor(KindInternetFavorite, nStatus));
        m_pF->View().Sink().Flush();
    }

private slots:
    void initTestCase() { m_pServer = std::make_unique<CTestHttpServer>(); }
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        ForgetKeptOutcomes();
        m_pF = std::make_unique<FavoritesFrame>();
        m_pF->m_profile.WriteProfileInt("Settings", "Threads", 4);
        m_pF->WriteUrl("News/Fine.url", Url("/ok/fine"));
        m_pF->WriteUrl("News/Old/Gone.url", Url("/missing/gone"));
        m_pF->WriteUrl("Tools/Good.url", Url("/ok/good"));
        m_pF->WriteUrl("Moved.url", Url("/302-no-location"));
        m_pF->WriteUrl("Valid.url", Url("/ok/valid"));
    }
    void cleanup()
    {
        if (m_pF)
            m_pF->Close();
        m_pF.reset();
    }

    void onlyTheProblemsAndTheirFoldersShowAfterAPass()
    {
        // One answer comes late, so that the pass is still under way when
        // the first problems are known.
        m_pF->WriteUrl("Tools/Slow.url", Url("/wait/1500/missing/slow"));
        m_pF->Open({"Fine", "Gone", "Good", "Moved", "Slow", "Valid"});
        QCOMPARE(ItemsPane(), QString(" 9 Items "));
        QVERIFY(m_pF->Enabled(ID_VIEW_PROBLEMSONLY));
        QVERIFY(m_pF->m_pRouter->Run(ID_VIEW_PROBLEMSONLY));
        QVERIFY(m_pF->View().ProblemsOnly());
        m_pF->m_pRouter->UpdateAll();
        QVERIFY(m_pF->m_pRouter->Action(ID_VIEW_PROBLEMSONLY)->isChecked());
        // Nothing is checked yet: nothing shows, empty folders neither.
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(ItemsPane(), QString(" 0 of 9 Items "));

        // The problems appear as the pass finds them, before it ends.
        QVERIFY(m_pF->m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(Shown(), QStringList({"Moved", "News/", "Old/", "Gone"}), 20000);
        QVERIFY(m_pF->View().State().m_nActiveWorkers > 0);
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 30000);
        QCOMPARE(Shown(), QStringList({"Moved", "News/", "Old/", "Gone", "Tools/", "Slow"}));
        QCOMPARE(ItemsPane(), QString(" 6 of 9 Items "));

        // Off again: everything shows, the count is the plain one.
        QVERIFY(m_pF->m_pRouter->Run(ID_VIEW_PROBLEMSONLY));
        QCOMPARE(Shown().size(), 9);
        QCOMPARE(ItemsPane(), QString(" 9 Items "));
        m_pF->m_pRouter->UpdateAll();
        QVERIFY(!m_pF->m_pRouter->Action(ID_VIEW_PROBLEMSONLY)->isChecked());
    }

    void theFilterFollowsEveryChangeOfAnOutcome()
    {
        m_pF->Open({"Fine", "Gone", "Good", "Moved", "Valid"});
        m_pF->View().SetProblemsOnly(true);
        for (const char* pszLabel : {"Fine", "Gone", "Good", "Moved", "Valid"})
            SetOutcome(pszLabel, StatusValid);
        QCOMPARE(Shown(), QStringList());

        // A favourite deep in folders turns broken: it shows with its folders.
        SetOutcome("Gone", StatusBroken);
        QCOMPARE(Shown(), QStringList({"News/", "Old/", "Gone"}));
        // Every kind of problem shows; skipped and being checked do not.
        SetOutcome("Good", StatusAuthRequired);
        SetOutcome("Valid", StatusUnverified);
        SetOutcome("Fine", StatusPartiallyValid);
        QCOMPARE(Shown(), QStringList({"News/", "Fine", "Old/", "Gone", "Tools/", "Good", "Valid"}));
        SetOutcome("Good", StatusSkipped);
        SetOutcome("Valid", StatusChecking);
        QCOMPARE(Shown(), QStringList({"News/", "Fine", "Old/", "Gone"}));
        // The last problem of a folder goes: the folder goes, its parent stays.
        SetOutcome("Gone", StatusValid);
        QCOMPARE(Shown(), QStringList({"News/", "Fine"}));
        QCOMPARE(ItemsPane(), QString(" 2 of 8 Items "));

        // A selected row that hides is no longer the one commands act on.
        m_pF->Select("Fine");
        QVERIFY(m_pF->Enabled(ID_FAVORITE_DETAILS));
        SetOutcome("Fine", StatusValid);
        QVERIFY(!m_pF->View().SelectedRecord());
        QVERIFY(!m_pF->Enabled(ID_FAVORITE_DETAILS));
        QCOMPARE(Shown(), QStringList());
    }

    void rowsThatGoLeaveTheCountsRight()
    {
        m_pF->Open({"Fine", "Gone", "Good", "Moved", "Valid"});
        SetOutcome("Gone", StatusBroken);
        SetOutcome("Moved", StatusMoved);
        m_pF->View().SetProblemsOnly(true);
        QCOMPARE(Shown(), QStringList({"Moved", "News/", "Old/", "Gone"}));
        // The record goes as Delete takes it: its folders go with it.
        m_pF->View().RemoveRecord(m_pF->Record("Gone"));
        QCOMPARE(Shown(), QStringList({"Moved"}));
        QCOMPARE(ItemsPane(), QString(" 1 of 7 Items "));
        // Refresh fills the list anew, still filtered.
        m_pF->Refresh({"Fine", "Gone", "Good", "Moved", "Valid"});
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(ItemsPane(), QString(" 0 of 8 Items "));
        SetOutcome("Gone", StatusBroken);
        QCOMPARE(Shown(), QStringList({"News/", "Old/", "Gone"}));
        QCOMPARE(ItemsPane(), QString(" 3 of 8 Items "));
    }

    void theToolbarButtonAndTheSettingsKeepTheState()
    {
        m_pF->Open({"Fine"});
        QToolBar* pBar = m_pF->m_pFrame->ToolBar();
        QAction* pAction = m_pF->m_pRouter->Action(ID_VIEW_PROBLEMSONLY);
        QCOMPARE(pBar->actions().last(), pAction);
        QVERIFY(pAction->isCheckable());
        auto* pButton = qobject_cast<QToolButton*>(pBar->widgetForAction(pAction));
        QVERIFY(pButton);
        pButton->click();
        QVERIFY(m_pF->View().ProblemsOnly());
        QVERIFY(m_pF->m_pFrame->close());
        QCOMPARE(m_pF->m_profile.m_ints.at("Settings/ProblemsOnly"), 1);

        // The next start begins filtered.
        m_pF->m_pFrame.reset();
        m_pF->m_pRouter.reset();
        m_pF->Open({"Fine"});
        QVERIFY(m_pF->View().ProblemsOnly());
        QVERIFY(m_pF->Node("Fine")->isHidden());
        m_pF->m_pRouter->UpdateAll();
        QVERIFY(m_pF->m_pRouter->Action(ID_VIEW_PROBLEMSONLY)->isChecked());
        m_pF->View().SetProblemsOnly(false);
        QVERIFY(m_pF->m_pFrame->close());
        QCOMPARE(m_pF->m_profile.m_ints.at("Settings/ProblemsOnly"), 0);
    }
};

ZORBEL_GUI_TEST_MAIN(ProblemsOnlyTest)
#include "ProblemsOnlyTest.moc"
