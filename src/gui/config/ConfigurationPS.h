#pragma once

#include <QDialog>
#include <QFont>

class QPushButton;
class QTabWidget;
class CConfigurationPSPage1;
class CConfigurationPSPage3;
struct CheckSettings;

// The configuration sheet: a modal sheet with the Settings and Contact
// pages, OK and Cancel at the right end of its button row, a context-help
// button in its title bar and the product's name engraved in its button
// row. It opens on the page that was active when it last closed in this run.
// Made without a parent it is owned by the window that is active then, as a
// command's sheet is owned by the main window. Its Settings page shows and
// changes `settings`, which must outlive the sheet.
class CConfigurationPS : public QDialog {
    Q_OBJECT
public:
    enum { kTitleCellHeight = 22 }; // pixels, ascent plus descent of the engraved name

    explicit CConfigurationPS(CheckSettings& settings, QWidget* pParent = nullptr);
    ~CConfigurationPS() override;

    // OK: the pages store what they hold (the Settings page may refuse with
    // a message, storing nothing), then the sheet closes in every case.
    void accept() override;
    // Every way of closing: remembers the active page for the next opening.
    void done(int nResult) override;

    // Help asked about a control, from F1 or from the title bar's help
    // button. The sheet has no help of its own; always false (not handled).
    bool OnHelpInfo(QWidget* pControl);

    // The index of the page active when the sheet last closed, for the rest
    // of the run; 0 at start, -1 for no page.
    static int s_nLastActivePage;

    QTabWidget* TabControl() const { return m_pTabs; }
    CConfigurationPSPage1* SettingsPage() const { return m_pageSettings; }
    CConfigurationPSPage3* ContactPage() const { return m_pageContact; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    const QFont& TitleFont() const { return m_fontTitle; }
    // Where the engraved name is drawn: from the tab control's left edge to
    // OK's right edge, as high as OK.
    QRect TitleRect() const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls(CheckSettings& settings);
    void OnInitDialog();
    void WatchHelpRequests();

    CConfigurationPSPage1* m_pageSettings = nullptr;
    CConfigurationPSPage3* m_pageContact = nullptr;
    QFont m_fontTitle;
    QTabWidget* m_pTabs = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    bool m_bShownOnce = false;
};
