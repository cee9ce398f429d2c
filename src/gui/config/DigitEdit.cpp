#include "gui/config/DigitEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <limits>

#include "gui/common/MessageHub.h"

namespace {

bool AllDigits(const QString& strText)
{
    for (QChar ch : strText)
        if (ch < u'0' || ch > u'9')
            return false;
    return true;
}

// Whether a key event would insert text: printable characters without a
// command modifier (Ctrl+V and the like stay commands).
bool InsertsText(const QKeyEvent* pEvent)
{
    if (pEvent->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString strText = pEvent->text();
    if (strText.isEmpty())
        return false;
    for (QChar ch : strText)
        if (!ch.isPrint())
            return false;
    return true;
}

} // namespace

CDigitEdit::CDigitEdit(QWidget* pParent) : QLineEdit(pParent)
{
    setInputMethodHints(Qt::ImhDigitsOnly);
}

int CDigitEdit::LeadingNumber(const QString& strText)
{
    constexpr int kMax = std::numeric_limits<int>::max();
    int nValue = 0;
    for (QChar ch : strText) {
        if (ch < u'0' || ch > u'9')
            break;
        const int nDigit = ch.unicode() - u'0';
        if (nValue > (kMax - nDigit) / 10)
            return kMax;
        nValue = nValue * 10 + nDigit;
    }
    return nValue;
}

void CDigitEdit::keyPressEvent(QKeyEvent* pEvent)
{
    if (InsertsText(pEvent) && !AllDigits(pEvent->text())) {
        CMessageHub::Beep();
        pEvent->accept();
        return;
    }
    QLineEdit::keyPressEvent(pEvent);
}

void CDigitEdit::inputMethodEvent(QInputMethodEvent* pEvent)
{
    // A composed character is typed too.
    if (!pEvent->commitString().isEmpty() && !AllDigits(pEvent->commitString())) {
        CMessageHub::Beep();
        QInputMethodEvent cleared(pEvent->preeditString(), pEvent->attributes());
        QLineEdit::inputMethodEvent(&cleared);
        return;
    }
    QLineEdit::inputMethodEvent(pEvent);
}
