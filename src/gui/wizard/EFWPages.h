#pragma once

#include <QFont>
#include <QWizardPage>
#include <functional>

#include "gui/common/DialogUnits.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class IExportChoices;
struct ExportFormat;
class CFilterEdit;

// The controls of the wizard's pages, by id (their object names are these
// numbers).
enum EFWControlId : int {
    IDC_EFW_WELCOME_HEADING = 1024,
    IDC_EFW_FORMAT_COMBO = 1025,
    IDC_EFW_FORMAT_DETAILS = 1026,
    IDC_EFW_FILE_EDIT = 1027,
    IDC_EFW_BROWSE = 1028,
    IDC_EFW_COMPLETE_HEADING = 1029,
    IDC_EFW_SELECTED_FORMAT = 1031, // on the file page
    IDC_EFW_CONFIRM = 1031,         // on the completing page
};

// What the four pages share: the size of their dialog in dialog units, the
// picture at their left in a sunken frame, the text column from x = 92, the
// title that the wizard shows in its title bar while the page is the
// current one, and the bold heading font of the first and last page.
class CEFWPage : public QWizardPage {
    Q_OBJECT
public:
    CEFWPage(const QString& strTitle, int nHeightDlu, QWidget* pParent);
    const QString& Title() const { return m_strTitle; }
    // Called by the wizard every time the page becomes the current one, by
    // Next and by Back alike.
    virtual void OnSetActive() {}

protected:
    // The choices of the wizard the page is in; null outside a wizard that
    // keeps them.
    IExportChoices* Choices() const;
    const CDialogUnits& Du() const { return m_du; }
    // A static text in a rectangle given in dialog units.
    QLabel* AddStatic(int x, int y, int cx, int cy, const QString& strText,
                      Qt::Alignment alignment = Qt::AlignHCenter | Qt::AlignTop);
    // A label whose mnemonic gives `pBuddy` the focus, level with the first
    // line of the control beside it.
    QLabel* AddLabel(int x, int cx, const QString& strText, const QWidget* pBeside, QWidget* pBuddy);
    // The dialog font, bold and wider: its characters are on average 10
    // pixels wide.
    QFont HeadingFont() const;

private:
    QString m_strTitle;
    CDialogUnits m_du;
};

// The welcome page.
class CEFWPage1 : public CEFWPage {
    Q_OBJECT
public:
    explicit CEFWPage1(QWidget* pParent = nullptr);

private:
    QLabel* m_pStaticHeading;
    QFont m_fontHeading;
};

// The format page: the seven formats in alphabetical order, with the
// description of the one selected.
class CEFWPage2 : public CEFWPage {
    Q_OBJECT
public:
    explicit CEFWPage2(QWidget* pParent = nullptr);
    // Next: stores the selected format in the wizard; with none selected the
    // page beeps and stays.
    bool validatePage() override;
    // Selects a format, as a choice kept from an earlier try.
    void SelectFormat(const ExportFormat* pFormat);

private:
    void OnSelChangeFormat();

    QComboBox* m_pComboFormat;
    QLabel* m_pStaticDetails;
    QCheckBox* m_pLeaveOutBroken; // shown for the bookmarks file for browsers only
};

// The target file page: the chosen format, the file field (completing paths
// from the file system, refusing the characters no file name should hold)
// and the Browse button.
class CEFWPage3 : public CEFWPage {
    Q_OBJECT
public:
    // Asks for the file to save to; an empty result means the user cancelled.
    using SaveFileChooser =
        std::function<QString(QWidget* pParent, const QString& strTitle, const QString& strFilter)>;

    explicit CEFWPage3(QWidget* pParent = nullptr);
    void OnSetActive() override;
    // Next: takes the trimmed text as the target; an empty one is refused,
    // an existing file or folder needs the user's yes.
    bool validatePage() override;
    void OnBrowse();
    // Puts a path in the file field, as a choice kept from an earlier try.
    void SetFileText(const QString& strPath);
    // The path a typed target stands for: a leading "~/" (or a lone "~") is
    // the home folder, as in a shell.
    static QString ExpandHome(const QString& strTarget);

    // Test hook: the dialog that Browse opens; an empty chooser restores the
    // desktop's save dialog.
    static void SetSaveFileChooser(SaveFileChooser chooser);
    // The desktop's save dialog, which asks nothing about existing files.
    static QString DesktopSaveFileName(QWidget* pParent, const QString& strTitle, const QString& strFilter);

private:
    QLabel* m_pStaticFormat;
    CFilterEdit* m_pEditFile;
    QPushButton* m_pButtonBrowse;

    static SaveFileChooser s_saveFileChooser;
};

// The completing page: the choices to confirm.
class CEFWPage4 : public CEFWPage {
    Q_OBJECT
public:
    explicit CEFWPage4(QWidget* pParent = nullptr);
    void OnSetActive() override;

private:
    QLabel* m_pStaticConfirm;
    QLabel* m_pStaticHeading;
    QFont m_fontHeading;
};
