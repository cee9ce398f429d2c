#include "gui/sources/BrowserBookmarksDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

#include "core/sources/bookmarks/BookmarkSource.h"
#include "gui/common/Artwork.h"
#include "gui/common/CommandIds.h"
#include "gui/common/DialogUnits.h"

namespace {

enum Column { kColumnBrowser, kColumnProfile, kColumnCount };

QString FromBytes(const std::string& str) { return QString::fromUtf8(str.data(), qsizetype(str.size())); }

} // namespace

CBrowserBookmarksDlg::CBrowserBookmarksDlg(QWidget* pParent, std::vector<BrowserStoreInfo> stores)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_stores(std::move(stores))
{
    setObjectName("browserBookmarksDlg");
    setWindowTitle("Open Browser Bookmarks");
    setWindowIcon(Artwork::CommandIcon(ID_FILE_OPENBOOKMARKS));
    CreateControls();
    FillList();
    StartCounting();
}

CBrowserBookmarksDlg::~CBrowserBookmarksDlg()
{
    m_bStop = true;
    if (m_counter.joinable())
        m_counter.join();
}

void CBrowserBookmarksDlg::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.X(272), du.Y(164));

    CreateStatic(this, du, QRect(7, 7, 258, 18),
                 "Choose the browser profile whose bookmarks Zorbel is to list and check. "
                 "They are only read; nothing in the browser is changed.");

    auto* pListLabel = new QLabel("&Bookmarks found:", this);
    pListLabel->setGeometry(du.Rect(7, 29, 258, 9));
    m_pList = new QTreeWidget(this);
    m_pList->setObjectName("stores");
    m_pList->setGeometry(du.Rect(7, 40, 258, 80));
    m_pList->setRootIsDecorated(false);
    m_pList->setItemsExpandable(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setHeaderLabels({"Browser", "Profile", "Bookmarks"});
    m_pList->header()->setStretchLastSection(false);
    m_pList->header()->setSectionsMovable(false);
    m_pList->setColumnWidth(kColumnBrowser, du.X(100));
    m_pList->setColumnWidth(kColumnProfile, du.X(100));
    m_pList->header()->setSectionResizeMode(kColumnCount, QHeaderView::Stretch);
    m_pList->headerItem()->setTextAlignment(kColumnCount, Qt::AlignRight | Qt::AlignVCenter);
    pListLabel->setBuddy(m_pList);

    auto* pStoreLabel = new QLabel("&Store:", this);
    pStoreLabel->setGeometry(du.Rect(7, 126, 30, 12));
    pStoreLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pStore = new QLineEdit(this);
    m_pStore->setObjectName("store");
    m_pStore->setReadOnly(true);
    m_pStore->setGeometry(du.Rect(38, 126, 227, 12));
    pStoreLabel->setBuddy(m_pStore);

    m_pOk = new QPushButton("OK", this);
    m_pOk->setObjectName("ok");
    m_pOk->setGeometry(du.Rect(161, 144, 50, 14));
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
    auto* pCancel = new QPushButton("Cancel", this);
    pCancel->setObjectName("cancel");
    pCancel->setGeometry(du.Rect(215, 144, 50, 14));
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_pList, m_pStore);
    setTabOrder(m_pStore, m_pOk);
    setTabOrder(m_pOk, pCancel);
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CBrowserBookmarksDlg::OnSelectionChanged);
    connect(m_pList, &QTreeWidget::itemActivated, this, [this] {
        if (!SelectedStore().empty())
            accept();
    });
    m_pList->setFocus();
}

void CBrowserBookmarksDlg::FillList()
{
    const QIcon icon = Artwork::CommandIcon(ID_FILE_OPENBOOKMARKS);
    for (const BrowserStoreInfo& store : m_stores) {
        auto* pRow = new QTreeWidgetItem(m_pList);
        QString strBrowser = FromBytes(store.m_strBrowserTitle);
        if (!store.m_strPlace.empty())
            strBrowser += " (" + FromBytes(store.m_strPlace) + ")";
        pRow->setText(kColumnBrowser, strBrowser);
        pRow->setIcon(kColumnBrowser, icon);
        pRow->setText(kColumnProfile, FromBytes(store.m_strProfile) + (store.m_bDefault ? "  (default)" : ""));
        pRow->setText(kColumnCount, "counting...");
        pRow->setTextAlignment(kColumnCount, Qt::AlignRight | Qt::AlignVCenter);
        pRow->setToolTip(kColumnBrowser, FromBytes(store.m_strStore));
    }
    if (!m_stores.empty()) {
        QTreeWidgetItem* pDefault = m_pList->topLevelItem(int(DefaultBrowserStore(m_stores)));
        m_pList->setCurrentItem(pDefault);
        m_pList->scrollToItem(pDefault);
    }
    OnSelectionChanged();
}

void CBrowserBookmarksDlg::StartCounting()
{
    std::vector<std::string> paths;
    for (const BrowserStoreInfo& store : m_stores)
        paths.push_back(store.m_strStore);
    m_counter = std::thread([this, paths = std::move(paths)] {
        for (std::size_t i = 0; i < paths.size() && !m_bStop; ++i) {
            const std::optional<std::size_t> nCount = CountBookmarks(paths[i], [this] { return m_bStop.load(); });
            if (m_bStop)
                return;
            // The row is filled in on the dialog's own thread; the dialog
            // waits for this thread before it goes, and what it has not yet
            // received then goes with it.
            QMetaObject::invokeMethod(
                this,
                [this, nRow = int(i), nCount] {
                    if (QTreeWidgetItem* pRow = m_pList->topLevelItem(nRow))
                        pRow->setText(kColumnCount, nCount ? QLocale().toString(qulonglong(*nCount)) : "cannot be read");
                },
                Qt::QueuedConnection);
        }
    });
}

void CBrowserBookmarksDlg::OnSelectionChanged()
{
    const std::string strStore = SelectedStore();
    m_pStore->setText(FromBytes(strStore));
    m_pStore->setCursorPosition(0);
    m_pOk->setEnabled(!strStore.empty());
}

std::string CBrowserBookmarksDlg::SelectedStore() const
{
    QTreeWidgetItem* pRow = m_pList->currentItem();
    if (!pRow || !pRow->isSelected())
        return {};
    const int nRow = m_pList->indexOfTopLevelItem(pRow);
    return nRow >= 0 && std::size_t(nRow) < m_stores.size() ? m_stores[std::size_t(nRow)].m_strStore : std::string();
}

QString CBrowserBookmarksDlg::CountText(int nRow) const
{
    const QTreeWidgetItem* pRow = m_pList->topLevelItem(nRow);
    return pRow ? pRow->text(kColumnCount) : QString();
}
