#pragma once

#include <QString>

struct ExportFormat;

// What the pages of the export wizard fill in and read back: the format
// and the target file accepted so far. The wizard keeps them; a page sees
// only this, so the pages know nothing of the wizard that holds them.
class IExportChoices {
public:
    // The format accepted last on the format page; null until it is left
    // with Next.
    virtual const ExportFormat* Format() const = 0;
    virtual void SetFormat(const ExportFormat* pFormat) = 0;
    // The target path accepted last on the file page, trimmed; empty until
    // it is left with Next.
    virtual const QString& TargetFile() const = 0;
    virtual void SetTargetFile(const QString& strTargetFile) = 0;
    // Whether the broken favourites are left out of the file: the choice of
    // the format page, for the formats that offer it.
    virtual bool LeaveOutBroken() const = 0;
    virtual void SetLeaveOutBroken(bool bLeaveOut) = 0;

protected:
    ~IExportChoices() = default;
};
