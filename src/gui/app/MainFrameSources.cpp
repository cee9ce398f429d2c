// The commands of the frame that open another source: the Favorites folder,
// a browser's bookmarks, a web page or a file; and the title that names it.
#include "gui/app/MainFrame.h"

#include <QFile>

#include "core/sources/bookmarks/BrowserProfiles.h"
#include "core/sources/SourceChoice.h"
#include "gui/common/MessageHub.h"
#include "gui/sources/BrowserBookmarksDlg.h"
#include "gui/sources/OpenPageDlg.h"
#include "gui/view/ZorbelView.h"

void CMainFrame::OnSourceChanged(const QString& strCaption) { setWindowTitle(strCaption + " - Zorbel"); }

void CMainFrame::OnOpenFavorites() { m_pView->OpenSource({}); }

void CMainFrame::OnOpenBookmarks()
{
    std::vector<BrowserStoreInfo> stores = ListBrowserStores(CurrentBrowserEnvironment());
    if (stores.empty()) {
        CMessageHub::Show(this,
                          QString::fromStdString("No browser's bookmarks were found. Zorbel looks for the profiles of " +
                                                 KnownBrowserTitles() +
                                                 ", in the browser's own folder and in those of its Snap and "
                                                 "Flatpak packages."),
                          "Open Browser Bookmarks", QMessageBox::Information);
        return;
    }
    CBrowserBookmarksDlg dlg(this, std::move(stores));
    if (dlg.exec() != QDialog::Accepted || dlg.SelectedStore().empty())
        return;
    m_pView->OpenSource({SourceKind::Browser, dlg.SelectedStore()});
}

void CMainFrame::OnOpenPage()
{
    // The page open now is offered again, to be changed or read anew.
    const SourceChoice& current = m_pView->CurrentSource();
    const QString strNow = current.m_nKind == SourceKind::Page ? QFile::decodeName(current.m_strLocation.c_str())
                                                               : QString();
    COpenPageDlg dlg(this, strNow);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const std::string strLocation = dlg.Location();
    if (!strLocation.empty())
        m_pView->OpenSource({SourceKind::Page, strLocation});
}
