#include "gui/wizard/ExportFavoritesWizard.h"

#include "gui/wizard/EFWPages.h"

CExportFavoritesWizard::CExportFavoritesWizard(QWidget* pOwner) : QWizard(pOwner)
{
    setObjectName("exportFavoritesWizard");
    // The classic look: the page alone above a rule and the row of Back,
    // Next or Finish, and Cancel; the page's title stands in the title bar.
    setWizardStyle(QWizard::ClassicStyle);
    setWindowTitle(tr("Wizard"));

    m_pPage1 = new CEFWPage1(this);
    m_pPage2 = new CEFWPage2(this);
    m_pPage3 = new CEFWPage3(this);
    m_pPage4 = new CEFWPage4(this);
    for (CEFWPage* pPage : {static_cast<CEFWPage*>(m_pPage1), static_cast<CEFWPage*>(m_pPage2),
                            static_cast<CEFWPage*>(m_pPage3), static_cast<CEFWPage*>(m_pPage4)})
        addPage(pPage);
    setStartId(0);

    connect(this, &QWizard::currentIdChanged, this, &CExportFavoritesWizard::OnCurrentIdChanged);
}

void CExportFavoritesWizard::OnCurrentIdChanged(int nId)
{
    auto* pPage = qobject_cast<CEFWPage*>(page(nId));
    if (!pPage)
        return;
    setWindowTitle(pPage->Title());
    pPage->OnSetActive();
}
