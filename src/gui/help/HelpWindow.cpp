#include "gui/help/HelpWindow.h"

#include "gui/help/ChmFile.h"
#include "gui/help/HelpBrowser.h"

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

namespace {

constexpr int kTopicRole = Qt::UserRole;

QString NormalTopic(const QString& strLocal)
{
    QString strTopic = strLocal;
    if (const qsizetype nHash = strTopic.indexOf(u'#'); nHash >= 0)
        strTopic.truncate(nHash);
    if (!strTopic.startsWith(u'/'))
        strTopic.prepend(u'/');
    return strTopic;
}

} // namespace

CHelpWindow::CHelpWindow(std::shared_ptr<const CChmFile> pFile, QWidget* pParent)
    : QMainWindow(pParent, Qt::Window), m_pFile(std::move(pFile))
{
    setWindowTitle(tr("Zorbel Help"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    CreateContentsPane();
    m_pBrowser = new CHelpBrowser(m_pFile, m_pSplitter);
    m_pSplitter->addWidget(m_pContents);
    m_pSplitter->addWidget(m_pBrowser);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setChildrenCollapsible(false);
    setCentralWidget(m_pSplitter);
    CreateActions();
    // Esc closes the help, as it closes a dialog.
    auto* pClose = new QAction(tr("Close"), this);
    pClose->setObjectName("closeHelp");
    pClose->setShortcut(QKeySequence(Qt::Key_Escape));
    pClose->setShortcutContext(Qt::WindowShortcut);
    connect(pClose, &QAction::triggered, this, &QWidget::close);
    addAction(pClose);

    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &CHelpWindow::OnSourceChanged);

    // The contents pane is as wide as its longest title, within reason.
    const QFontMetrics fm = m_pContents->fontMetrics();
    int nContentsWidth = fm.horizontalAdvance(QLatin1Char('x')) * 24;
    for (QTreeWidgetItemIterator it(m_pContents); *it; ++it) {
        int nDepth = 0;
        for (QTreeWidgetItem* pUp = (*it)->parent(); pUp; pUp = pUp->parent())
            ++nDepth;
        const int nWidth = fm.horizontalAdvance((*it)->text(0)) + (nDepth + 1) * m_pContents->indentation()
            + m_pContents->iconSize().width() + 4 * fm.averageCharWidth()
            + m_pContents->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * m_pContents->frameWidth();
        nContentsWidth = qMax(nContentsWidth, nWidth);
    }
    nContentsWidth = qMin(nContentsWidth, fm.horizontalAdvance(QLatin1Char('x')) * 48);
    const int nPageWidth = fontMetrics().horizontalAdvance(QLatin1Char('x')) * 80;
    resize(nContentsWidth + nPageWidth + m_pSplitter->handleWidth(), fontMetrics().height() * 38);
    m_pSplitter->setSizes({ nContentsWidth, nPageWidth });
}

CHelpWindow::~CHelpWindow() = default;

void CHelpWindow::CreateActions()
{
    QToolBar* pBar = addToolBar(tr("Navigation"));
    pBar->setMovable(false);
    pBar->setFloatable(false);
    pBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    pBar->setContextMenuPolicy(Qt::PreventContextMenu);

    m_pBackAction = pBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("&Back"));
    m_pBackAction->setShortcuts({ QKeySequence(QKeySequence::Back), QKeySequence(Qt::Key_Backspace) });
    m_pBackAction->setEnabled(false);
    connect(m_pBackAction, &QAction::triggered, m_pBrowser, &QTextBrowser::backward);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, m_pBackAction, &QAction::setEnabled);

    m_pForwardAction = pBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"));
    m_pForwardAction->setShortcut(QKeySequence(QKeySequence::Forward));
    m_pForwardAction->setEnabled(false);
    connect(m_pForwardAction, &QAction::triggered, m_pBrowser, &QTextBrowser::forward);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, m_pForwardAction, &QAction::setEnabled);
}

void CHelpWindow::CreateContentsPane()
{
    m_pContents = new QTreeWidget(m_pSplitter);
    m_pContents->setHeaderHidden(true);
    m_pContents->setColumnCount(1);
    m_pContents->setRootIsDecorated(true);
    m_pContents->setUniformRowHeights(true);
    m_pContents->header()->setStretchLastSection(true);
    if (m_pFile) {
        const QString strContents = m_pFile->ContentsFile();
        if (const auto data = strContents.isEmpty() ? std::nullopt : m_pFile->Read(strContents))
            FillContents(ParseHelpSitemap(*data), nullptr);
    }
    m_pContents->expandAll();
    connect(m_pContents, &QTreeWidget::itemActivated, this, &CHelpWindow::OnContentsItemActivated);
    connect(m_pContents, &QTreeWidget::itemClicked, this, &CHelpWindow::OnContentsItemActivated);
}

void CHelpWindow::FillContents(const std::vector<HelpTopic>& topics, QTreeWidgetItem* pParent)
{
    for (const HelpTopic& topic : topics) {
        auto* pItem = pParent ? new QTreeWidgetItem(pParent) : new QTreeWidgetItem(m_pContents);
        pItem->setText(0, topic.m_strName);
        pItem->setToolTip(0, topic.m_strName);
        if (!topic.m_strLocal.isEmpty())
            pItem->setData(0, kTopicRole, topic.m_strLocal);
        const bool bBook = !topic.m_children.empty();
        pItem->setIcon(0, style()->standardIcon(bBook ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
        FillContents(topic.m_children, pItem);
    }
}

void CHelpWindow::ShowTopic(const QString& strTopic)
{
    m_pBrowser->setSource(CHelpBrowser::TopicUrl(strTopic));
}

QString CHelpWindow::CurrentTopic() const
{
    return CHelpBrowser::TopicOf(m_pBrowser->source());
}

QString CHelpWindow::FilePath() const
{
    return m_pFile ? m_pFile->Path() : QString();
}

void CHelpWindow::OnContentsItemActivated(QTreeWidgetItem* pItem)
{
    if (!pItem)
        return;
    const QString strLocal = pItem->data(0, kTopicRole).toString();
    if (strLocal.isEmpty()) {
        pItem->setExpanded(!pItem->isExpanded());
        return;
    }
    if (NormalTopic(strLocal) != CurrentTopic() || strLocal.contains(u'#'))
        ShowTopic(strLocal);
}

void CHelpWindow::OnSourceChanged(const QUrl& url)
{
    // Keep the contents pane on the page shown, whichever way it was reached.
    // (source() still names the old page while this signal is delivered.)
    const QString strTopic = CHelpBrowser::TopicOf(url);
    for (QTreeWidgetItemIterator it(m_pContents); *it; ++it) {
        const QString strLocal = (*it)->data(0, kTopicRole).toString();
        if (!strLocal.isEmpty() && NormalTopic(strLocal).compare(strTopic, Qt::CaseInsensitive) == 0) {
            if (m_pContents->currentItem() != *it) {
                const QSignalBlocker blocker(m_pContents);
                m_pContents->setCurrentItem(*it);
            }
            return;
        }
    }
}
