#pragma once

#include <QHash>
#include <memory>
#include <QPointer>
#include <QRect>

#include "gui/menus/CommandMenu.h"
#include "gui/menus/MenuImages.h"

class QPainter;
class QStyle;

// One drawn item: the image of its command (null when it has none) and its
// full text, the label and, after a tab, the accelerator text.
struct MenuItemData {
    MenuImageRef m_image;
    QString m_strText;
};

// A popup of commands that shows, in front of each command, the image of
// the toolbar button with the same id, framed like a toolbar button: raised
// under the mouse, sunken when the command is checked. Labels and
// accelerator texts stand in columns of their own. When it first opens it
// asks the organizer of its window to convert it; without an organizer, or
// when none of its commands has an image, it keeps the desktop's own look.
// Everything is measured and drawn with the popup's own font and palette
// (the desktop's menu font and colours unless set otherwise).
//
// Any popup of commands becomes one by constructing a CBitmapMenu where a
// CCommandMenu was constructed; it takes the same arguments.
class CBitmapMenu : public CCommandMenu {
    Q_OBJECT
public:
    // Gaps of the layout, in logical pixels.
    static constexpr int kImageLeftGap = 2;   // item's left edge to the image
    static constexpr int kImageTextGap = 4;   // image column to the label
    static constexpr int kAcceleratorGap = 2; // label to the accelerator column, when there is one
    static constexpr int kRightMargin = 3;
    static constexpr int kTextExtraHeight = 4;  // item height over the text height
    static constexpr int kImageExtraHeight = 3; // item height over the framed image height

    // The rectangles of one item.
    struct ItemLayout {
        QRect m_rcImage;  // empty without an image
        QRect m_rcButton; // the image grown by 2 on every side
        QRect m_rcText;
        QRect m_rcAccelerator;
    };

    CBitmapMenu(const QString& strTitle, QWidget* pParent, bool bShowKeys = true);
    ~CBitmapMenu() override;

    // Takes over the drawing of the items, with the organizer's images.
    // Called by the organizer; a converted popup stays converted.
    void Convert(const IMenuImages& organizer);
    bool IsConverted() const { return m_bConverted; }

    // The extents of the popup, from its items as they were when it last
    // opened: height of "A", widest accelerator text, widest label.
    int TextHeight() const { return m_nTextHeight; }
    int AcceleratorWidth() const { return m_nAcceleratorWidth; }
    int LabelWidth() const { return m_nLabelWidth; }
    // The room beyond its measured width that every item gets on the screen:
    // that of the desktop's check mark, as desktops that let programs draw
    // menu items give it.
    int CheckMarkRoom() const { return m_nCheckMarkRoom; }
    // The data of an item; null for a separator or before conversion.
    const MenuItemData* ItemData(const QAction* pAction) const;

    // Draws one item into its rectangle, as the option describes its state.
    virtual void DrawItem(QPainter& p, const QStyleOptionMenuItem& option, const MenuItemData& item) const;
    // The size of one item by the layout.
    virtual QSize MeasureItem(const MenuItemData& item) const;

protected:
    virtual ItemLayout ComputeLayout(const QRect& rcItem, const MenuItemData& item) const;
    virtual void DrawBackground(QPainter& p, const QStyleOptionMenuItem& option) const;
    virtual void DrawButtonFrame(QPainter& p, const QStyleOptionMenuItem& option, const ItemLayout& layout) const;
    virtual void DrawImage(QPainter& p, const QStyleOptionMenuItem& option, const ItemLayout& layout,
                           const MenuItemData& item) const;
    virtual void DrawText(QPainter& p, const QStyleOptionMenuItem& option, const ItemLayout& layout,
                          const MenuItemData& item) const;

    void initStyleOption(QStyleOptionMenuItem* pOption, const QAction* pAction) const override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    friend class CBitmapMenuStyle;

    void OnAboutToShow();
    void CollectItems();
    void ComputeExtents();
    void FitWidthToItems();
    void RelayOut();
    QFont ItemFont(const QAction* pAction) const;
    // The width the style reports for an item: the layout's width and the
    // room of a check mark, less the column the menu itself adds for what it
    // takes as accelerator text.
    QSize StyleItemSize(const MenuItemData& item) const;

    QPointer<const IMenuImages> m_pOrganizer;
    QStyle* m_pStyle = nullptr;
    bool m_bConverted = false;
    QHash<QChar, int> m_mnemonics; // lower-case mnemonic to item position
    int m_nImageWidth = 0;
    int m_nTextHeight = 0;
    int m_nAcceleratorWidth = 0;
    int m_nLabelWidth = 0;
    int m_nCheckMarkRoom = 0;
    int m_nMenuKeyColumn = 0;
    QHash<const QAction*, MenuItemData> m_items;
};

// The context menu of a favourite, drawn as the menu bar's popups are,
// built from its table with the command states of this moment (the router's
// update pass runs first), its default item set; `pOwner` is the window
// that owns it.
std::unique_ptr<CBitmapMenu> CreateFavoriteContextMenu(CCommandRouter& router, QWidget* pOwner);
