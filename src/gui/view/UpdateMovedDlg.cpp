#include "gui/view/UpdateMovedDlg.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

#include "core/actions/UpdateMoved.h"
#include "core/model/LinkStatus.h"
#include "gui/common/DialogUnits.h"

namespace {

QString FromBytes(std::string_view str) { return QString::fromUtf8(str.data(), qsizetype(str.size())); }

QLabel* AddStatic(QWidget* pParent, const QRect& rc, const QString& strText)
{
    auto* pLabel = new QLabel(strText, pParent);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setWordWrap(true);
    pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pLabel->setGeometry(rc);
    return pLabel;
}

} // namespace

CUpdateMovedDlg::CUpdateMovedDlg(QWidget* pParent, const CFavoriteList* pItems)
    : CBatchListDlg(pParent, pItems, "updateMovedDlg", "Update Moved Favorites")
{
    CreateControls();
    FillList();
    m_pList->setFocus();
}

void CUpdateMovedDlg::CreateControls()
{
    const CDialogUnits du(font());
    const QString& strListLabel = s_strListLabel;

    AddPicture(du, StatusMoved);

    m_pIntro = AddStatic(this, du.Rect(32, 4, 384, 24),
                         "The following Favorites have moved permanently to a new address that works.\nAfter you "
                         "click [OK], each listed favorite will point to its new address.");
    m_pListLabel = AddStatic(this, du.Rect(4, 28, 412, 16), strListLabel);
    m_pListLabel->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(QString::number(IDC_MOVEDLIST));
    m_pList->setColumnCount(4);
    m_pList->setHeaderLabels({"Name", "Old Address", "New Address", "Note"});
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setIconSize(QSize(16, 16));
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Both ends of an address tell it apart: its site and its page.
    m_pList->setTextElideMode(Qt::ElideMiddle);
    m_pList->header()->setStretchLastSection(true);
    m_pList->header()->setSectionsMovable(false);
    m_pListLabel->setBuddy(m_pList);

    AddButtons();

    setTabOrder(m_pList, m_pOk);
    setTabOrder(m_pOk, m_pCancel);

    // Addresses are long: the dialog may be made larger, never smaller than
    // it opens. The label above the list reads as one line: where the
    // desktop's font is wider than the layout allows for, the dialog starts
    // wider by the shortfall.
    const QFontMetrics fm(font());
    const int nExtra = std::max(0, fm.horizontalAdvance(QString(strListLabel).remove('&')) + 2 - du.X(412));
    setMinimumSize(du.X(420) + nExtra, du.Y(196));
    resize(minimumSize());
    LayOutControls();

    WatchDeleteKey();
}

void CUpdateMovedDlg::LayOutControls()
{
    // Everything spans the width; the list takes the height; the buttons
    // keep to the lower right corner.
    const CDialogUnits du(font());
    const int cx = width();
    const int cy = height();
    m_pIntro->setGeometry(m_pIntro->x(), m_pIntro->y(), cx - m_pIntro->x() - du.X(4), m_pIntro->height());
    m_pListLabel->setGeometry(m_pListLabel->x(), m_pListLabel->y(), cx - 2 * du.X(4), m_pListLabel->height());
    m_pList->setGeometry(du.X(4), du.Y(44), cx - 2 * du.X(4), cy - du.Y(44) - du.Y(26));
    const QRect rcButton = du.Rect(0, 0, 50, 14);
    m_pCancel->setGeometry(cx - du.X(4) - rcButton.width(), cy - du.Y(20), rcButton.width(), rcButton.height());
    m_pOk->setGeometry(m_pCancel->x() - du.X(6) - rcButton.width(), m_pCancel->y(), rcButton.width(),
                       rcButton.height());
}

void CUpdateMovedDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    if (!m_pList)
        return;
    LayOutControls();
    SizeColumns();
}

void CUpdateMovedDlg::FillList()
{
    FillRows();
    SizeColumns();
}

bool CUpdateMovedDlg::IsListed(const FavoriteItem& item) const { return IsOfferedForUpdate(item); }

bool CUpdateMovedDlg::Acts(const FavoriteItem& item) const { return IsRewritable(item); }

void CUpdateMovedDlg::ClearRows() { m_pList->clear(); }

void CUpdateMovedDlg::AddRow(const FavoriteItem& item, std::size_t nRecord)
{
    const QString strName = FromBytes(item.m_strName);
    const QString strOld = FromBytes(item.m_strUrl);
    const QString strNew = FromBytes(item.Redirect().m_strFinalUrl);
    const QString strNote = FromBytes(UpdateMovedNote(item));
    auto* pRow = new QTreeWidgetItem(QStringList{strName, strOld, strNew, strNote});
    if (const QIcon icon = KindIcon(item.m_nKind); !icon.isNull())
        pRow->setIcon(ColumnName, icon);
    const QBrush noteText = palette().brush(QPalette::Disabled, QPalette::Text);
    for (int nColumn = ColumnName; nColumn <= ColumnNote; ++nColumn) {
        pRow->setToolTip(nColumn, pRow->text(nColumn));
        // A row that stays as it is reads as such.
        if (!strNote.isEmpty())
            pRow->setForeground(nColumn, noteText);
    }
    pRow->setData(ColumnName, kRecordIndexRole, qulonglong(nRecord));
    m_pList->addTopLevelItem(pRow);
}

int CUpdateMovedDlg::RowCount() const { return m_pList->topLevelItemCount(); }

std::size_t CUpdateMovedDlg::RecordOfRow(int nRow) const
{
    return std::size_t(m_pList->topLevelItem(nRow)->data(ColumnName, kRecordIndexRole).toULongLong());
}

bool CUpdateMovedDlg::TakeSelectedRows()
{
    const QList<QTreeWidgetItem*> selected = m_pList->selectedItems();
    qDeleteAll(selected);
    return !selected.isEmpty();
}

void CUpdateMovedDlg::SizeColumns()
{
    // The note is shown only when a row has one, as wide as it needs up to
    // a quarter; names take what they need up to a quarter of what is left;
    // the two addresses share the rest.
    bool bNotes = false;
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i)
        bNotes = bNotes || !m_pList->topLevelItem(i)->text(ColumnNote).isEmpty();
    m_pList->setColumnHidden(ColumnNote, !bNotes);
    const int nWidth = m_pList->viewport()->width();
    const int nPadding = fontMetrics().averageCharWidth() * 2;
    int nNote = 0;
    if (bNotes) {
        m_pList->resizeColumnToContents(ColumnNote);
        nNote = std::min(m_pList->columnWidth(ColumnNote) + nPadding, nWidth / 4);
        m_pList->setColumnWidth(ColumnNote, nNote);
    }
    const int nRest = nWidth - nNote;
    m_pList->resizeColumnToContents(ColumnName);
    const int nName = std::clamp(m_pList->columnWidth(ColumnName) + nPadding, nRest / 8, nRest / 4);
    m_pList->setColumnWidth(ColumnName, nName);
    m_pList->setColumnWidth(ColumnOldUrl, (nRest - nName) / 2);
    m_pList->setColumnWidth(ColumnNewUrl, nRest - nName - (nRest - nName) / 2);
}
