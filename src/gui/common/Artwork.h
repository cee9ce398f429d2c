#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so that every one has a sharp
// version for each screen density. Each family is drawn in a file of its
// own, found by the picture's name: the status images in ArtworkStatus.cpp,
// the toolbar buttons and the dialog icons made from them in
// ArtworkCommands.cpp, the pictures of the wizard and the configuration
// pages in ArtworkDialogs.cpp, the application icon and the start-up
// picture in ArtworkApplication.cpp. ArtworkDrawing.h explains the grid
// they are all drawn on.
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

// The large pictures of two dialogs: the details of a favourite (a page
// under a magnifier) and the report (a page with a bar chart).
QIcon DetailsIcon();
QIcon ReportIcon();
// The picture at the left of every page of the export wizard: 125 by 231
// logical pixels, or drawn to fill `size` when the page's dialog units give
// its frame another size (the motif keeps its proportions).
QPixmap ExportWizardPicture(QSize size = QSize(125, 231), qreal dDevicePixelRatio = 1.0);

// The strip of the export wizard's file page: four 16 by 16 images side by
// side (a blank page, a closed folder, an open folder, an open folder under
// a magnifier), 64 by 16 logical pixels.
QPixmap BrowseStrip(qreal dDevicePixelRatio = 1.0);
// Image `nIndex` (0 to 3) of that strip with its normal and its 2x picture.
QIcon BrowseIcon(int nIndex);
// The start-up picture, 452 by 299 logical pixels, for a screen of the given
// pixel ratio; a null pixmap when it cannot be made.
inline constexpr int kSplashWidth = 452;
inline constexpr int kSplashHeight = 299;
QPixmap SplashPicture(qreal dDevicePixelRatio = 1.0);

// The pictures at the top left of the configuration pages, `nSide` logical
// pixels square: a gear with a clock face for the Settings page, a sealed
// letter for the Contact page.
QPixmap SettingsPicture(int nSide, qreal dDevicePixelRatio);
QPixmap ContactPicture(int nSide, qreal dDevicePixelRatio);

} // namespace Artwork
