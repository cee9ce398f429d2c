#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <functional>
#include <cstddef>

class QAction;

// Enabled and checked state of one command, decided by its update handler.
class CCmdUI {
public:
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    void SetCheck(bool bOn = true) { m_bChecked = bOn; }
    bool m_bEnabled = true;
    bool m_bChecked = false;
};

// One row of a window's command table: the command, its handler and its
// update handler (null: always enabled).
template <class T>
struct CommandMapEntry {
    int m_nId;
    void (T::*m_pfnCommand)();
    void (T::*m_pfnUpdate)(CCmdUI&);
};

// One QAction per command id. Each window hands its command table to the
// router once; nothing else registers a command. Update handlers run in an
// update pass after pending events are processed and before a menu opens; a
// command without a handler is disabled, and a disabled command never runs,
// not even from its accelerator: its update handler is asked once more right
// before it runs. A window's rows go when the window does.
class CCommandRouter : public QObject {
    Q_OBJECT
public:
    explicit CCommandRouter(QObject* pParent = nullptr);

    // The action of a command, made on first use from the command table:
    // prompt, tooltip and accelerators.
    QAction* Action(int nId);

    template <class T, std::size_t N>
    void AddCommandMap(T* pTarget, const CommandMapEntry<T> (&map)[N])
    {
        for (const CommandMapEntry<T>& row : map) {
            Handler onUpdate;
            if (row.m_pfnUpdate)
                onUpdate = [pTarget, pfn = row.m_pfnUpdate](CCmdUI& ui) { (pTarget->*pfn)(ui); };
            SetHandler(pTarget, row.m_nId, [pTarget, pfn = row.m_pfnCommand] { (pTarget->*pfn)(); },
                       std::move(onUpdate));
        }
    }
    // Work of the update pass that is no command (status-bar panes).
    template <class T>
    void AddIdleUpdate(T* pTarget, void (T::*pfnUpdate)())
    {
        AddIdle(pTarget, [pTarget, pfnUpdate] { (pTarget->*pfnUpdate)(); });
    }

    // Runs every update handler now.
    void UpdateAll();
    // Runs a command as a menu item would: only when it is enabled.
    bool Run(int nId);

private:
    using Command = std::function<void()>;
    using Handler = std::function<void(CCmdUI&)>;
    struct Entry {
        QAction* m_pAction = nullptr;
        const QObject* m_pOwner = nullptr;
        Command m_onCommand;
        Handler m_onUpdate;
    };
    struct IdleUpdate {
        const QObject* m_pOwner;
        Command m_update;
    };
    void SetHandler(const QObject* pOwner, int nId, Command onCommand, Handler onUpdate);
    void AddIdle(const QObject* pOwner, Command update);
    void Watch(const QObject* pOwner);
    void Forget(const QObject* pOwner);
    bool UpdateOne(Entry& entry);

    QHash<int, Entry> m_entries;
    QList<IdleUpdate> m_idleUpdates;
    QList<const QObject*> m_watched;
};
