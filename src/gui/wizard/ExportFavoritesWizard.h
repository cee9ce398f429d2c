#pragma once

#include <QString>
#include <QWizard>

struct ExportFormat;

// The four-page wizard of Export Favorites: welcome, format, target file,
// confirmation. It asks and checks; the export itself is the caller's, after
// the wizard ended with Finish (exec() gives QDialog::Accepted). Every run
// starts with a new wizard, so nothing is remembered between runs.
class CExportFavoritesWizard : public QWizard {
    Q_OBJECT
public:
    explicit CExportFavoritesWizard(QWidget* pOwner = nullptr);

    // The format accepted last on the format page; null until it is left
    // with Next.
    const ExportFormat* Format() const { return m_pFormat; }
    void SetFormat(const ExportFormat* pFormat) { m_pFormat = pFormat; }
    // The target path accepted last on the file page, trimmed; empty until
    // it is left with Next.
    const QString& TargetFile() const { return m_strTargetFile; }
    void SetTargetFile(const QString& strTargetFile) { m_strTargetFile = strTargetFile; }

private:
    void OnCurrentIdChanged(int nId);

    const ExportFormat* m_pFormat = nullptr;
    QString m_strTargetFile;
};
