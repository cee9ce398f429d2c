#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLineEdit;

// An up-down control with a buddy edit: two small arrow buttons standing at
// the buddy's right edge (the buddy gives up that much of its width). The
// position is the buddy's text: every change of position writes the decimal
// number into the buddy, and an arrow first reads the buddy's text to learn
// where to go from. The arrows and the arrow keys and wheel in the buddy
// move within the range and stop at its ends; a held arrow repeats, faster
// the longer it is held. The half under the mouse is drawn hot.
class CUpDownCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CUpDownCtrl(QWidget* pParent = nullptr);

    // Attaches the buddy and moves both: the control takes the right end of
    // the buddy's rectangle, with its own width, and the buddy's height.
    void SetBuddy(QLineEdit* pBuddy);
    QLineEdit* Buddy() const { return m_pBuddy; }

    void SetRange(int nLower, int nUpper);

    // Moves to a position within the range (a value outside is brought to
    // the nearer end) and writes it into the buddy if its text differs.
    void SetPos(int nPos);
    // The position as the buddy shows it; the last one set when its text is
    // no number.
    int GetPos() const;

    // One step as an arrow click makes it: +1 up, -1 down.
    void Step(int nDelta);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    enum Part { kNone, kUp, kDown };
    Part PartAt(const QPoint& pt) const;
    QRect PartRect(Part part) const;
    void OnRepeat();
    void StopRepeat();
    void SetHot(Part part);
    void Wheel(QWheelEvent* pEvent);

    QLineEdit* m_pBuddy = nullptr;          // cleared once the buddy is gone
    // The buddy as an object, for the event filter: it also sees events of
    // the buddy while it is being destroyed and no longer a QLineEdit.
    const QObject* m_pBuddyObject = nullptr;
    QMetaObject::Connection m_buddyGone;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
    Part m_nPressed = kNone;
    bool m_bPressedUnderMouse = false; // the pointer is on the pressed half
    Part m_nHot = kNone;
    int m_nWheelRest = 0;      // eighths of a degree not yet turned into steps
    QTimer m_timerRepeat;
    QElapsedTimer m_held;      // since the arrow was pressed
};
