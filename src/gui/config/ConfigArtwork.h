#pragma once

#include <QPixmap>

// The pictures at the top left of the configuration pages, drawn in code at
// the screen's density: a gear with a clock face for the Settings page, a
// sealed letter for the Contact page.
namespace ConfigArtwork {

QPixmap SettingsPicture(int nSide, qreal dDevicePixelRatio);
QPixmap ContactPicture(int nSide, qreal dDevicePixelRatio);

} // namespace ConfigArtwork
