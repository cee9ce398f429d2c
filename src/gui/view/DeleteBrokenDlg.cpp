#include "gui/view/DeleteBrokenDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "core/actions/DeleteBroken.h"
#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"
#include "gui/common/MessageHub.h"

namespace {

constexpr int kRecordIndexRole = Qt::UserRole;

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
    : QDialog(pParent), m_pItems(pItems)
{
    setObjectName("deleteBrokenDlg");
    setWindowTitle("Delete All Broken Favorites");
    for (int i = 0; i < kStatusImageCount; ++i)
        m_imageList.append(Artwork::StatusIcon(i));
    CreateControls();
    OnInitDialog();
}

void CDeleteBrokenDlg::CreateControls()
{
    const CDialogUnits du(font());
    const QString strListLabel = "&Favorites:    (You can press <DELETE> to remove selected items from this list)";
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

    auto* pIcon = new QLabel(this);
    const int nIcon = std::min(du.X(20), du.Y(20));
    // The broken favourite of the status images, drawn large.
    QPixmap icon = Artwork::StatusImage(ImageFor(KindInternetFavorite, StatusBroken), devicePixelRatioF() * nIcon / 16.0);
    icon.setDevicePixelRatio(devicePixelRatioF());
    pIcon->setPixmap(icon);
    pIcon->setGeometry(du.Rect(4, 4, 20, 20));

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

    m_pOk = new QPushButton("OK", this);
    m_pOk->setObjectName("1");
    m_pOk->setGeometry(right(du.Rect(166, 171, 50, 14)));
    m_pOk->setDefault(true);
    m_pOk->setAutoDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &CDeleteBrokenDlg::accept);
    auto* pCancel = new QPushButton("Cancel", this);
    pCancel->setObjectName("2");
    pCancel->setGeometry(right(du.Rect(222, 171, 50, 14)));
    pCancel->setAutoDefault(true);
    connect(pCancel, &QPushButton::clicked, this, &CDeleteBrokenDlg::reject);

    setTabOrder(m_pList, m_pIncludePartial);
    setTabOrder(m_pIncludePartial, m_pOk);
    setTabOrder(m_pOk, pCancel);

    // The Delete key is looked at whichever control has the focus.
    for (QWidget* pChild : findChildren<QWidget*>())
        pChild->installEventFilter(this);
    installEventFilter(this);
}

void CDeleteBrokenDlg::OnInitDialog()
{
    FillList();
    m_pList->setFocus();
}

void CDeleteBrokenDlg::FillList()
{
    m_pList->setUpdatesEnabled(false);
    m_pList->clear();
    m_listed = m_pItems ? m_pItems->Snapshot() : std::vector<std::shared_ptr<FavoriteItem>>();
    for (std::size_t i = 0; i < m_listed.size(); ++i) {
        const FavoriteItem& item = *m_listed[i];
        if (!IsListedForDeletion(item.Status(), m_bIncludePartial))
            continue;
        auto* pRow = new QListWidgetItem(QString::fromUtf8(item.m_strName.data(), qsizetype(item.m_strName.size())));
        if (item.m_nKind >= 0 && item.m_nKind < m_imageList.size())
            pRow->setIcon(m_imageList.at(item.m_nKind));
        pRow->setData(kRecordIndexRole, qulonglong(i));
        m_pList->addItem(pRow);
    }
    m_pList->setUpdatesEnabled(true);
    m_pList->viewport()->repaint();
    EnableOk();
}

void CDeleteBrokenDlg::EnableOk() { m_pOk->setEnabled(m_pList->count() > 0); }

void CDeleteBrokenDlg::OnIncludePartial()
{
    // The flag and the box start cleared and change together on every click.
    m_bIncludePartial = !m_bIncludePartial;
    FillList();
}

bool CDeleteBrokenDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Once per key press: where the focus is, not again on its way up to
    // the parents. The key goes on to the control as usual.
    if (pEvent->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Delete &&
        pWatched == QApplication::focusWidget())
        OnDeleteKey();
    return QDialog::eventFilter(pWatched, pEvent);
}

void CDeleteBrokenDlg::OnDeleteKey()
{
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    if (selected.isEmpty()) {
        CMessageHub::Beep();
        return;
    }
    qDeleteAll(selected);
    EnableOk();
}

void CDeleteBrokenDlg::accept()
{
    m_selected.clear();
    for (int i = 0; i < m_pList->count(); ++i) {
        const auto nIndex = m_pList->item(i)->data(kRecordIndexRole).toULongLong();
        if (nIndex < m_listed.size())
            m_selected.push_back(m_listed[nIndex]);
    }
    QDialog::accept();
}
