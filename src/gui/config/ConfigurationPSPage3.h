#pragma once

#include <QString>
#include <QWidget>

class QPushButton;

// The Contact page of the configuration sheet: three buttons that start a
// new message to the maker in the user's mail program, a comment, a bug
// report or a support question. The page stores nothing.
class CConfigurationPSPage3 : public QWidget {
    Q_OBJECT
public:
    enum {
        IDD = 106,
        IDC_ASK_SUPPORT = 1017,
        IDC_SEND_COMMENT = 1023,
        IDC_SEND_BUGREPORT = 1024,
    };

    explicit CConfigurationPSPage3(QWidget* pParent = nullptr);

    void OnSendComment();
    void OnSendBugReport();
    void OnAskSupport();

    // The "mailto:" text a button hands to the desktop: mailbox, subject and
    // body as they stand, nothing percent-encoded. Empty for another id.
    static QString MailtoText(int nButtonId);

    QPushButton* Button(int nButtonId) const;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void SendMail(int nButtonId);
};
