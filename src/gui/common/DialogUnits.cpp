#include "common/DialogUnits.h"

#include <QFontMetrics>
#include <QString>

CDialogUnits::CDialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const QString strAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_nBaseX = (fm.horizontalAdvance(strAlphabet) / 26 + 1) / 2;
    m_nBaseY = fm.height();
}
