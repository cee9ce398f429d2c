#pragma once

#include <QMainWindow>
#include <optional>

#include "core/settings/WindowPlacement.h"

class QLabel;
class QProgressBar;
class QToolBar;
class CCmdUI;
class CCommandRouter;
class CIconLegendDlg;
class CZorbelDoc;
class CZorbelView;
class IProfile;

// The message the view sends, and the frame posts to itself, to restore the
// stored window placement.
inline constexpr int UM_RESTOREPLACEMENT = 32791;

// The main window: menus, toolbar, status bar with its panes and the
// progress of a check, the stored placement, the minimum size, and a close
// that stops a running scan or check first.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CCommandRouter& router, IProfile& profile, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    CZorbelView* View() const { return m_pView; }

    // The view's first update: reads the settings, restores the stored
    // placement and lets the view fill its list from the document's source.
    void InitialUpdate(const CZorbelDoc& doc);
    // The settings of a run, read at its start and written at its end.
    void ReadSettings();
    void WriteSettings();

    // The show state to start with: the stored "OldMFState", read once per
    // process, unless it is absent (-1) or 6.
    static std::optional<int> ReadStartShowState(IProfile& profile);
    // Shows the frame in a stored show command (1 normal, 2 minimised, 3 maximised).
    void ShowWithCommand(int nShowCmd);

    void SendRestorePlacement();
    // The placement record of the window now, and applying one.
    WindowPlacement GetWindowPlacement() const;
    void SetWindowPlacement(const WindowPlacement& wp);
    // The work area: the primary screen without panels.
    QRect WorkArea() const;

    void SetPaneText(int nIndicatorId, const QString& strText);
    QString PaneText(int nIndicatorId) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    QToolBar* MenuImageBar() const { return m_menuImageBar; }

    // The help file the Help command opens.
    void SetHelpFilePath(const QString& strPath) { m_strHelpFilePath = strPath; }

    // Commands of the frame.
    void OnAppExit();
    void OnHelpContents();
    void OnViewToolbar();
    void OnViewStatusBar();
    // Shows the icon legend, made on first use, or hides it again.
    void OnShowLegend();
    void OnUpdateShowLegend(CCmdUI& ui);
    CIconLegendDlg* Legend() const { return m_pLegend; }
    void OnUpdateIdleCommand(CCmdUI& ui);
    void OnUpdateExit(CCmdUI& ui);
    void OnUpdateViewToolbar(CCmdUI& ui);
    void OnUpdateViewStatusBar(CCmdUI& ui);
    void OnUpdateThreadsPane();
    void OnUpdateScanningPane();
    // The progress of a check: a bar while it runs, its counts after it.
    void OnUpdateProgressPane();
    // Open Favorites Folder, Open Browser Bookmarks, Open Web Page or File:
    // the list shows another source (MainFrameSources.cpp).
    void OnOpenFavorites();
    void OnOpenBookmarks();
    void OnOpenPage();
    // The title names what the list shows: "Favorites - Zorbel".
    void OnSourceChanged(const QString& strCaption);

protected:
    bool event(QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void OnRestorePlacement();
    void DestroyWindow();

    CCommandRouter& m_router;
    IProfile& m_profile;
    CZorbelView* m_pView = nullptr;
    CIconLegendDlg* m_pLegend = nullptr; // the legend window, a child of the frame; null until first shown
    QToolBar* m_toolBar = nullptr;
    QToolBar* m_menuImageBar = nullptr;
    QLabel* m_paneMessage = nullptr;
    QLabel* m_paneItems = nullptr;
    QLabel* m_paneThreads = nullptr;
    QLabel* m_paneScanning = nullptr;
    QLabel* m_paneProgress = nullptr;      // the counts of the last pass, once it has ended
    QProgressBar* m_progressBar = nullptr; // shown while a pass runs
    bool m_bPassShown = false;             // a pass has run since start
    bool m_bClosing = false;               // the close has begun: checks stop, then the window goes
    bool m_bDestroyed = false;
    QString m_strHelpFilePath;
    quint32 m_dwHelpCookie = 0; // the help engine's cookie of this window

    static bool s_bStateRead;
    static int s_nLastThreadsShown;
};
