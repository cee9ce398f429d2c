#include "gui/view/CleanupWaitDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QWindow>

#include "gui/common/Artwork.h"

CCleanupWaitDlg::CCleanupWaitDlg() : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("cleanupWaitDlg");
    setModal(false);
    auto* pFrame = new QFrame(this);
    pFrame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* pOuter = new QHBoxLayout(this);
    pOuter->setContentsMargins(0, 0, 0, 0);
    pOuter->addWidget(pFrame);

    auto* pLayout = new QHBoxLayout(pFrame);
    pLayout->setContentsMargins(12, 8, 16, 8);
    pLayout->setSpacing(12);
    auto* pIcon = new QLabel(pFrame);
    pIcon->setPixmap(Artwork::AppIcon().pixmap(32, 32));
    auto* pText = new QLabel("Please wait while Zorbel cleans up its Threads...", pFrame);
    pText->setObjectName("waitText");
    pLayout->addWidget(pIcon);
    pLayout->addWidget(pText, 1);
}

void CCleanupWaitDlg::ShowOver(QWidget* pOver)
{
    adjustSize();
    if (pOver) {
        setWindowIcon(pOver->windowIcon());
        winId(); // makes the native window, so it can be owned by the main window's
        if (QWindow* pOwner = pOver->window()->windowHandle())
            windowHandle()->setTransientParent(pOwner);
        const QPoint centre = pOver->mapToGlobal(pOver->rect().center());
        move(centre - rect().center());
    }
    show();
    raise();
    activateWindow();
    repaint();
}
