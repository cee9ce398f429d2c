#include "gui/menus/BitmapMenu.h"
#include "gui/menus/CommandRouter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <qdrawutil.h>

namespace {

QColor MenuColor(const QPalette& palette) { return palette.color(QPalette::Window); }

// The character after the first single ampersand ("&&" is a literal one).
QChar MnemonicOf(const QString& strText)
{
    for (qsizetype i = 0; i + 1 < strText.size(); ++i) {
        if (strText[i] != '&')
            continue;
        if (strText[i + 1] != '&')
            return strText[i + 1].toLower();
        ++i;
    }
    return {};
}

QString LabelOf(const QString& strText) { return strText.section('\t', 0, 0); }
QString AcceleratorOf(const QString& strText)
{
    const qsizetype nTab = strText.indexOf('\t');
    return nTab < 0 ? QString() : strText.mid(nTab + 1);
}

} // namespace

// The style of a converted popup: its items are measured and drawn by the
// popup's layout, its panel in the menu colour; everything else is the
// desktop style's. The popup hands each item's action to the style in the
// option's styleObject.
class CBitmapMenuStyle : public QProxyStyle {
public:
    explicit CBitmapMenuStyle(QStyle* pBase) : QProxyStyle(pBase) {}

    QSize sizeFromContents(ContentsType nType, const QStyleOption* pOption, const QSize& size,
                           const QWidget* pWidget) const override
    {
        if (nType == CT_MenuItem)
            if (const auto [pMenu, pItem] = ItemOf(pOption, pWidget); pItem)
                return pMenu->StyleItemSize(*pItem);
        return QProxyStyle::sizeFromContents(nType, pOption, size, pWidget);
    }

    void drawControl(ControlElement nElement, const QStyleOption* pOption, QPainter* p,
                     const QWidget* pWidget) const override
    {
        if (nElement == CE_MenuItem) {
            if (const auto [pMenu, pItem] = ItemOf(pOption, pWidget); pItem) {
                pMenu->DrawItem(*p, *qstyleoption_cast<const QStyleOptionMenuItem*>(pOption), *pItem);
                return;
            }
        } else if (nElement == CE_MenuEmptyArea) {
            p->fillRect(pOption->rect, MenuColor(pOption->palette));
            return;
        }
        QProxyStyle::drawControl(nElement, pOption, p, pWidget);
    }

    void drawPrimitive(PrimitiveElement nElement, const QStyleOption* pOption, QPainter* p,
                       const QWidget* pWidget) const override
    {
        if (nElement == PE_PanelMenu) {
            p->fillRect(pOption->rect, MenuColor(pOption->palette));
            return;
        }
        if (nElement == PE_FrameMenu && baseStyle()->pixelMetric(PM_MenuPanelWidth, pOption, pWidget) == 0) {
            // The desktop style draws no frame of its own around the items.
            p->save();
            p->setPen(pOption->palette.color(QPalette::Dark));
            p->setBrush(Qt::NoBrush);
            p->drawRect(pOption->rect.adjusted(0, 0, -1, -1));
            p->restore();
            return;
        }
        QProxyStyle::drawPrimitive(nElement, pOption, p, pWidget);
    }

    int pixelMetric(PixelMetric nMetric, const QStyleOption* pOption, const QWidget* pWidget) const override
    {
        const int nValue = QProxyStyle::pixelMetric(nMetric, pOption, pWidget);
        // A frame around the items, so that a selected item does not run
        // into the desktop behind the popup.
        return nMetric == PM_MenuPanelWidth ? qMax(nValue, 1) : nValue;
    }

    int styleHint(StyleHint nHint, const QStyleOption* pOption, const QWidget* pWidget,
                  QStyleHintReturn* pReturn) const override
    {
        // A disabled item under the mouse is highlighted too, with grey text.
        if (nHint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(nHint, pOption, pWidget, pReturn);
    }

private:
    static std::pair<const CBitmapMenu*, const MenuItemData*> ItemOf(const QStyleOption* pOption,
                                                                     const QWidget* pWidget)
    {
        const auto* pMenu = qobject_cast<const CBitmapMenu*>(pWidget);
        const auto* pAction = pOption ? qobject_cast<const QAction*>(pOption->styleObject) : nullptr;
        if (!pMenu || !pAction || !qstyleoption_cast<const QStyleOptionMenuItem*>(pOption))
            return {pMenu, nullptr};
        return {pMenu, pMenu->ItemData(pAction)};
    }
};

CBitmapMenu::CBitmapMenu(const QString& strTitle, QWidget* pParent, bool bShowKeys)
    : CCommandMenu(strTitle, pParent, bShowKeys)
{
    connect(this, &QMenu::aboutToShow, this, &CBitmapMenu::OnAboutToShow);
}

CBitmapMenu::~CBitmapMenu() = default;

void CBitmapMenu::OnAboutToShow()
{
    if (!m_bConverted) {
        IMenuImages* pOrganizer = IMenuImages::ForWidget(parentWidget());
        if (!pOrganizer || !pOrganizer->ConvertPopup(*this))
            return;
    }
    // The texts, states and fonts may have changed since the last time.
    CollectItems();
    ComputeExtents();
    FitWidthToItems();
}

void CBitmapMenu::Convert(const IMenuImages& organizer)
{
    if (m_bConverted)
        return;
    m_pOrganizer = &organizer;
    m_bConverted = true;
    CollectItems();
    ComputeExtents();
    // A fresh copy of the desktop style: a proxy owns its base.
    QStyle* pBase = QStyleFactory::create(QApplication::style()->name());
    m_pStyle = new CBitmapMenuStyle(pBase);
    m_pStyle->setParent(this); // goes with the popup
    setStyle(m_pStyle);
}

void CBitmapMenu::CollectItems()
{
    m_items.clear();
    m_mnemonics.clear();
    const QList<QAction*> actions = this->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const QAction* pAction = actions[i];
        if (pAction->isSeparator())
            continue;
        MenuItemData item;
        item.m_strText = pAction->menu() ? pAction->text() : FullText(pAction);
        if (m_pOrganizer)
            item.m_image = m_pOrganizer->ImageOf(pAction->data().toInt());
        // A later item with the same mnemonic takes it over.
        if (const QChar c = MnemonicOf(item.m_strText); !c.isNull())
            m_mnemonics.insert(c, int(i));
        m_items.insert(pAction, item);
    }
}

const MenuItemData* CBitmapMenu::ItemData(const QAction* pAction) const
{
    const auto it = m_items.constFind(pAction);
    return it == m_items.constEnd() ? nullptr : &it.value();
}

QFont CBitmapMenu::ItemFont(const QAction* pAction) const
{
    QFont itemFont = pAction->font().resolve(font());
    if (pAction == defaultAction())
        itemFont.setBold(true);
    return itemFont;
}

void CBitmapMenu::ComputeExtents()
{
    m_nImageWidth = m_nLabelWidth = m_nAcceleratorWidth = 0;
    const QFontMetrics fm = fontMetrics();
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        const MenuItemData& item = it.value();
        if (!item.m_image.IsNull())
            m_nImageWidth = qMax(m_nImageWidth, item.m_image.Size().width());
        // The default item is drawn in bold; its label is measured so.
        const QFontMetrics labelFm(ItemFont(it.key()), this);
        const int nLabel = labelFm.size(Qt::TextSingleLine | Qt::TextShowMnemonic, LabelOf(item.m_strText)).width();
        m_nLabelWidth = qMax(m_nLabelWidth, nLabel);
        const QString strAccelerator = AcceleratorOf(item.m_strText);
        if (!strAccelerator.isEmpty())
            m_nAcceleratorWidth = qMax(m_nAcceleratorWidth, fm.size(Qt::TextSingleLine, strAccelerator).width());
    }
    // "A" measured as one line: the height of a line of the font.
    m_nTextHeight = fm.height();
    // A desktop that lets programs draw menu items gives each item the room
    // of a check mark beyond what the item asks for; the accelerator column
    // shares it out between the labels and the right edge.
    m_nCheckMarkRoom = qMax(0, style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) - 1);
}

QSize CBitmapMenu::MeasureItem(const MenuItemData& item) const
{
    const int nWidth = m_nLabelWidth + m_nImageWidth + m_nAcceleratorWidth +
                       (m_nAcceleratorWidth != 0 ? kAcceleratorGap : 0) + kRightMargin + kImageTextGap +
                       kImageLeftGap;
    const int nImageHeight = item.m_image.IsNull() ? kImageExtraHeight
                                                   : item.m_image.Size().height() + 2 + kImageExtraHeight;
    return {nWidth, qMax(nImageHeight, m_nTextHeight + kTextExtraHeight)};
}

QSize CBitmapMenu::StyleItemSize(const MenuItemData& item) const
{
    const QSize size = MeasureItem(item);
    return {qMax(0, size.width() + m_nCheckMarkRoom - m_nMenuKeyColumn), size.height()};
}

void CBitmapMenu::RelayOut()
{
    // The menu lays its items out again after a style change.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(this, &styleChange);
}

void CBitmapMenu::FitWidthToItems()
{
    // The menu makes every item as wide as the widest and then adds a column
    // for the accelerator texts it finds in the actions' texts and shortcuts.
    // That column is already part of each item's width here, so measure what
    // the menu adds and report the items narrower by that much.
    const QAction* pFirst = nullptr;
    int nWidest = 0;
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        if (!it.key()->isVisible())
            continue;
        pFirst = pFirst ? pFirst : it.key();
        nWidest = qMax(nWidest, MeasureItem(it.value()).width() + m_nCheckMarkRoom);
    }
    if (!pFirst)
        return;
    m_nMenuKeyColumn = 0;
    RelayOut();
    m_nMenuKeyColumn = qMax(0, actionGeometry(const_cast<QAction*>(pFirst)).width() - nWidest);
    RelayOut();
}

void CBitmapMenu::initStyleOption(QStyleOptionMenuItem* pOption, const QAction* pAction) const
{
    CCommandMenu::initStyleOption(pOption, pAction);
    if (m_bConverted && pAction && m_items.contains(pAction)) {
        // The style finds the item by its action.
        pOption->styleObject = const_cast<QAction*>(pAction);
        pOption->font = ItemFont(pAction);
    }
}

CBitmapMenu::ItemLayout CBitmapMenu::ComputeLayout(const QRect& rcItem, const MenuItemData& item) const
{
    ItemLayout layout;
    const int nLeft = rcItem.x();
    const int nTop = rcItem.y();
    const int nRight = rcItem.x() + rcItem.width();
    const int nHeight = rcItem.height();
    if (!item.m_image.IsNull()) {
        const QSize image = item.m_image.Size();
        layout.m_rcImage = QRect(QPoint(nLeft + kImageLeftGap, nTop + (nHeight - image.height()) / 2), image);
        layout.m_rcButton = layout.m_rcImage.adjusted(-2, -2, 2, 2);
    }
    const int nInset = (nHeight - m_nTextHeight) / 2;
    const int nTextLeft = nLeft + m_nImageWidth + kImageTextGap + kImageLeftGap;
    const int nTextRight = nTextLeft + m_nLabelWidth;
    layout.m_rcText = QRect(nTextLeft, nTop + nInset, m_nLabelWidth, nHeight - 2 * nInset);
    // The accelerator column ends at the right margin, moved left by half
    // of the room between it and the labels.
    int nAccelRight = nRight - kRightMargin;
    int nAccelLeft = nAccelRight - m_nAcceleratorWidth;
    const int nShift = (nAccelLeft - nTextRight) / 2;
    nAccelLeft -= nShift;
    nAccelRight -= nShift;
    layout.m_rcAccelerator = QRect(nAccelLeft, layout.m_rcText.y(), nAccelRight - nAccelLeft, layout.m_rcText.height());
    return layout;
}

void CBitmapMenu::DrawItem(QPainter& p, const QStyleOptionMenuItem& option, const MenuItemData& item) const
{
    // The menu hands a disabled item the disabled colours; but it stands on
    // the menu colour or the highlight like any other, and only its text
    // and image are drawn disabled.
    QStyleOptionMenuItem itemOption = option;
    itemOption.palette.setCurrentColorGroup(option.state & QStyle::State_Active ? QPalette::Active
                                                                                : QPalette::Inactive);
    p.save();
    const ItemLayout layout = ComputeLayout(option.rect, item);
    DrawBackground(p, itemOption);
    DrawButtonFrame(p, itemOption, layout);
    DrawImage(p, itemOption, layout, item);
    DrawText(p, itemOption, layout, item);
    p.restore();
}

void CBitmapMenu::DrawBackground(QPainter& p, const QStyleOptionMenuItem& option) const
{
    const bool bSelected = option.state & QStyle::State_Selected;
    p.fillRect(option.rect, bSelected ? option.palette.color(QPalette::Highlight) : MenuColor(option.palette));
}

void CBitmapMenu::DrawButtonFrame(QPainter& p, const QStyleOptionMenuItem& option, const ItemLayout& layout) const
{
    if (layout.m_rcButton.isEmpty())
        return;
    const bool bSelected = option.state & QStyle::State_Selected;
    const bool bEnabled = option.state & QStyle::State_Enabled;
    const bool bChecked = option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked;
    // A checked item's button is pressed in and tinted with the highlight,
    // so that it reads as "on" at a glance, highlighted or not.
    const auto fillChecked = [&] {
        QColor tint = option.palette.color(QPalette::Highlight);
        tint.setAlpha(120);
        p.fillRect(layout.m_rcButton, tint);
    };
    if (bSelected) {
        // The button stands on the menu colour inside the highlight.
        p.fillRect(layout.m_rcButton, MenuColor(option.palette));
        if (bChecked)
            fillChecked();
        if (bEnabled || bChecked)
            qDrawShadePanel(&p, layout.m_rcButton, option.palette, bChecked, 1, nullptr);
    } else if (bChecked) {
        fillChecked();
        qDrawShadePanel(&p, layout.m_rcButton, option.palette, true, 1, nullptr);
    }
}

void CBitmapMenu::DrawImage(QPainter& p, const QStyleOptionMenuItem& option, const ItemLayout& layout,
                            const MenuItemData& item) const
{
    if (layout.m_rcImage.isEmpty())
        return;
    const bool bEnabled = option.state & QStyle::State_Enabled;
    // A disabled item's image in the desktop's disabled look.
    item.m_image.Icon().paint(&p, layout.m_rcImage, Qt::AlignCenter, bEnabled ? QIcon::Normal : QIcon::Disabled);
}

void CBitmapMenu::DrawText(QPainter& p, const QStyleOptionMenuItem& option, const ItemLayout& layout,
                           const MenuItemData& item) const
{
    const bool bSelected = option.state & QStyle::State_Selected;
    const bool bEnabled = option.state & QStyle::State_Enabled;
    const QColor textColor = !bEnabled  ? option.palette.color(QPalette::Disabled, QPalette::WindowText)
                             : bSelected ? option.palette.color(QPalette::HighlightedText)
                                         : option.palette.color(QPalette::WindowText);
    // Disabled text is embossed where it stands on the menu colour; on the
    // highlight it is plain grey.
    const bool bEmboss = !bEnabled && !bSelected;
    p.setFont(option.font);
    auto draw = [&](const QRect& rc, int nFlags, const QString& strText) {
        if (bEmboss) {
            p.setPen(option.palette.color(QPalette::Light));
            p.drawText(rc.translated(1, 1), nFlags, strText);
        }
        p.setPen(textColor);
        p.drawText(rc, nFlags, strText);
    };
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    draw(layout.m_rcText, kFlags | Qt::TextShowMnemonic, LabelOf(item.m_strText));
    const QString strAccelerator = AcceleratorOf(item.m_strText);
    if (!strAccelerator.isEmpty()) {
        // Right-aligned in the accelerator column, at its top.
        const int nWidth = QFontMetrics(option.font, p.device()).size(Qt::TextSingleLine, strAccelerator).width();
        const QRect& rc = layout.m_rcAccelerator;
        draw(QRect(rc.x() + rc.width() - nWidth, rc.y(), nWidth, rc.height()), kFlags, strAccelerator);
    }
}

void CBitmapMenu::keyPressEvent(QKeyEvent* pEvent)
{
    const Qt::KeyboardModifiers mods = pEvent->modifiers() & ~Qt::KeypadModifier;
    if (m_bConverted && (mods == Qt::NoModifier || mods == Qt::AltModifier || mods == Qt::ShiftModifier)) {
        QChar c = pEvent->text().size() == 1 ? pEvent->text()[0] : QChar();
        if (c.isNull() && pEvent->key() >= Qt::Key_Space && pEvent->key() <= Qt::Key_AsciiTilde)
            c = QChar(pEvent->key());
        const auto it = m_mnemonics.constFind(c.toLower());
        if (it != m_mnemonics.constEnd()) {
            // The item with that mnemonic runs, as if chosen and confirmed.
            QAction* pAction = actions().value(it.value());
            if (pAction && pAction->isVisible()) {
                setActiveAction(pAction);
                if (pAction->isEnabled() && activeAction() == pAction) {
                    QKeyEvent confirm(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                    CCommandMenu::keyPressEvent(&confirm);
                }
                pEvent->accept();
                return;
            }
        }
    }
    CCommandMenu::keyPressEvent(pEvent);
}

std::unique_ptr<CBitmapMenu> CreateFavoriteContextMenu(CCommandRouter& router, QWidget* pOwner)
{
    router.UpdateAll();
    auto pMenu = std::make_unique<CBitmapMenu>(QString(), pOwner, false);
    pMenu->setObjectName("favoriteContextMenu");
    pMenu->AddOwnItems(router, ContextMenuTable());
    pMenu->setDefaultAction(pMenu->ItemOf(kContextMenuDefaultId));
    return pMenu;
}
