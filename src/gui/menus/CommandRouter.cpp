#include "gui/menus/CommandRouter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QThread>

#include "gui/menus/Commands.h"

CCommandRouter::CCommandRouter(QObject* pParent) : QObject(pParent)
{
    if (auto* pDispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CCommandRouter::UpdateAll);
}

QAction* CCommandRouter::Action(int nId)
{
    Entry& entry = m_entries[nId];
    if (entry.m_pAction)
        return entry.m_pAction;
    entry.m_pAction = new QAction(this);
    entry.m_pAction->setData(nId);
    entry.m_pAction->setEnabled(false);
    if (const CommandInfo* pInfo = FindCommand(nId)) {
        entry.m_pAction->setStatusTip(PromptOf(*pInfo));
        entry.m_pAction->setToolTip(TooltipOf(*pInfo));
        entry.m_pAction->setShortcuts(pInfo->m_accelerators);
    }
    connect(entry.m_pAction, &QAction::triggered, this, [this, nId] { Run(nId); });
    return entry.m_pAction;
}

void CCommandRouter::SetHandler(const QObject* pOwner, int nId, Command onCommand, Handler onUpdate)
{
    Action(nId);
    Watch(pOwner);
    Entry& entry = m_entries[nId];
    entry.m_pOwner = pOwner;
    entry.m_onCommand = std::move(onCommand);
    entry.m_onUpdate = std::move(onUpdate);
    UpdateOne(entry);
}

void CCommandRouter::AddIdle(const QObject* pOwner, Command update)
{
    Watch(pOwner);
    m_idleUpdates.append({pOwner, std::move(update)});
}

void CCommandRouter::Watch(const QObject* pOwner)
{
    if (m_watched.contains(pOwner))
        return;
    m_watched.append(pOwner);
    connect(pOwner, &QObject::destroyed, this, [this, pOwner] { Forget(pOwner); });
}

void CCommandRouter::Forget(const QObject* pOwner)
{
    m_watched.removeOne(pOwner);
    for (Entry& entry : m_entries) {
        if (entry.m_pOwner != pOwner)
            continue;
        entry.m_pOwner = nullptr;
        entry.m_onCommand = {};
        entry.m_onUpdate = {};
        UpdateOne(entry);
    }
    m_idleUpdates.removeIf([pOwner](const IdleUpdate& update) { return update.m_pOwner == pOwner; });
}

bool CCommandRouter::UpdateOne(Entry& entry)
{
    CCmdUI ui;
    if (!entry.m_onCommand)
        ui.Enable(false);
    else if (entry.m_onUpdate)
        entry.m_onUpdate(ui);
    if (entry.m_pAction->isEnabled() != ui.m_bEnabled)
        entry.m_pAction->setEnabled(ui.m_bEnabled);
    if (entry.m_pAction->isCheckable() && entry.m_pAction->isChecked() != ui.m_bChecked)
        entry.m_pAction->setChecked(ui.m_bChecked);
    return ui.m_bEnabled;
}

void CCommandRouter::UpdateAll()
{
    for (Entry& entry : m_entries)
        UpdateOne(entry);
    // A pane update may not add or remove updates; copied all the same, so
    // that a window going away meanwhile cannot pull the list from under us.
    const QList<IdleUpdate> updates = m_idleUpdates;
    for (const IdleUpdate& update : updates)
        update.m_update();
}

bool CCommandRouter::Run(int nId)
{
    auto it = m_entries.find(nId);
    if (it == m_entries.end() || !UpdateOne(it.value()))
        return false;
    // A checkable action has already flipped its own check mark; the update
    // handler is the one that decides it.
    Command onCommand = it->m_onCommand;
    onCommand();
    if (auto again = m_entries.find(nId); again != m_entries.end())
        UpdateOne(again.value());
    return true;
}
