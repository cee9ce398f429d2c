#pragma once

#include <QIcon>
#include <QWidget>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ManualResetEvent.h"
#include "model/FavoriteItem.h"

class QTreeWidget;
class QTreeWidgetItem;
class CCommandRouter;
class CMainFrame;
class CZorbelDoc;
class CViewTreeSink;
class CCheckPass;
class IProfile;

// The main view: the tree of favourites, filling the view one pixel in. It
// owns the records, fills the tree on a background thread, starts and stops
// the check passes and keeps the item count of the status bar.
class CZorbelView : public QWidget {
    Q_OBJECT
public:
    CZorbelView(CCommandRouter& router, QWidget* pParent = nullptr);
    ~CZorbelView() override;

    // Loads the settings, restores the frame's placement and starts filling
    // the list from the document's source.
    void OnInitialUpdate(CZorbelDoc& doc, CMainFrame& frame, IProfile& profile);
    // Stops every thread, saves the settings and frees the records.
    void OnDestroy(IProfile& profile);

    void StartFavoritesScan();
    void StartSourceExtraction();
    void StopChecking();

    // Commands of the view.
    void OnRefresh();
    void OnCheckAll();
    void OnStopChecking();
    void OnUpdateItemCount();

    // Writes the list in an export format and tells the user how it went.
    void ExportToFile(std::int32_t nFormatId, const QString& strTarget);

    QTreeWidget* Tree() const { return m_tree; }
    CViewTreeSink& Sink() const { return *m_pSink; }
    const std::vector<std::shared_ptr<FavoriteItem>>& Items() const { return m_items; }
    const QList<QIcon>& ImageList() const { return m_imageList; }
    const std::string& Source() const { return m_strSource; }
    // The record on a node, null for a folder or no node.
    std::shared_ptr<FavoriteItem> RecordOf(const QTreeWidgetItem* pNode) const;

    // A folder to scan instead of the one found from the environment.
    void SetFavoritesRoot(std::string strRoot) { m_strFavoritesRoot = std::move(strRoot); }

signals:
    void listReady();
    void checkDone();

protected:
    bool event(QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void ClearList();
    void JoinPopulateThread();
    void OnListReady();
    void OnCheckDone();
    void OnSourceError();
    void FinishPass();
    void RegisterCommands();

    QTreeWidget* m_tree = nullptr;
    std::shared_ptr<std::mutex> m_csTree = std::make_shared<std::mutex>(); // held by workers around icon changes
    QList<QIcon> m_imageList;                  // the 36 status images
    std::string m_strSource;                   // the page or file of document mode
    std::shared_ptr<ManualResetEvent> m_hStop; // stop event of the current passes
    std::thread m_hPopulateThread;             // the scan or extraction last started
    std::vector<std::shared_ptr<FavoriteItem>> m_items; // every record, their owner
    std::atomic<bool> m_bClosing{false};

    CCommandRouter& m_router;
    CMainFrame* m_pFrame = nullptr;
    CZorbelDoc* m_pDoc = nullptr;
    std::unique_ptr<CViewTreeSink> m_pSink;
    std::unique_ptr<CCheckPass> m_pPass;  // the check pass last started
    bool m_bInStop = false;               // StopChecking is waiting
    bool m_bCheckDonePending = false;     // a pass ended while StopChecking waited
    std::string m_strFavoritesRoot;
    int m_nLastItemCount = -1;
};
