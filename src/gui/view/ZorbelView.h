#pragma once

#include <QIcon>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/actions/BatchOutcome.h"
#include "core/model/FavoriteList.h"
#include "core/model/ViewState.h"
#include "core/platform/ManualResetEvent.h"
#include "core/settings/CheckSettings.h"
#include "core/sources/SourceChoice.h"
#include "gui/view/FavoritesTree.h"

class QTreeWidget;
class QTreeWidgetItem;
class CCmdUI;
class CCommandRouter;
class CViewTreeSink;
class CBatchListDlg;
class CCheckPass;
class CResultsCache;
class CProblemsFilter;
class IProfile;
struct PopulationReport;
struct ExportFormat;

// The main view: the tree of favourites, filling the view one pixel in. It
// owns the records, fills the tree on a background thread, starts and stops
// the check passes and keeps the item count of the status bar. It knows
// nothing of the frame around it: what the frame must do it asks through
// its signals.
class CZorbelView : public QWidget {
    Q_OBJECT
public:
    CZorbelView(CCommandRouter& router, QWidget* pParent = nullptr);
    ~CZorbelView() override;

    // Starts filling the list: from the Favorites folder when the document
    // path is empty, otherwise from the page or file it names (document
    // mode); a browser ("NAME[:PROFILE]") is read instead of either, also
    // in document mode.
    void OnInitialUpdate(const std::string& strDocumentPath, const std::string& strBrowser = {});
    // Stops every thread and frees the records.
    void OnDestroy();

    // Lists another source, chosen from the window or remembered from the
    // last run: what runs for the list now is stopped first (a check behind
    // the wait box, a scan at once), then the list is filled from the new
    // source in its mode, with nothing of the old one left behind. A source
    // that then cannot be read is reported and gives way to the Favorites
    // folder; one named on the command line ends the program instead.
    void OpenSource(const SourceChoice& source);
    // What the list shows now: its source as the settings keep it, whether
    // the command line named it (it is not remembered then), and its name
    // for the window's title.
    const SourceChoice& CurrentSource() const { return m_source; }
    bool IsCommandLineSource() const { return m_bCommandLineSource; }
    const QString& SourceCaption() const { return m_strCaption; }

    // Show Problems Only: the tree shows only the favourites whose outcome
    // is a problem and the folders that hold them; the item count says how
    // many of all it shows.
    void OnViewProblemsOnly();
    void OnUpdateViewProblemsOnly(CCmdUI& ui);
    void SetProblemsOnly(bool bOn);
    bool ProblemsOnly() const;
    // The nodes the tree shows now (all of them while the filter is off).
    int ShownNodeCount() const;

    void StopChecking();

    // Commands of the view.
    void OnRefresh();
    void OnCheckAll();
    void OnConfiguration();
    void OnUpdateConfiguration(CCmdUI& ui);
    void OnStopChecking();
    void OnUpdateIdleCommand(CCmdUI& ui);
    void OnUpdateStopChecking(CCmdUI& ui);
    void OnUpdateItemCount();
    // The rule of the commands on the selected favourite: a node is
    // selected and it carries a record.
    void OnUpdateSelectionCommand(CCmdUI& ui);
    // The details of the selected favourite, its status correctable by hand.
    void OnViewDetails();
    // The report of the outcomes as they are now.
    void OnGenerateReport();
    void OnUpdateGenerateReport(CCmdUI& ui);

    // Commands on the selected favourite, and Delete All Broken.
    void OnOpenInBrowser();
    void OnProperties();
    void OnCopyUrl();
    void OnCopyName();
    void OnRenameFavorite();
    void OnDeleteFavorite();
    void OnDeleteAllBroken();
    void OnUpdateDeleteFavorite(CCmdUI& ui);
    void OnUpdateDeleteAllBroken(CCmdUI& ui);
    // Update Moved Favorites: points the favourites that moved for good to
    // where they went.
    void OnUpdateMoved();
    void OnUpdateUpdateMoved(CCmdUI& ui);

    // The tree's notifications. `ptRequest` of the context menu is (-1, -1)
    // when it comes from the keyboard; `ptPointer` is where the mouse
    // pointer is, in screen coordinates.
    void OnContextMenu(const QPoint& ptRequest, const QPoint& ptPointer);
    void OnTreeRightClick(const QPoint& ptPointer);
    void OnTreeDoubleClick(const QPoint& ptPointer);
    // Return or Enter on a node.
    void OnTreeReturn(QTreeWidgetItem* pNode);
    // False refuses the in-place edit of the node's label.
    bool OnBeginLabelEdit(QTreeWidgetItem* pNode);
    // The new text is nullopt when the edit was cancelled. True when the
    // favourite got the new name (the node shows it then).
    bool OnEndLabelEdit(QTreeWidgetItem* pNode, const std::optional<QString>& strNewText);

    // Puts a text on the clipboard; failures are silent.
    static void CopyTextToClipboard(const QString& strText);

    // Export Favorites: the wizard, then the export it asked for.
    void OnExportFavorites();
    // Writes the list in an export format and tells the user how it went;
    // true when the file was written.
    bool ExportToFile(std::int32_t nFormatId, const QString& strTarget, bool bLeaveOutBroken = false);

    // A command on many favourites at once: the confirmation `dlg`, then,
    // when something is left to act on, `fnRun` on the records the user
    // kept, then a box when every one succeeded or the errors dialog
    // (object name `strErrorsName`) when some failed.
    using BatchList = std::vector<std::shared_ptr<FavoriteItem>>;
    void RunBatchCommand(CBatchListDlg& dlg, const BatchTexts& texts, const QString& strErrorsName,
                         const std::function<BatchOutcome(const BatchList&)>& fnRun);

    // Takes a record out of the list and its node out of the tree and out of
    // every book kept about it. A check that holds the record finishes
    // harmlessly; a pass that has not yet reached it never will.
    void RemoveRecord(const FavoriteItem* pItem);

    QTreeWidget* Tree() const { return m_tree; }
    CViewTreeSink& Sink() const { return *m_pSink; }
    // The records in list order, as they are now.
    std::vector<std::shared_ptr<FavoriteItem>> Items() const { return m_items->Snapshot(); }
    const QList<QIcon>& ImageList() const { return m_imageList; }
    // What runs for the view (population, pass) and what it counted; the
    // frame's panes and commands read it too.
    CViewState& State() const { return *m_pState; }
    // The check settings, read by the frame at start and written at exit,
    // changed by the configuration sheet.
    CheckSettings& Settings() { return m_checkSettings; }
    const CheckSettings& Settings() const { return m_checkSettings; }
    // The record on a node, null for a folder or no node.
    FavoriteItem* RecordOf(const QTreeWidgetItem* pNode) const;
    // The selected node and its record (null when none is selected or it is
    // a folder).
    QTreeWidgetItem* SelectedNode() const;
    FavoriteItem* SelectedRecord() const { return RecordOf(SelectedNode()); }

    // The settings store of the view's dialogs (the details dialog's width);
    // without one they keep nothing.
    void SetProfile(IProfile* pProfile) { m_pProfile = pProfile; }

signals:
    // The text of a status-bar pane of the frame.
    void paneTextChanged(int nIndicatorId, const QString& strText);
    // The source of document mode cannot be read: the program ends.
    void sourceUnreadable();
    // Another source is listed (or the first one); its name for the title.
    void sourceChanged(const QString& strCaption);

protected:
    bool event(QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    // The tree's tooltips: a favourite's whole name, its folder and its URL.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void ClearList();
    void StartPopulation();
    void JoinPopulateThread();
    void OnListReady();
    // Gives every favourite the outcome kept from an earlier check, if any.
    void ShowKeptOutcomes();
    void OnCheckDone();
    void OnSourceError();
    void FinishPass();
    void SetCaption(const QString& strCaption);
    // What the command line names (or the Favorites folder when it names
    // nothing), and its name in the title.
    void NoteCommandLineSource(const std::string& strDocumentPath, const std::string& strBrowser);
    // Makes a node the selected one; null clears the selection.
    void SelectNode(QTreeWidgetItem* pNode);
    // Selects the first favourite of the tree unless a node is selected.
    void SelectFirstFavorite();
    // Asks whether a favourite (or, with no name, several) on a file system
    // without a Trash may be deleted for good.
    bool AskDeleteForGood(const QString& strName);
    // The name of the favourite whose file is at a path (for a rename onto it).
    QString NameTakenBy(const std::string& strPath, const QString& strTyped) const;
public:
    // The tooltip of a node: for a favourite its name, folder and URL, each
    // on a line; empty for a folder.
    QString NodeToolTip(const QTreeWidgetItem* pNode) const;

private:
    // Opens the label's editor again with a text to correct.
    void ReopenLabelEdit(QTreeWidgetItem* pNode, const QString& strText);

    CCommandRouter& m_router;
    // Shared with the passes: a worker given up on by a stop may still count.
    std::shared_ptr<CViewState> m_pState = std::make_shared<CViewState>();
    CheckSettings m_checkSettings;
    CFavoritesTree* m_tree = nullptr;
    std::shared_ptr<std::mutex> m_csTree = std::make_shared<std::mutex>(); // held by workers around icon changes
    QList<QIcon> m_imageList;                  // the 36 status images
    std::string m_strSource;                   // the page or file of document mode
    std::string m_strBrowser;                  // or the browser whose bookmarks are listed
    std::string m_strBrowserStore;             // or a browser's store opened from the window
    SourceChoice m_source;                     // what is listed, as the settings keep it
    bool m_bCommandLineSource = false;         // the command line named it
    QString m_strCaption;                      // its name in the window's title
    bool m_bSwitchingSource = false;           // OpenSource stops what runs for the old source
    std::shared_ptr<PopulationReport> m_pReport; // what the last population found out
    std::shared_ptr<ManualResetEvent> m_hStop; // stop event of the current passes
    std::thread m_hPopulateThread;             // the scan or extraction last started
    std::shared_ptr<CFavoriteList> m_items = std::make_shared<CFavoriteList>(); // every record, their owner
    std::atomic<bool> m_bClosing{false};

    std::unique_ptr<CViewTreeSink> m_pSink;
    std::unique_ptr<CCheckPass> m_pPass;  // the check pass last started
    bool m_bInitialUpdateDone = false;
    std::shared_ptr<CResultsCache> m_pResults; // the kept outcomes; null when the cache cannot be used
    bool m_bResultsOpened = false;
    bool m_bInStop = false;               // StopChecking is waiting
    bool m_bCheckDonePending = false;     // a pass ended while StopChecking waited
    int m_nLastItemCount = -1;
    int m_nLastShownCount = -1;
    std::unique_ptr<CProblemsFilter> m_pFilter;
    IProfile* m_pProfile = nullptr;
    // The choices of the export that failed last, offered again.
    const ExportFormat* m_pRetryFormat = nullptr;
    QString m_strRetryTarget;
};
