#pragma once

#include <QDialog>

// The small box without a caption that asks the user to wait while the
// check threads end. It has no parent widget, so that it is drawn normally
// while the main window is disabled for the wait; it stays in front of the
// window it is shown over.
class CCleanupWaitDlg : public QDialog {
    Q_OBJECT
public:
    CCleanupWaitDlg();
    // Shows the box centred over `pOver`, in front, and paints it at once.
    void ShowOver(QWidget* pOver);
};
