#include "gui/view/BatchListDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "core/model/FavoriteKind.h"
#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"
#include "gui/common/MessageHub.h"

const QString CBatchListDlg::s_strListLabel =
    "&Favorites:    (You can press <DELETE> to remove selected items from this list)";

CBatchListDlg::CBatchListDlg(QWidget* pParent, const CFavoriteList* pItems, const QString& strObjectName,
                             const QString& strTitle)
    : QDialog(pParent), m_pItems(pItems)
{
    setObjectName(strObjectName);
    setWindowTitle(strTitle);
    for (int i = 0; i < kStatusImageCount; ++i)
        m_imageList.append(Artwork::StatusIcon(i));
}

void CBatchListDlg::AddPicture(const CDialogUnits& du, std::int32_t nStatus)
{
    auto* pIcon = new QLabel(this);
    const int nIcon = std::min(du.X(20), du.Y(20));
    QPixmap icon = Artwork::StatusImage(ImageFor(KindInternetFavorite, nStatus), devicePixelRatioF() * nIcon / 16.0);
    icon.setDevicePixelRatio(devicePixelRatioF());
    pIcon->setPixmap(icon);
    pIcon->setGeometry(du.Rect(4, 4, 20, 20));
}

void CBatchListDlg::AddButtons()
{
    m_pOk = new QPushButton("OK", this);
    m_pOk->setObjectName("1");
    m_pOk->setDefault(true);
    m_pOk->setAutoDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &CBatchListDlg::accept);
    m_pCancel = new QPushButton("Cancel", this);
    m_pCancel->setObjectName("2");
    m_pCancel->setAutoDefault(true);
    connect(m_pCancel, &QPushButton::clicked, this, &CBatchListDlg::reject);
}

void CBatchListDlg::WatchDeleteKey()
{
    for (QWidget* pChild : findChildren<QWidget*>())
        pChild->installEventFilter(this);
    installEventFilter(this);
}

QIcon CBatchListDlg::KindIcon(int nKind) const
{
    return nKind >= 0 && nKind < m_imageList.size() ? m_imageList.at(nKind) : QIcon();
}

void CBatchListDlg::FillRows()
{
    ClearRows();
    m_listed = m_pItems ? m_pItems->Snapshot() : std::vector<std::shared_ptr<FavoriteItem>>();
    for (std::size_t i = 0; i < m_listed.size(); ++i)
        if (IsListed(*m_listed[i]))
            AddRow(*m_listed[i], i);
    EnableOk();
}

void CBatchListDlg::EnableOk()
{
    bool bActs = false;
    for (int i = 0; i < RowCount() && !bActs; ++i) {
        const std::size_t nRecord = RecordOfRow(i);
        bActs = nRecord < m_listed.size() && Acts(*m_listed[nRecord]);
    }
    m_pOk->setEnabled(bActs);
}

bool CBatchListDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Once per key press: where the focus is, not again on its way up to
    // the parents. The key goes on to the control as usual.
    if (pEvent->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Delete &&
        pWatched == QApplication::focusWidget())
        OnDeleteKey();
    return QDialog::eventFilter(pWatched, pEvent);
}

void CBatchListDlg::OnDeleteKey()
{
    if (!TakeSelectedRows()) {
        CMessageHub::Beep();
        return;
    }
    EnableOk();
}

void CBatchListDlg::accept()
{
    m_selected.clear();
    for (int i = 0; i < RowCount(); ++i) {
        const std::size_t nRecord = RecordOfRow(i);
        if (nRecord < m_listed.size())
            m_selected.push_back(m_listed[nRecord]);
    }
    QDialog::accept();
}
