#include "gui/app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "core/settings/CheckSettings.h"
#include "core/settings/Profile.h"
#include "core/sources/SourceChoice.h"
#include "gui/app/SplashWnd.h"
#include "gui/app/ZorbelApp.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/Artwork.h"
#include "gui/common/MessageHub.h"
#include "gui/help/HtmlHelp.h"
#include "gui/menus/BitmapMenu.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/Commands.h"
#include "gui/menus/MenuImageOrganizer.h"
#include "gui/view/IconLegendDlg.h"
#include "gui/view/ZorbelView.h"

bool CMainFrame::s_bStateRead = false;
int CMainFrame::s_nLastThreadsShown = 0;

namespace {

const CommandMapEntry<CMainFrame> kFrameCommands[] = {
    // Exit stays enabled while a check runs or the list fills: closing stops
    // that work first.
    {ID_APP_EXIT, &CMainFrame::OnAppExit, &CMainFrame::OnUpdateExit},
    {ID_HELP_FINDER, &CMainFrame::OnHelpContents, nullptr},
    {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolbar, &CMainFrame::OnUpdateViewToolbar},
    {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateViewStatusBar},
    {ID_HELP_SHOWLEGEND, &CMainFrame::OnShowLegend, &CMainFrame::OnUpdateShowLegend},
    {ID_FILE_OPENFAVORITES, &CMainFrame::OnOpenFavorites, nullptr},
    {ID_FILE_OPENBOOKMARKS, &CMainFrame::OnOpenBookmarks, nullptr},
    {ID_FILE_OPENPAGE, &CMainFrame::OnOpenPage, nullptr},
};

constexpr const char* kItemsPaneText = " 0000 Items";
constexpr const char* kThreadsPaneText = " Checking - %d Thread(s) Active ";
constexpr const char* kScanningPaneText = " Scanning ";

// A pane as wide as its resource text; a disabled pane shows no text.
QLabel* MakePane(QWidget* pParent, const QString& strResourceText, const char* pszName)
{
    auto* pPane = new QLabel(pParent);
    pPane->setObjectName(pszName);
    pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pPane->setAlignment(Qt::AlignCenter);
    const int nMargins = 2 * (pPane->frameWidth() + pPane->margin()) + 6;
    pPane->setFixedWidth(pPane->fontMetrics().horizontalAdvance(strResourceText) + nMargins);
    pPane->setProperty("paneText", strResourceText);
    return pPane;
}

// A disabled pane shows no text and gives its room to the message pane,
// so that prompts are not cut off at the window's minimum width.
void ShowPane(QLabel* pPane, bool bEnabled)
{
    pPane->setEnabled(bEnabled);
    const QString strText = bEnabled ? pPane->property("paneText").toString() : QString();
    if (pPane->text() != strText)
        pPane->setText(strText);
    if (pPane->isVisibleTo(pPane->parentWidget()) != bEnabled)
        pPane->setVisible(bEnabled);
}

// How far a pass is: "120 of 300 checked, 4 broken".
QString ProgressText(int nDone, int nTotal, int nBroken)
{
    return QString::asprintf(" %d of %d checked, %d broken ", nDone, nTotal, nBroken);
}

} // namespace

CMainFrame::CMainFrame(CCommandRouter& router, IProfile& profile, QWidget* pParent)
    : QMainWindow(pParent), m_router(router), m_profile(profile)
{
    setObjectName("mainFrame");
    setMinimumSize(550, 450);
    setWindowIcon(Artwork::AppIcon());
    setContextMenuPolicy(Qt::NoContextMenu); // toolbars cannot be hidden from a menu

    m_pView = new CZorbelView(router, this);
    m_pView->SetProfile(&m_profile);
    setCentralWidget(m_pView);
    connect(m_pView, &CZorbelView::paneTextChanged, this, &CMainFrame::SetPaneText);
    // The source of document mode cannot be read: end in the orderly way.
    connect(m_pView, &CZorbelView::sourceUnreadable, this, &QWidget::close);
    connect(m_pView, &CZorbelView::sourceChanged, this, &CMainFrame::OnSourceChanged);

    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    setWindowTitle("Zorbel");
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(UM_RESTOREPLACEMENT)));
    CSplashWnd::ShowSplash(this);
    m_strHelpFilePath = CZorbelApp::HelpFileForExecutable(QCoreApplication::applicationFilePath());
    CallHtmlHelp(nullptr, QString(), HH_INITIALIZE, reinterpret_cast<quintptr>(&m_dwHelpCookie));
    // The popups show the images of both toolbars' buttons.
    auto* pMenuOrganizer = new CMenuImageOrganizer(this);
    pMenuOrganizer->Attach(this);
    pMenuOrganizer->CollectToolbarImages();
}

void CMainFrame::OnHelpContents()
{
    // Failures are silent: without a help file or engine nothing is shown.
    CallHtmlHelp(this, m_strHelpFilePath + "::/Introduction.htm", HH_DISPLAY_TOC, 0);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::InitialUpdate(const CZorbelDoc& doc)
{
    ReadSettings();
    // A source on the command line wins over the one opened last.
    if (doc.GetPathName().empty() && doc.GetBrowser().empty()) {
        if (const SourceChoice last = LoadLastSource(m_profile); last.m_nKind != SourceKind::Favorites) {
            m_pView->OpenSource(last);
            return;
        }
    }
    m_pView->OnInitialUpdate(doc.GetPathName(), doc.GetBrowser());
}

void CMainFrame::ReadSettings()
{
    LoadCheckSettings(m_profile, m_pView->Settings());
    m_pView->SetProblemsOnly(m_profile.GetProfileInt(kSettingsSection, "ProblemsOnly", 0) != 0);
    // The view's form is tiny, so fitting the frame to it leaves the frame
    // at its minimum size; the stored placement then replaces that.
    resize(minimumSize());
    SendRestorePlacement();
}

void CMainFrame::WriteSettings()
{
    const WindowPlacement wp = GetWindowPlacement();
    m_profile.WriteProfileInt(kSettingsSection, "OldMFState", int(wp.m_nShowCmd));
    m_profile.WriteProfileBinary(kSettingsSection, "OldMFWP", wp.ToBytes());
    SaveCheckSettings(m_profile, m_pView->Settings());
    m_profile.WriteProfileInt(kSettingsSection, "ProblemsOnly", m_pView->ProblemsOnly() ? 1 : 0);
    // A source named on the command line is for that run only.
    if (!m_pView->IsCommandLineSource())
        SaveLastSource(m_profile, m_pView->CurrentSource());
}

void CMainFrame::CreateActions()
{
    m_router.Action(ID_VIEW_TOOLBAR)->setCheckable(true);
    m_router.Action(ID_VIEW_STATUS_BAR)->setCheckable(true);
    m_router.Action(ID_HELP_SHOWLEGEND)->setCheckable(true);
    m_router.Action(ID_VIEW_PROBLEMSONLY)->setCheckable(true);
    for (const CommandInfo& info : CommandTable())
        m_router.Action(info.m_nId)->setIcon(Artwork::CommandIcon(info.m_nId));
    m_router.AddCommandMap(this, kFrameCommands);
    m_router.AddIdleUpdate(this, &CMainFrame::OnUpdateThreadsPane);
    m_router.AddIdleUpdate(this, &CMainFrame::OnUpdateScanningPane);
    m_router.AddIdleUpdate(this, &CMainFrame::OnUpdateProgressPane);
}

void CMainFrame::CreateMenus()
{
    for (const PopupMenuInfo& popup : MenuTable()) {
        auto* pMenu = new CBitmapMenu(QString::fromUtf8(popup.m_pszText), menuBar());
        pMenu->AddItems(m_router, popup.m_items);
        connect(pMenu, &QMenu::aboutToShow, &m_router, &CCommandRouter::UpdateAll);
        menuBar()->addMenu(pMenu);
    }
}

void CMainFrame::OnAppExit() { close(); }
void CMainFrame::OnUpdateIdleCommand(CCmdUI& ui) { ui.Enable(m_pView->State().IsIdle()); }
void CMainFrame::OnUpdateExit(CCmdUI& ui) { ui.Enable(!m_bClosing); }
void CMainFrame::OnViewToolbar() { m_toolBar->setVisible(!m_toolBar->isVisible()); }
void CMainFrame::OnUpdateViewToolbar(CCmdUI& ui) { ui.SetCheck(m_toolBar && m_toolBar->isVisibleTo(this)); }
void CMainFrame::OnViewStatusBar() { statusBar()->setVisible(!statusBar()->isVisible()); }
void CMainFrame::OnUpdateViewStatusBar(CCmdUI& ui) { ui.SetCheck(statusBar()->isVisibleTo(this)); }

void CMainFrame::OnShowLegend()
{
    if (!m_pLegend)
        m_pLegend = new CIconLegendDlg(this);
    if (m_pLegend->isVisible()) {
        m_pLegend->hide();
    } else {
        m_pLegend->show();
        m_pLegend->activateWindow();
    }
}

void CMainFrame::OnUpdateShowLegend(CCmdUI& ui) { ui.SetCheck(m_pLegend && m_pLegend->isVisible()); }

void CMainFrame::CreateToolBars()
{
    auto makeBar = [this](const char* pszName) {
        auto* pBar = new QToolBar(this);
        pBar->setObjectName(pszName);
        pBar->setMovable(false);
        pBar->setFloatable(false);
        pBar->setIconSize(QSize(16, 15));
        pBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return pBar;
    };
    m_toolBar = makeBar("toolBar");
    for (int nId : ToolbarButtons()) {
        if (nId == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_router.Action(nId));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    // Images for the menu items without a button; never shown.
    m_menuImageBar = makeBar("menuImageBar");
    for (int nId : MenuImageButtons())
        m_menuImageBar->addAction(m_router.Action(nId));
    addToolBar(Qt::TopToolBarArea, m_menuImageBar);
    m_menuImageBar->hide();
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* pBar = statusBar();
    m_paneMessage = new QLabel("Ready", pBar);
    m_paneMessage->setObjectName("paneMessage");
    pBar->addWidget(m_paneMessage, 1);
    m_paneItems = MakePane(pBar, kItemsPaneText, "paneItems");
    m_paneItems->setText(kItemsPaneText);
    m_paneThreads = MakePane(pBar, kThreadsPaneText, "paneThreads");
    m_paneThreads->setProperty("paneText", QString());
    m_paneScanning = MakePane(pBar, kScanningPaneText, "paneScanning");
    // While a check runs, a bar shows how far it is; afterwards its counts
    // stay in a pane of their own until the next check.
    m_progressBar = new QProgressBar(pBar);
    m_progressBar->setObjectName("progressBar");
    m_progressBar->setTextVisible(true);
    m_progressBar->setAlignment(Qt::AlignCenter);
    m_progressBar->setFixedWidth(m_progressBar->fontMetrics().horizontalAdvance(ProgressText(8888, 8888, 888)) + 12);
    m_paneProgress = new QLabel(pBar);
    m_paneProgress->setObjectName("paneProgress");
    m_paneProgress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_paneProgress->setAlignment(Qt::AlignCenter);
    pBar->addPermanentWidget(m_paneItems);
    pBar->addPermanentWidget(m_paneThreads);
    pBar->addPermanentWidget(m_paneScanning);
    pBar->addPermanentWidget(m_paneProgress);
    pBar->addPermanentWidget(m_progressBar);
    ShowPane(m_paneThreads, false);
    ShowPane(m_paneScanning, false);
    m_paneProgress->hide();
    m_progressBar->hide();
}

void CMainFrame::SetPaneText(int nIndicatorId, const QString& strText)
{
    if (nIndicatorId == ID_INDICATOR_ITEMS) {
        m_paneItems->setText(strText);
        // "12 of 3045 Items" needs more room than the resource text gives.
        const int nNeeded = m_paneItems->fontMetrics().horizontalAdvance(strText) +
                            2 * (m_paneItems->frameWidth() + m_paneItems->margin()) + 6;
        if (nNeeded > m_paneItems->width())
            m_paneItems->setFixedWidth(nNeeded);
    } else if (nIndicatorId == ID_SEPARATOR)
        m_paneMessage->setText(strText);
}

QString CMainFrame::PaneText(int nIndicatorId) const
{
    switch (nIndicatorId) {
    case ID_INDICATOR_ITEMS: return m_paneItems->text();
    case ID_INDICATOR_THREADS: return m_paneThreads->text();
    case ID_INDICATOR_SCANNING: return m_paneScanning->text();
    case ID_INDICATOR_PROGRESS: return m_progressBar->isVisibleTo(statusBar()) ? m_progressBar->text() : m_paneProgress->text();
    default: return m_paneMessage->text();
    }
}

void CMainFrame::OnUpdateThreadsPane()
{
    const int nActive = m_pView->State().m_nActiveWorkers;
    if (nActive == 0) {
        ShowPane(m_paneThreads, false);
        return;
    }
    if (nActive != s_nLastThreadsShown) {
        m_paneThreads->setProperty("paneText", QString::asprintf(kThreadsPaneText, nActive));
        s_nLastThreadsShown = nActive;
    }
    ShowPane(m_paneThreads, true);
}

void CMainFrame::OnUpdateScanningPane() { ShowPane(m_paneScanning, m_pView->State().m_bPopulating); }

void CMainFrame::OnUpdateProgressPane()
{
    const CViewState& state = m_pView->State();
    const bool bChecking = state.m_nActiveWorkers != 0;
    const int nTotal = state.m_nPassTotal;
    const int nDone = std::min(state.m_nPassDone.load(), nTotal);
    const QString strText = ProgressText(nDone, nTotal, state.m_nBrokenCount);
    if (bChecking) {
        m_bPassShown = true;
        if (m_progressBar->maximum() != std::max(nTotal, 1))
            m_progressBar->setRange(0, std::max(nTotal, 1));
        if (m_progressBar->value() != nDone)
            m_progressBar->setValue(nDone);
        if (m_progressBar->format() != strText.trimmed())
            m_progressBar->setFormat(strText.trimmed());
        m_paneProgress->hide();
        m_progressBar->show();
        return;
    }
    if (!m_bPassShown)
        return;
    // The pass has ended: its counts stay until the next one starts.
    m_progressBar->hide();
    if (m_paneProgress->text() != strText)
        m_paneProgress->setText(strText);
    m_paneProgress->show();
}

std::optional<int> CMainFrame::ReadStartShowState(IProfile& profile)
{
    if (s_bStateRead)
        return std::nullopt;
    s_bStateRead = true;
    const int nState = profile.GetProfileInt(kSettingsSection, "OldMFState", -1);
    if (nState == -1 || nState == 6)
        return std::nullopt;
    return nState;
}

void CMainFrame::ShowWithCommand(int nShowCmd)
{
    switch (nShowCmd) {
    case WindowPlacement::kShowMinimized: showMinimized(); break;
    case WindowPlacement::kShowMaximized: showMaximized(); break;
    default: showNormal(); break;
    }
}

QRect CMainFrame::WorkArea() const
{
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->availableGeometry() : QRect();
}

WindowPlacement CMainFrame::GetWindowPlacement() const
{
    WindowPlacement wp;
    wp.m_nShowCmd = isMinimized()   ? WindowPlacement::kShowMinimized
                    : isMaximized() ? WindowPlacement::kShowMaximized
                                    : WindowPlacement::kShowNormal;
    QRect rc = (isMinimized() || isMaximized()) ? normalGeometry() : geometry();
    if (!rc.isValid())
        rc = geometry();
    // Workspace coordinates: relative to the work area's corner.
    rc.translate(-WorkArea().topLeft());
    wp.m_nLeft = rc.x();
    wp.m_nTop = rc.y();
    wp.m_nRight = rc.x() + rc.width();
    wp.m_nBottom = rc.y() + rc.height();
    return wp;
}

void CMainFrame::SetWindowPlacement(const WindowPlacement& wp)
{
    const QPoint origin = WorkArea().topLeft();
    setGeometry(QRect(wp.m_nLeft + origin.x(), wp.m_nTop + origin.y(), wp.m_nRight - wp.m_nLeft,
                      wp.m_nBottom - wp.m_nTop));
    ShowWithCommand(int(wp.m_nShowCmd));
}

void CMainFrame::SendRestorePlacement()
{
    QEvent restore(static_cast<QEvent::Type>(UM_RESTOREPLACEMENT));
    QCoreApplication::sendEvent(this, &restore);
}

void CMainFrame::OnRestorePlacement()
{
    const QRect area = WorkArea();
    const auto bytes = m_profile.GetProfileBinary(kSettingsSection, "OldMFWP");
    if (!bytes)
        return;
    const auto wp = WindowPlacement::FromBytes(*bytes);
    if (wp && wp->NormalRectWithin(0, 0, area.width(), area.height()))
        SetWindowPlacement(*wp);
}

bool CMainFrame::event(QEvent* pEvent)
{
    if (pEvent->type() == static_cast<QEvent::Type>(UM_RESTOREPLACEMENT)) {
        if (!m_bDestroyed)
            OnRestorePlacement();
        return true;
    }
    return QMainWindow::event(pEvent);
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (m_bDestroyed) {
        pEvent->accept();
        return;
    }
    // A close while the close is under way (a second click during the
    // stop) is left to the first.
    if (m_bClosing) {
        pEvent->ignore();
        return;
    }
    m_bClosing = true;
    CallHtmlHelp(nullptr, QString(), HH_CLOSE_ALL, 0);
    CallHtmlHelp(nullptr, QString(), HH_UNINITIALIZE, m_dwHelpCookie);
    DestroyWindow();
    pEvent->accept();
}

void CMainFrame::DestroyWindow()
{
    delete m_pLegend;
    m_pLegend = nullptr;
    // The view stops its threads first, so the settings written are the
    // ones no check uses any more.
    m_pView->OnDestroy();
    WriteSettings();
    m_bDestroyed = true;
}
