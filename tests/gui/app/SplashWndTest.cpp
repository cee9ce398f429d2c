// The start-up picture: shown while the frame is built unless the command
// line switches it off, centred on the work area before the main window
// shows, gone after its time or at the first key or mouse-button press,
// which is then consumed while the next one is delivered; one per run, and
// none at all when its picture cannot be made.
#include <QAction>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include "gui/app/MainFrame.h"
#include "gui/app/SplashWnd.h"
#include "gui/app/ZorbelApp.h"
#include "gui/common/Artwork.h"
#include "gui/menus/CommandRouter.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"

namespace {

QPixmap NoPicture(qreal) { return {}; }

// A main window with a button and an F5 shortcut.
class CInputWindow : public QMainWindow {
public:
    CInputWindow()
    {
        m_pButton = new QPushButton("Button", this);
        setCentralWidget(m_pButton);
        m_pRefresh = new QAction("Refresh", this);
        m_pRefresh->setShortcut(Qt::Key_F5);
        addAction(m_pRefresh);
        resize(300, 200);
    }
    QPushButton* m_pButton;
    QAction* m_pRefresh;
};

} // namespace

class SplashWndTest : public QObject {
    Q_OBJECT

    void ShowOver(QWidget* pParent)
    {
        CSplashWnd::SetSplashEnabled(true);
        CSplashWnd::ShowSplash(pParent);
        QVERIFY(CSplashWnd::Instance());
    }
    // The test platform gives the keyboard to every window it shows, where
    // a desktop leaves it with the main window; give it back.
    static void Reactivate(QWidget* pWindow)
    {
        pWindow->windowHandle()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), pWindow->windowHandle());
    }

private slots:
    void initTestCase()
    {
        qApp->installEventFilter(new CSplashFilter(qApp));
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
    }
    void init()
    {
        CSplashWnd::SetTimeoutMs(CSplashWnd::kTimeoutMs);
        CSplashWnd::SetPictureMaker(&Artwork::SplashPicture);
    }
    void cleanup()
    {
        if (CSplashWnd* pSplash = CSplashWnd::Instance())
            pSplash->HideSplash();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CSplashWnd::SetSplashEnabled(false);
    }

    void shownWhileTheFrameIsBuiltUnlessEmbedded()
    {
        CCommandRouter router;
        MemoryProfile profile;
        CSplashWnd::SetSplashEnabled(CZorbelApp::ShowSplashFromArguments({"zorbel"}));
        {
            CMainFrame frame(router, profile);
            CSplashWnd* pSplash = CSplashWnd::Instance();
            QVERIFY(pSplash);
            QCOMPARE(pSplash->parentWidget(), &frame);
            QVERIFY(pSplash->isVisible());
            QCOMPARE(pSplash->size(), QSize(452, 299));
            // Before the main window shows, in the middle of the work area.
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY((pSplash->geometry().center() - area.center()).manhattanLength() <= 2);
            // A second show makes no second window.
            CSplashWnd::ShowSplash(&frame);
            QCOMPARE(CSplashWnd::Instance(), pSplash);
            QCOMPARE(frame.findChildren<CSplashWnd*>().size(), 1);
        }
        // It went with the frame that owned it.
        QVERIFY(!CSplashWnd::Instance());

        for (const char* pszSwitch : {"-embedding", "-Automation", "--automation"}) {
            CSplashWnd::SetSplashEnabled(CZorbelApp::ShowSplashFromArguments({"zorbel", pszSwitch}));
            CMainFrame frame(router, profile);
            QVERIFY2(!CSplashWnd::Instance(), pszSwitch);
        }
    }

    void goneAfterItsTimeAndShownOncePerRun()
    {
        CSplashWnd::SetTimeoutMs(50);
        QWidget owner;
        ShowOver(&owner);
        QPointer<CSplashWnd> pSplash = CSplashWnd::Instance();
        QTRY_VERIFY_WITH_TIMEOUT(!CSplashWnd::Instance(), 2000);
        QTRY_VERIFY(!pSplash); // the window itself is gone too
        CSplashWnd::ShowSplash(&owner);
        QVERIFY(!CSplashWnd::Instance());
    }

    void theFirstKeyPressOnlyHidesTheSplash()
    {
        CInputWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy refreshes(window.m_pRefresh, &QAction::triggered);
        ShowOver(&window);
        Reactivate(&window);
        QTest::keyClick(&window, Qt::Key_F5);
        QVERIFY(!CSplashWnd::Instance());
        QCOMPARE(refreshes.count(), 0);
        Reactivate(&window);
        QTest::keyClick(&window, Qt::Key_F5);
        QCOMPARE(refreshes.count(), 1);
    }

    void theFirstClickOnlyHidesTheSplash()
    {
        CInputWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(window.m_pButton, &QPushButton::clicked);

        ShowOver(&window);
        // Moving the mouse leaves it there.
        QTest::mouseMove(window.m_pButton);
        QVERIFY(CSplashWnd::Instance());
        QTest::mouseClick(window.m_pButton, Qt::LeftButton);
        QVERIFY(!CSplashWnd::Instance());
        QCOMPARE(clicks.count(), 0);
        QTest::mouseClick(window.m_pButton, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
    }

    void aPictureThatCannotBeMadeMeansNoSplash()
    {
        CSplashWnd::SetPictureMaker(&NoPicture);
        CSplashWnd::SetSplashEnabled(true);
        CCommandRouter router;
        MemoryProfile profile;
        CMainFrame frame(router, profile);
        QVERIFY(!CSplashWnd::Instance());
        QVERIFY(frame.findChildren<CSplashWnd*>().isEmpty());
    }
};

ZORBEL_GUI_TEST_MAIN(SplashWndTest)
#include "SplashWndTest.moc"
