#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <memory>
#include <vector>

#include "gui/menus/MenuImages.h"

// Gives the popups of a window the images of the window's toolbar buttons.
// Attached to the frame, it copies the images of every toolbar of the frame,
// keyed by command id, and turns each bitmap popup that holds a command with
// an image into a drawn one when it first opens. Popups find the organizer
// of their window through ForWidget.
class CMenuImageOrganizer : public IMenuImages {
    Q_OBJECT
public:
    explicit CMenuImageOrganizer(QObject* pParent = nullptr);
    ~CMenuImageOrganizer() override;

    // Fails when this organizer is already attached, when no window is
    // given, or when the window already has an organizer.
    bool Attach(QWidget* pFrame);
    void Detach();

    // Copies the images of every toolbar of the frame, in the frame's order
    // of toolbars: each plain button's image under its command id. A later
    // toolbar wins for a command that an earlier one has too. Fails when not
    // attached.
    bool CollectToolbarImages();

    MenuImageRef ImageOf(int nCommandId) const override;
    // The copies of the toolbars' images, in the order they were collected.
    const std::vector<std::shared_ptr<const MenuImageList>>& ImageLists() const { return m_imageLists; }

    bool ConvertPopup(CBitmapMenu& menu) override;
    // The popups converted so far, in order.
    QList<CBitmapMenu*> ConvertedMenus() const;

    // The organizer of the window a widget lies in (its own or its nearest
    // parent's with one); null when there is none.
    static CMenuImageOrganizer* ForWidget(const QWidget* pWidget);

private:
    QPointer<QWidget> m_pFrame;
    QMetaObject::Connection m_frameGone;
    std::vector<std::shared_ptr<const MenuImageList>> m_imageLists;
    QHash<int, MenuImageRef> m_imagesByCommand;
    QList<QPointer<CBitmapMenu>> m_convertedMenus;
};
