#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message box and beep of the program goes through here, so tests can
// answer the boxes and count the beeps instead of blocking on them.
class CMessageHub {
public:
    struct Box {
        QString m_strText;
        QString m_strCaption;
        QMessageBox::Icon m_nIcon;
        QMessageBox::StandardButtons m_buttons;
        QMessageBox::StandardButton m_nDefault = QMessageBox::NoButton;
    };
    using Answerer = std::function<QMessageBox::StandardButton(const Box&)>;

    // Shows a modal box owned by the parent and returns the button pressed.
    // `nDefault` is the button that Return presses (the box's own choice
    // when none is named).
    static QMessageBox::StandardButton Show(QWidget* pParent, const QString& strText,
                                            const QString& strCaption, QMessageBox::Icon nIcon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton nDefault = QMessageBox::NoButton);
    // The exclamation beep of a refusal.
    static void Beep();

    // Test hooks: boxes go to the answerer instead of the screen and beeps
    // are only counted. An empty answerer restores the real boxes.
    static void SetAnswerer(Answerer answerer);
    static int BeepCount();
    static const QList<Box>& ShownBoxes();
    static void ResetRecord();

private:
    static Answerer s_answerer;
    static int s_nBeeps;
    static QList<Box> s_boxes;
};
