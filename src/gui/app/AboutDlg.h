#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;

// The About box: the product's name, slogan and rights line, the version
// line, a notice in italics and a button that opens the product's web page.
// It grows out of an outline on opening and shrinks back into it on OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 100, IDC_VERSION = 1027, IDC_BLURB = 1026, IDC_WEBPAGE = 1020 };

    explicit CAboutDlg(QWidget* pParent = nullptr);

    // "Version 1.3 - Build 211 02/25/02 20:36:49": built from the version
    // word (major in the low byte, minor in the high byte), the build
    // number and the build date.
    static QString FormatVersionLine(quint16 wVersion, const char* pszExtra, int nBuild, const char* pszDate);
    static QString VersionLine();

    QLabel* VersionControl() const { return m_pVersion; }
    QLabel* NoticeControl() const { return m_pNotice; }
    QPushButton* WebPageButton() const { return m_pWebPage; }

    // Whether opening and closing are animated (on by default).
    void SetAnimated(bool bAnimated) { m_bAnimated = bAnimated; }

    void setVisible(bool bVisible) override;
    void accept() override;

signals:
    // An outline animation has been played between the two screen rectangles.
    void outlineAnimated(const QRect& rcFrom, const QRect& rcTo);

private:
    void CreateControls();
    void CentreOverOwner();
    QRect CollapsedRect(const QRect& rcWindow) const;
    void OnWebPage();

    QLabel* m_pVersion = nullptr;
    QPushButton* m_pWebPage = nullptr;
    QLabel* m_pNotice = nullptr;
    QFont m_fontItalic;
    bool m_bAnimated = true;
    bool m_bPlacedOnce = false;
};
