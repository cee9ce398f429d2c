#pragma once

#include <QDialog>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/sources/bookmarks/BrowserProfiles.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

// Open Browser Bookmarks: every browser profile with bookmarks that was
// found, with the browser, the profile's name and how many bookmarks it
// holds, the default one selected. The counts come from a thread of the
// dialog's own, since a large store takes a moment to read; the dialog
// stops and waits for it when it closes.
class CBrowserBookmarksDlg : public QDialog {
    Q_OBJECT
public:
    CBrowserBookmarksDlg(QWidget* pParent, std::vector<BrowserStoreInfo> stores);
    ~CBrowserBookmarksDlg() override;

    // The store chosen; empty when none is.
    std::string SelectedStore() const;
    // The text of a store's count as the list shows it now.
    QString CountText(int nRow) const;
    QTreeWidget* List() const { return m_pList; }

private:
    void CreateControls();
    void FillList();
    void StartCounting();
    void OnSelectionChanged();

    std::vector<BrowserStoreInfo> m_stores;
    QTreeWidget* m_pList = nullptr;
    QLineEdit* m_pStore = nullptr;
    QPushButton* m_pOk = nullptr;
    std::atomic<bool> m_bStop{false};
    std::thread m_counter;
};
