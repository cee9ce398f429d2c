#include "view/ZorbelView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>

#include "check/CheckPass.h"
#include "common/Artwork.h"
#include "common/CommandIds.h"
#include "common/MessageHub.h"
#include "export/ExportFavoritesWizard.h"
#include "export/ExportFormat.h"
#include "export/ExportToFile.h"
#include "menus/CommandRouter.h"
#include "model/IconRule.h"
#include "model/Population.h"
#include "model/ProcessState.h"
#include "model/SourceLinks.h"
#include "model/TreeSink.h"
#include "settings/CheckSettings.h"
#include "view/CleanupWaitDlg.h"
#include "view/ViewTreeSink.h"

namespace {

const CommandMapEntry<CZorbelView> kViewCommands[] = {
    {ID_FILE_REFRESH, &CZorbelView::OnRefresh, &CZorbelView::OnUpdateIdleCommand},
    {ID_TOOLS_CHECKALL, &CZorbelView::OnCheckAll, &CZorbelView::OnUpdateIdleCommand},
    {ID_TOOLS_STOPCHECKING, &CZorbelView::OnStopChecking, &CZorbelView::OnUpdateStopChecking},
    {ID_FILE_EXPORT, &CZorbelView::OnExportFavorites, nullptr},
};

} // namespace

CZorbelView::CZorbelView(CCommandRouter& router, QWidget* pParent) : QWidget(pParent)
{
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("tree");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setRootIsDecorated(true);     // lines and buttons at the root
    m_tree->setItemsExpandable(true);
    m_tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setAllColumnsShowFocus(true); // full-row selection
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
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

void CZorbelView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    m_tree->setGeometry(1, 1, std::max(0, width() - 2), std::max(0, height() - 2));
}

void CZorbelView::OnInitialUpdate(const std::string& strDocumentPath)
{
    m_bInitialUpdateDone = true;
    if (strDocumentPath.empty()) {
        StartFavoritesScan();
    } else {
        g_bDocumentMode = true;
        m_strSource = strDocumentPath;
        StartSourceExtraction();
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

void CZorbelView::StartFavoritesScan() { StartPopulation(); }
void CZorbelView::StartSourceExtraction() { StartPopulation(); }

void CZorbelView::StartPopulation()
{
    JoinPopulateThread();
    ClearList();
    m_hStop = std::make_shared<ManualResetEvent>();
    m_hPopulateThread = ::StartPopulation(*m_pSink, m_hStop, m_bClosing, {m_strSource, m_strFavoritesRoot});
}

void CZorbelView::OnRefresh()
{
    g_nBrokenCount = 0;
    if (g_bDocumentMode)
        StartSourceExtraction();
    else
        StartFavoritesScan();
}

void CZorbelView::OnUpdateIdleCommand(CCmdUI& ui) { ui.Enable(IsIdle()); }

void CZorbelView::OnCheckAll()
{
    if (m_pPass && !m_pPass->IsFinished())
        return;
    m_pPass.reset();
    if (!m_hStop)
        m_hStop = std::make_shared<ManualResetEvent>();
    // Records queued by the sink but not yet in the list would be missed.
    m_pSink->Flush();
    m_pPass = CCheckPass::Start(*m_pSink, m_items, m_csTree, m_hStop, g_checkSettings.m_nThreadCount,
                                g_checkSettings.m_nTimeoutMs);
}

void CZorbelView::OnStopChecking() { StopChecking(); }

void CZorbelView::OnUpdateStopChecking(CCmdUI& ui) { ui.Enable(g_nActiveWorkers != 0 && !g_bStopping); }

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
    QWidget* pMain = window();
    CCleanupWaitDlg dlg;
    dlg.ShowOver(pMain);
    pMain->setEnabled(false);
    m_bInStop = true;
    if (m_hPopulateThread.joinable())
        QCoreApplication::processEvents();
    m_pPass->Stop([] { QCoreApplication::processEvents(); });
    m_bInStop = false;
    pMain->setEnabled(true);
    dlg.hide();
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
    if (g_checkSettings.m_bAutoCheck)
        OnCheckAll();
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
    if (m_bClosing)
        return;
    CMessageHub::Show(this, "Zorbel has finished checking your Favorites.\n", "Finished Checking Favorites",
                      QMessageBox::Information);
}

void CZorbelView::OnSourceError()
{
    JoinPopulateThread();
    CMessageHub::Show(this, QString::fromStdString(FormatSourceErrorMessage(m_strSource)),
                      QString::fromUtf8(kSourceErrorCaption.data(), qsizetype(kSourceErrorCaption.size())),
                      QMessageBox::Warning);
    // The view is the whole window: the frame ends the program in the
    // orderly way, with the settings saved.
    emit sourceUnreadable();
}

void CZorbelView::OnUpdateItemCount()
{
    if (!m_bInitialUpdateDone)
        return;
    const int nCount = int(m_pSink->NodeCount());
    if (nCount == m_nLastItemCount)
        return;
    m_nLastItemCount = nCount;
    emit paneTextChanged(ID_INDICATOR_ITEMS, QString::asprintf(g_bDocumentMode ? " %d URLs " : " %d Items ", nCount));
}

void CZorbelView::ExportToFile(std::int32_t nFormatId, const QString& strTarget)
{
    // Records reach the list only on this thread (through the tree sink), so
    // the list cannot change while it is written; pending inserts of a
    // running population are applied first so the file holds all found so far.
    m_pSink->Flush();
    const std::string strPath = strTarget.toStdString();
    const ExportOutcome outcome = ::ExportToFile(strPath, nFormatId, m_items->Snapshot());
    const ExportMessage message = ExportOutcomeMessage(outcome, strPath);
    CMessageHub::Show(this, QString::fromStdString(message.m_strText),
                      QString::fromUtf8(message.m_strCaption.data(), qsizetype(message.m_strCaption.size())),
                      message.m_nIcon == ExportMessageIcon::Information ? QMessageBox::Information
                                                                        : QMessageBox::Warning);
}

void CZorbelView::OnExportFavorites()
{
    // A new wizard each time, so nothing of an earlier run comes back; the
    // export runs once it has closed.
    CExportFavoritesWizard wizard(window());
    if (wizard.exec() != QDialog::Accepted || !wizard.Format())
        return;
    ExportToFile(wizard.Format()->m_nId, wizard.TargetFile());
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

void CZorbelView::OnDestroy()
{
    m_bClosing = true;
    StopChecking();
    if (m_hStop)
        m_hStop->Set();
    while (g_nActiveWorkers != 0)
        std::this_thread::yield();
    m_pPass.reset();
    JoinPopulateThread();
    m_items->Clear();
}
