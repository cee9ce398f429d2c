#pragma once

#include <QDialog>

// The small box without a caption that asks the user to wait while the
// check threads end.
class CCleanupWaitDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCleanupWaitDlg(QWidget* pParent = nullptr);
    // Shows the box centred over `pOver`, in front, and paints it at once.
    void ShowOver(QWidget* pOver);
};
