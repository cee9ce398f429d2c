#include "gui/view/IconLegendDlg.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>

#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"

namespace {

// The pictures the tree shows in practice, by their place in the status
// image strip (status offset + kind), and what each says.
struct LegendRow {
    int m_nImage;
    const char* m_pszText;
};

constexpr LegendRow kLegendRows[] = {
    {0, "Internet Favorite"},
    {1, "Folder"},
    {2, "Channel Link"},
    {3, "Shortcut"},
    {4, "Broken Internet Favorite"},
    {6, "Broken Channel Link"},
    {7, "Broken Shortcut"},
    {8, "Validated Internet Favorite"},
    {10, "Validated Channel Link"},
    {11, "Validated Shortcut"},
    {12, "Indeterminate Internet Favorite"},
    {14, "Indeterminate Channel Link"},
    {15, "Indeterminate Shortcut"},
    {16, "Checking This Internet Favorite"},
    {18, "Checking This Channel"},
    {19, "Checking This Shortcut"},
    {20, "Authentication Required for this Internet Favorite"},
    {22, "Authentication Required for this Channel"},
    {25, "Skipped Folder"},
    {27, "Skipped Shortcut"},
    {28, "Moved/Redirected Internet Favorite"},
    {30, "Moved/Redirected Channel"},
    {32, "Partially Valid Internet Favorite"},
    {34, "Partially Valid Channel"},
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
        pRow->setIcon(0, Artwork::StatusIcon(row.m_nImage));
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
