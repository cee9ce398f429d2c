#pragma once

#include <QDialog>
#include <QString>

#include "core/actions/BatchOutcome.h"

class QLabel;
class QPlainTextEdit;

// Reports a command on many favourites (Delete All Broken, Update Moved
// Favorites) that did not succeed on every one: the summary sentence and one
// line per favourite it failed on. The title is the command's.
class CBatchErrorsDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 113, IDC_ERRORS = 1004, IDC_SUMMARY = 1003, IDC_ICON = 1006 };

    CBatchErrorsDlg(QWidget* pParent, const QString& strObjectName, const BatchTexts& texts);

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
