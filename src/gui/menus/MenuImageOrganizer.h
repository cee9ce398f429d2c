#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <memory>
#include <vector>

class QWidget;
class CBitmapMenu;

// The organizer's own copy of the button images of one toolbar, in the
// order of its buttons.
struct MenuImageList {
    QString m_strKey; // "1" for the first toolbar visited, "2" for the next, ...
    QSize m_size;     // logical size of every image
    QList<QIcon> m_images;
};

// One image: the list that holds it and its index there. A null reference
// stands for a command without an image. The list lives as long as any
// reference to it.
struct MenuImageRef {
    std::shared_ptr<const MenuImageList> m_pImageList;
    int m_nImage = -1;

    bool IsNull() const { return !m_pImageList; }
    QSize Size() const { return m_pImageList ? m_pImageList->m_size : QSize(); }
    QIcon Icon() const { return m_pImageList ? m_pImageList->m_images.value(m_nImage) : QIcon(); }
};

// Gives the popups of a window the images of the window's toolbar buttons.
// Attached to the frame, it copies the images of every toolbar of the frame,
// keyed by command id, and turns each bitmap popup that holds a command with
// an image into a drawn one when it first opens. Popups find the organizer
// of their window through ForWidget.
class CMenuImageOrganizer : public QObject {
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

    // The image of a command; null when no toolbar has a button for it.
    MenuImageRef ImageOf(int nCommandId) const;
    // The copies of the toolbars' images, in the order they were collected.
    const std::vector<std::shared_ptr<const MenuImageList>>& ImageLists() const { return m_imageLists; }

    // Called when a popup opens: converts it unless it already is, or none of
    // its commands has an image (it then keeps the desktop's own look).
    // True when the popup is drawn by its items' layout afterwards.
    bool ConvertPopup(CBitmapMenu& menu);
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
