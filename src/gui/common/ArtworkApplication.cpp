#include "gui/common/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gui/common/ArtworkDrawing.h"

// The pictures of the program itself: its icon and its start-up picture.

using namespace Artwork::Drawing;

namespace {

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

} // namespace Artwork
