#include "gui/common/DialogUnits.h"

#include <QFontMetrics>
#include <QLabel>
#include <QString>

CDialogUnits::CDialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const QString strAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_nBaseX = (fm.horizontalAdvance(strAlphabet) / 26 + 1) / 2;
    m_nBaseY = fm.height();
}

QLabel* CreateStatic(QWidget* pParent, const CDialogUnits& du, const QRect& rcDlu, const QString& strText,
                     Qt::Alignment alignment)
{
    auto* pLabel = new QLabel(strText, pParent);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setAlignment(alignment);
    pLabel->setWordWrap(true);
    pLabel->setGeometry(du.Rect(rcDlu));
    return pLabel;
}
