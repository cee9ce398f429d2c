#include "gui/config/ConfigurationPS.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "gui/common/DialogUnits.h"
#include "gui/config/ConfigurationPSPage1.h"
#include "gui/config/ConfigurationPSPage3.h"
#include "gui/config/DigitEdit.h"

int CConfigurationPS::s_nLastActivePage = 0;

namespace {

constexpr const char* kTitleText = "Zorbel";

// Margins of the sheet, the gap above the button row and between the
// buttons, and the buttons' size, in dialog units.
constexpr int kMarginDlu = 7;
constexpr int kButtonGapDlu = 4;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;

// A sheet made without a parent belongs to the window the command came
// from.
QWidget* DefaultOwner()
{
    QWidget* pActive = QApplication::activeWindow();
    if (!pActive || pActive->windowType() == Qt::Popup || pActive->windowType() == Qt::ToolTip)
        return nullptr;
    return pActive;
}

// The title font: italic Arial (or the desktop's stand-in for it) whose
// cell, ascent plus descent, is the given number of pixels high.
QFont TitleFontForCell(int nCellHeight)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setItalic(true);
    font.setPixelSize(nCellHeight);
    const qreal dCell = QFontMetricsF(font).height();
    if (dCell > 0)
        font.setPixelSize(std::max(1, qRound(nCellHeight * nCellHeight / dCell)));
    return font;
}

bool IsHelpKey(const QEvent* pEvent)
{
    const auto* pKey = static_cast<const QKeyEvent*>(pEvent);
    return pKey->key() == Qt::Key_F1 && (pKey->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

CConfigurationPS::CConfigurationPS(CheckSettings& settings, QWidget* pParent)
    : QDialog(pParent ? pParent : DefaultOwner())
{
    setWindowTitle(tr("Zorbel Configuration"));
    CreateControls(settings);
    OnInitDialog();
}

CConfigurationPS::~CConfigurationPS() = default;

void CConfigurationPS::CreateControls(CheckSettings& settings)
{
    const CDialogUnits du(font());

    m_pTabs = new QTabWidget(this);
    m_pageSettings = new CConfigurationPSPage1(settings);
    m_pageContact = new CConfigurationPSPage3;
    m_pTabs->addTab(m_pageSettings, m_pageSettings->windowTitle());
    m_pTabs->addTab(m_pageContact, m_pageContact->windowTitle());
    m_pTabs->setCurrentIndex(0);

    m_pOk = new QPushButton(tr("OK"), this);
    m_pOk->setObjectName(QStringLiteral("1"));
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(tr("Cancel"), this);
    m_pCancel->setObjectName(QStringLiteral("2"));
    for (QPushButton* pButton : {m_pOk, m_pCancel})
        pButton->setFixedSize(du.X(kButtonWidthDlu), du.Y(kButtonHeightDlu));
    connect(m_pOk, &QPushButton::clicked, this, &CConfigurationPS::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CConfigurationPS::reject);

    // No Apply and no Help: OK and Cancel alone at the right end of the row.
    auto* pButtons = new QHBoxLayout;
    pButtons->setSpacing(du.X(kButtonGapDlu));
    pButtons->addStretch(1);
    pButtons->addWidget(m_pOk);
    pButtons->addWidget(m_pCancel);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(du.X(kMarginDlu), du.Y(kMarginDlu), du.X(kMarginDlu), du.Y(kMarginDlu));
    pLayout->setSpacing(du.Y(kMarginDlu));
    pLayout->addWidget(m_pTabs);
    pLayout->addLayout(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab goes through the page's controls, then OK, Cancel and the tabs.
    setTabOrder(m_pageContact->Button(CConfigurationPSPage3::IDC_ASK_SUPPORT), m_pOk);
    setTabOrder(m_pOk, m_pCancel);
    setTabOrder(m_pCancel, m_pTabs);

    WatchHelpRequests();
}

void CConfigurationPS::OnInitDialog()
{
    m_pageSettings->OnInitDialog();
    // The question-mark button of the title bar.
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    m_fontTitle = TitleFontForCell(kTitleCellHeight);
    if (s_nLastActivePage != -1 && s_nLastActivePage < m_pTabs->count())
        m_pTabs->setCurrentIndex(s_nLastActivePage);
}

void CConfigurationPS::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    if (m_bShownOnce)
        return;
    m_bShownOnce = true;
    // The page's first control takes the focus, an edit with its text
    // selected.
    QWidget* pFirst = m_pTabs->currentWidget() == m_pageSettings
                          ? static_cast<QWidget*>(m_pageSettings->ThreadsEdit())
                          : m_pageContact->Button(CConfigurationPSPage3::IDC_SEND_COMMENT);
    pFirst->setFocus(Qt::TabFocusReason);
}

void CConfigurationPS::accept()
{
    // The Settings page is made with the sheet, so its values are taken
    // whichever page is showing. A number out of range keeps the sheet
    // open on that page, with the number brought into range to confirm.
    if (!m_pageSettings->OnOK()) {
        m_pTabs->setCurrentWidget(m_pageSettings);
        return;
    }
    QDialog::accept();
}

void CConfigurationPS::done(int nResult)
{
    s_nLastActivePage = m_pTabs->currentIndex();
    QDialog::done(nResult);
}

QRect CConfigurationPS::TitleRect() const
{
    const QRect rcTabs = m_pTabs->geometry();
    const QRect rcOk = m_pOk->geometry();
    return QRect(QPoint(rcTabs.left(), rcOk.top()), rcOk.bottomRight());
}

void CConfigurationPS::paintEvent(QPaintEvent* pEvent)
{
    QDialog::paintEvent(pEvent);
    if (!m_pOk)
        return;
    // Light one pixel right and down, shadow over it: the name looks cut
    // into the sheet.
    QPainter p(this);
    p.setFont(m_fontTitle);
    const QRect rcText = TitleRect();
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    p.setPen(palette().color(QPalette::Light));
    p.drawText(rcText.translated(1, 1), kFlags, QLatin1String(kTitleText));
    p.setPen(palette().color(QPalette::Dark));
    p.drawText(rcText, kFlags, QLatin1String(kTitleText));
}

void CConfigurationPS::WatchHelpRequests()
{
    installEventFilter(this);
    for (QWidget* pChild : findChildren<QWidget*>())
        pChild->installEventFilter(this);
}

bool CConfigurationPS::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    auto* pWidget = qobject_cast<QWidget*>(pWatched);
    if (!pWidget)
        return QDialog::eventFilter(pWatched, pEvent);
    switch (pEvent->type()) {
    case QEvent::ShortcutOverride:
        // F1 stays with the sheet: no other window's help command takes it.
        if (IsHelpKey(pEvent)) {
            pEvent->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (IsHelpKey(pEvent)) {
            OnHelpInfo(pWidget);
            return true;
        }
        break;
    case QEvent::QueryWhatsThis:
        // Every control answers a help click, as on a sheet it would.
        pEvent->accept();
        return true;
    case QEvent::WhatsThis:
        // A click in the help mode asks about that control and ends the mode.
        OnHelpInfo(pWidget);
        QWhatsThis::leaveWhatsThisMode();
        pEvent->accept();
        return true;
    default:
        break;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

bool CConfigurationPS::OnHelpInfo(QWidget* /*pControl*/)
{
    // Help about a control would go to the program's context help with the
    // control's id as the topic; the program keeps no such help, so the
    // request ends here and nothing is shown.
    return false;
}
