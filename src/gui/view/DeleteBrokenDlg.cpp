#include "gui/view/DeleteBrokenDlg.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

#include "core/actions/DeleteBroken.h"
#include "core/model/LinkStatus.h"
#include "gui/common/DialogUnits.h"

namespace {

// Breaks a check box's text into lines that fit its width, as a multi-line
// check box does; the words stay as they are.
QString WrapCheckText(const QCheckBox* pBox, const QString& strText, int nWidth)
{
    const QStyle* pStyle = pBox->style();
    const int nAvailable = nWidth - pStyle->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, pBox) -
                           pStyle->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, pBox) - 2;
    const QFontMetrics fm(pBox->font());
    const auto shown = [](QString str) { return str.remove('&'); };
    QStringList lines;
    QString strLine;
    for (const QString& strWord : strText.split(' ')) {
        const QString strTry = strLine.isEmpty() ? strWord : strLine + ' ' + strWord;
        if (!strLine.isEmpty() && fm.horizontalAdvance(shown(strTry)) > nAvailable) {
            lines << strLine;
            strLine = strWord;
        } else {
            strLine = strTry;
        }
    }
    lines << strLine;
    return lines.join('\n');
}

} // namespace

CDeleteBrokenDlg::CDeleteBrokenDlg(QWidget* pParent, const CFavoriteList* pItems)
    : CBatchListDlg(pParent, pItems, "deleteBrokenDlg", "Delete All Broken Favorites")
{
    CreateControls();
    OnInitDialog();
}

void CDeleteBrokenDlg::CreateControls()
{
    const CDialogUnits du(font());
    const QString& strListLabel = s_strListLabel;
    const QString strCheck = "Include &Partially Valid favorites in the above list (this also refreshes the list)";

    // The label above the list and the check box below it each read as one
    // line: where the desktop's font is wider than the layout allows for,
    // the dialog and everything that spans it grow by the shortfall.
    const QFontMetrics fm(font());
    const auto shown = [](QString str) { return str.remove('&'); };
    QCheckBox probe;
    probe.setFont(font());
    const int nIndicator = probe.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &probe) +
                           probe.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &probe) + 2;
    const int nNeeded = std::max(fm.horizontalAdvance(shown(strListLabel)) + 2,
                                 fm.horizontalAdvance(shown(strCheck)) + nIndicator);
    const int nExtra = std::max(0, nNeeded - du.X(268));
    const auto wide = [nExtra](QRect rc) { return rc.adjusted(0, 0, nExtra, 0); };
    const auto right = [nExtra](QRect rc) { return rc.translated(nExtra, 0); };
    setFixedSize(du.X(276) + nExtra, du.Y(189));

    AddPicture(du, StatusBroken);

    QLabel* pIntro = CreateStatic(this, du, QRect(32, 4, 240, 24),
              "The following Favorites will be deleted from your Favorites List.\nNote: after you click [OK], the "
              "listed favorites WILL be deleted!  This is your last chance to cancel!");
    pIntro->setGeometry(wide(pIntro->geometry()));
    // Right above the list.
    QLabel* pListLabel = CreateStatic(this, du, QRect(4, 28, 268, 16), strListLabel);
    pListLabel->setGeometry(wide(pListLabel->geometry()));
    pListLabel->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    m_pList = new QListWidget(this);
    m_pList->setObjectName(QString::number(IDC_BROKENLIST));
    m_pList->setGeometry(wide(du.Rect(4, 44, 268, 104)));
    // List mode: small icons in columns that flow from top to bottom.
    m_pList->setViewMode(QListView::ListMode);
    m_pList->setFlow(QListView::TopToBottom);
    m_pList->setWrapping(true);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setIconSize(QSize(16, 16));
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pListLabel->setBuddy(m_pList);

    m_pIncludePartial = new QCheckBox(this);
    m_pIncludePartial->setObjectName(QString::number(IDC_INCLUDEPARTIAL));
    m_pIncludePartial->setAccessibleName(QString(strCheck).remove('&'));
    const QRect rcCheck = wide(du.Rect(4, 151, 268, 18));
    m_pIncludePartial->setText(WrapCheckText(m_pIncludePartial, strCheck, rcCheck.width()));
    m_pIncludePartial->setGeometry(rcCheck);
    connect(m_pIncludePartial, &QCheckBox::clicked, this, &CDeleteBrokenDlg::OnIncludePartial);

    AddButtons();
    m_pOk->setGeometry(right(du.Rect(166, 171, 50, 14)));
    m_pCancel->setGeometry(right(du.Rect(222, 171, 50, 14)));

    setTabOrder(m_pList, m_pIncludePartial);
    setTabOrder(m_pIncludePartial, m_pOk);
    setTabOrder(m_pOk, m_pCancel);

    WatchDeleteKey();
}

void CDeleteBrokenDlg::OnInitDialog()
{
    FillList();
    m_pList->setFocus();
}

void CDeleteBrokenDlg::FillList()
{
    m_pList->setUpdatesEnabled(false);
    FillRows();
    m_pList->setUpdatesEnabled(true);
    m_pList->viewport()->repaint();
}

bool CDeleteBrokenDlg::IsListed(const FavoriteItem& item) const
{
    return IsListedForDeletion(item.Status(), m_bIncludePartial);
}

void CDeleteBrokenDlg::ClearRows() { m_pList->clear(); }

void CDeleteBrokenDlg::AddRow(const FavoriteItem& item, std::size_t nRecord)
{
    auto* pRow = new QListWidgetItem(QString::fromUtf8(item.m_strName.data(), qsizetype(item.m_strName.size())));
    if (const QIcon icon = KindIcon(item.m_nKind); !icon.isNull())
        pRow->setIcon(icon);
    pRow->setData(kRecordIndexRole, qulonglong(nRecord));
    m_pList->addItem(pRow);
}

int CDeleteBrokenDlg::RowCount() const { return m_pList->count(); }

std::size_t CDeleteBrokenDlg::RecordOfRow(int nRow) const
{
    return std::size_t(m_pList->item(nRow)->data(kRecordIndexRole).toULongLong());
}

bool CDeleteBrokenDlg::TakeSelectedRows()
{
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    qDeleteAll(selected);
    return !selected.isEmpty();
}

void CDeleteBrokenDlg::OnIncludePartial()
{
    // The flag and the box start cleared and change together on every click.
    m_bIncludePartial = !m_bIncludePartial;
    FillList();
}
