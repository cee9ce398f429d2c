#pragma once

#include <QPixmap>
#include <QWidget>

// The start-up picture: a borderless window in front of the main window
// while it is built and the list fills. It goes after five seconds, or at the
// first key or mouse-button press anywhere in the program, which does
// nothing else. It is shown at most once per run, and only when the command
// line allows it.
class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    // Makes the picture for a screen of the given pixel ratio; a null pixmap
    // when it cannot be made.
    using PictureMaker = QPixmap (*)(qreal dDevicePixelRatio);

    static constexpr int kTimeoutMs = 5000;

    // Whether the command line allows the splash screen.
    static void SetSplashEnabled(bool bEnabled);
    // Creates and shows the splash screen, owned by the parent window, unless
    // it is not allowed, already shows or has shown in this run, or its
    // picture cannot be made.
    static void ShowSplash(QWidget* pParent);
    // Offered every event of the program before anything else: true when it
    // was a key or mouse-button press that hid the splash screen (it is then
    // not processed any further).
    static bool FilterAppMessage(QEvent* pEvent);
    // The splash screen that shows now; null when none does.
    static CSplashWnd* Instance() { return s_pInstance; }

    // Test seams: how long the splash screen stays, and what draws it.
    static void SetTimeoutMs(int nTimeoutMs) { s_nTimeoutMs = nTimeoutMs; }
    static void SetPictureMaker(PictureMaker pfnMaker) { s_pfnPicture = pfnMaker; }

    // Takes the window away and repaints the main window.
    void HideSplash();

    const QPixmap& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    explicit CSplashWnd(QWidget* pParent);
    ~CSplashWnd() override;

    bool Create();
    void CenterWindow();
    qreal ScreenPixelRatio() const;

    QPixmap m_picture;

    static bool s_bEnabled;
    static CSplashWnd* s_pInstance;
    static int s_nTimeoutMs;
    static PictureMaker s_pfnPicture;
};

// Offers every event of the application to the splash screen first; the
// application installs one on itself.
class CSplashFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
};
