#include "gui/menus/CommandMenu.h"

#include <QAction>
#include <QStyleOptionMenuItem>

#include "gui/menus/CommandRouter.h"

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

void CCommandMenu::AddOwnItems(CCommandRouter& router, std::span<const MenuItemInfo> items)
{
    for (const MenuItemInfo& item : items) {
        if (item.m_nId == 0) {
            addSeparator();
            continue;
        }
        const QAction* pCommand = router.Action(item.m_nId);
        auto* pAction = new QAction(QString::fromUtf8(item.m_pszText), this);
        pAction->setData(item.m_nId);
        pAction->setIcon(pCommand->icon());
        pAction->setStatusTip(pCommand->statusTip());
        pAction->setCheckable(pCommand->isCheckable());
        pAction->setChecked(pCommand->isChecked());
        pAction->setEnabled(pCommand->isEnabled());
        // No shortcuts: the router's actions answer the keys.
        connect(pAction, &QAction::triggered, &router, [&router, nId = item.m_nId] { router.Run(nId); });
        addAction(pAction);
    }
}

QAction* CCommandMenu::ItemOf(int nId) const
{
    for (QAction* pAction : actions())
        if (!pAction->isSeparator() && pAction->data().toInt() == nId)
            return pAction;
    return nullptr;
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
