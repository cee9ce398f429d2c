#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QLineEdit;
class QPushButton;

// Open Web Page or File: the address of a web page or the name of a file,
// typed or found with Browse..., whose links are listed as those of a
// source on the command line are (a browser's bookmarks file is read with
// its folders).
class COpenPageDlg : public QDialog {
    Q_OBJECT
public:
    // strLocation: what the field holds at first (the page open now, say).
    COpenPageDlg(QWidget* pParent, const QString& strLocation = {});

    // The source as the list is to read it: the text without blanks at its
    // ends and without the "zorbel:" prefix; a web address as it stands, a
    // file made absolute ("~/" is the home folder), so that it still names
    // the same file at the next start.
    std::string Location() const;
    static std::string LocationOf(const QString& strText);

    QLineEdit* Edit() const { return m_pEdit; }
    QPushButton* BrowseButton() const { return m_pBrowse; }

private:
    void CreateControls();
    void OnBrowse();

    QLineEdit* m_pEdit = nullptr;
    QPushButton* m_pBrowse = nullptr;
    QPushButton* m_pOk = nullptr;
};
