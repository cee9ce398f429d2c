// The view's side of opening a source from the window and of the filter
// that shows the problems alone.
#include "gui/view/ZorbelView.h"

#include <QCoreApplication>

#include "core/sources/bookmarks/BrowserProfiles.h"
#include "core/sources/SourceLocation.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ProblemsFilter.h"
#include "gui/view/ViewMessage.h"
#include "gui/view/ViewTreeSink.h"

namespace {

QString FromBytes(const std::string& str) { return QString::fromUtf8(str.data(), qsizetype(str.size())); }

} // namespace

void CZorbelView::NoteCommandLineSource(const std::string& strDocumentPath, const std::string& strBrowser)
{
    m_bCommandLineSource = !strDocumentPath.empty() || !strBrowser.empty();
    const BrowserEnvironment env = CurrentBrowserEnvironment();
    if (!strBrowser.empty()) {
        const BrowserStoreLocation location = LocateBrowserStore(strBrowser, env);
        m_source = {SourceKind::Browser, location.m_strStore};
        SetCaption(FromBytes(location.m_strStore.empty() ? strBrowser
                                                         : BrowserStoreCaptionFor(location.m_strStore, env)));
        return;
    }
    m_source = strDocumentPath.empty() ? SourceChoice{} : SourceChoice{SourceKind::Page, strDocumentPath};
    SetCaption(FromBytes(::SourceCaption(m_source, env)));
}

void CZorbelView::SetCaption(const QString& strCaption)
{
    m_strCaption = strCaption;
    emit sourceChanged(m_strCaption);
}

void CZorbelView::OpenSource(const SourceChoice& source)
{
    m_bInitialUpdateDone = true;
    // What runs for the old list ends first: a check behind the wait box,
    // as Stop Checking ends it, a scan or download at its next step. What
    // either still had to say is not for the new list.
    m_bSwitchingSource = true;
    StopChecking();
    if (m_hStop)
        m_hStop->Set();
    JoinPopulateThread();
    m_bSwitchingSource = false;
    m_bCheckDonePending = false;
    for (const int nMessage : {UM_LISTREADY, UM_CHECKDONE, UM_SOURCEERROR})
        QCoreApplication::removePostedEvents(this, nMessage);

    m_source = source;
    m_bCommandLineSource = false;
    m_strSource.clear();
    m_strBrowser.clear();
    m_strBrowserStore.clear();
    switch (source.m_nKind) {
    case SourceKind::Page:
        m_strSource = source.m_strLocation;
        break;
    case SourceKind::Browser:
        m_strBrowserStore = source.m_strLocation;
        break;
    case SourceKind::Favorites:
        break;
    }
    // The mode and the counts of the new list; nothing was checked in it.
    m_pState->m_bDocumentMode = source.m_nKind != SourceKind::Favorites;
    m_pState->m_nBrokenCount = 0;
    m_pState->m_bChecked = false;
    SetCaption(FromBytes(::SourceCaption(source, CurrentBrowserEnvironment())));
    StartPopulation();
    m_router.UpdateAll();
}

void CZorbelView::OnViewProblemsOnly() { SetProblemsOnly(!ProblemsOnly()); }
void CZorbelView::OnUpdateViewProblemsOnly(CCmdUI& ui) { ui.SetCheck(ProblemsOnly()); }

void CZorbelView::SetProblemsOnly(bool bOn)
{
    if (bOn == m_pFilter->IsOn())
        return;
    // Rows still queued are judged with the others.
    m_pSink->Flush();
    m_pFilter->SetOn(bOn);
}

bool CZorbelView::ProblemsOnly() const { return m_pFilter->IsOn(); }

int CZorbelView::ShownNodeCount() const
{
    return m_pFilter->IsOn() ? m_pFilter->ShownCount() : int(m_pSink->NodeCount());
}
