#include "gui/wizard/ExportFavoritesWizard.h"

#include "gui/wizard/EFWPages.h"

CExportFavoritesWizard::CExportFavoritesWizard(QWidget* pOwner) : QWizard(pOwner)
{
    setObjectName("exportFavoritesWizard");
    // The classic look: the page alone above a rule and the row of Back,
    // Next or Finish, and Cancel; the page's title stands in the title bar.
    setWizardStyle(QWizard::ClassicStyle);
    setWindowTitle(tr("Wizard"));

    addPage(new CEFWPage1(this));
    addPage(new CEFWPage2(this));
    addPage(new CEFWPage3(this));
    addPage(new CEFWPage4(this));
    setStartId(0);

    connect(this, &QWizard::currentIdChanged, this, &CExportFavoritesWizard::OnCurrentIdChanged);
}

void CExportFavoritesWizard::Preset(const ExportFormat* pFormat, const QString& strTargetFile)
{
    for (int nId : pageIds()) {
        if (auto* pFormatPage = qobject_cast<CEFWPage2*>(page(nId)))
            pFormatPage->SelectFormat(pFormat);
        else if (auto* pFilePage = qobject_cast<CEFWPage3*>(page(nId)))
            pFilePage->SetFileText(strTargetFile);
    }
}

void CExportFavoritesWizard::OnCurrentIdChanged(int nId)
{
    auto* pPage = qobject_cast<CEFWPage*>(page(nId));
    if (!pPage)
        return;
    setWindowTitle(pPage->Title());
    pPage->OnSetActive();
}
