#pragma once

#include <QFont>
#include <QRect>
#include <Qt>

class QLabel;
class QString;
class QWidget;

// Dialogs are laid out in dialog units, so that they keep their proportions
// whatever font and scale the desktop gives them: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth
// of its height.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    int X(int nDlu) const { return (nDlu * m_nBaseX + 2) / 4; }
    int Y(int nDlu) const { return (nDlu * m_nBaseY + 4) / 8; }
    QRect Rect(int x, int y, int cx, int cy) const { return QRect(X(x), Y(y), X(cx), Y(cy)); }
    QRect Rect(const QRect& rcDlu) const { return Rect(rcDlu.x(), rcDlu.y(), rcDlu.width(), rcDlu.height()); }

private:
    int m_nBaseX = 6;
    int m_nBaseY = 13;
};

// A static text of a dialog laid out in dialog units: plain text (a "&"
// still marks the mnemonic of a label with a buddy), wrapped within its
// rectangle.
QLabel* CreateStatic(QWidget* pParent, const CDialogUnits& du, const QRect& rcDlu, const QString& strText,
                     Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
