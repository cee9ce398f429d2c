#include "gui/app/SplashWnd.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "gui/common/Artwork.h"

bool CSplashWnd::s_bEnabled = false;
CSplashWnd* CSplashWnd::s_pInstance = nullptr;
int CSplashWnd::s_nTimeoutMs = CSplashWnd::kTimeoutMs;
CSplashWnd::PictureMaker CSplashWnd::s_pfnPicture = &Artwork::SplashPicture;

CSplashWnd::CSplashWnd(QWidget* pParent)
    : QWidget(pParent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName("splashWnd");
    // The keyboard stays with the main window; the splash screen sees the
    // keys through the application's filter all the same.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent); // the picture covers every pixel
    // Window managers raise the main window when it first shows, after the
    // splash screen; it is raised again over it.
    if (pParent)
        pParent->window()->installEventFilter(this);
}

CSplashWnd::~CSplashWnd()
{
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

void CSplashWnd::SetSplashEnabled(bool bEnabled) { s_bEnabled = bEnabled; }

void CSplashWnd::ShowSplash(QWidget* pParent)
{
    if (!s_bEnabled || s_pInstance)
        return;
    s_pInstance = new CSplashWnd(pParent);
    if (!s_pInstance->Create()) {
        delete s_pInstance; // clears s_pInstance
        return;
    }
    s_pInstance->show();
    s_pInstance->repaint();
    s_pInstance->CenterWindow();
}

bool CSplashWnd::Create()
{
    m_picture = s_pfnPicture ? s_pfnPicture(ScreenPixelRatio()) : QPixmap();
    if (m_picture.isNull())
        return false;
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    CenterWindow();
    startTimer(s_nTimeoutMs);
    return true;
}

qreal CSplashWnd::ScreenPixelRatio() const
{
    const QScreen* pScreen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    return pScreen ? pScreen->devicePixelRatio() : 1.0;
}

void CSplashWnd::CenterWindow()
{
    // Over the main window once it shows; before that, as at start-up, in
    // the middle of the screen's work area.
    const QWidget* pMain = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area;
    if (pMain && pMain->isVisible() && !pMain->isMinimized()) {
        area = pMain->frameGeometry();
    } else {
        const QScreen* pScreen = pMain ? pMain->screen() : QGuiApplication::primaryScreen();
        if (!pScreen)
            return;
        area = pScreen->availableGeometry();
    }
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    // A move to a screen of another density gets a picture made for it.
    if (!qFuzzyCompare(m_picture.devicePixelRatio(), devicePixelRatioF())) {
        const QPixmap picture = s_pfnPicture ? s_pfnPicture(devicePixelRatioF()) : QPixmap();
        if (!picture.isNull())
            m_picture = picture;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void CSplashWnd::timerEvent(QTimerEvent*) { HideSplash(); }

bool CSplashWnd::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (isVisible() && (pEvent->type() == QEvent::Show || pEvent->type() == QEvent::WindowActivate))
        raise();
    return QWidget::eventFilter(pWatched, pEvent);
}

void CSplashWnd::HideSplash()
{
    // Shown once per run.
    s_bEnabled = false;
    if (s_pInstance == this)
        s_pInstance = nullptr;
    hide();
    if (QWidget* pMain = parentWidget() ? parentWidget()->window() : nullptr)
        pMain->update();
    // This may run inside the delivery of an event to the splash screen
    // itself; it goes once that is over.
    deleteLater();
}

bool CSplashWnd::FilterAppMessage(QEvent* pEvent)
{
    if (!s_pInstance)
        return false;
    switch (pEvent->type()) {
    case QEvent::ShortcutOverride:
        // Claimed, so that no shortcut runs: the key press that follows
        // hides the splash screen and goes no further.
        pEvent->accept();
        return true;
    case QEvent::KeyPress:
        s_pInstance->HideSplash();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
        const Qt::MouseButton nButton = static_cast<QMouseEvent*>(pEvent)->button();
        if (nButton != Qt::LeftButton && nButton != Qt::RightButton && nButton != Qt::MiddleButton)
            return false;
        s_pInstance->HideSplash();
        return true;
    }
    default:
        return false;
    }
}

bool CSplashFilter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    return CSplashWnd::FilterAppMessage(pEvent) || QObject::eventFilter(pWatched, pEvent);
}
