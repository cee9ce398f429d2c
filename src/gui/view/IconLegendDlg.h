#pragma once

#include <QDialog>

class QTreeWidget;

// The legend of the tree's icons: a small modeless tool window listing the
// pictures that occur in practice, each with what it means. It only
// displays: no row stays selected, Enter leaves it open and Escape or its
// close box hides it until it is shown again.
class CIconLegendDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 123, IDC_LEGEND = 1018 };

    explicit CIconLegendDlg(QWidget* pParent);

    QTreeWidget* LegendList() const { return m_pList; }

    // Enter does not close the legend.
    void accept() override {}

private:
    void CreateControls();
    void OnInitDialog();
    void FitDescriptions();

    QTreeWidget* m_pList = nullptr;
};
