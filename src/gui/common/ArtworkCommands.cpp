#include "gui/common/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gui/common/ArtworkDrawing.h"
#include "gui/common/CommandIds.h"

// The toolbar buttons' pictures, by command id, and the dialog icons drawn
// from them at larger sizes.

using namespace Artwork::Drawing;

namespace {

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
    case ID_FILE_OPENFAVORITES: {
        // An open yellow folder with a gold star in front.
        p.setPen(Outline(QColor(150, 110, 20)));
        p.setBrush(QColor(240, 200, 80));
        p.drawPolygon(QPolygonF({QPointF(0.5, 3.5), QPointF(5, 3.5), QPointF(6.5, 5), QPointF(12.5, 5),
                                 QPointF(12.5, 13.5), QPointF(0.5, 13.5)}));
        p.setBrush(QColor(255, 225, 120));
        p.drawPolygon(QPolygonF({QPointF(2.5, 7.5), QPointF(15, 7.5), QPointF(12.5, 13.5), QPointF(0.5, 13.5)}));
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal a = qDegreesToRadians(-90.0 + 36 * i);
            const qreal r = i % 2 == 0 ? 3.6 : 1.5;
            star << QPointF(11 + r * qCos(a), 4.2 + r * qSin(a));
        }
        p.setPen(Outline(QColor(170, 90, 0), 0.8));
        p.setBrush(QColor(255, 190, 0));
        p.drawPolygon(star);
        break;
    }
    case ID_FILE_OPENBOOKMARKS:
        // A page of a browser's bookmarks with a ribbon over its edge.
        DrawPage(p, QRectF(1.5, 1.5, 10, 12.5));
        p.setPen(Outline(QColor(140, 20, 20), 0.9));
        p.setBrush(QColor(215, 40, 40));
        p.drawPolygon(QPolygonF({QPointF(9, 0.5), QPointF(14, 0.5), QPointF(14, 14.5), QPointF(11.5, 11.5),
                                 QPointF(9, 14.5)}));
        break;
    case ID_FILE_OPENPAGE:
        // A page with the globe of the web in its corner.
        DrawPage(p, QRectF(1.5, 0.5, 9, 12));
        p.save();
        p.translate(6, 5);
        p.scale(0.65, 0.65);
        DrawGlobe(p);
        p.restore();
        break;
    case ID_VIEW_PROBLEMSONLY: {
        // A funnel that lets only the red marks of broken links through.
        p.setPen(Outline(QColor(60, 60, 70)));
        p.setBrush(QColor(200, 205, 220));
        p.drawPolygon(QPolygonF({QPointF(0.5, 1.5), QPointF(11.5, 1.5), QPointF(7.5, 7), QPointF(7.5, 12.5),
                                 QPointF(4.5, 14), QPointF(4.5, 7)}));
        p.setPen(Outline(QColor(120, 0, 0), 0.8));
        p.setBrush(QColor(215, 30, 30));
        p.drawEllipse(QRectF(10.5, 9, 5, 5));
        p.setPen(Outline(Qt::white, 1.2));
        p.drawLine(QPointF(13, 10), QPointF(13, 12));
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

} // namespace

namespace Artwork {

QIcon CommandIcon(int nCommandId)
{
    QIcon icon;
    for (qreal dDpr : {1.0, 2.0})
        icon.addPixmap(Paint(16, 15, dDpr, [nCommandId](QPainter& p) { DrawCommand(p, nCommandId); }));
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

} // namespace Artwork
