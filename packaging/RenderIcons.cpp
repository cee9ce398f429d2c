// Renders the program's icon, drawn in code, to the PNG files that the
// desktops' icon themes read: zorbel_render_icons FOLDER SIZE... writes
// FOLDER/SIZE.png for each size. Run by the build, offscreen.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>

#include "gui/common/Artwork.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: zorbel_render_icons FOLDER SIZE...\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "zorbel_render_icons: cannot make the folder %s\n", argv[1]);
        return 1;
    }
    const QIcon icon = Artwork::AppIcon();
    for (int i = 2; i < argc; ++i) {
        bool bNumber = false;
        const int nSize = QString::fromLatin1(argv[i]).toInt(&bNumber);
        if (!bNumber || nSize <= 0) {
            std::fprintf(stderr, "zorbel_render_icons: %s is not a size\n", argv[i]);
            return 2;
        }
        // The icon carries a picture drawn for each size; one scaled from
        // another size would be blurred, so that is an error.
        if (!icon.availableSizes().contains(QSize(nSize, nSize))) {
            std::fprintf(stderr, "zorbel_render_icons: the icon is not drawn at %d pixels\n", nSize);
            return 1;
        }
        const QImage image = icon.pixmap(QSize(nSize, nSize), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        const QString strFile = folder.filePath(QStringLiteral("%1.png").arg(nSize));
        if (image.size() != QSize(nSize, nSize) || !image.save(strFile, "PNG")) {
            std::fprintf(stderr, "zorbel_render_icons: cannot write %s\n", qPrintable(strFile));
            return 1;
        }
    }
    return 0;
}
