#include "gui/view/ZorbelView.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cerrno>

#include "core/actions/DeleteBroken.h"
#include "core/actions/FavoriteFiles.h"
#include "core/actions/UpdateMoved.h"
#include "core/check/CheckPass.h"
#include "core/export/BookmarksExport.h"
#include "core/export/ExportFormat.h"
#include "core/export/ExportToFile.h"
#include "core/model/IconRule.h"
#include "core/model/TreeSink.h"
#include "core/platform/Trash.h"
#include "core/report/CheckReport.h"
#include "core/results/KeptOutcomes.h"
#include "core/results/ResultsCache.h"
#include "core/settings/CheckSettings.h"
#include "core/sources/Population.h"
#include "core/sources/SourceLinks.h"
#include "gui/common/Artwork.h"
#include "gui/common/CommandIds.h"
#include "gui/common/DesktopLauncher.h"
#include "gui/common/MessageHub.h"
#include "gui/config/ConfigurationPS.h"
#include "gui/menus/BitmapMenu.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/BatchErrorsDlg.h"
#include "gui/view/CleanupWaitDlg.h"
#include "gui/view/DeleteBrokenDlg.h"
#include "gui/view/FavoritePropertiesDlg.h"
#include "gui/view/LinkDetailsDlg.h"
#include "gui/view/ProblemsFilter.h"
#include "gui/view/ReportDlg.h"
#include "gui/view/UpdateMovedDlg.h"
#include "gui/view/ViewMessage.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/wizard/ExportFavoritesWizard.h"

namespace {

// How long a stop may take before the wait box shows.
constexpr qint64 kWaitBoxDelayMs = 500;

QString FromBytes(std::string_view str) { return QString::fromUtf8(str.data(), qsizetype(str.size())); }

const CommandMapEntry<CZorbelView> kViewCommands[] = {
    {ID_FILE_REFRESH, &CZorbelView::OnRefresh, &CZorbelView::OnUpdateIdleCommand},
    {ID_TOOLS_CHECKALL, &CZorbelView::OnCheckAll, &CZorbelView::OnUpdateIdleCommand},
    {ID_TOOLS_CONFIGURATION, &CZorbelView::OnConfiguration, &CZorbelView::OnUpdateConfiguration},
    {ID_TOOLS_STOPCHECKING, &CZorbelView::OnStopChecking, &CZorbelView::OnUpdateStopChecking},
    {ID_FAVORITE_DETAILS, &CZorbelView::OnViewDetails, &CZorbelView::OnUpdateSelectionCommand},
    {ID_FILE_REPORT, &CZorbelView::OnGenerateReport, &CZorbelView::OnUpdateGenerateReport},
    {ID_FAVORITE_OPEN, &CZorbelView::OnOpenInBrowser, &CZorbelView::OnUpdateSelectionCommand},
    {ID_FAVORITE_PROPERTIES, &CZorbelView::OnProperties, &CZorbelView::OnUpdateSelectionCommand},
    {ID_EDIT_COPY, &CZorbelView::OnCopyUrl, &CZorbelView::OnUpdateSelectionCommand},
    {ID_FAVORITE_COPYNAME, &CZorbelView::OnCopyName, &CZorbelView::OnUpdateSelectionCommand},
    {ID_FAVORITE_RENAME, &CZorbelView::OnRenameFavorite, &CZorbelView::OnUpdateDeleteFavorite},
    {ID_FAVORITE_DELETE, &CZorbelView::OnDeleteFavorite, &CZorbelView::OnUpdateDeleteFavorite},
    {ID_TOOLS_DELETEBROKEN, &CZorbelView::OnDeleteAllBroken, &CZorbelView::OnUpdateDeleteAllBroken},
    {ID_TOOLS_UPDATEMOVED, &CZorbelView::OnUpdateMoved, &CZorbelView::OnUpdateUpdateMoved},
    {ID_FILE_EXPORT, &CZorbelView::OnExportFavorites, nullptr},
    {ID_VIEW_PROBLEMSONLY, &CZorbelView::OnViewProblemsOnly, &CZorbelView::OnUpdateViewProblemsOnly},
};

} // namespace

CZorbelView::CZorbelView(CCommandRouter& router, QWidget* pParent) : QWidget(pParent), m_router(router)
{
    m_tree = new CFavoritesTree(this);
    m_tree->setObjectName("tree");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setRootIsDecorated(true);     // lines and buttons at the root
    m_tree->setItemsExpandable(true);
    m_tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setAllColumnsShowFocus(true); // full-row selection
    m_tree->setTextElideMode(Qt::ElideRight);
    m_tree->setUniformRowHeights(false);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->header()->setStretchLastSection(true);
    // The selection stays visible when the tree loses the focus.
    QPalette pal = m_tree->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    m_tree->setPalette(pal);
    m_tree->setFocus();

    for (int i = 0; i < kStatusImageCount; ++i)
        m_imageList.append(Artwork::StatusIcon(i));

    m_pSink = std::make_unique<CViewTreeSink>(m_tree, &m_imageList, this,
                                              [this](std::shared_ptr<FavoriteItem> pItem) {
                                                  m_items->Append(std::move(pItem));
                                              });
    m_pFilter = std::make_unique<CProblemsFilter>(m_tree);
    m_pSink->SetNodeObserver([this](CViewTreeSink::NodeChange change, QTreeWidgetItem* pNode) {
        m_pFilter->Follow(change, pNode);
    });
    m_tree->SetHandlers({
        [this](const QPoint& ptPointer) { OnTreeRightClick(ptPointer); },
        [this](const QPoint& ptRequest, const QPoint& ptPointer) { OnContextMenu(ptRequest, ptPointer); },
        [this](const QPoint& ptPointer) { OnTreeDoubleClick(ptPointer); },
        [this](QTreeWidgetItem* pNode) { return OnBeginLabelEdit(pNode); },
        [this](QTreeWidgetItem* pNode, const std::optional<QString>& strText) { OnEndLabelEdit(pNode, strText); },
        [this](QTreeWidgetItem* pNode) { OnTreeReturn(pNode); },
    });
    m_tree->viewport()->installEventFilter(this);
    router.AddCommandMap(this, kViewCommands);
    router.AddIdleUpdate(this, &CZorbelView::OnUpdateItemCount);
}

CZorbelView::~CZorbelView()
{
    m_bClosing = true;
    if (m_hStop)
        m_hStop->Set();
    JoinPopulateThread();
}

QString CZorbelView::NodeToolTip(const QTreeWidgetItem* pNode) const
{
    const FavoriteItem* pItem = RecordOf(pNode);
    if (!pItem)
        return {};
    QString strTip = pNode->text(0).toHtmlEscaped();
    if (!pItem->m_strFolder.empty())
        strTip += "<br>Folder: " + FromBytes(pItem->m_strFolder).toHtmlEscaped();
    if (!pItem->m_strUrl.empty())
        strTip += "<br>URL: " + FromBytes(pItem->m_strUrl).toHtmlEscaped();
    // Rich text, so that long lines wrap rather than run off the screen.
    return "<qt>" + strTip + "</qt>";
}

bool CZorbelView::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_tree->viewport() && pEvent->type() == QEvent::ToolTip) {
        const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
        const QString strTip = NodeToolTip(m_tree->itemAt(pHelp->pos()));
        if (strTip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(pHelp->globalPos(), strTip, m_tree->viewport());
        return true;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void CZorbelView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    m_tree->setGeometry(1, 1, std::max(0, width() - 2), std::max(0, height() - 2));
}

void CZorbelView::OnInitialUpdate(const std::string& strDocumentPath, const std::string& strBrowser)
{
    m_bInitialUpdateDone = true;
    NoteCommandLineSource(strDocumentPath, strBrowser);
    if (strDocumentPath.empty() && strBrowser.empty()) {
        StartPopulation();
    } else {
        m_pState->m_bDocumentMode = true;
        m_strSource = strDocumentPath;
        m_strBrowser = strBrowser;
        StartPopulation();
    }
}

void CZorbelView::ClearList()
{
    m_pSink->DeleteAllNodes();
    m_items->Clear();
    m_nLastItemCount = -1;
}

void CZorbelView::JoinPopulateThread()
{
    if (m_hPopulateThread.joinable())
        m_hPopulateThread.join();
}

void CZorbelView::StartPopulation()
{
    JoinPopulateThread();
    ClearList();
    m_hStop = std::make_shared<ManualResetEvent>();
    m_pReport = std::make_shared<PopulationReport>();
    m_hPopulateThread =
        ::StartPopulation(*m_pSink, *m_pState, m_hStop, m_bClosing,
                          {m_strSource, {}, m_strBrowser, m_pReport, m_checkSettings.m_nTimeoutMs,
                           m_strBrowserStore});
}

void CZorbelView::OnRefresh()
{
    m_pState->m_nBrokenCount = 0;
    StartPopulation();
}

void CZorbelView::OnUpdateIdleCommand(CCmdUI& ui) { ui.Enable(m_pState->IsIdle()); }

void CZorbelView::OnConfiguration()
{
    // Owned by the main window; it changes the settings in memory only.
    CConfigurationPS sheet(m_checkSettings);
    sheet.exec();
}

// Nothing may read the settings while the sheet changes them.
void CZorbelView::OnUpdateConfiguration(CCmdUI& ui) { ui.Enable(m_pState->IsIdle()); }

void CZorbelView::OnCheckAll()
{
    if (m_pPass && !m_pPass->IsFinished())
        return;
    m_pPass.reset();
    if (!m_hStop)
        m_hStop = std::make_shared<ManualResetEvent>();
    // Records queued by the sink but not yet in the list would be missed.
    m_pSink->Flush();
    CheckPassOptions options = CheckPassOptions::Window(m_checkSettings.m_nThreadCount, m_checkSettings.m_nTimeoutMs);
    options.m_bContentChecks = m_checkSettings.m_bContentChecks;
    if (std::shared_ptr<CResultsCache> pResults = m_pResults)
        options.m_onOutcome = [pResults](const FavoriteItem& item) { pResults->Put(KeptOutcomeOf(item)); };
    m_pPass = CCheckPass::Start(*m_pSink, m_pState, m_items, m_csTree, m_hStop, options);
}

void CZorbelView::OnStopChecking() { StopChecking(); }

void CZorbelView::OnUpdateStopChecking(CCmdUI& ui)
{
    ui.Enable(m_pState->m_nActiveWorkers != 0 && !m_pState->m_bStopping);
}

void CZorbelView::StopChecking()
{
    const bool bPassRuns = m_pPass && !m_pPass->IsFinished();
    if (m_hStop)
        m_hStop->Set(); // also ends a population thread at its next entry
    if (!bPassRuns) {
        if (m_pPass)
            FinishPass();
        return;
    }
    // Most stops end at once. The wait box, and the disabled window behind
    // it, come only when the end takes longer than half a second; until
    // then the window handles what it must but takes no input.
    QWidget* pMain = window();
    CCleanupWaitDlg dlg;
    bool bBoxShown = false;
    QElapsedTimer waited;
    waited.start();
    m_bInStop = true;
    const auto pump = [&] {
        if (!bBoxShown && waited.elapsed() >= kWaitBoxDelayMs) {
            bBoxShown = true;
            dlg.ShowOver(pMain);
            pMain->setEnabled(false);
        }
        QCoreApplication::processEvents(bBoxShown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    };
    if (m_hPopulateThread.joinable())
        pump();
    m_pPass->Stop(pump);
    m_bInStop = false;
    if (bBoxShown) {
        pMain->setEnabled(true);
        dlg.hide();
    }
    FinishPass();
}

void CZorbelView::FinishPass()
{
    m_pPass.reset();
    if (m_bCheckDonePending) {
        m_bCheckDonePending = false;
        OnCheckDone();
    }
}

bool CZorbelView::event(QEvent* pEvent)
{
    switch (static_cast<int>(pEvent->type())) {
    case UM_LISTREADY:
        OnListReady();
        return true;
    case UM_CHECKDONE:
        OnCheckDone();
        return true;
    case UM_SOURCEERROR:
        OnSourceError();
        return true;
    default:
        return QWidget::event(pEvent);
    }
}

void CZorbelView::OnListReady()
{
    JoinPopulateThread();
    // The keyboard works from the start: F2, Delete and Return act on the
    // first favourite.
    m_pSink->Flush();
    SelectFirstFavorite();
    m_router.UpdateAll();
    // A page that gave no link says so, rather than showing an empty list
    // as if it were still to come.
    if (m_pState->m_bDocumentMode && m_pSink->NodeCount() == 0)
        emit paneTextChanged(ID_SEPARATOR, "No link was found in " + QString::fromStdString(m_strSource) + ".");
    ShowKeptOutcomes();
    if (m_checkSettings.m_bAutoCheck)
        OnCheckAll();
}

void CZorbelView::ShowKeptOutcomes()
{
    if (!m_bResultsOpened) {
        m_bResultsOpened = true;
        ResultsCacheOpen opened = CResultsCache::Open(DefaultResultsCachePath());
        m_pResults = std::move(opened.m_pCache);
        if (!opened.m_strNotice.empty())
            emit paneTextChanged(ID_SEPARATOR, QString::fromStdString(opened.m_strNotice));
    }
    if (!m_pResults)
        return;
    m_pSink->Flush(); // every record of the list is in it
    const KeptApplied applied = ApplyKeptOutcomes(*m_items, *m_pSink, *m_pResults);
    if (applied.m_nApplied > 0) {
        m_pState->m_bChecked = true;
        m_pState->m_nBrokenCount = applied.m_nBroken;
    }
    {
        // Thousands of icons change at once: the tree is told by one repaint
        // rather than by a change signal each (an icon never changes the
        // size of a row).
        const QSignalBlocker quiet(m_tree->model());
        m_pSink->Flush();
    }
    m_tree->viewport()->update();
}

void CZorbelView::OnCheckDone()
{
    if (m_bInStop) {
        // The pass ended while StopChecking waits for it: report it once the
        // wait is over and the pass is released.
        m_bCheckDonePending = true;
        return;
    }
    m_pPass.reset();
    if (m_bClosing || m_bSwitchingSource)
        return;
    CMessageHub::Show(this, "Zorbel has finished checking your Favorites.\n", "Finished Checking Favorites",
                      QMessageBox::Information);
}

void CZorbelView::OnSourceError()
{
    JoinPopulateThread();
    const std::string strText = m_pReport && !m_pReport->m_strSourceError.empty() ? m_pReport->m_strSourceError
                                                                                  : FormatSourceErrorMessage(m_strSource);
    CMessageHub::Show(this, QString::fromStdString(strText),
                      QString::fromUtf8(kSourceErrorCaption.data(), qsizetype(kSourceErrorCaption.size())),
                      QMessageBox::Warning);
    // A source chosen in the window, or remembered from the last run, gives
    // way to the Favorites folder: a page gone offline must not keep the
    // program from starting.
    if (!m_bCommandLineSource) {
        OpenSource({});
        return;
    }
    // The view is the whole window: the frame ends the program in the
    // orderly way, with the settings saved.
    emit sourceUnreadable();
}

void CZorbelView::OnUpdateItemCount()
{
    if (!m_bInitialUpdateDone)
        return;
    // A document's links are counted, not the folders that hold them (a
    // browser's bookmarks have many).
    const bool bLinksOnly = m_pState->m_bDocumentMode;
    const int nCount = bLinksOnly ? int(m_items->Size()) : int(m_pSink->NodeCount());
    const int nShown = !ProblemsOnly() ? -1 : bLinksOnly ? m_pFilter->ShownRecordCount() : ShownNodeCount();
    if (nCount == m_nLastItemCount && nShown == m_nLastShownCount)
        return;
    m_nLastItemCount = nCount;
    m_nLastShownCount = nShown;
    if (nShown >= 0) {
        emit paneTextChanged(ID_INDICATOR_ITEMS, QString::asprintf(m_pState->m_bDocumentMode ? " %d of %d URLs "
                                                                                            : " %d of %d Items ",
                                                                   nShown, nCount));
        return;
    }
    emit paneTextChanged(ID_INDICATOR_ITEMS,
                         QString::asprintf(m_pState->m_bDocumentMode ? " %d URLs " : " %d Items ", nCount));
}

bool CZorbelView::ExportToFile(std::int32_t nFormatId, const QString& strTarget, bool bLeaveOutBroken)
{
    // Records reach the list only on this thread (through the tree sink), so
    // the list cannot change while it is written; pending inserts of a
    // running population are applied first so the file holds all found so far.
    m_pSink->Flush();
    const std::string strPath = strTarget.toStdString();
    const std::vector<std::shared_ptr<FavoriteItem>> items =
        bLeaveOutBroken ? LeaveOutBroken(m_items->Snapshot()) : m_items->Snapshot();
    const ExportOutcome outcome = ::ExportToFile(strPath, nFormatId, items);
    const ExportMessage message = ExportOutcomeMessage(outcome, strPath);
    CMessageHub::Show(this, QString::fromStdString(message.m_strText),
                      QString::fromUtf8(message.m_strCaption.data(), qsizetype(message.m_strCaption.size())),
                      message.m_nIcon == ExportMessageIcon::Information ? QMessageBox::Information
                                                                        : QMessageBox::Warning);
    return outcome.m_nResult == ExportResult::Done;
}

void CZorbelView::OnExportFavorites()
{
    // A new wizard each time; the export runs once it has closed. When the
    // export failed, the next wizard starts from the same choices, to be
    // corrected.
    CExportFavoritesWizard wizard(window());
    if (m_pRetryFormat)
        wizard.Preset(m_pRetryFormat, m_strRetryTarget);
    if (wizard.exec() != QDialog::Accepted || !wizard.Format())
        return;
    if (ExportToFile(wizard.Format()->m_nId, wizard.TargetFile(), wizard.LeaveOutBroken())) {
        m_pRetryFormat = nullptr;
        m_strRetryTarget.clear();
    } else {
        m_pRetryFormat = wizard.Format();
        m_strRetryTarget = wizard.TargetFile();
    }
}

void CZorbelView::RemoveRecord(const FavoriteItem* pItem)
{
    if (!pItem)
        return;
    const TreeNode node = pItem->m_hItem;
    m_items->Remove(pItem);
    m_pSink->RemoveNode(node);
}

FavoriteItem* CZorbelView::RecordOf(const QTreeWidgetItem* pNode) const { return m_pSink->RecordOf(pNode); }

QTreeWidgetItem* CZorbelView::SelectedNode() const
{
    // The tree's caret item, as long as it is selected.
    QTreeWidgetItem* pNode = m_tree->currentItem();
    return pNode && pNode->isSelected() ? pNode : nullptr;
}

void CZorbelView::OnUpdateSelectionCommand(CCmdUI& ui) { ui.Enable(SelectedRecord() != nullptr); }

void CZorbelView::OnViewDetails()
{
    // The owning pointer keeps the record alive for the dialog's run.
    const std::shared_ptr<FavoriteItem> pItem = m_items->Find(SelectedRecord());
    if (!pItem)
        return;
    CLinkDetailsDlg dlg(this, m_pProfile);
    const QString strName = QString::fromStdString(pItem->m_strName);
    dlg.m_strName = pItem->m_strFolder.empty() ? strName : QString::fromStdString(pItem->m_strFolder) + "/" + strName;
    dlg.m_strPath = QString::fromStdString(pItem->m_strPath);
    dlg.m_strUrl = QString::fromStdString(pItem->m_strUrl);
    dlg.m_strMovedTo = QString::fromStdString(pItem->Redirect().m_strFinalUrl);
    dlg.m_strMemo = QString::fromStdString(pItem->StatusText());
    dlg.m_nStatus = pItem->Status();
    dlg.m_nKind = pItem->m_nKind;
    dlg.m_nCheckedAt = pItem->CheckedAt();
    if (dlg.exec() != QDialog::Accepted || dlg.m_nStatus == pItem->Status() || pItem->m_bRemoved)
        return;

    // Only the status changes: its text, the counters and the other records
    // stay as they are. The kind is read from the node's picture, as the
    // checker reads it.
    pItem->SetStatus(dlg.m_nStatus);
    {
        std::lock_guard lock(*m_csTree);
        const TreeNode node = pItem->m_hItem;
        m_pSink->SetNodeImage(node, ImageFor(KindFromImage(m_pSink->NodeImage(node)), dlg.m_nStatus));
    }
    m_pSink->Flush();
    m_tree->viewport()->repaint();
}

void CZorbelView::OnGenerateReport()
{
    CReportDlg dlg(this, CountReport(Items()));
    dlg.exec();
}

void CZorbelView::OnUpdateGenerateReport(CCmdUI& ui) { ui.Enable(!m_pState->m_bPopulating && m_pState->m_bChecked); }
// Rename and Delete: a favourite of the user's own is selected; the links
// of a page or a browser's bookmarks are only read.
void CZorbelView::OnUpdateDeleteFavorite(CCmdUI& ui)
{
    ui.Enable(!m_pState->m_bDocumentMode && SelectedRecord() != nullptr);
}

void CZorbelView::OnUpdateDeleteAllBroken(CCmdUI& ui)
{
    ui.Enable(!m_pState->m_bDocumentMode && m_pState->m_nBrokenCount != 0 && m_pState->m_nActiveWorkers == 0);
}

void CZorbelView::SelectNode(QTreeWidgetItem* pNode)
{
    if (pNode) {
        m_tree->setCurrentItem(pNode);
        return;
    }
    m_tree->setCurrentItem(nullptr);
    m_tree->clearSelection();
}

void CZorbelView::OnTreeRightClick(const QPoint& ptPointer)
{
    if (QTreeWidgetItem* pNode = m_tree->NodeAtGlobal(ptPointer)) {
        SelectNode(pNode);
        m_router.UpdateAll();
    }
}

void CZorbelView::OnContextMenu(const QPoint& ptRequest, const QPoint& ptPointer)
{
    const bool bKeyboard = ptRequest == QPoint(-1, -1);
    QPoint ptMenu = ptRequest;
    if (bKeyboard) {
        // Shift+F10 and the Menu key act on the selected node, wherever the
        // mouse pointer is: the menu opens below its label.
        QTreeWidgetItem* pNode = SelectedNode();
        if (pNode) {
            m_tree->scrollToItem(pNode);
            const QRect rc = m_tree->visualItemRect(pNode);
            ptMenu = m_tree->viewport()->mapToGlobal(QPoint(rc.left() + 16, rc.bottom()));
        } else {
            ptMenu = m_tree->viewport()->mapToGlobal(QPoint(5, 5));
        }
        m_router.UpdateAll();
    } else {
        QTreeWidgetItem* pNode = m_tree->NodeAtGlobal(ptPointer);
        if (!pNode)
            return;
        SelectNode(pNode);
    }
    // The frame owns the menu, so its commands go where the menu bar's go.
    const std::unique_ptr<CBitmapMenu> pMenu = CreateFavoriteContextMenu(m_router, window());
    pMenu->exec(ptMenu);
}

void CZorbelView::OnTreeReturn(QTreeWidgetItem* pNode)
{
    if (!pNode)
        return;
    // A favourite: View Details, the context menu's default item. A folder
    // opens or closes.
    if (RecordOf(pNode)) {
        SelectNode(pNode);
        m_router.UpdateAll();
        m_router.Run(ID_FAVORITE_DETAILS);
    } else if (pNode->childCount() > 0) {
        pNode->setExpanded(!pNode->isExpanded());
    }
}

void CZorbelView::SelectFirstFavorite()
{
    if (SelectedNode())
        return;
    // The first node that carries a favourite, in the order the tree shows.
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (RecordOf(*it)) {
            SelectNode(*it);
            m_tree->scrollToItem(*it);
            return;
        }
    }
    if (m_tree->topLevelItemCount() > 0)
        SelectNode(m_tree->topLevelItem(0));
}

void CZorbelView::OnTreeDoubleClick(const QPoint& ptPointer)
{
    // A folder has expanded or collapsed already; View Details does nothing
    // on it.
    if (m_tree->NodeAtGlobal(ptPointer))
        m_router.Run(ID_FAVORITE_DETAILS);
}

void CZorbelView::OnOpenInBrowser()
{
    const FavoriteItem* pItem = SelectedRecord();
    if (!pItem)
        return;
    CDesktopLauncher::Open(FromBytes(pItem->m_strUrl), this, [this](const DesktopOpenResult& result) {
        if (!result.Succeeded())
            CDesktopLauncher::ShowFailure(this, result);
    });
}

void CZorbelView::OnProperties()
{
    const QTreeWidgetItem* pNode = SelectedNode();
    const FavoriteItem* pItem = RecordOf(pNode);
    if (!pItem)
        return;
    CFavoritePropertiesDlg::ShowFor({pNode->text(0), pItem->m_strPath, pItem->m_strUrl, pItem->m_nKind}, this);
}

void CZorbelView::CopyTextToClipboard(const QString& strText)
{
    if (QClipboard* pClipboard = QGuiApplication::clipboard())
        pClipboard->setText(strText);
}

void CZorbelView::OnCopyUrl()
{
    if (const FavoriteItem* pItem = SelectedRecord())
        CopyTextToClipboard(FromBytes(pItem->m_strUrl));
}

void CZorbelView::OnCopyName()
{
    // The name as the tree shows it, the new one after a rename.
    const QTreeWidgetItem* pNode = SelectedNode();
    if (RecordOf(pNode))
        CopyTextToClipboard(pNode->text(0));
}

void CZorbelView::OnRenameFavorite() { m_tree->EditLabel(SelectedNode()); }

bool CZorbelView::OnBeginLabelEdit(QTreeWidgetItem* pNode)
{
    // Folders and the links of a document keep their names.
    return !m_pState->m_bDocumentMode && RecordOf(pNode) != nullptr;
}

bool CZorbelView::OnEndLabelEdit(QTreeWidgetItem* pNode, const std::optional<QString>& strNewText)
{
    FavoriteItem* pItem = RecordOf(pNode);
    if (!pItem)
        return false;
    if (!strNewText || strNewText->isEmpty())
        return false;
    const QByteArray newName = strNewText->toUtf8();
    if (newName == pNode->text(0).toUtf8()) {
        CMessageHub::Beep();
        return false;
    }
    const std::string strNewName(newName.constData(), size_t(newName.size()));
    if (const std::optional<char> c = FindInvalidNameChar(strNewName)) {
        CMessageHub::Show(this,
                          "The character \"" + QString(QChar::fromLatin1(*c)) +
                              "\" is not valid for a the Name of a Favorite.",
                          "Invalid Character Specified", QMessageBox::Warning);
        // The typed name comes back into the editor to be corrected.
        ReopenLabelEdit(pNode, *strNewText);
        return false;
    }
    const std::string strNewPath = RenamedFavoritePath(pItem->m_strPath, strNewName);
    // A failed move keeps the old name on the label, and says why.
    if (const int nError = RenameFavoriteFile(*pItem, strNewPath); nError != 0) {
        if (nError == EEXIST) {
            CMessageHub::Show(this,
                              "The Favorite could not be renamed: \"" + NameTakenBy(strNewPath, *strNewText) +
                                  "\" already has that name in the same folder.\n\nPlease choose another name.",
                              "Favorite Not Renamed", QMessageBox::Warning);
        } else {
            CMessageHub::Show(this,
                              "The Favorite could not be renamed.  The following error was returned:\n\n" +
                                  FromBytes(FavoriteFileErrorText(nError, pItem->m_strPath)),
                              "Favorite Not Renamed", QMessageBox::Warning);
        }
        return false;
    }
    pItem->m_strPath = strNewPath;
    pNode->setText(0, *strNewText);
    CMessageHub::Show(this, "The Favorite was renamed successfully.", "Favorite Renamed", QMessageBox::Information);
    return true;
}

QString CZorbelView::NameTakenBy(const std::string& strPath, const QString& strTyped) const
{
    // The other favourite as the tree shows it, or else the file's own name.
    for (const std::shared_ptr<FavoriteItem>& pOther : m_items->Snapshot()) {
        if (pOther->m_strPath != strPath)
            continue;
        if (const QTreeWidgetItem* pNode = m_pSink->WidgetOf(pOther->m_hItem))
            return pNode->text(0);
        return FromBytes(pOther->m_strName);
    }
    const std::size_t nSlash = strPath.rfind('/');
    const QString strFile = FromBytes(nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1));
    return strFile.isEmpty() ? strTyped : strFile;
}

void CZorbelView::ReopenLabelEdit(QTreeWidgetItem* pNode, const QString& strText)
{
    if (!pNode || !m_tree->EditLabel(pNode))
        return;
    if (auto* pEditor = qobject_cast<QLineEdit*>(m_tree->indexWidget(m_tree->currentIndex())))
        pEditor->setText(strText);
    else if (auto* pLine = m_tree->findChild<QLineEdit*>(); pLine && pLine->isVisible())
        pLine->setText(strText);
}

void CZorbelView::OnDeleteFavorite()
{
    const QTreeWidgetItem* pNode = SelectedNode();
    const std::shared_ptr<FavoriteItem> pItem = m_items->Find(RecordOf(pNode));
    if (!pItem)
        return;
    if (!(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier)) {
        const QString strAsk = "Are you SURE you want to delete \"" + pNode->text(0) + "\"\nfrom your Favorites?";
        if (CMessageHub::Show(this, strAsk, "Confirm Delete", QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
            return;
        if (pItem->m_bRemoved)
            return; // the list was filled again meanwhile
    }
    // Into the Trash, where the desktop can restore it; for good only when
    // its file system has none and the user says so.
    int nError = TrashFavorite(*pItem);
    if (nError == kNoTrashError && AskDeleteForGood(pNode->text(0)))
        nError = DeleteFavorite(*pItem);
    if (nError != 0) {
        CMessageHub::Show(this,
                          "The specified Favorite could not be deleted.  The following error was returned:\n\n" +
                              FromBytes(FavoriteFileErrorText(nError, pItem->m_strPath)),
                          "Failed To Delete Favorite", QMessageBox::Warning);
        return;
    }
    RemoveRecord(pItem.get());
    CMessageHub::Show(this, "The specified Favorite was deleted successfully.", "Link Deleted",
                      QMessageBox::Information);
}

void CZorbelView::RunBatchCommand(CBatchListDlg& dlg, const BatchTexts& texts, const QString& strErrorsName,
                                  const std::function<BatchOutcome(const BatchList&)>& fnRun)
{
    if (dlg.exec() != QDialog::Accepted)
        return;
    const BatchList selected = dlg.m_selected;
    if (std::none_of(selected.begin(), selected.end(),
                     [&dlg](const std::shared_ptr<FavoriteItem>& pItem) { return dlg.Acts(*pItem); })) {
        CMessageHub::Show(this, FromBytes(texts.m_strNoneText), FromBytes(texts.m_strNoneCaption),
                          QMessageBox::Information);
        return;
    }
    const BatchOutcome outcome = fnRun(selected);
    if (outcome.m_nFailed == 0) {
        CMessageHub::Show(this, FromBytes(texts.m_strAllDoneText), FromBytes(texts.m_strAllDoneCaption),
                          QMessageBox::Information);
        return;
    }
    CBatchErrorsDlg errors(this, strErrorsName, texts);
    errors.m_strErrors = FromBytes(outcome.m_strErrors);
    errors.m_strSummary = FromBytes(BatchSummary(texts, outcome));
    errors.exec();
}

void CZorbelView::OnDeleteAllBroken()
{
    CDeleteBrokenDlg dlg(this, m_items.get());
    RunBatchCommand(dlg, kDeleteBrokenTexts, "deleteErrorsDlg", [this](const BatchList& selected) {
        // The files go to the Trash; the first one whose file system has
        // none asks whether such files may go for good, once for the lot.
        std::optional<bool> bForGood;
        return DeleteBrokenFavorites(
            selected, [this](const FavoriteItem& item) { RemoveRecord(&item); },
            [this, &bForGood](FavoriteItem& item) {
                const int nError = TrashFavoriteFile(item);
                if (nError != kNoTrashError)
                    return nError;
                if (!bForGood)
                    bForGood = AskDeleteForGood(QString());
                return *bForGood ? DeleteFavoriteFile(item) : nError;
            });
    });
}

bool CZorbelView::AskDeleteForGood(const QString& strName)
{
    const QString strWhat = strName.isEmpty() ? QString("Some of the Favorites are")
                                              : "The Favorite \"" + strName + "\" is";
    const QString strAsk = strWhat + " on a file system that has no Trash, so " +
                           (strName.isEmpty() ? "they" : "it") +
                           " cannot be restored once deleted.\n\nDelete for good?";
    return CMessageHub::Show(this, strAsk, "No Trash", QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) == QMessageBox::Yes;
}

void CZorbelView::OnUpdateUpdateMoved(CCmdUI& ui)
{
    // The URLs change while nothing reads them: no population, no pass.
    if (m_pState->m_bDocumentMode || !m_pState->IsIdle() || CCheckPass::IsPassRunning()) {
        ui.Enable(false);
        return;
    }
    const std::vector<std::shared_ptr<FavoriteItem>> items = m_items->Snapshot();
    ui.Enable(std::any_of(items.begin(), items.end(),
                          [](const std::shared_ptr<FavoriteItem>& pItem) { return IsOfferedForUpdate(*pItem); }));
}

void CZorbelView::OnUpdateMoved()
{
    CUpdateMovedDlg dlg(this, m_items.get());
    RunBatchCommand(dlg, kUpdateMovedTexts, "updateErrorsDlg", [](const BatchList& selected) {
        // Each record takes its new URL as its file does; its node keeps its
        // place, name and picture. Each file is flushed to the disk, some
        // milliseconds apiece: a long list shows the busy pointer meanwhile.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        BatchOutcome outcome = UpdateMovedFavorites(selected, {});
        QGuiApplication::restoreOverrideCursor();
        return outcome;
    });
}

void CZorbelView::OnDestroy()
{
    m_bClosing = true;
    StopChecking();
    if (m_hStop)
        m_hStop->Set();
    while (m_pState->m_nActiveWorkers != 0 && CCheckPass::IsPassRunning())
        std::this_thread::yield();
    m_pPass.reset();
    JoinPopulateThread();
    m_items->Clear();
}
