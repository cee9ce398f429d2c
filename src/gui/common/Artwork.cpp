#include "gui/common/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <iterator>

#include <algorithm>
#include <cmath>

#include "gui/common/CommandIds.h"

namespace {

// Paints on a transparent pixmap of the given logical size and ratio.
template <typename Fn>
QPixmap Paint(int nWidth, int nHeight, qreal dDpr, Fn&& draw)
{
    QPixmap pm(qRound(nWidth * dDpr), qRound(nHeight * dDpr));
    pm.setDevicePixelRatio(dDpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pm;
}

QPen Outline(QColor c, qreal w = 1.0) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

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
void Badge(QPainter& p, QColor fill)
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

// Toolbar pictures, 16 by 15.
void DrawPage(QPainter& p, QRectF r, QColor fill = Qt::white)
{
    p.setPen(Outline(QColor(80, 80, 80)));
    p.setBrush(fill);
    p.drawRect(r);
    p.setPen(Outline(QColor(150, 150, 150), 0.8));
    for (qreal y = r.top() + 2.5; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void DrawCommand(QPainter& p, int nId)
{
    switch (nId) {
    case ID_FILE_REFRESH: {
        p.setPen(Outline(QColor(30, 140, 40), 2));
        p.drawArc(QRectF(2.5, 2, 11, 11), 60 * 16, 270 * 16);
        p.setBrush(QColor(30, 140, 40));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(9, 0.5), QPointF(13.5, 2.5), QPointF(9.5, 5.5)}));
        break;
    }
    case ID_FAVORITE_PROPERTIES:
        DrawPage(p, QRectF(2.5, 1.5, 9, 12));
        p.setPen(Outline(QColor(30, 80, 180), 1.6));
        p.setBrush(QColor(60, 120, 220));
        p.drawEllipse(QRectF(8.5, 7.5, 6, 6));
        p.setPen(Outline(Qt::white, 1.2));
        p.drawLine(QPointF(11.5, 9.8), QPointF(11.5, 12));
        break;
    case ID_FAVORITE_DETAILS:
        DrawPage(p, QRectF(1.5, 1.5, 9, 12));
        p.setPen(Outline(QColor(60, 60, 60), 1.4));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QRectF(6.5, 5.5, 5.5, 5.5));
        p.setPen(Outline(QColor(120, 70, 20), 2));
        p.drawLine(QPointF(11.3, 10.3), QPointF(14.5, 13.5));
        break;
    case ID_FAVORITE_DELETE:
    case ID_TOOLS_DELETEBROKEN: {
        if (nId == ID_TOOLS_DELETEBROKEN) {
            // A waste bin with a broken link on it.
            p.setPen(Outline(QColor(70, 70, 70)));
            p.setBrush(QColor(200, 200, 210));
            p.drawRect(QRectF(3.5, 4.5, 9, 10));
            p.drawLine(QPointF(2, 3), QPointF(14, 3));
            p.drawLine(QPointF(6.5, 1.5), QPointF(9.5, 1.5));
            p.setPen(Outline(QColor(210, 30, 30), 1.6));
            p.drawLine(QPointF(5.5, 7), QPointF(10.5, 12));
            p.drawLine(QPointF(10.5, 7), QPointF(5.5, 12));
        } else {
            p.setPen(Outline(QColor(200, 20, 20), 2.4));
            p.drawLine(QPointF(3.5, 3), QPointF(12.5, 12));
            p.drawLine(QPointF(12.5, 3), QPointF(3.5, 12));
        }
        break;
    }
    case ID_FAVORITE_COPYNAME:
    case ID_EDIT_COPY: {
        DrawPage(p, QRectF(1.5, 1.5, 8, 9));
        DrawPage(p, QRectF(6.5, 4.5, 8, 9));
        if (nId == ID_EDIT_COPY) {
            p.save();
            p.translate(6, 4);
            p.scale(0.65, 0.65);
            DrawGlobe(p);
            p.restore();
        } else {
            p.setPen(Outline(QColor(30, 30, 140), 1.3));
            p.drawLine(QPointF(8.5, 12), QPointF(10.5, 6.5));
            p.drawLine(QPointF(10.5, 6.5), QPointF(12.5, 12));
            p.drawLine(QPointF(9.3, 10), QPointF(11.7, 10));
        }
        break;
    }
    case ID_TOOLS_CHECKALL:
        DrawGlobe(p);
        p.setPen(Outline(Qt::white, 3));
        p.drawLine(QPointF(7, 10.5), QPointF(9.5, 13));
        p.drawLine(QPointF(9.5, 13), QPointF(14.5, 6.5));
        p.setPen(Outline(QColor(30, 160, 50), 1.8));
        p.drawLine(QPointF(7, 10.5), QPointF(9.5, 13));
        p.drawLine(QPointF(9.5, 13), QPointF(14.5, 6.5));
        break;
    case ID_TOOLS_STOPCHECKING: {
        QPolygonF oct;
        for (int i = 0; i < 8; ++i) {
            const qreal a = qDegreesToRadians(22.5 + 45 * i);
            oct << QPointF(8 + 6.3 * qCos(a), 7.5 + 6.3 * qSin(a));
        }
        p.setPen(Outline(QColor(120, 0, 0)));
        p.setBrush(QColor(215, 30, 30));
        p.drawPolygon(oct);
        p.setPen(Outline(Qt::white, 1.6));
        p.drawLine(QPointF(5, 7.5), QPointF(11, 7.5));
        break;
    }
    case ID_TOOLS_CONFIGURATION: {
        p.setPen(Outline(QColor(60, 60, 70)));
        p.setBrush(QColor(170, 175, 190));
        p.save();
        p.translate(8, 7.5);
        for (int i = 0; i < 8; ++i) {
            p.drawRect(QRectF(-1.3, -7, 2.6, 3));
            p.rotate(45);
        }
        p.drawEllipse(QPointF(0, 0), 5, 5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0, 0), 1.8, 1.8);
        p.restore();
        break;
    }
    case ID_FILE_REPORT:
        DrawPage(p, QRectF(2.5, 0.5, 11, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 160, 50));
        p.drawRect(QRectF(4.5, 9, 2, 4));
        p.setBrush(QColor(210, 30, 30));
        p.drawRect(QRectF(7.5, 6, 2, 7));
        p.setBrush(QColor(30, 90, 210));
        p.drawRect(QRectF(10.5, 4, 2, 9));
        break;
    case ID_HELP_SHOWLEGEND: {
        const QColor colors[] = {QColor(30, 160, 50), QColor(210, 30, 30), QColor(230, 130, 20), QColor(30, 90, 210)};
        for (int i = 0; i < 4; ++i) {
            p.setPen(Outline(QColor(60, 60, 60), 0.8));
            p.setBrush(colors[i]);
            p.drawRect(QRectF(1.5, 1 + 3.5 * i, 3, 2.6));
            p.setPen(Outline(QColor(80, 80, 80), 1));
            p.drawLine(QPointF(6.5, 2.3 + 3.5 * i), QPointF(14.5, 2.3 + 3.5 * i));
        }
        break;
    }
    case ID_APP_ABOUT:
    case ID_HELP_FINDER: {
        if (nId == ID_HELP_FINDER) {
            p.setPen(Outline(QColor(30, 50, 120)));
            p.setBrush(QColor(60, 100, 200));
            p.drawRect(QRectF(2.5, 1.5, 10, 12.5));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(12.5, 2.5, 1.5, 11));
        } else {
            p.setPen(Outline(QColor(20, 60, 140)));
            p.setBrush(QColor(60, 130, 230));
            p.drawEllipse(QRectF(1.5, 1, 13, 13));
        }
        p.setPen(Outline(Qt::white, 1.6));
        QPainterPath q;
        q.moveTo(5.5, 5.5);
        q.cubicTo(5.5, 2.8, 10.5, 2.8, 10.5, 5.5);
        q.cubicTo(10.5, 7.5, 8, 7.3, 8, 9.5);
        p.drawPath(q);
        p.drawPoint(QPointF(8, 11.8));
        break;
    }
    case ID_APP_EXIT:
        p.setPen(Outline(QColor(90, 60, 30)));
        p.setBrush(QColor(170, 110, 60));
        p.drawRect(QRectF(1.5, 1.5, 7, 12));
        p.setPen(Outline(QColor(200, 30, 30), 1.8));
        p.drawLine(QPointF(7, 7.5), QPointF(14.5, 7.5));
        p.drawLine(QPointF(12, 5), QPointF(14.5, 7.5));
        p.drawLine(QPointF(12, 10), QPointF(14.5, 7.5));
        break;
    case ID_FILE_EXPORT:
        DrawPage(p, QRectF(1.5, 1.5, 9, 12));
        p.setPen(Outline(QColor(30, 110, 200), 1.8));
        p.drawLine(QPointF(7, 8.5), QPointF(14.5, 8.5));
        p.drawLine(QPointF(12, 6), QPointF(14.5, 8.5));
        p.drawLine(QPointF(12, 11), QPointF(14.5, 8.5));
        break;
    case ID_FAVORITE_RENAME:
        p.setPen(Outline(QColor(60, 60, 60)));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 9.5, 15, 5));
        p.setPen(Outline(QColor(120, 70, 20), 2.2));
        p.drawLine(QPointF(5, 9), QPointF(13, 1.5));
        p.setPen(Outline(QColor(40, 40, 40), 1.2));
        p.drawLine(QPointF(2.5, 12), QPointF(7, 12));
        break;
    case ID_FAVORITE_OPEN:
        DrawGlobe(p);
        p.setPen(Outline(Qt::white, 3));
        p.drawLine(QPointF(9, 13), QPointF(14, 8));
        p.setPen(Outline(QColor(30, 140, 40), 1.8));
        p.drawLine(QPointF(9, 13), QPointF(14, 8));
        p.drawLine(QPointF(11, 8), QPointF(14, 8));
        p.drawLine(QPointF(14, 8), QPointF(14, 11));
        break;
    case ID_TOOLS_UPDATEMOVED: {
        // A favourite's page whose address is bent over to its new place:
        // the blue arrow of a moved link, ending on a small globe.
        DrawPage(p, QRectF(1.5, 1.5, 8, 11));
        p.save();
        p.translate(8.2, 6.6);
        p.scale(0.6, 0.6);
        DrawGlobe(p);
        p.restore();
        p.setBrush(Qt::NoBrush);
        p.setPen(Outline(Qt::white, 3));
        QPainterPath bend;
        bend.moveTo(4, 10.5);
        bend.cubicTo(4, 4.5, 9, 2.5, 13, 4.5);
        p.drawPath(bend);
        p.setPen(Outline(QColor(30, 90, 210), 1.6));
        p.drawPath(bend);
        p.drawLine(QPointF(13, 4.5), QPointF(10.2, 2.6));
        p.drawLine(QPointF(13, 4.5), QPointF(11.2, 7.1));
        break;
    }
    case ID_VIEW_STATUS_BAR:
    case ID_VIEW_TOOLBAR:
        p.setPen(Outline(QColor(60, 60, 60)));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 13, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 210));
        p.drawRect(nId == ID_VIEW_TOOLBAR ? QRectF(2, 2, 12, 3) : QRectF(2, 10, 12, 3));
        break;
    default:
        break;
    }
}

// The export wizard's picture, in a 125 by 231 frame: the Favorites (a
// globe with the tick of a good link, a folder of favourites) flowing down
// an arrow into the three kinds of file the export writes.
void DrawBigGlobe(QPainter& p, QPointF c, qreal r)
{
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.35);
    g.setColorAt(0, QColor(170, 215, 255));
    g.setColorAt(0.55, QColor(60, 135, 225));
    g.setColorAt(1, QColor(20, 70, 160));
    p.setPen(Outline(QColor(15, 45, 110), 1.6));
    p.setBrush(g);
    p.drawEllipse(c, r, r);

    // Land masses, clipped to the sphere.
    p.save();
    QPainterPath sphere;
    sphere.addEllipse(c, r - 0.8, r - 0.8);
    p.setClipPath(sphere);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 170, 90, 210));
    QPainterPath land;
    land.moveTo(c + QPointF(-r * 0.75, -r * 0.35));
    land.cubicTo(c + QPointF(-r * 0.45, -r * 0.75), c + QPointF(-r * 0.05, -r * 0.55), c + QPointF(-r * 0.15, -r * 0.2));
    land.cubicTo(c + QPointF(-r * 0.25, r * 0.05), c + QPointF(-r * 0.1, r * 0.35), c + QPointF(-r * 0.35, r * 0.6));
    land.cubicTo(c + QPointF(-r * 0.6, r * 0.45), c + QPointF(-r * 0.95, r * 0.1), c + QPointF(-r * 0.75, -r * 0.35));
    p.drawPath(land);
    QPainterPath land2;
    land2.moveTo(c + QPointF(r * 0.2, -r * 0.7));
    land2.cubicTo(c + QPointF(r * 0.6, -r * 0.8), c + QPointF(r * 0.95, -r * 0.3), c + QPointF(r * 0.7, r * 0.05));
    land2.cubicTo(c + QPointF(r * 0.5, r * 0.3), c + QPointF(r * 0.35, -r * 0.05), c + QPointF(r * 0.15, -r * 0.25));
    land2.cubicTo(c + QPointF(r * 0.05, -r * 0.4), c + QPointF(r * 0.05, -r * 0.6), c + QPointF(r * 0.2, -r * 0.7));
    p.drawPath(land2);

    // Meridians and parallels.
    p.setBrush(Qt::NoBrush);
    p.setPen(Outline(QColor(230, 245, 255, 170), 1.0));
    p.drawEllipse(c, r * 0.45, r);
    p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
    for (qreal dy : {-0.5, 0.0, 0.5}) {
        const qreal half = r * std::sqrt(1 - dy * dy);
        p.drawLine(c + QPointF(-half, r * dy), c + QPointF(half, r * dy));
    }
    // The shine of the upper left.
    QRadialGradient shine(c - QPointF(r * 0.4, r * 0.45), r * 0.55);
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(c, r, r);
    p.restore();
}

void DrawBigTick(QPainter& p, QPointF c, qreal r)
{
    p.setPen(Outline(Qt::white, 2.2));
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.2);
    g.setColorAt(0, QColor(90, 210, 100));
    g.setColorAt(1, QColor(20, 130, 40));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(Outline(Qt::white, r * 0.28));
    p.drawLine(c + QPointF(-r * 0.48, r * 0.02), c + QPointF(-r * 0.12, r * 0.4));
    p.drawLine(c + QPointF(-r * 0.12, r * 0.4), c + QPointF(r * 0.5, -r * 0.38));
}

void DrawFavoritesFolder(QPainter& p)
{
    // Two favourites stand up out of an open folder.
    p.setPen(Outline(QColor(140, 100, 15), 1.3));
    p.setBrush(QColor(235, 190, 70));
    QPainterPath back;
    back.moveTo(14.5, 112.5);
    back.lineTo(34.5, 112.5);
    back.lineTo(39.5, 118.5);
    back.lineTo(72.5, 118.5);
    back.lineTo(72.5, 150.5);
    back.lineTo(14.5, 150.5);
    back.closeSubpath();
    p.drawPath(back);

    const qreal tilts[] = {-9, 7};
    const QPointF tops[] = {QPointF(22, 104), QPointF(42, 101)};
    for (int i = 0; i < 2; ++i) {
        p.save();
        p.translate(tops[i]);
        p.rotate(tilts[i]);
        p.setPen(Outline(QColor(90, 90, 90), 1.0));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 0.5, 24, 30));
        p.translate(5, 4);
        p.scale(1.1, 1.1);
        DrawGlobe(p);
        p.restore();
    }

    QLinearGradient front(0, 126, 0, 156);
    front.setColorAt(0, QColor(255, 230, 130));
    front.setColorAt(1, QColor(240, 190, 70));
    p.setPen(Outline(QColor(140, 100, 15), 1.3));
    p.setBrush(front);
    QPainterPath flap;
    flap.moveTo(10.5, 127.5);
    flap.lineTo(68.5, 127.5);
    flap.lineTo(75.5, 155.5);
    flap.lineTo(16.5, 155.5);
    flap.closeSubpath();
    p.drawPath(flap);
    // A star on the flap: these are the favourites.
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal a = qDegreesToRadians(-90 + 36 * i);
        const qreal rr = i % 2 ? 3.2 : 7.5;
        star << QPointF(44 + rr * qCos(a), 141.5 + rr * qSin(a));
    }
    p.setPen(Outline(QColor(170, 90, 0), 1.0));
    p.setBrush(QColor(255, 150, 20));
    p.drawPolygon(star);
}

void DrawExportArrow(QPainter& p)
{
    QPainterPath arrow;
    arrow.moveTo(78, 124);
    arrow.cubicTo(108, 124, 114, 150, 100, 168);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(10, 40, 100), 8.5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(arrow);
    p.setPen(QPen(QColor(255, 255, 255), 5.5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(arrow);
    const QPolygonF head({QPointF(88, 162), QPointF(110, 165), QPointF(96, 181)});
    p.setPen(Outline(QColor(10, 40, 100), 1.5));
    p.setBrush(Qt::white);
    p.drawPolygon(head);
}

// One exported file with its folded corner; its contents are drawn by the
// caller inside the rectangle 4, 12, w - 8, h - 16.
void DrawSheet(QPainter& p, qreal w, qreal h, QColor band)
{
    const qreal fold = 8;
    QPainterPath sheet;
    sheet.moveTo(0.5, 0.5);
    sheet.lineTo(w - fold, 0.5);
    sheet.lineTo(w - 0.5, fold);
    sheet.lineTo(w - 0.5, h - 0.5);
    sheet.lineTo(0.5, h - 0.5);
    sheet.closeSubpath();
    p.setPen(Outline(QColor(70, 70, 80), 1.1));
    p.setBrush(QColor(252, 252, 250));
    p.drawPath(sheet);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRect(QRectF(1.1, 1.1, w - fold - 1.2, 6.5));
    p.setPen(Outline(QColor(70, 70, 80), 1.1));
    p.setBrush(QColor(215, 215, 220));
    QPainterPath corner;
    corner.moveTo(w - fold, 0.5);
    corner.lineTo(w - fold, fold);
    corner.lineTo(w - 0.5, fold);
    p.drawPath(corner);
}

void DrawExportedFiles(QPainter& p)
{
    // The shadow the three files cast.
    QRadialGradient shadow(QPointF(62, 223), 46);
    shadow.setColorAt(0, QColor(0, 20, 60, 110));
    shadow.setColorAt(1, QColor(0, 20, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(62, 223), 50, 8);

    const qreal w = 40, h = 50;
    // Plain text, at the back on the left.
    p.save();
    p.translate(10, 174);
    p.rotate(-11);
    DrawSheet(p, w, h, QColor(130, 130, 140));
    p.setPen(Outline(QColor(120, 120, 130), 1.2));
    for (int i = 0; i < 7; ++i) {
        const qreal y = 13 + 5 * i;
        p.drawLine(QPointF(5, y), QPointF(i % 3 == 2 ? 22 : 34, y));
    }
    p.restore();

    // CSV, at the back on the right: a grid of cells.
    p.save();
    p.translate(77, 166);
    p.rotate(11);
    DrawSheet(p, w, h, QColor(30, 150, 60));
    p.setPen(Outline(QColor(80, 150, 100), 0.9));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i <= 6; ++i)
        p.drawLine(QPointF(4, 12 + 5.5 * i), QPointF(36, 12 + 5.5 * i));
    for (qreal x : {4.0, 15.0, 36.0})
        p.drawLine(QPointF(x, 12), QPointF(x, 45));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 60, 90));
    p.drawRect(QRectF(4, 12, 32, 5.5));
    p.restore();

    // HTML in front: a page of links.
    p.save();
    p.translate(42, 176);
    DrawSheet(p, w + 2, h + 2, QColor(30, 90, 210));
    p.save();
    p.translate(5, 12);
    p.scale(0.75, 0.75);
    DrawGlobe(p);
    p.restore();
    p.setPen(Outline(QColor(30, 90, 210), 1.2));
    for (int i = 0; i < 6; ++i) {
        const qreal y = 27 + 4.6 * i;
        const qreal x = 6;
        p.drawLine(QPointF(x, y), QPointF(i % 2 ? 30 : 36, y));
    }
    p.setPen(Outline(QColor(30, 90, 210), 1.6));
    p.drawLine(QPointF(20, 15), QPointF(17, 18.5));
    p.drawLine(QPointF(17, 18.5), QPointF(20, 22));
    p.drawLine(QPointF(31, 15), QPointF(34, 18.5));
    p.drawLine(QPointF(34, 18.5), QPointF(31, 22));
    p.drawLine(QPointF(27, 14), QPointF(24, 23));
    p.restore();
}

void DrawWizardPicture(QPainter& p, QSizeF size)
{
    // The sky fills the whole frame; the motif keeps its proportions and
    // stands in the middle of it.
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(16, 46, 112));
    sky.setColorAt(0.55, QColor(44, 104, 186));
    sky.setColorAt(1, QColor(140, 185, 236));
    p.fillRect(QRectF(QPointF(0, 0), size), sky);

    const qreal dScale = std::min(size.width() / 125.0, size.height() / 231.0);
    p.translate((size.width() - 125 * dScale) / 2, (size.height() - 231 * dScale) / 2);
    p.scale(dScale, dScale);

    // Faint rays from behind the globe.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
        const qreal a = qDegreesToRadians(-80.0 + 40 * i);
        QPainterPath ray;
        ray.moveTo(62, 52);
        ray.lineTo(62 + 200 * qCos(a - 0.09), 52 + 200 * qSin(a - 0.09));
        ray.lineTo(62 + 200 * qCos(a + 0.09), 52 + 200 * qSin(a + 0.09));
        ray.closeSubpath();
        p.setBrush(QColor(255, 255, 255, 18));
        p.drawPath(ray);
    }
    QRadialGradient halo(QPointF(62, 52), 52);
    halo.setColorAt(0.6, QColor(180, 220, 255, 90));
    halo.setColorAt(1, QColor(180, 220, 255, 0));
    p.setBrush(halo);
    p.drawEllipse(QPointF(62, 52), 52, 52);

    DrawBigGlobe(p, QPointF(62, 52), 34);
    DrawBigTick(p, QPointF(90, 78), 11.5);
    DrawFavoritesFolder(p);
    DrawExportArrow(p);
    DrawExportedFiles(p);
}

// The four images of the browse strip, each 16 by 16.
void DrawBrowseImage(QPainter& p, int nIndex)
{
    const QColor folderLine(150, 110, 20);
    switch (nIndex) {
    case 0: { // a blank page
        QPainterPath page;
        page.moveTo(3.5, 1.5);
        page.lineTo(9.5, 1.5);
        page.lineTo(12.5, 4.5);
        page.lineTo(12.5, 14.5);
        page.lineTo(3.5, 14.5);
        page.closeSubpath();
        p.setPen(Outline(QColor(80, 80, 80)));
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.setBrush(QColor(210, 210, 210));
        p.drawPolygon(QPolygonF({QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5)}));
        break;
    }
    case 1: // a closed folder
        p.translate(0, 0.5);
        DrawFolder(p);
        break;
    case 2:
    case 3: { // an open folder, the last one under a magnifier
        p.setPen(Outline(folderLine));
        p.setBrush(QColor(240, 200, 80));
        QPainterPath back;
        back.moveTo(1.5, 3.5);
        back.lineTo(5.5, 3.5);
        back.lineTo(6.5, 5);
        back.lineTo(12.5, 5);
        back.lineTo(12.5, 13.5);
        back.lineTo(1.5, 13.5);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(QColor(255, 225, 120));
        p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15, 7.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)}));
        if (nIndex == 3) {
            p.setPen(Outline(QColor(40, 40, 40), 1.3));
            p.setBrush(QColor(200, 230, 255, 220));
            p.drawEllipse(QPointF(9.5, 6.5), 3.3, 3.3);
            p.setPen(Outline(QColor(110, 60, 20), 2.2));
            p.drawLine(QPointF(11.9, 8.9), QPointF(14.8, 11.8));
        }
        break;
    }
    default:
        break;
    }
}

// The start-up picture: the product's name beside a list of favourites
// whose links are being checked, each marked with its outcome.
void DrawSplash(QPainter& p)
{
    const QRectF all(0, 0, Artwork::kSplashWidth, Artwork::kSplashHeight);
    QLinearGradient sky(0, 0, 0, all.height());
    sky.setColorAt(0, QColor(14, 48, 116));
    sky.setColorAt(1, QColor(46, 112, 204));
    p.fillRect(all, sky);
    QRadialGradient glow(QPointF(330, 70), 230);
    glow.setColorAt(0, QColor(255, 255, 255, 70));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(all, glow);

    // The list of favourites on a card.
    const QRectF card(24, 44, 200, 226);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(card.translated(3, 4), 9, 9);
    p.setPen(Outline(QColor(190, 205, 230)));
    p.setBrush(QColor(250, 252, 255));
    p.drawRoundedRect(card, 9, 9);
    struct Row {
        int m_nIndent;
        int m_nImage; // status offset + kind
        qreal m_dBar;
    };
    const Row rows[] = {
        {0, 1, 70},  {1, 8, 112},  {1, 4, 92},  {1, 28, 104}, {0, 1, 82},
        {1, 10, 96}, {1, 12, 86},  {1, 27, 78},
    };
    const qreal dTop = card.top() + 14;
    const qreal dRow = 25.5;
    p.setPen(Outline(QColor(200, 210, 228), 1));
    for (qreal dFolderY : {dTop, dTop + 4 * dRow}) // tree lines below the folders
        p.drawLine(QPointF(card.left() + 24, dFolderY + 20), QPointF(card.left() + 24, dFolderY + 3 * dRow + 10));
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const Row& row = rows[i];
        const qreal x = card.left() + 12 + row.m_nIndent * 22;
        const qreal y = dTop + i * dRow;
        if (row.m_nIndent) {
            p.setPen(Outline(QColor(200, 210, 228), 1));
            p.drawLine(QPointF(card.left() + 24, y + 10), QPointF(x - 1, y + 10));
        }
        p.save();
        p.translate(x, y);
        p.scale(1.25, 1.25);
        DrawKind(p, row.m_nImage % 4);
        DrawStatusMark(p, row.m_nImage - row.m_nImage % 4);
        p.restore();
        p.setPen(Qt::NoPen);
        p.setBrush(row.m_nImage % 4 == 1 ? QColor(120, 130, 150) : QColor(196, 206, 224));
        p.drawRoundedRect(QRectF(x + 27, y + 6, row.m_dBar, 8), 4, 4);
    }

    // A magnifying glass going over the list.
    const QPointF lens(168, 118);
    p.setPen(Outline(QColor(90, 60, 30), 7));
    p.drawLine(lens + QPointF(20, 20), lens + QPointF(40, 40));
    p.setPen(Outline(QColor(60, 70, 90), 4));
    p.setBrush(QColor(200, 230, 255, 90));
    p.drawEllipse(lens, 26, 26);
    p.setPen(Outline(QColor(255, 255, 255, 170), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(lens - QPointF(18, 18), QSizeF(36, 36)), 100 * 16, 70 * 16);

    // A checked globe.
    p.save();
    p.translate(318, 168);
    p.scale(6, 6);
    DrawGlobe(p);
    DrawStatusMark(p, 8);
    p.restore();

    // The product's name and what it does.
    QFont title("DejaVu Sans");
    title.setStyleHint(QFont::SansSerif);
    title.setPixelSize(50);
    title.setBold(true);
    const QRectF titleRect(236, 40, 206, 70);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(titleRect.translated(2, 3), Qt::AlignLeft | Qt::AlignVCenter, "Zorbel");
    p.setPen(Qt::white);
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, "Zorbel");
    QFont tagline = title;
    tagline.setPixelSize(15);
    tagline.setBold(false);
    p.setFont(tagline);
    p.setPen(QColor(222, 234, 255));
    p.drawText(QRectF(240, 106, 200, 44), Qt::AlignLeft | Qt::AlignTop, "Checks the links\nin your Favorites");
    QFont maker = tagline;
    maker.setPixelSize(11);
    p.setFont(maker);
    p.setPen(QColor(200, 216, 246));
    p.drawText(QRectF(236, all.height() - 24, all.width() - 248, 16), Qt::AlignRight | Qt::AlignVCenter,
               "Ornamy Software");
}

} // namespace

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

QIcon CommandIcon(int nCommandId)
{
    QIcon icon;
    for (qreal dDpr : {1.0, 2.0})
        icon.addPixmap(Paint(16, 15, dDpr, [nCommandId](QPainter& p) { DrawCommand(p, nCommandId); }));
    return icon;
}

QPixmap SplashPicture(qreal dDpr)
{
    QPixmap pm(qRound(kSplashWidth * dDpr), qRound(kSplashHeight * dDpr));
    if (pm.isNull())
        return {};
    pm.setDevicePixelRatio(dDpr);
    QPainter p(&pm);
    if (!p.isActive())
        return {};
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawSplash(p);
    return pm;
}

QIcon AppIcon()
{
    QIcon icon;
    // Every size the desktops' icon themes ask for, each drawn for its size.
    for (int nSize : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(Paint(nSize, nSize, 1.0, [nSize](QPainter& p) {
            p.scale(nSize / 16.0, nSize / 16.0);
            DrawGlobe(p);
            DrawStatusMark(p, 8);
        }));
    }
    return icon;
}

namespace {

// A toolbar picture drawn again at the sizes of a dialog's icon.
QIcon LargeCommandIcon(int nCommandId)
{
    QIcon icon;
    for (int nSize : {16, 32, 48, 64}) {
        icon.addPixmap(Paint(nSize, nSize, 1.0, [nSize, nCommandId](QPainter& p) {
            p.scale(nSize / 16.0, nSize / 16.0);
            DrawCommand(p, nCommandId);
        }));
    }
    return icon;
}

} // namespace

QIcon DetailsIcon() { return LargeCommandIcon(ID_FAVORITE_DETAILS); }
QIcon ReportIcon() { return LargeCommandIcon(ID_FILE_REPORT); }

QPixmap ExportWizardPicture(QSize size, qreal dDpr)
{
    return Paint(size.width(), size.height(), dDpr,
                 [size](QPainter& p) { DrawWizardPicture(p, QSizeF(size)); });
}

QPixmap BrowseStrip(qreal dDpr)
{
    return Paint(64, 16, dDpr, [](QPainter& p) {
        for (int i = 0; i < 4; ++i) {
            p.save();
            p.translate(16 * i, 0);
            p.setClipRect(QRectF(0, 0, 16, 16));
            DrawBrowseImage(p, i);
            p.restore();
        }
    });
}

QIcon BrowseIcon(int nIndex)
{
    QIcon icon;
    for (qreal dDpr : {1.0, 2.0}) {
        const QPixmap strip = BrowseStrip(dDpr);
        QPixmap image = strip.copy(qRound(16 * nIndex * dDpr), 0, qRound(16 * dDpr), qRound(16 * dDpr));
        image.setDevicePixelRatio(dDpr);
        icon.addPixmap(image);
    }
    return icon;
}

// The pictures of the configuration pages, drawn in a 32 by 32 design
// square scaled to the side asked for.
QPixmap SettingsPicture(int nSide, qreal dDpr)
{
    return Paint(nSide, nSide, dDpr, [nSide](QPainter& p) {
        p.scale(nSide / 32.0, nSide / 32.0);
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
    return Paint(nSide, nSide, dDpr, [nSide](QPainter& p) {
        p.scale(nSide / 32.0, nSide / 32.0);
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

} // namespace Artwork
