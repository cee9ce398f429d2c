// The window and the kept outcomes, over a Favorites folder of temporary
// files checked against our own server: after a restart (a new window) and
// after Refresh every favourite shows what the last check found, with its
// icon, its details ("Last checked:" in local time), the report and Delete
// All Broken, without a single request; Check All asks again for every link;
// a damaged cache file is moved aside with a line in the status bar and
// nothing of the favourites changes.
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>

#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "FavoritesFrame.h"
#include "gui/view/LinkDetailsDlg.h"
#include "GuiTestMain.h"
#include "support/TestHttpServer.h"

class KeptOutcomesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FavoritesFrame> m_pf;
    std::unique_ptr<CTestHttpServer> m_pServer;
    std::unique_ptr<QTemporaryDir> m_pCacheHome;

    QByteArray Url(const char* pszPath) const { return QByteArray::fromStdString(m_pServer->Url(pszPath)); }

    void CheckAll()
    {
        CMessageHub::ResetRecord();
        m_pf->View().Settings().m_nThreadCount = 4;
        m_pf->View().Settings().m_nTimeoutMs = 5000;
        m_pf->View().Settings().m_bContentChecks = false;
        QVERIFY(m_pf->m_pRouter->Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);
        QTRY_VERIFY(m_pf->View().State().IsIdle());
        CMessageHub::ResetRecord();
    }

    // The outcome of each record by name, and whether its node shows it.
    struct Seen {
        std::int32_t m_nStatus;
        std::string m_strText;
        std::int64_t m_nCheckedAt;
        bool m_bIconShowsIt;
        bool operator==(const Seen&) const = default;
    };
    std::map<std::string, Seen> Outcomes() const
    {
        std::map<std::string, Seen> seen;
        m_pf->View().Sink().Flush();
        for (const auto& pItem : m_pf->View().Items()) {
            const int nImage = m_pf->View().Sink().NodeImage(pItem->m_hItem);
            seen[pItem->m_strName] = {pItem->Status(), pItem->StatusText(), pItem->CheckedAt(),
                                      nImage == ImageFor(KindFromImage(nImage), pItem->Status())};
        }
        return seen;
    }

    void Restart(const QStringList& labels)
    {
        m_pf->m_pFrame.reset();
        m_pf->m_pRouter.reset();
        m_pf->Open(labels);
    }

    const QStringList kLabels = {"Good", "Gone", "Later", "Elsewhere"};

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        m_pCacheHome = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CACHE_HOME", m_pCacheHome->path().toUtf8());
        m_pServer = std::make_unique<CTestHttpServer>();
        m_pf = std::make_unique<FavoritesFrame>();
        m_pf->WriteUrl("Good.url", Url("/ok/1"));
        m_pf->WriteUrl("News/Gone.url", Url("/missing/2"));
        m_pf->WriteUrl("News/Deep/Later.url", Url("/500"));
        m_pf->WriteUrl("Elsewhere.url", Url("/moved/3"));
    }
    void cleanup()
    {
        m_pf->Close();
        m_pf.reset();
        m_pServer.reset();
        qunsetenv("XDG_CACHE_HOME");
        m_pCacheHome.reset();
    }

    void aRestartShowsWhatTheLastRunFoundWithoutAsking()
    {
        m_pf->Open(kLabels);
        m_pf->m_pRouter->UpdateAll();
        QVERIFY(!m_pf->m_pRouter->Action(ID_FILE_REPORT)->isEnabled()); // nothing is known yet
        const std::size_t nBeforeCheck = m_pServer->RequestCount();
        CheckAll();
        const std::size_t nOneCheck = m_pServer->RequestCount() - nBeforeCheck;
        const auto before = Outcomes();
        QCOMPARE(before.at("Gone").m_nStatus, std::int32_t(StatusPartiallyValid));
        QVERIFY(before.at("Good").m_nCheckedAt > 0);

        const std::size_t nRequests = m_pServer->RequestCount();
        Restart(kLabels);
        QTRY_VERIFY(m_pf->View().Items().size() == 4 && Outcomes() == before);
        QCOMPARE(m_pServer->RequestCount(), nRequests);
        for (const auto& [strName, seen] : Outcomes())
            QVERIFY2(seen.m_bIconShowsIt, strName.c_str());
        // The report and Delete All Broken work on them as on fresh ones.
        m_pf->m_pRouter->UpdateAll();
        QVERIFY(m_pf->m_pRouter->Action(ID_FILE_REPORT)->isEnabled());
        QVERIFY(m_pf->m_pRouter->Action(ID_TOOLS_DELETEBROKEN)->isEnabled());
        QCOMPARE(m_pf->View().State().m_nBrokenCount.load(), 1);

        // After Refresh too, with new records.
        m_pf->Refresh(kLabels);
        QCOMPARE(Outcomes(), before);
        QCOMPARE(m_pServer->RequestCount(), nRequests);

        // Check All asks for every link again.
        CheckAll();
        QCOMPARE(m_pServer->RequestCount(), nRequests + nOneCheck);
    }

    void theDetailsSayWhenTheOutcomeWasFound()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.m_strName = "Good";
        dlg.m_nStatus = StatusValid;
        dlg.m_nCheckedAt = 1765000000;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.LastCheckedEdit()->text(),
                 QLocale().toString(QDateTime::fromSecsSinceEpoch(1765000000), QLocale::ShortFormat));
        QVERIFY(dlg.LastCheckedEdit()->isEnabled());
        QTest::keyClick(&dlg, 'K', Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.LastCheckedEdit()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.StatusCombo()));
        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            dlg.grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + "/details-last-checked.png");

        CLinkDetailsDlg never(nullptr, nullptr);
        never.show();
        QVERIFY(QTest::qWaitForWindowExposed(&never));
        QCOMPARE(never.LastCheckedEdit()->text(), QString());
        QVERIFY(!never.LastCheckedEdit()->isEnabled());
    }

    void aDamagedCacheIsMovedAsideWithALineInTheStatusBar()
    {
        const QString strFolder = m_pCacheHome->path() + "/zorbel";
        QDir().mkpath(strFolder);
        QFile file(strFolder + "/results.sqlite");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, '#'));
        file.close();
        const QByteArray good = m_pf->Read("Good.url");

        m_pf->Open(kLabels);
        QTRY_VERIFY(m_pf->m_pFrame->PaneText(ID_SEPARATOR).contains("was damaged; it was moved to"));
        QCOMPARE(QDir(strFolder).entryList({"results.sqlite.damaged-*"}).size(), 1);
        QCOMPARE(m_pf->Read("Good.url"), good);
        // The new cache works: what this run finds is there at the next start.
        CheckAll();
        const auto found = Outcomes();
        Restart(kLabels);
        QTRY_COMPARE(Outcomes(), found);
    }
};

ZORBEL_GUI_TEST_MAIN(KeptOutcomesTest)
#include "KeptOutcomesTest.moc"
