#pragma once

#include <QLineEdit>

// A one-line edit that takes only digits from the keyboard: any other
// character typed is refused with the exclamation beep. Text pasted or set
// by the program is taken as it is; the owner reads it as a number.
class CDigitEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDigitEdit(QWidget* pParent = nullptr);

    // The decimal number the text starts with: its leading digits, 0 when
    // it starts with anything else or is empty, the largest int when the
    // digits go beyond it.
    static int LeadingNumber(const QString& strText);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void inputMethodEvent(QInputMethodEvent* pEvent) override;
};
