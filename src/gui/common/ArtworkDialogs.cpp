#include "gui/common/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gui/common/ArtworkDrawing.h"

// The pictures of dialogs: the export wizard's picture and its browse strip,
// the configuration pages' pictures.

using namespace Artwork::Drawing;

namespace {

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

} // namespace

namespace Artwork {

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
