#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class IProfile;

// Everything known about one favourite: its name with its folders, its
// file, its URL, where the redirects of its last check ended, the text of
// that check and its status, which the user may correct by hand. The caller fills the public members and runs the
// dialog; it ends with Accepted only when another status was chosen, which
// m_nStatus then holds. The dialog can be widened but not heightened; its
// width is kept in the settings between runs.
class CLinkDetailsDlg : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 118,
        IDC_INTRO = 1001,
        IDC_NAME_LABEL = 1002,
        IDC_NAME = 1005,
        IDC_URL = 1007,
        IDC_MEMO = 1009,
        IDC_STATUS = 1011,
        IDC_PATH = 1013,
        IDC_MOVEDTO = 1015,
        IDC_LASTCHECKED = 1017,
    };

    // pProfile keeps the width between runs; without one the dialog opens
    // at its natural width and stores nothing.
    CLinkDetailsDlg(QWidget* pParent, IProfile* pProfile);
    ~CLinkDetailsDlg() override;

    QString m_strName;
    QString m_strPath;
    QString m_strMemo;
    QString m_strUrl;
    QString m_strMovedTo;       // where the last check's redirects ended; empty when none
    std::int32_t m_nStatus = 0; // in: the favourite's status; out: the chosen one
    std::int32_t m_nKind = 0;   // the favourite's kind, the column of its icons
    std::int64_t m_nCheckedAt = 0; // when its outcome was found (seconds since 1970); 0: never

    // The help file whose text popups explain the fields; by default the
    // program's own.
    void SetHelpFilePath(const QString& strPath) { m_strHelpFilePath = strPath; }
    // Shows the popup text of a control; true when one was shown.
    bool OnHelpInfo(QWidget* pControl);

    QLineEdit* NameEdit() const { return m_pName; }
    QLineEdit* PathEdit() const { return m_pPath; }
    QLineEdit* UrlEdit() const { return m_pUrl; }
    QLineEdit* MovedToEdit() const { return m_pMovedTo; }
    QLineEdit* LastCheckedEdit() const { return m_pLastChecked; }
    QPlainTextEdit* MemoEdit() const { return m_pMemo; }
    QComboBox* StatusCombo() const { return m_pStatus; }
    QLabel* IntroText() const { return m_pIntro; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CloseButton() const { return m_pClose; }
    int MinWidth() const { return m_nMinWidth; }
    // The width as last seen, the one stored when the dialog goes.
    int RememberedWidth() const { return m_nWidth; }

    void setVisible(bool bVisible) override;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls();
    void OnInitDialog();
    void FillStatusCombo();
    void RestoreWidth();
    void LayOutControls(int cx);
    void OnSelChangeStatus();
    void OnOK();

    IProfile* m_pProfile;
    QString m_strHelpFilePath;

    QLabel* m_pIntro = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pPath = nullptr;
    QLineEdit* m_pUrl = nullptr;
    QLineEdit* m_pMovedTo = nullptr;
    QLineEdit* m_pLastChecked = nullptr;
    QPlainTextEdit* m_pMemo = nullptr;
    QComboBox* m_pStatus = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pClose = nullptr;

    int m_nMinWidth = 0; // width after creation, the narrowest allowed
    int m_nHeight = 0;   // height after creation, the only one allowed
    int m_nWidth = 0;    // width as remembered, stored at the end
    bool m_bInitialised = false;
};
