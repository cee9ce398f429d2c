#pragma once

#include <QDialog>

#include "core/report/CheckReport.h"

class QPushButton;
class QTreeWidget;

// The report of a check: six sentences, each with the icon of its outcome,
// built from counts the caller takes before the dialog opens. The list is
// filled once and does not follow a check that goes on meanwhile.
class CReportDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 124, IDC_FINDINGS = 1020 };

    CReportDlg(QWidget* pParent, const ReportCounts& counts);

    QTreeWidget* FindingsList() const { return m_pFindings; }
    QPushButton* CloseButton() const { return m_pClose; }

private:
    void CreateControls();
    void OnInitDialog();
    void FitSentences();

    QTreeWidget* m_pFindings = nullptr;
    QPushButton* m_pClose = nullptr;
    ReportCounts m_counts;
};
