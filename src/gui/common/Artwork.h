#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so that every one has a sharp
// version for each screen density.
namespace Artwork {

// Image `nIndex` (0 to 35) of the status strip: the kind's picture (column)
// with the status's mark (row), 16 by 16 logical pixels.
QPixmap StatusImage(int nIndex, qreal dDevicePixelRatio = 1.0);
// The same with its normal and its 2x picture.
QIcon StatusIcon(int nIndex);

// The 16 by 15 button image of a command of either toolbar; a null icon
// for a command without one.
QIcon CommandIcon(int nCommandId);

// The application icon.
QIcon AppIcon();

// The start-up picture, 452 by 299 logical pixels, for a screen of the given
// pixel ratio; a null pixmap when it cannot be made.
inline constexpr int kSplashWidth = 452;
inline constexpr int kSplashHeight = 299;
QPixmap SplashPicture(qreal dDevicePixelRatio = 1.0);

} // namespace Artwork
