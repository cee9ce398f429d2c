#pragma once

#include <QRect>
#include <QWidget>

// A window outline that moves from one screen rectangle to another, the way
// a window is seen to grow out of, or shrink back into, the place it came
// from. Only the outline's frame is visible (the window is masked to it), so
// it needs no compositing window manager.
class COutlineAnimation : public QWidget {
    Q_OBJECT
public:
    // Plays the animation and returns when it is over (the events of the
    // application keep flowing meanwhile).
    static void Play(const QRect& rcFrom, const QRect& rcTo, int nDurationMs = 200);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    COutlineAnimation();
    void SetRect(const QRect& rc);

    static constexpr int kPenWidth = 2;
};
