#include "view/ZorbelView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>

#include "app/Artwork.h"
#include "app/CommandRouter.h"
#include "app/Commands.h"
#include "app/MainFrame.h"
#include "app/MessageHub.h"
#include "app/ZorbelDoc.h"
#include "check/CheckPass.h"
#include "export/ExportToFile.h"
#include "model/FavoritesFolder.h"
#include "model/FavoritesScan.h"
#include "model/IconRule.h"
#include "model/SourceLinks.h"
#include "model/ProcessState.h"
#include "model/TreeSink.h"
#include "settings/CheckSettings.h"
#include "view/CleanupWaitDlg.h"
#include "view/ViewTreeSink.h"

CZorbelView::CZorbelView(CCommandRouter& router, QWidget* pParent) : QWidget(pParent), m_router(router)
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
                                                  m_items.push_back(std::move(pItem));
                                              });
    RegisterCommands();
}

CZorbelView::~CZorbelView()
{
    m_bClosing = true;
    if (m_hStop)
        m_hStop->Set();
    JoinPopulateThread();
}

void CZorbelView::RegisterCommands()
{
    auto idle = [](CCmdUI& ui) { ui.Enable(g_nActiveWorkers == 0 && !g_bPopulating); };
    m_router.SetHandler(ID_FILE_REFRESH, [this] { OnRefresh(); }, idle);
    m_router.SetHandler(ID_TOOLS_CHECKALL, [this] { OnCheckAll(); }, idle);
    m_router.SetHandler(ID_TOOLS_STOPCHECKING, [this] { OnStopChecking(); },
                        [](CCmdUI& ui) { ui.Enable(g_nActiveWorkers != 0 && !g_bStopping); });
    m_router.AddIdleUpdate([this] { OnUpdateItemCount(); });
}

void CZorbelView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    m_tree->setGeometry(1, 1, std::max(0, width() - 2), std::max(0, height() - 2));
}

void CZorbelView::OnInitialUpdate(CZorbelDoc& doc, CMainFrame& frame, IProfile& profile)
{
    m_pDoc = &doc;
    m_pFrame = &frame;
    LoadCheckSettings(profile, g_checkSettings);
    // The form is tiny, so fitting the frame to it leaves the frame at its
    // minimum size.
    frame.resize(frame.minimumSize());
    frame.SendRestorePlacement();
    if (doc.GetPathName().empty()) {
        StartFavoritesScan();
    } else {
        g_bDocumentMode = true;
        m_strSource = doc.GetPathName();
        StartSourceExtraction();
    }
}

void CZorbelView::ClearList()
{
    m_pSink->DeleteAllNodes();
    for (const auto& pItem : m_items)
        pItem->m_bRemoved = true;
    m_items.clear();
    m_nLastItemCount = -1;
}

void CZorbelView::JoinPopulateThread()
{
    if (m_hPopulateThread.joinable())
        m_hPopulateThread.join();
}

void CZorbelView::StartFavoritesScan()
{
    JoinPopulateThread();
    ClearList();
    m_hStop = std::make_shared<ManualResetEvent>();
    std::string strRoot = m_strFavoritesRoot.empty() ? LocateFavoritesFolder() : m_strFavoritesRoot;
    m_hPopulateThread = std::thread([pSink = m_pSink.get(), hStop = m_hStop, this, strRoot] {
        FavoritesScanThread(*pSink, *hStop, m_bClosing, strRoot);
    });
}

void CZorbelView::StartSourceExtraction()
{
    JoinPopulateThread();
    ClearList();
    m_hStop = std::make_shared<ManualResetEvent>();
    m_hPopulateThread = std::thread([pSink = m_pSink.get(), hStop = m_hStop, this, strSource = m_strSource] {
        SourceLinksThread(*pSink, *hStop, m_bClosing, strSource);
    });
}

void CZorbelView::OnRefresh()
{
    g_nBrokenCount = 0;
    if (g_bDocumentMode)
        StartSourceExtraction();
    else
        StartFavoritesScan();
}

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
    CCleanupWaitDlg dlg(pMain);
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
    emit listReady();
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
    emit checkDone();
}

void CZorbelView::OnSourceError()
{
    JoinPopulateThread();
    CMessageHub::Show(this, QString::fromStdString(FormatSourceErrorMessage(m_strSource)),
                      QString::fromUtf8(kSourceErrorCaption.data(), qsizetype(kSourceErrorCaption.size())),
                      QMessageBox::Warning);
    // The view is the whole window: closing it ends the program in the
    // orderly way, with the settings saved.
    if (m_pFrame)
        m_pFrame->CloseAfterError();
}

void CZorbelView::OnUpdateItemCount()
{
    if (!m_pFrame)
        return;
    const int nCount = int(m_pSink->NodeCount());
    if (nCount == m_nLastItemCount)
        return;
    m_nLastItemCount = nCount;
    m_pFrame->SetPaneText(ID_INDICATOR_ITEMS,
                          QString::asprintf(g_bDocumentMode ? " %d URLs " : " %d Items ", nCount));
}

void CZorbelView::ExportToFile(std::int32_t nFormatId, const QString& strTarget)
{
    // Records reach the list only on this thread (through the tree sink), so
    // the list cannot change while it is written; pending inserts of a
    // running population are applied first so the file holds all found so far.
    m_pSink->Flush();
    const std::string strPath = strTarget.toStdString();
    const ExportOutcome outcome = ::ExportToFile(strPath, nFormatId, m_items);
    const ExportMessage message = ExportOutcomeMessage(outcome, strPath);
    CMessageHub::Show(this, QString::fromStdString(message.m_strText),
                      QString::fromUtf8(message.m_strCaption.data(), qsizetype(message.m_strCaption.size())),
                      message.m_nIcon == ExportMessageIcon::Information ? QMessageBox::Information
                                                                        : QMessageBox::Warning);
}

std::shared_ptr<FavoriteItem> CZorbelView::RecordOf(const QTreeWidgetItem* pNode) const
{
    return m_pSink->RecordOf(pNode);
}

void CZorbelView::OnDestroy(IProfile& profile)
{
    m_bClosing = true;
    StopChecking();
    SaveCheckSettings(profile, g_checkSettings);
    if (m_hStop)
        m_hStop->Set();
    while (g_nActiveWorkers != 0)
        std::this_thread::yield();
    m_pPass.reset();
    JoinPopulateThread();
    for (const auto& pItem : m_items)
        pItem->m_bRemoved = true;
    m_items.clear();
}
