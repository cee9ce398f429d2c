#include "app/CommandRouter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QThread>

#include "app/Commands.h"

CCommandRouter::CCommandRouter(QObject* pParent) : QObject(pParent)
{
    if (auto* pDispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CCommandRouter::UpdateAll);
}

QAction* CCommandRouter::Action(int nId)
{
    Entry& entry = m_entries[nId];
    if (entry.pAction)
        return entry.pAction;
    entry.pAction = new QAction(this);
    entry.pAction->setData(nId);
    entry.pAction->setEnabled(false);
    if (const CommandInfo* pInfo = FindCommand(nId)) {
        entry.pAction->setStatusTip(PromptOf(*pInfo));
        entry.pAction->setToolTip(TooltipOf(*pInfo));
        entry.pAction->setShortcuts(pInfo->accelerators);
        entry.pAction->setShortcutVisibleInContextMenu(true);
    }
    connect(entry.pAction, &QAction::triggered, this, [this, nId] { Run(nId); });
    return entry.pAction;
}

void CCommandRouter::SetHandler(int nId, Handler onCommand, UpdateHandler onUpdate)
{
    Action(nId);
    Entry& entry = m_entries[nId];
    entry.onCommand = std::move(onCommand);
    entry.onUpdate = std::move(onUpdate);
    UpdateOne(nId, entry);
}

void CCommandRouter::AddIdleUpdate(std::function<void()> update) { m_idleUpdates.append(std::move(update)); }

bool CCommandRouter::UpdateOne(int nId, Entry& entry)
{
    CCmdUI ui;
    if (!entry.onCommand)
        ui.Enable(false);
    else if (entry.onUpdate)
        entry.onUpdate(ui);
    if (entry.pAction->isEnabled() != ui.m_bEnabled)
        entry.pAction->setEnabled(ui.m_bEnabled);
    if (entry.pAction->isCheckable() && entry.pAction->isChecked() != ui.m_bChecked)
        entry.pAction->setChecked(ui.m_bChecked);
    return ui.m_bEnabled;
}

void CCommandRouter::UpdateAll()
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        UpdateOne(it.key(), it.value());
    for (const auto& update : m_idleUpdates)
        update();
}

bool CCommandRouter::Run(int nId)
{
    auto it = m_entries.find(nId);
    if (it == m_entries.end() || !UpdateOne(nId, it.value()))
        return false;
    // A checkable action has already flipped its own check mark; the update
    // handler is the one that decides it.
    Handler onCommand = it->onCommand;
    onCommand();
    if (auto again = m_entries.find(nId); again != m_entries.end())
        UpdateOne(nId, again.value());
    return true;
}
