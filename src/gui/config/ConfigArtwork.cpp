#include "config/ConfigArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace ConfigArtwork {

namespace {

// Paints in a 32 by 32 design square scaled to the side asked for.
template <typename Fn>
QPixmap Paint(int nSide, qreal dDpr, Fn&& draw)
{
    QPixmap pm(qMax(1, qRound(nSide * dDpr)), qMax(1, qRound(nSide * dDpr)));
    pm.setDevicePixelRatio(dDpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(nSide / 32.0, nSide / 32.0);
    draw(p);
    return pm;
}

QPen Outline(const QColor& color, qreal dWidth = 1.0)
{
    return QPen(color, dWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

QPixmap SettingsPicture(int nSide, qreal dDpr)
{
    return Paint(nSide, dDpr, [](QPainter& p) {
        // A gear ...
        p.save();
        p.translate(13, 13);
        p.setPen(Outline(QColor(60, 60, 70)));
        p.setBrush(QColor(170, 175, 190));
        QPainterPath gear;
        for (int i = 0; i < 10; ++i) {
            QPainterPath tooth;
            tooth.addRect(QRectF(-2, -12.5, 4, 5));
            gear.addPath(QTransform().rotate(36 * i).map(tooth));
        }
        gear.addEllipse(QPointF(0, 0), 9, 9);
        p.drawPath(gear.simplified());
        p.setBrush(QColor(235, 236, 240));
        p.drawEllipse(QPointF(0, 0), 3.2, 3.2);
        p.restore();
        // ... and a clock face in front of it.
        const QPointF centre(22, 22);
        p.setPen(Outline(QColor(20, 60, 140), 1.4));
        p.setBrush(QColor(250, 250, 255));
        p.drawEllipse(centre, 8.5, 8.5);
        p.setPen(Outline(QColor(20, 60, 140), 1.0));
        for (int i = 0; i < 12; i += 3) {
            const qreal dAngle = qDegreesToRadians(30.0 * i);
            p.drawLine(centre + QPointF(6.5 * qSin(dAngle), -6.5 * qCos(dAngle)),
                       centre + QPointF(7.6 * qSin(dAngle), -7.6 * qCos(dAngle)));
        }
        p.setPen(Outline(QColor(30, 30, 30), 1.5));
        p.drawLine(centre, centre + QPointF(0, -5.5));
        p.drawLine(centre, centre + QPointF(4, 1.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(centre, 1.2, 1.2);
    });
}

QPixmap ContactPicture(int nSide, qreal dDpr)
{
    return Paint(nSide, dDpr, [](QPainter& p) {
        const QRectF rcLetter(2.5, 7.5, 27, 18);
        p.setPen(Outline(QColor(90, 80, 60)));
        p.setBrush(QColor(250, 244, 225));
        p.drawRect(rcLetter);
        // The flap's folds.
        p.setPen(Outline(QColor(150, 135, 100)));
        p.drawLine(rcLetter.bottomLeft(), QPointF(13, 17.5));
        p.drawLine(rcLetter.bottomRight(), QPointF(19, 17.5));
        p.setPen(Outline(QColor(90, 80, 60)));
        p.setBrush(QColor(240, 230, 200));
        QPainterPath flap;
        flap.moveTo(rcLetter.topLeft());
        flap.lineTo(16, 19.5);
        flap.lineTo(rcLetter.topRight());
        p.drawPath(flap);
        // The seal.
        p.setPen(Outline(QColor(120, 10, 10)));
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(QPointF(16, 19.5), 3, 3);
    });
}

} // namespace ConfigArtwork
