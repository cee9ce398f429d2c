// The configuration sheet as the main window runs it: the Configuration
// command and its idle rule, the sheet's tabs and buttons, the engraved name,
// the page it opens on, OK on the Contact page, no help from F1 or the help
// button, the three mail requests handed to the desktop, the settings file
// left alone until exit, and a Check All that then runs 8 checks at once.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWhatsThis>
#include <QtTest>

#include "core/model/TreeSink.h"
#include "core/settings/CheckSettings.h"
#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/CommandIds.h"
#include "gui/common/DesktopLauncher.h"
#include "gui/common/MessageHub.h"
#include "gui/config/ConfigurationPS.h"
#include "gui/config/ConfigurationPSPage1.h"
#include "gui/config/ConfigurationPSPage3.h"
#include "gui/config/DigitEdit.h"
#include "gui/help/HtmlHelp.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "profile/SettingsProfile.h"
#include "support/TestHttpServer.h"

namespace {

int g_nHelpEngineLoads = 0;
void* CountingLoad(const char*)
{
    ++g_nHelpEngineLoads;
    return nullptr;
}
void* NoSymbol(void*, const char*) { return nullptr; }

QRect PixelsOf(const QImage& image, const QRect& rcArea, QRgb rgb)
{
    QRect rcFound;
    for (int y = rcArea.top(); y <= rcArea.bottom(); ++y)
        for (int x = rcArea.left(); x <= rcArea.right(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (rgb & 0xffffff))
                rcFound |= QRect(x, y, 1, 1);
    return rcFound;
}

} // namespace

class ConfigurationSheetTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<CSettingsProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    QString ConfPath() const { return m_settingsDir.path() + "/Ornamy Software/Zorbel.conf"; }

    void MakeFrame()
    {
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pProfile = std::make_unique<CSettingsProfile>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        m_doc.OnNewDocument();
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
        m_pRouter->UpdateAll();
    }

    // Runs the Configuration command; `act` gets the open sheet and should
    // close it (it is cancelled if still open afterwards).
    bool RunSheet(const std::function<void(CConfigurationPS&)>& act)
    {
        bool bSeen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* pSheet = qobject_cast<CConfigurationPS*>(QApplication::activeModalWidget());
            if (!pSheet || bSeen || !pSheet->isActiveWindow())
                return;
            bSeen = true;
            act(*pSheet);
            if (pSheet->isVisible())
                pSheet->reject();
        });
        poll.start(10);
        const bool bRan = m_pRouter->Run(ID_TOOLS_CONFIGURATION);
        return bRan && bSeen;
    }

private slots:
    void initTestCase()
    {
        // Nothing has set it yet in this run: the first opening is on Settings.
        QCOMPARE(CConfigurationPS::s_nLastActivePage, 0);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
    }
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
        QFile::remove(ConfPath());
        MakeFrame();
    }
    void cleanup()
    {
        CDesktopLauncher::SetRunner({});
        m_pFrame.reset();
        m_pProfile.reset();
        m_pRouter.reset();
    }

    void commandRunsOnlyWhenIdleAndOwnsTheSheetToTheMainWindow()
    {
        m_pFrame->View()->State().m_bPopulating = true;
        m_pRouter->UpdateAll();
        QVERIFY(!m_pRouter->Action(ID_TOOLS_CONFIGURATION)->isEnabled());
        QVERIFY(!m_pRouter->Run(ID_TOOLS_CONFIGURATION));
        m_pFrame->View()->State().m_bPopulating = false;
        m_pFrame->View()->State().m_nActiveWorkers = 1;
        m_pRouter->UpdateAll();
        QVERIFY(!m_pRouter->Action(ID_TOOLS_CONFIGURATION)->isEnabled());
        m_pFrame->View()->State().m_nActiveWorkers = 0;
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_TOOLS_CONFIGURATION)->isEnabled());

        QVERIFY(RunSheet([this](CConfigurationPS& sheet) {
            QVERIFY(sheet.isModal());
            QCOMPARE(sheet.parentWidget(), m_pFrame.get());
            QCOMPARE(sheet.windowTitle(), "Zorbel Configuration");
            QVERIFY(sheet.windowFlags() & Qt::WindowContextHelpButtonHint);
            QCOMPARE(sheet.TabControl()->count(), 2);
            QCOMPARE(sheet.TabControl()->tabText(0), "Settings");
            QCOMPARE(sheet.TabControl()->tabText(1), "Contact");
            // OK and Cancel alone in the button row, at its right end.
            const QList<QPushButton*> buttons = sheet.findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
            QCOMPARE(buttons.size(), 2);
            QVERIFY(sheet.OkButton()->isDefault());
            QVERIFY(sheet.OkButton()->geometry().right() < sheet.CancelButton()->geometry().left());
            QCOMPARE(sheet.CancelButton()->geometry().right(), sheet.TabControl()->geometry().right());
            QVERIFY(sheet.OkButton()->geometry().top() > sheet.TabControl()->geometry().bottom());
            QTest::keyClick(&sheet, Qt::Key_Escape);
        }));
    }

    void nothingIsCutOrWrappedOnEitherPage()
    {
        CheckSettings settings;
        CConfigurationPS sheet(settings);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        for (int nPage = 0; nPage < 2; ++nPage) {
            sheet.TabControl()->setCurrentIndex(nPage);
            QWidget* pPage = sheet.TabControl()->currentWidget();
            for (QWidget* pControl : pPage->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QVERIFY2(pPage->rect().contains(pControl->geometry()), qPrintable(pControl->objectName()));
                auto* pLabel = qobject_cast<QLabel*>(pControl);
                if (pLabel && pLabel->wordWrap())
                    QVERIFY2(pLabel->heightForWidth(pLabel->width()) <= pLabel->height(), qPrintable(pLabel->text()));
                else if (!qobject_cast<CDigitEdit*>(pControl))
                    QVERIFY2(pControl->sizeHint().width() <= pControl->width(), qPrintable(pControl->objectName()));
            }
        }
    }

    void theNameIsEngravedInTheButtonRow()
    {
        CheckSettings settings;
        CConfigurationPS sheet(settings);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const QFont& font = sheet.TitleFont();
        QVERIFY(QFontInfo(font).italic());
        QVERIFY(qAbs(QFontMetrics(font).height() - CConfigurationPS::kTitleCellHeight) <= 1);

        const QImage image = sheet.grab().toImage();
        QCOMPARE(image.size(), sheet.size());
        QRect rcArea = sheet.TitleRect();
        rcArea.setRight(sheet.OkButton()->geometry().left() - 1);
        rcArea.adjust(0, 0, 0, 2);
        const QRect rcShadow = PixelsOf(image, rcArea, sheet.palette().color(QPalette::Dark).rgb());
        const QRect rcLight = PixelsOf(image, rcArea, sheet.palette().color(QPalette::Light).rgb());
        QVERIFY(!rcShadow.isEmpty());
        QVERIFY(!rcLight.isEmpty());
        // Starts at the tab control's left edge, centred on OK's height.
        QVERIFY(rcShadow.left() - sheet.TitleRect().left() <= 4);
        QVERIFY(qAbs(rcShadow.center().y() - sheet.OkButton()->geometry().center().y()) <= 3);
        QVERIFY(rcShadow.height() >= 10);
        // The light copy shows below and right of the shadow copy.
        QVERIFY(rcLight.right() > rcShadow.right() && rcLight.right() <= rcShadow.right() + 2);
        QVERIFY(rcLight.bottom() > rcShadow.bottom() && rcLight.bottom() <= rcShadow.bottom() + 2);
    }

    void opensOnTheLastActivePageAndOkOnContactStoresSettings()
    {
        m_pFrame->View()->Settings() = {60000, 2, false};
        QVERIFY(RunSheet([](CConfigurationPS& sheet) {
            QCOMPARE(sheet.TabControl()->currentIndex(), 0);
            sheet.SettingsPage()->ThreadsEdit()->setText("5");
            sheet.SettingsPage()->AutoCheckBox()->setChecked(true);
            QTest::keyClick(sheet.TabControl()->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(sheet.TabControl()->currentIndex(), 1);
            sheet.OkButton()->click();
        }));
        QCOMPARE(m_pFrame->View()->Settings().m_nThreadCount, 5);
        QVERIFY(m_pFrame->View()->Settings().m_bAutoCheck);
        QCOMPARE(CConfigurationPS::s_nLastActivePage, 1);

        // Opened on Contact; back to Settings and closed from the title bar.
        QVERIFY(RunSheet([](CConfigurationPS& sheet) {
            QCOMPARE(sheet.TabControl()->currentIndex(), 1);
            QCOMPARE(QApplication::focusWidget(), sheet.ContactPage()->Button(CConfigurationPSPage3::IDC_SEND_COMMENT));
            sheet.TabControl()->setCurrentIndex(0);
            sheet.close();
        }));
        QVERIFY(RunSheet([](CConfigurationPS& sheet) { QCOMPARE(sheet.TabControl()->currentIndex(), 0); }));

        CConfigurationPS::s_nLastActivePage = -1; // no page: the first one
        QVERIFY(RunSheet([](CConfigurationPS& sheet) { QCOMPARE(sheet.TabControl()->currentIndex(), 0); }));
        CConfigurationPS::s_nLastActivePage = 0;
    }

    void helpKeyAndHelpButtonShowNoHelp()
    {
        SetHtmlHelpLibraryHooks({&CountingLoad, &NoSymbol});
        g_nHelpEngineLoads = 0;
        QVERIFY(RunSheet([](CConfigurationPS& sheet) {
            const auto visibleWindows = [] {
                int n = 0;
                for (QWidget* pWindow : QApplication::topLevelWidgets())
                    n += pWindow->isVisible();
                return n;
            };
            const int nWindows = visibleWindows();
            QWidget* pEdit = sheet.SettingsPage()->ThreadsEdit();
            QTest::keyClick(pEdit, Qt::Key_F1);
            QTest::qWait(50);
            QCOMPARE(visibleWindows(), nWindows);

            QWhatsThis::enterWhatsThisMode();
            QVERIFY(QWhatsThis::inWhatsThisMode());
            QTest::mouseClick(pEdit, Qt::LeftButton);
            QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());
            QCOMPARE(visibleWindows(), nWindows);
            QVERIFY(sheet.isVisible());
            QTest::keyClick(&sheet, Qt::Key_Escape);
        }));
        SetHtmlHelpLibraryHooks(DefaultHtmlHelpLibraryHooks());
        QCOMPARE(g_nHelpEngineLoads, 0);
        QCOMPARE(CMessageHub::BeepCount(), 0);
    }

    void contactButtonsHandTheirMailRequestsToTheDesktop()
    {
        QStringList programs;
        QList<QStringList> requests;
        CDesktopLauncher::SetRunner([&](const QString& strProgram, const QStringList& args, QObject*,
                                        CDesktopLauncher::Done) {
            programs << strProgram;
            requests << args;
        });
        CConfigurationPS::s_nLastActivePage = 1;
        QVERIFY(RunSheet([&requests](CConfigurationPS& sheet) {
            CConfigurationPSPage3* pPage = sheet.ContactPage();
            pPage->Button(CConfigurationPSPage3::IDC_SEND_COMMENT)->click();
            pPage->Button(CConfigurationPSPage3::IDC_SEND_BUGREPORT)->click();
            QTest::keyClick(&sheet, Qt::Key_S, Qt::AltModifier);
            QTRY_COMPARE(requests.size(), 3); // the mnemonic's click is animated
            QVERIFY(sheet.isVisible());
            // Alt+C is the Settings page's box while that page shows, no mail.
            sheet.TabControl()->setCurrentIndex(0);
            QTest::keyClick(&sheet, Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(sheet.SettingsPage()->AutoCheckBox()->isChecked());
        }));
        CConfigurationPS::s_nLastActivePage = 0;
        QCOMPARE(programs, QStringList({"xdg-open", "xdg-open", "xdg-open"}));
        QCOMPARE(requests,
                 QList<QStringList>(
                     {{"mailto:comments@ornamy.example?subject=Zorbel Comment:&body=[Enter your comment after this "
                       "line (-)]"},
                      {"mailto:bugs@ornamy.example?subject=Zorbel Bug Report:&body=[Enter information for your bug "
                       "report after this line (-)]"},
                      {"mailto:support@ornamy.example?subject=Zorbel Question:&body=[Enter your question after this "
                       "line (-)]"}}));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void settingsFileIsWrittenOnlyAtExit()
    {
        m_pFrame.reset();
        QDir().mkpath(QFileInfo(ConfPath()).path());
        QFile conf(ConfPath());
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Settings]\nCommTimeout=90\nThreads=2\nAutoCheck=0\n");
        conf.close();
        MakeFrame();
        const auto readConf = [this] {
            QFile file(ConfPath());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = readConf();

        QVERIFY(RunSheet([](CConfigurationPS& sheet) {
            sheet.SettingsPage()->ThreadsEdit()->setText("8");
            sheet.SettingsPage()->TimeoutEdit()->setText("30");
            sheet.SettingsPage()->AutoCheckBox()->setChecked(true);
            sheet.TabControl()->setCurrentIndex(1);
            sheet.OkButton()->click();
        }));
        QCOMPARE(m_pFrame->View()->Settings().m_nThreadCount, 8);
        QCOMPARE(m_pFrame->View()->Settings().m_nTimeoutMs, 30000);
        QTest::qWait(50);
        QCOMPARE(readConf(), before);

        QVERIFY(m_pFrame->close());
        m_pProfile.reset();
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Ornamy Software", "Zorbel");
        QCOMPARE(settings.value("Settings/Threads").toInt(), 8);
        QCOMPARE(settings.value("Settings/CommTimeout").toInt(), 30);
        QCOMPARE(settings.value("Settings/AutoCheck").toInt(), 1);
        // The page last shown is kept for the run only.
        QStringList keys = settings.allKeys();
        keys.sort();
        QCOMPARE(keys, QStringList({"Settings/AutoCheck", "Settings/CommTimeout", "Settings/ContentChecks",
                                    "Settings/LastSource", "Settings/LastSourceKind", "Settings/OldMFState",
                                    "Settings/OldMFWP", "Settings/ProblemsOnly", "Settings/Threads"}));
        CConfigurationPS::s_nLastActivePage = 0;
    }

    void checkAllThenRunsAsManyChecksAtOnceAsSet()
    {
        CTestHttpServer server;
        server.SetDelay(std::chrono::milliseconds(700));
        QVERIFY(RunSheet([](CConfigurationPS& sheet) {
            sheet.SettingsPage()->ThreadsEdit()->setText("8");
            sheet.SettingsPage()->TimeoutEdit()->setText("30");
            sheet.OkButton()->click();
        }));
        for (int i = 0; i < 16; ++i) {
            auto pItem = std::make_shared<FavoriteItem>();
            pItem->m_strName = "Site " + std::to_string(i);
            pItem->m_strUrl = server.Url("/ok/" + std::to_string(i));
            m_pFrame->View()->Sink().InsertNode(kTreeRoot, pItem->m_strName, 0, pItem);
        }
        m_pFrame->View()->Sink().Flush();
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Run(ID_TOOLS_CHECKALL));
        // The panes and the commands follow in the update pass.
        QTRY_COMPARE((m_pRouter->UpdateAll(), m_pFrame->PaneText(ID_INDICATOR_THREADS)),
                     " Checking - 8 Thread(s) Active ");
        QVERIFY(!m_pRouter->Action(ID_TOOLS_CONFIGURATION)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 20000);
        QCOMPARE(server.PeakRequestsInFlight(), std::size_t(8));
        QCOMPARE(server.RequestCount(), std::size_t(16));
    }
};

ZORBEL_GUI_TEST_MAIN(ConfigurationSheetTest)
#include "ConfigurationSheetTest.moc"
