#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;

// Reports a Delete All Broken that did not delete everything: the summary
// sentence and one line per favourite that could not be deleted.
class CDeleteErrorsDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 113, IDC_ERRORS = 1004, IDC_SUMMARY = 1003, IDC_ICON = 1006 };

    explicit CDeleteErrorsDlg(QWidget* pParent);

    QString m_strErrors;  // the error lines, "\r\n" between them
    QString m_strSummary; // the summary sentence

    int exec() override;

private:
    void CreateControls();
    void OnInitDialog();

    QLabel* m_pIcon = nullptr;
    QLabel* m_pSummary = nullptr;
    QPlainTextEdit* m_pErrors = nullptr;
};
