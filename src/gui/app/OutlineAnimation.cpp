#include "gui/app/OutlineAnimation.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QRegion>
#include <QVariantAnimation>

COutlineAnimation::COutlineAnimation()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void COutlineAnimation::Play(const QRect& rcFrom, const QRect& rcTo, int nDurationMs)
{
    COutlineAnimation outline;
    QVariantAnimation animation;
    animation.setStartValue(rcFrom);
    animation.setEndValue(rcTo);
    animation.setDuration(nDurationMs);
    animation.setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(&animation, &QVariantAnimation::valueChanged, &outline,
                     [&outline](const QVariant& value) { outline.SetRect(value.toRect()); });
    QEventLoop loop;
    QObject::connect(&animation, &QVariantAnimation::finished, &loop, &QEventLoop::quit);

    outline.SetRect(rcFrom);
    outline.show();
    animation.start();
    // Input is held back so that nothing is clicked while the outline moves.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    outline.hide();
}

void COutlineAnimation::SetRect(const QRect& rc)
{
    setGeometry(rc.normalized().adjusted(0, 0, qMax(0, 1 - rc.width()), qMax(0, 1 - rc.height())));
    update();
}

void COutlineAnimation::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    // Platforms without windows on a screen (offscreen, minimal) have no masks.
    static const bool bUseMasks = QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal");
    if (!bUseMasks)
        return;
    // Only the frame shows: the inside stays see-through.
    const QRect rcAll = rect();
    QRegion frame(rcAll);
    const QRect rcInner = rcAll.adjusted(kPenWidth, kPenWidth, -kPenWidth, -kPenWidth);
    if (rcInner.isValid())
        frame -= QRegion(rcInner);
    setMask(frame);
}

void COutlineAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Highlight));
}
