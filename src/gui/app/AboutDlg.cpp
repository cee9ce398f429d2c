#include "gui/app/AboutDlg.h"

#include "gui/app/OutlineAnimation.h"
#include "gui/common/DialogUnits.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include <cstdio>

namespace {

// The version word holds the major version in its low byte and the minor
// version in its high byte.
constexpr quint16 kVersionWord = 0x301;
constexpr int kBuildNumber = 211;
constexpr const char* kBuildDate = "02/25/02 20:36:49";
constexpr const char* kWebPage = "http://www.ornamy.example/Products/Zorbel/Zorbel.htm";

} // namespace

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent)
{
    setWindowTitle(tr("About Ornamy - Zorbel"));
    CreateControls();
}

void CAboutDlg::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.X(224), du.Y(141));

    // The application icon.
    auto* pIcon = new QLabel(this);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    const int nIconSize = qMin(du.X(20), du.Y(20));
    QPixmap pixmap = icon.pixmap(QSize(nIconSize, nIconSize));
    if (!pixmap.isNull() && pixmap.width() < nIconSize)
        pixmap = pixmap.scaled(nIconSize, nIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pIcon->setPixmap(pixmap);
    pIcon->setAlignment(Qt::AlignCenter);
    pIcon->setGeometry(du.Rect(4, 4, 20, 20));

    CreateStatic(this, du, QRect(32, 4, 188, 20), tr("Ornamy - Zorbel\nKeeps your Favorites worth keeping."),
              Qt::AlignHCenter | Qt::AlignTop);
    // The rights line names the licence the program is given under (the
    // LICENSE file beside its sources, the copyright file of its package).
    CreateStatic(this, du, QRect(4, 28, 216, 20),
              tr("Copyright \u00a9 2002 Ornamy Software. Under the MIT Licence."),
              Qt::AlignHCenter | Qt::AlignTop);

    m_pVersion = CreateStatic(this, du, QRect(4, 52, 216, 16), tr("Version"), Qt::AlignCenter);
    m_pVersion->setObjectName(QString::number(IDC_VERSION));
    m_pVersion->setText(VersionLine());

    m_pNotice = CreateStatic(this, du, QRect(4, 72, 216, 40), tr("Blurb"), Qt::AlignHCenter | Qt::AlignTop);
    m_pNotice->setObjectName(QString::number(IDC_BLURB));

    auto* pOk = new QPushButton(tr("OK"), this);
    pOk->setDefault(true);
    pOk->setAutoDefault(true);
    pOk->setGeometry(du.Rect(26, 120, 52, 16));
    connect(pOk, &QPushButton::clicked, this, &CAboutDlg::accept);

    m_pWebPage = new QPushButton(this);
    m_pWebPage->setObjectName(QString::number(IDC_WEBPAGE));
    m_pWebPage->setGeometry(du.Rect(94, 120, 104, 16));
    m_pWebPage->setText(tr("Look For &Updates..."));
    m_pWebPage->show();
    connect(m_pWebPage, &QPushButton::clicked, this, &CAboutDlg::OnWebPage);

    // The notice is set off from the rest in an italic copy of the dialog's
    // font (the attribute inverted, so a plain dialog font becomes italic).
    m_fontItalic = font();
    m_fontItalic.setItalic(!m_fontItalic.italic());
    m_pNotice->setFont(m_fontItalic);
    m_pNotice->setText(tr("Zorbel only reads your Favorites. It changes nothing but the favorites "
                          "that you rename or delete yourself, and it keeps no record of the sites "
                          "you visit."));
    m_pNotice->update();

    pOk->setFocus();
}

QString CAboutDlg::FormatVersionLine(quint16 wVersion, const char* pszExtra, int nBuild, const char* pszDate)
{
    char szLine[1024];
    std::snprintf(szLine, sizeof szLine, "Version %d.%d %s- Build %d %s", wVersion & 0xff, (wVersion >> 8) & 0xff,
                  pszExtra ? pszExtra : "", nBuild, pszDate ? pszDate : "");
    return QString::fromLatin1(szLine);
}

QString CAboutDlg::VersionLine()
{
    return FormatVersionLine(kVersionWord, "", kBuildNumber, kBuildDate);
}

void CAboutDlg::CentreOverOwner()
{
    QRect rcOver;
    if (QWidget* pOwner = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
        pOwner && pOwner != this && pOwner->isVisible())
        rcOver = pOwner->frameGeometry();
    else if (const QScreen* pScreen = screen())
        rcOver = pScreen->availableGeometry();
    if (rcOver.isEmpty())
        return;
    QRect rc = geometry();
    rc.moveCenter(rcOver.center());
    if (const QScreen* pScreen = screen()) {
        // Keep the whole box on the screen, also for an owner at its edge.
        const QRect rcAvail = pScreen->availableGeometry();
        rc.moveLeft(qBound(rcAvail.left(), rc.left(), qMax(rcAvail.left(), rcAvail.right() - rc.width())));
        rc.moveTop(qBound(rcAvail.top(), rc.top(), qMax(rcAvail.top(), rcAvail.bottom() - rc.height())));
    }
    move(rc.topLeft());
}

// The one-pixel rectangle at the bottom centre of the window, the point the
// box grows out of and shrinks back into.
QRect CAboutDlg::CollapsedRect(const QRect& rcWindow) const
{
    const int nRight = rcWindow.x() + rcWindow.width();
    const int nBottom = rcWindow.y() + rcWindow.height();
    const int nCentre = (rcWindow.x() + nRight) / 2;
    return QRect(nCentre, nBottom, 1, 1);
}

void CAboutDlg::setVisible(bool bVisible)
{
    if (bVisible && !isVisible()) {
        if (!m_bPlacedOnce) {
            m_bPlacedOnce = true;
            CentreOverOwner();
        }
        if (m_bAnimated) {
            const QRect rcWindow = geometry();
            const QRect rcFrom = CollapsedRect(rcWindow);
            COutlineAnimation::Play(rcFrom, rcWindow);
            emit outlineAnimated(rcFrom, rcWindow);
        }
    }
    QDialog::setVisible(bVisible);
}

void CAboutDlg::accept()
{
    const QRect rcWindow = isVisible() ? frameGeometry() : geometry();
    QDialog::accept();
    if (m_bAnimated) {
        const QRect rcTo = CollapsedRect(rcWindow);
        COutlineAnimation::Play(rcWindow, rcTo);
        emit outlineAnimated(rcWindow, rcTo);
    }
}

void CAboutDlg::OnWebPage()
{
    // Whether a browser could be started is not reported; the box stays open.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebPage)));
}
