#pragma once

#include <QString>
#include <QWizard>

#include "gui/wizard/ExportChoices.h"

// The four-page wizard of Export Favorites: welcome, format, target file,
// confirmation. It asks and checks; the export itself is the caller's, after
// the wizard ended with Finish (exec() gives QDialog::Accepted). Every run
// starts with a new wizard; only the choices of an export that failed are
// given to the next one (Preset).
class CExportFavoritesWizard : public QWizard, public IExportChoices {
    Q_OBJECT
public:
    explicit CExportFavoritesWizard(QWidget* pOwner = nullptr);

    const ExportFormat* Format() const override { return m_pFormat; }
    void SetFormat(const ExportFormat* pFormat) override { m_pFormat = pFormat; }
    const QString& TargetFile() const override { return m_strTargetFile; }
    void SetTargetFile(const QString& strTargetFile) override { m_strTargetFile = strTargetFile; }
    bool LeaveOutBroken() const override { return m_bLeaveOutBroken; }
    void SetLeaveOutBroken(bool bLeaveOut) override { m_bLeaveOutBroken = bLeaveOut; }

    // Starts with the choices of an export that failed earlier in this run,
    // so that the user can correct them rather than begin again.
    void Preset(const ExportFormat* pFormat, const QString& strTargetFile);

private:
    void OnCurrentIdChanged(int nId);

    const ExportFormat* m_pFormat = nullptr;
    QString m_strTargetFile;
    bool m_bLeaveOutBroken = false;
};
