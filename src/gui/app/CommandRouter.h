#pragma once

#include <QObject>
#include <QHash>
#include <functional>

class QAction;

// Enabled and checked state of one command, decided by its update handler.
class CCmdUI {
public:
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    void SetCheck(bool bOn = true) { m_bChecked = bOn; }
    bool m_bEnabled = true;
    bool m_bChecked = false;
};

// One QAction per command id. Update handlers run in an update pass after
// pending events are processed and before a menu opens; a command without a
// handler is disabled, and a disabled command never runs, not even from its
// accelerator: its update handler is asked once more right before it runs.
class CCommandRouter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI&)>;

    explicit CCommandRouter(QObject* pParent = nullptr);

    // The action of a command, made on first use from the command table.
    QAction* Action(int nId);
    void SetHandler(int nId, Handler onCommand, UpdateHandler onUpdate = {});
    // Extra work of the update pass (status-bar panes).
    void AddIdleUpdate(std::function<void()> update);

    // Runs every update handler now.
    void UpdateAll();
    // Runs a command as a menu item would: only when it is enabled.
    bool Run(int nId);

private:
    struct Entry {
        QAction* pAction = nullptr;
        Handler onCommand;
        UpdateHandler onUpdate;
    };
    bool UpdateOne(int nId, Entry& entry);

    QHash<int, Entry> m_entries;
    QList<std::function<void()>> m_idleUpdates;
};
