#include "menus/CommandMenu.h"

#include <QAction>
#include <QStyleOptionMenuItem>

#include "menus/CommandRouter.h"

CCommandMenu::CCommandMenu(const QString& strTitle, QWidget* pParent, bool bShowKeys)
    : QMenu(strTitle, pParent), m_bShowKeys(bShowKeys)
{
}

void CCommandMenu::AddItems(CCommandRouter& router, std::span<const MenuItemInfo> items)
{
    for (const MenuItemInfo& item : items) {
        if (item.m_nId == 0) {
            addSeparator();
            continue;
        }
        QAction* pAction = router.Action(item.m_nId);
        const QString strLabel = QString::fromUtf8(item.m_pszText);
        pAction->setText(strLabel);
        m_labels.insert(pAction, strLabel);
        addAction(pAction);
    }
}

QString CCommandMenu::FullText(const QAction* pAction) const
{
    QString strText = m_labels.value(pAction, pAction->text().section('\t', 0, 0));
    const QString strKey = m_bShowKeys ? MenuKeyText(pAction->data().toInt()) : QString();
    if (!strKey.isEmpty())
        strText += '\t' + strKey;
    return strText;
}

void CCommandMenu::initStyleOption(QStyleOptionMenuItem* pOption, const QAction* pAction) const
{
    QMenu::initStyleOption(pOption, pAction);
    if (!pAction || pAction->isSeparator())
        return;
    // The style draws what follows a tab as the accelerator column.
    pOption->text = FullText(pAction);
}
