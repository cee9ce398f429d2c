#include "gui/menus/MenuImageOrganizer.h"

#include <QAction>
#include <QToolBar>
#include <QWidget>
#include <QWidgetAction>

#include "gui/menus/BitmapMenu.h"

namespace {

// Which organizer serves which window.
QHash<const QWidget*, CMenuImageOrganizer*>& Organizers()
{
    static QHash<const QWidget*, CMenuImageOrganizer*> s_organizers;
    return s_organizers;
}

// A button that shows only its image: no separator, no embedded widget and
// no drop-down menu.
bool IsPlainButton(const QAction* pAction)
{
    return !pAction->isSeparator() && !qobject_cast<const QWidgetAction*>(pAction) && !pAction->menu();
}

} // namespace

CMenuImageOrganizer::CMenuImageOrganizer(QObject* pParent) : IMenuImages(pParent) {}

CMenuImageOrganizer::~CMenuImageOrganizer() { Detach(); }

bool CMenuImageOrganizer::Attach(QWidget* pFrame)
{
    if (!pFrame || m_pFrame || Organizers().contains(pFrame))
        return false;
    m_pFrame = pFrame;
    Organizers().insert(pFrame, this);
    m_frameGone = connect(pFrame, &QObject::destroyed, this, [this, pFrame] {
        Organizers().remove(pFrame);
        m_pFrame = nullptr;
    });
    return true;
}

void CMenuImageOrganizer::Detach()
{
    disconnect(m_frameGone);
    if (m_pFrame)
        Organizers().remove(m_pFrame);
    m_pFrame = nullptr;
}

bool CMenuImageOrganizer::CollectToolbarImages()
{
    if (!m_pFrame)
        return false;
    // Children come in the order they were made, which is the order of the
    // frame's toolbars.
    const QList<QToolBar*> bars = m_pFrame->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    for (const QToolBar* pBar : bars) {
        auto pList = std::make_shared<MenuImageList>();
        pList->m_strKey = QString::number(int(m_imageLists.size()) + 1);
        pList->m_size = pBar->iconSize();
        QList<std::pair<int, int>> commands; // command id, image index
        for (QAction* pAction : pBar->actions()) {
            if (!IsPlainButton(pAction))
                continue;
            commands.append({pAction->data().toInt(), int(pList->m_images.size())});
            pList->m_images.append(pAction->icon());
        }
        m_imageLists.push_back(pList);
        for (const auto& [nId, nImage] : commands)
            m_imagesByCommand.insert(nId, MenuImageRef{pList, nImage});
    }
    return true;
}

MenuImageRef CMenuImageOrganizer::ImageOf(int nCommandId) const { return m_imagesByCommand.value(nCommandId); }

bool CMenuImageOrganizer::ConvertPopup(CBitmapMenu& menu)
{
    if (menu.IsConverted())
        return true;
    bool bAnyImage = false;
    for (const QAction* pAction : menu.actions())
        bAnyImage = bAnyImage || (!pAction->isSeparator() && m_imagesByCommand.contains(pAction->data().toInt()));
    if (!bAnyImage)
        return false;
    menu.Convert(*this);
    m_convertedMenus.append(&menu);
    return true;
}

QList<CBitmapMenu*> CMenuImageOrganizer::ConvertedMenus() const
{
    QList<CBitmapMenu*> menus;
    for (const QPointer<CBitmapMenu>& pMenu : m_convertedMenus)
        if (pMenu)
            menus.append(pMenu);
    return menus;
}

IMenuImages* IMenuImages::ForWidget(const QWidget* pWidget) { return CMenuImageOrganizer::ForWidget(pWidget); }

CMenuImageOrganizer* CMenuImageOrganizer::ForWidget(const QWidget* pWidget)
{
    for (; pWidget; pWidget = pWidget->parentWidget())
        if (CMenuImageOrganizer* pOrganizer = Organizers().value(pWidget))
            return pOrganizer;
    return nullptr;
}
