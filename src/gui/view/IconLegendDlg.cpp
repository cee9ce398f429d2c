#include "gui/view/IconLegendDlg.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>

#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"

namespace {

// The pictures the tree shows in practice, by the kind and status they
// stand for, and what each says.
struct LegendRow {
    int m_nKind;
    LinkStatus m_nStatus;
    const char* m_pszText;
};

constexpr LegendRow kLegendRows[] = {
    {KindInternetFavorite, StatusNotChecked, "Internet Favorite"},
    {KindFolder, StatusNotChecked, "Folder"},
    {KindChannelLink, StatusNotChecked, "Channel Link"},
    {KindShortcut, StatusNotChecked, "Shortcut"},
    {KindInternetFavorite, StatusBroken, "Broken Internet Favorite"},
    {KindChannelLink, StatusBroken, "Broken Channel Link"},
    {KindShortcut, StatusBroken, "Broken Shortcut"},
    {KindInternetFavorite, StatusValid, "Validated Internet Favorite"},
    {KindChannelLink, StatusValid, "Validated Channel Link"},
    {KindShortcut, StatusValid, "Validated Shortcut"},
    {KindInternetFavorite, StatusUnverified, "Indeterminate Internet Favorite"},
    {KindChannelLink, StatusUnverified, "Indeterminate Channel Link"},
    {KindShortcut, StatusUnverified, "Indeterminate Shortcut"},
    {KindInternetFavorite, StatusChecking, "Checking This Internet Favorite"},
    {KindChannelLink, StatusChecking, "Checking This Channel"},
    {KindShortcut, StatusChecking, "Checking This Shortcut"},
    {KindInternetFavorite, StatusAuthRequired, "Authentication Required for this Internet Favorite"},
    {KindChannelLink, StatusAuthRequired, "Authentication Required for this Channel"},
    {KindFolder, StatusSkipped, "Skipped Folder"},
    {KindShortcut, StatusSkipped, "Skipped Shortcut"},
    {KindInternetFavorite, StatusMoved, "Moved/Redirected Internet Favorite"},
    {KindChannelLink, StatusMoved, "Moved/Redirected Channel"},
    {KindInternetFavorite, StatusPartiallyValid, "Partially Valid Internet Favorite"},
    {KindChannelLink, StatusPartiallyValid, "Partially Valid Channel"},
};

constexpr int kColumnWidth = 250;

} // namespace

CIconLegendDlg::CIconLegendDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    setObjectName(QString::number(IDD));
    setWindowTitle(tr("Icon Legend"));
    setModal(false);
    CreateControls();
    OnInitDialog();
}

void CIconLegendDlg::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.X(187), du.Y(140));

    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(QString::number(IDC_LEGEND));
    m_pList->setGeometry(rect()); // the list is the whole window
    m_pList->setRootIsDecorated(false);
    m_pList->setItemsExpandable(false);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setIconSize(QSize(16, 16));
    // The legend only displays: no click, drag or key leaves a row selected.
    m_pList->setSelectionMode(QAbstractItemView::NoSelection);
}

void CIconLegendDlg::OnInitDialog()
{
    m_pList->setColumnCount(1);
    m_pList->setHeaderLabels({tr("Description")});
    m_pList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pList->header()->setStretchLastSection(false);
    m_pList->setColumnWidth(0, kColumnWidth);
    for (const LegendRow& row : kLegendRows) {
        auto* pRow = new QTreeWidgetItem(m_pList);
        pRow->setText(0, tr(row.m_pszText));
        pRow->setIcon(0, Artwork::StatusIcon(ImageFor(row.m_nKind, row.m_nStatus)));
    }
    FitDescriptions();
}

void CIconLegendDlg::FitDescriptions()
{
    // Every description shows whole: where the font needs more than the
    // column's width, the column and the window grow with it, leaving room
    // for the scroll bar the rows need.
    m_pList->resizeColumnToContents(0);
    const int nNeeded = m_pList->columnWidth(0);
    if (nNeeded <= kColumnWidth) {
        m_pList->setColumnWidth(0, kColumnWidth);
        return;
    }
    const int nScrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pList->verticalScrollBar());
    const int nMissing = nNeeded + nScrollBar + 2 * m_pList->frameWidth() - m_pList->width();
    if (nMissing <= 0)
        return;
    setFixedSize(width() + nMissing, height());
    m_pList->setGeometry(rect());
}
