#include "gui/common/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gui/common/ArtworkDrawing.h"

// The status images: the picture of a favourite's kind with the mark of
// its last outcome, and the drawing of both that the other families share.

namespace Artwork::Drawing {

// The four kind pictures, drawn in the upper left 13 by 13 so that a status
// mark fits in the lower right corner.
void DrawGlobe(QPainter& p)
{
    const QRectF r(1.5, 1.5, 11, 11);
    QRadialGradient g(r.center() - QPointF(2, 2), 8);
    g.setColorAt(0, QColor(150, 200, 255));
    g.setColorAt(1, QColor(30, 100, 200));
    p.setPen(Outline(QColor(20, 60, 140)));
    p.setBrush(g);
    p.drawEllipse(r);
    p.setPen(Outline(QColor(230, 245, 255, 200), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4.5, 1.5, 5, 11));
    p.drawLine(QPointF(2, 7), QPointF(12, 7));
    p.drawLine(QPointF(7, 1.5), QPointF(7, 12.5));
}

void DrawFolder(QPainter& p)
{
    p.setPen(Outline(QColor(150, 110, 20)));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(6.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 12.5);
    back.lineTo(1.5, 12.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(255, 225, 120));
    p.drawRect(QRectF(1.5, 6.5, 12, 6));
}

void DrawChannel(QPainter& p)
{
    // A broadcast mast sending waves.
    p.setPen(Outline(QColor(110, 40, 140), 1.4));
    p.drawLine(QPointF(7, 6), QPointF(4, 13));
    p.drawLine(QPointF(7, 6), QPointF(10, 13));
    p.setBrush(QColor(190, 90, 220));
    p.drawEllipse(QPointF(7, 5), 1.8, 1.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(Outline(QColor(160, 70, 200), 1.1));
    p.drawArc(QRectF(2.5, 0.5, 9, 9), 30 * 16, 120 * 16);
    p.drawArc(QRectF(0.5, -1.5, 13, 13), 40 * 16, 100 * 16);
}

void DrawShortcut(QPainter& p)
{
    // A sheet of paper with the shortcut arrow.
    p.setPen(Outline(QColor(90, 90, 90)));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(2.5, 1.5);
    page.lineTo(9, 1.5);
    page.lineTo(12.5, 5);
    page.lineTo(12.5, 13.5);
    page.lineTo(2.5, 13.5);
    page.closeSubpath();
    p.drawPath(page);
    p.setPen(Outline(QColor(160, 160, 160), 0.8));
    for (qreal y : {5.0, 7.0, 9.0})
        p.drawLine(QPointF(4.5, y), QPointF(10.5, y));
    p.setPen(Outline(QColor(30, 110, 30), 1.4));
    p.drawLine(QPointF(4, 12), QPointF(8, 8));
    p.drawLine(QPointF(8, 8), QPointF(5.5, 8));
    p.drawLine(QPointF(8, 8), QPointF(8, 10.5));
}

// A round badge in the lower right corner with a sign of its own.
static void Badge(QPainter& p, QColor fill)
{
    p.setPen(Outline(Qt::white, 1.2));
    p.setBrush(fill);
    p.drawEllipse(QRectF(8, 8, 7.5, 7.5));
}

void DrawStatusMark(QPainter& p, int nOffset)
{
    const QPointF c(11.75, 11.75);
    switch (nOffset) {
    case 0: // not checked: the plain picture
        break;
    case 16: { // checking: an hourglass
        Badge(p, QColor(250, 200, 40));
        p.setPen(Outline(QColor(90, 60, 0), 1.0));
        p.drawLine(QPointF(10, 10), QPointF(13.5, 10));
        p.drawLine(QPointF(10, 13.5), QPointF(13.5, 13.5));
        p.drawLine(QPointF(10, 10), QPointF(13.5, 13.5));
        p.drawLine(QPointF(13.5, 10), QPointF(10, 13.5));
        break;
    }
    case 8: // valid: a green tick
        Badge(p, QColor(30, 160, 50));
        p.setPen(Outline(Qt::white, 1.4));
        p.drawLine(QPointF(9.8, 11.9), QPointF(11.3, 13.4));
        p.drawLine(QPointF(11.3, 13.4), QPointF(13.8, 10.2));
        break;
    case 4: // broken: a red cross
        Badge(p, QColor(210, 30, 30));
        p.setPen(Outline(Qt::white, 1.4));
        p.drawLine(c + QPointF(-1.7, -1.7), c + QPointF(1.7, 1.7));
        p.drawLine(c + QPointF(1.7, -1.7), c + QPointF(-1.7, 1.7));
        break;
    case 12: { // unverified: a question mark
        Badge(p, QColor(230, 130, 20));
        p.setPen(Outline(Qt::white, 1.2));
        QPainterPath q;
        q.moveTo(10.5, 10.8);
        q.cubicTo(10.5, 9.2, 13.2, 9.2, 13.2, 10.8);
        q.cubicTo(13.2, 12, 11.75, 11.8, 11.75, 13);
        p.drawPath(q);
        p.drawPoint(QPointF(11.75, 14.3));
        break;
    }
    case 20: { // authorisation required: a padlock
        p.setPen(Outline(QColor(110, 80, 0), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(9.5, 7.5, 4.5, 5), 0, 180 * 16);
        p.setBrush(QColor(240, 190, 40));
        p.drawRoundedRect(QRectF(8.5, 10.5, 6.5, 5), 1, 1);
        break;
    }
    case 24: // skipped: a grey bar
        Badge(p, QColor(130, 130, 130));
        p.setPen(Outline(Qt::white, 1.6));
        p.drawLine(QPointF(9.8, 11.75), QPointF(13.7, 11.75));
        break;
    case 28: { // moved: a blue arrow
        Badge(p, QColor(30, 90, 210));
        p.setPen(Outline(Qt::white, 1.3));
        p.drawLine(QPointF(9.6, 11.75), QPointF(13.8, 11.75));
        p.drawLine(QPointF(12.2, 10.1), QPointF(13.8, 11.75));
        p.drawLine(QPointF(12.2, 13.4), QPointF(13.8, 11.75));
        break;
    }
    case 32: // partially valid: an exclamation mark on a red-green badge
        p.setPen(Outline(Qt::white, 1.2));
        p.setBrush(QColor(200, 60, 30));
        p.drawPie(QRectF(8, 8, 7.5, 7.5), 90 * 16, 180 * 16);
        p.setBrush(QColor(30, 160, 50));
        p.drawPie(QRectF(8, 8, 7.5, 7.5), -90 * 16, 180 * 16);
        p.setPen(Outline(Qt::white, 1.5));
        p.drawLine(QPointF(11.75, 9.6), QPointF(11.75, 12.4));
        p.drawPoint(QPointF(11.75, 14.1));
        break;
    }
}

void DrawKind(QPainter& p, int nKind)
{
    switch (nKind) {
    case 0: DrawGlobe(p); break;
    case 1: DrawFolder(p); break;
    case 2: DrawChannel(p); break;
    default: DrawShortcut(p); break;
    }
}

} // namespace Artwork::Drawing

using namespace Artwork::Drawing;

namespace Artwork {

QPixmap StatusImage(int nIndex, qreal dDpr)
{
    return Paint(16, 16, dDpr, [nIndex](QPainter& p) {
        DrawKind(p, nIndex % 4);
        DrawStatusMark(p, nIndex - nIndex % 4);
    });
}

QIcon StatusIcon(int nIndex)
{
    QIcon icon;
    icon.addPixmap(StatusImage(nIndex, 1.0));
    icon.addPixmap(StatusImage(nIndex, 2.0));
    return icon;
}

} // namespace Artwork
