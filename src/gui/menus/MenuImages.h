#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

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

// What a bitmap popup sees of the images of its window's toolbars: the
// image of a command, and the one who decides whether the popup is drawn
// with them. The menu image organizer is the one that answers; the popups
// know nothing more of it.
class IMenuImages : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The image of a command; null when no toolbar has a button for it.
    virtual MenuImageRef ImageOf(int nCommandId) const = 0;
    // Called when a popup opens: converts it unless it already is, or none
    // of its commands has an image (it then keeps the desktop's own look).
    // True when the popup is drawn by its items' layout afterwards.
    virtual bool ConvertPopup(CBitmapMenu& menu) = 0;

    // The images of the window a widget lies in (its own or its nearest
    // parent's with any); null when there are none.
    static IMenuImages* ForWidget(const QWidget* pWidget);
};
