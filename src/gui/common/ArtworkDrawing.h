#pragma once

// What the files that draw the program's pictures share. Not for use
// outside them: everything else asks Artwork.h for a picture by its name.
//
// The grid: every picture is drawn in logical pixels, with (0, 0) the top
// left corner of its pixel square and y growing downwards; a line of odd
// width lies on half coordinates (x.5) so that it covers whole pixels at a
// ratio of 1. Paint() scales the painter by the screen's pixel ratio, so the
// same drawing is sharp at 100 % and 200 %; a picture shown larger than its
// design (the application icon, the dialog icons, the pages' pictures)
// scales its design square once more before drawing. The design squares:
// 16 by 16 for the status images (kind in the upper left 13 by 13, status
// mark in the lower right), 16 by 15 for the toolbar buttons, 32 by 32 for
// the configuration pages, 125 by 231 for the export wizard, 452 by 299 for
// the start-up picture.

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QtGlobal>

namespace Artwork::Drawing {

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

inline QPen Outline(QColor c, qreal w = 1.0) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// The pictures of the four kinds of favourite and the marks of the statuses
// (ArtworkStatus.cpp); the other families build on them.
void DrawGlobe(QPainter& p);
void DrawFolder(QPainter& p);
void DrawChannel(QPainter& p);
void DrawShortcut(QPainter& p);
// Kind 0 to 3: globe, folder, channel, shortcut.
void DrawKind(QPainter& p, int nKind);
// The mark of a status by its icon offset (0, 4, 8, ... 32).
void DrawStatusMark(QPainter& p, int nOffset);

} // namespace Artwork::Drawing
