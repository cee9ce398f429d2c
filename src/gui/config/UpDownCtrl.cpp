#include "gui/config/UpDownCtrl.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

#include <algorithm>

namespace {

// A held arrow waits this long before it repeats, then repeats at this
// interval.
constexpr int kInitialDelayMs = 500;
constexpr int kRepeatMs = 50;

// How far one repeat moves after the arrow has been held for a while.
struct Acceleration {
    qint64 m_nAfterMs;
    int m_nStep;
};
constexpr Acceleration kAccelerations[] = {{5000, 20}, {2000, 5}, {0, 1}};

int StepAfter(qint64 nHeldMs)
{
    for (const Acceleration& accel : kAccelerations)
        if (nHeldMs >= accel.m_nAfterMs)
            return accel.m_nStep;
    return 1;
}

} // namespace

CUpDownCtrl::CUpDownCtrl(QWidget* pParent) : QWidget(pParent)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true); // the hot half follows the pointer
    setAttribute(Qt::WA_Hover);
    m_timerRepeat.setSingleShot(false);
    connect(&m_timerRepeat, &QTimer::timeout, this, &CUpDownCtrl::OnRepeat);
}

void CUpDownCtrl::SetBuddy(QLineEdit* pBuddy)
{
    if (m_pBuddy) {
        m_pBuddy->removeEventFilter(this);
        disconnect(m_buddyGone);
    }
    m_pBuddy = pBuddy;
    m_pBuddyObject = pBuddy;
    if (!pBuddy)
        return;
    pBuddy->installEventFilter(this);
    m_buddyGone = connect(pBuddy, &QObject::destroyed, this, [this] {
        m_pBuddy = nullptr;
        m_pBuddyObject = nullptr;
    });
    const QRect rcBuddy = pBuddy->geometry();
    const int nWidth = std::min(width(), rcBuddy.width() / 2);
    setGeometry(rcBuddy.x() + rcBuddy.width() - nWidth, rcBuddy.y(), nWidth, rcBuddy.height());
    pBuddy->setGeometry(rcBuddy.x(), rcBuddy.y(), rcBuddy.width() - nWidth, rcBuddy.height());
    setEnabled(pBuddy->isEnabled());
}

void CUpDownCtrl::SetRange(int nLower, int nUpper)
{
    m_nLower = std::min(nLower, nUpper);
    m_nUpper = std::max(nLower, nUpper);
    m_nPos = std::clamp(m_nPos, m_nLower, m_nUpper);
}

void CUpDownCtrl::SetPos(int nPos)
{
    m_nPos = std::clamp(nPos, m_nLower, m_nUpper);
    if (!m_pBuddy)
        return;
    const QString strText = QString::number(m_nPos);
    if (m_pBuddy->text() != strText)
        m_pBuddy->setText(strText);
}

int CUpDownCtrl::GetPos() const
{
    if (!m_pBuddy)
        return m_nPos;
    bool bNumber = false;
    const int nShown = m_pBuddy->text().toInt(&bNumber);
    // Text that is no number, or a number outside the range, does not move
    // the control: it goes on from where it last was.
    if (!bNumber || nShown < m_nLower || nShown > m_nUpper)
        return m_nPos;
    return nShown;
}

void CUpDownCtrl::Step(int nDelta)
{
    const qint64 nTarget = qint64(GetPos()) + nDelta;
    SetPos(int(std::clamp<qint64>(nTarget, m_nLower, m_nUpper)));
}

QSize CUpDownCtrl::sizeHint() const
{
    const int nHeight = fontMetrics().height() + 6;
    return QSize(nHeight * 3 / 4, nHeight);
}

QRect CUpDownCtrl::PartRect(Part part) const
{
    const int nUpHeight = height() / 2;
    if (part == kUp)
        return QRect(0, 0, width(), nUpHeight);
    if (part == kDown)
        return QRect(0, nUpHeight, width(), height() - nUpHeight);
    return {};
}

CUpDownCtrl::Part CUpDownCtrl::PartAt(const QPoint& pt) const
{
    if (PartRect(kUp).contains(pt))
        return kUp;
    if (PartRect(kDown).contains(pt))
        return kDown;
    return kNone;
}

void CUpDownCtrl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (Part part : {kUp, kDown}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = PartRect(part);
        button.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
        const bool bDown = m_nPressed == part && m_bPressedUnderMouse;
        button.state |= bDown ? QStyle::State_Sunken : QStyle::State_Raised;
        if (m_nHot == part && isEnabled())
            button.state |= QStyle::State_MouseOver;
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &p, this);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.state &= ~QStyle::State_MouseOver;
        const int nSide = std::max(4, std::min(button.rect.width(), button.rect.height()) - 4);
        arrow.rect = QRect(0, 0, nSide, nSide);
        arrow.rect.moveCenter(button.rect.center() + (bDown ? QPoint(1, 1) : QPoint()));
        style()->drawPrimitive(part == kUp ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
                               &p, this);
    }
}

void CUpDownCtrl::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(pEvent);
        return;
    }
    const Part part = PartAt(pEvent->position().toPoint());
    if (part == kNone)
        return;
    m_nPressed = part;
    m_bPressedUnderMouse = true;
    if (m_pBuddy)
        m_pBuddy->setFocus(Qt::OtherFocusReason);
    update();
    Step(part == kUp ? 1 : -1);
    m_held.start();
    m_timerRepeat.start(kInitialDelayMs);
}

void CUpDownCtrl::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::LeftButton)
        StopRepeat();
}

void CUpDownCtrl::mouseMoveEvent(QMouseEvent* pEvent)
{
    const Part part = PartAt(pEvent->position().toPoint());
    SetHot(part);
    if (m_nPressed != kNone && m_bPressedUnderMouse != (part == m_nPressed)) {
        m_bPressedUnderMouse = part == m_nPressed;
        update(); // the pressed half rises while the pointer is off it
    }
}

void CUpDownCtrl::leaveEvent(QEvent* pEvent)
{
    SetHot(kNone);
    QWidget::leaveEvent(pEvent);
}

void CUpDownCtrl::SetHot(Part part)
{
    if (m_nHot == part)
        return;
    m_nHot = part;
    update();
}

void CUpDownCtrl::OnRepeat()
{
    m_timerRepeat.setInterval(kRepeatMs);
    // A held arrow moves only while the pointer stays on it.
    if (m_nPressed == kNone || !m_bPressedUnderMouse)
        return;
    const int nStep = StepAfter(m_held.elapsed());
    Step(m_nPressed == kUp ? nStep : -nStep);
}

void CUpDownCtrl::StopRepeat()
{
    m_timerRepeat.stop();
    if (m_nPressed != kNone) {
        m_nPressed = kNone;
        update();
    }
}

void CUpDownCtrl::Wheel(QWheelEvent* pEvent)
{
    if (pEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
        pEvent->ignore();
        return;
    }
    m_nWheelRest += pEvent->angleDelta().y();
    const int nSteps = m_nWheelRest / 120;
    m_nWheelRest %= 120;
    if (nSteps != 0)
        Step(nSteps);
    pEvent->accept();
}

void CUpDownCtrl::wheelEvent(QWheelEvent* pEvent)
{
    if (isEnabled())
        Wheel(pEvent);
}

void CUpDownCtrl::changeEvent(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::EnabledChange && !isEnabled())
        StopRepeat();
    QWidget::changeEvent(pEvent);
}

bool CUpDownCtrl::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (!m_pBuddyObject || pWatched != m_pBuddyObject)
        return QWidget::eventFilter(pWatched, pEvent);
    switch (pEvent->type()) {
    case QEvent::KeyPress: {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if ((pKey->key() == Qt::Key_Up || pKey->key() == Qt::Key_Down) &&
            !(pKey->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            Step(pKey->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        break;
    }
    case QEvent::Wheel:
        if (m_pBuddy->isEnabled()) {
            Wheel(static_cast<QWheelEvent*>(pEvent));
            return pEvent->isAccepted();
        }
        break;
    case QEvent::EnabledChange:
        setEnabled(m_pBuddy->isEnabled());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}
