#include "gui/view/LinkDetailsDlg.h"

#include <QComboBox>
#include <QDateTime>
#include <QLocale>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWhatsThis>

#include <iterator>

#include "core/model/IconRule.h"
#include "core/model/LinkStatus.h"
#include "core/platform/PathUtil.h"
#include "core/settings/Profile.h"
#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"
#include "gui/help/HtmlHelp.h"

namespace {

constexpr std::string_view kWidthEntry = "LastDetailsDlgWidth";
constexpr int kMaxStoredWidth = 1024;

// Control id and help context id of each field, ended by two zeros, as the
// help engine reads them.
const quint32 kHelpIds[] = {
    CLinkDetailsDlg::IDC_NAME,   132077, CLinkDetailsDlg::IDC_PATH,   132085,
    CLinkDetailsDlg::IDC_MEMO,   132081, CLinkDetailsDlg::IDC_URL,    132079,
    CLinkDetailsDlg::IDC_STATUS, 132083, CLinkDetailsDlg::IDC_MOVEDTO, 132087,
    CLinkDetailsDlg::IDC_LASTCHECKED, 132089,
    0,                           0,
};

// The controls that stretch with the dialog's width.
constexpr int kStretchingControls[] = {
    CLinkDetailsDlg::IDC_NAME, CLinkDetailsDlg::IDC_PATH,   CLinkDetailsDlg::IDC_MEMO,
    CLinkDetailsDlg::IDC_URL,  CLinkDetailsDlg::IDC_STATUS, CLinkDetailsDlg::IDC_MOVEDTO,
    CLinkDetailsDlg::IDC_LASTCHECKED,
};

// Right margin of the stretching fields, of the intro text, and half the
// gap between the two buttons, in pixels.
constexpr int kFieldRightMargin = 6;
constexpr int kIntroRightMargin = 39;
constexpr int kButtonHalfGap = 15;

// The fields with their labels, in the order of the Tab key; tops and
// heights in dialog units.
struct FieldRow {
    const char* m_pszLabel;
    int m_nId;
    int m_nTop;
    int m_nHeight;
};
constexpr FieldRow kFieldRows[] = {
    {"&Name:", CLinkDetailsDlg::IDC_NAME, 28, 12},
    {"File &Path:", CLinkDetailsDlg::IDC_PATH, 44, 12},
    {"&URL:", CLinkDetailsDlg::IDC_URL, 60, 12},
    {"Moved &To:", CLinkDetailsDlg::IDC_MOVEDTO, 76, 12},
    {"&Memo:", CLinkDetailsDlg::IDC_MEMO, 92, 28},
    {"Last Chec&ked:", CLinkDetailsDlg::IDC_LASTCHECKED, 124, 12},
    {"&Current Status:", CLinkDetailsDlg::IDC_STATUS, 140, 12},
};

// The row below the fields: the two buttons.
constexpr int kButtonTop = 160;
constexpr int kDialogHeight = 180;

} // namespace

CLinkDetailsDlg::CLinkDetailsDlg(QWidget* pParent, IProfile* pProfile)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      m_pProfile(pProfile)
{
    setObjectName(QString::number(IDD));
    setWindowTitle(tr("Favorites Link Details"));
    m_strHelpFilePath =
        QString::fromStdString(HelpFilePathFor(QCoreApplication::applicationFilePath().toStdString()));
    CreateControls();
}

CLinkDetailsDlg::~CLinkDetailsDlg()
{
    // Whichever way the dialog ended, its width is kept for the next time.
    if (m_bInitialised && m_pProfile)
        m_pProfile->WriteProfileInt(kSettingsSection, kWidthEntry, m_nWidth);
}

void CLinkDetailsDlg::CreateControls()
{
    const CDialogUnits du(font());
    resize(du.X(257), du.Y(kDialogHeight));

    auto* pIcon = new QLabel(this);
    const int nIconSize = qMin(du.X(20), du.Y(20));
    pIcon->setPixmap(Artwork::DetailsIcon().pixmap(QSize(nIconSize, nIconSize), devicePixelRatioF()));
    pIcon->setAlignment(Qt::AlignCenter);
    pIcon->setGeometry(QRect(du.X(4), du.Y(4), nIconSize, nIconSize));

    m_pIntro = new QLabel(tr("You can view the Details of the selected Link below."), this);
    m_pIntro->setObjectName(QString::number(IDC_INTRO));
    m_pIntro->setWordWrap(true);
    m_pIntro->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pIntro->setGeometry(du.Rect(28, 4, 224, 19));

    // The fields in the order of the Tab key, each with its label.
    QLabel* labels[std::size(kFieldRows)];
    QWidget* fields[std::size(kFieldRows)];
    for (std::size_t i = 0; i < std::size(kFieldRows); ++i) {
        const FieldRow& row = kFieldRows[i];
        switch (row.m_nId) {
        case IDC_MEMO:
            m_pMemo = new QPlainTextEdit(this);
            m_pMemo->setReadOnly(true);
            m_pMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m_pMemo->setTabChangesFocus(true);
            fields[i] = m_pMemo;
            break;
        case IDC_STATUS:
            m_pStatus = new QComboBox(this);
            m_pStatus->setIconSize(QSize(16, 16));
            m_pStatus->setMaxVisibleItems(9);
            fields[i] = m_pStatus;
            break;
        default: {
            auto* pEdit = new QLineEdit(this);
            pEdit->setReadOnly(true);
            switch (row.m_nId) {
            case IDC_NAME: m_pName = pEdit; break;
            case IDC_PATH: m_pPath = pEdit; break;
            case IDC_URL: m_pUrl = pEdit; break;
            case IDC_LASTCHECKED: m_pLastChecked = pEdit; break;
            default: m_pMovedTo = pEdit; break;
            }
            fields[i] = pEdit;
            break;
        }
        }
        fields[i]->setObjectName(QString::number(row.m_nId));
        QRect rcField = du.Rect(56, row.m_nTop, 196, row.m_nHeight);
        // A one-line field is never shorter than its style needs.
        if (fields[i] != m_pMemo)
            rcField.setHeight(qMax(rcField.height(), fields[i]->minimumSizeHint().height()));
        fields[i]->setGeometry(rcField);

        labels[i] = new QLabel(tr(row.m_pszLabel), this);
        labels[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labels[i]->setBuddy(fields[i]);
        labels[i]->setGeometry(du.X(4), rcField.y(), du.X(52), rcField.height());
    }
    labels[0]->setObjectName(QString::number(IDC_NAME_LABEL));
    // The memo's label lines up with its first line.
    QLabel* pMemoLabel = labels[0];
    for (std::size_t i = 0; i < std::size(kFieldRows); ++i)
        if (kFieldRows[i].m_nId == IDC_MEMO)
            pMemoLabel = labels[i];
    pMemoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pMemoLabel->setContentsMargins(0, m_pMemo->frameWidth() + int(m_pMemo->document()->documentMargin()), 0, 0);

    // A label that needs more room than its column pushes the fields right,
    // and the dialog widens with them, so that no label is clipped.
    int nWidestLabel = 0;
    for (QLabel* pLabel : labels)
        nWidestLabel = qMax(nWidestLabel, pLabel->sizeHint().width());
    if (const int nShift = du.X(4) + nWidestLabel + du.X(2) - du.X(56); nShift > 0) {
        resize(width() + nShift, height());
        for (std::size_t i = 0; i < std::size(kFieldRows); ++i) {
            fields[i]->move(fields[i]->x() + nShift, fields[i]->y());
            labels[i]->resize(qMax(labels[i]->width(), nWidestLabel), labels[i]->height());
        }
    }

    m_pOk = new QPushButton(tr("OK"), this);
    m_pOk->setObjectName(QStringLiteral("1"));
    m_pOk->setGeometry(du.Rect(66, kButtonTop, 50, 16));
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &CLinkDetailsDlg::OnOK);

    m_pClose = new QPushButton(tr("Close"), this);
    m_pClose->setObjectName(QStringLiteral("2"));
    m_pClose->setGeometry(du.Rect(138, kButtonTop, 50, 16));
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::reject);

    // Help on a field: F1 where the focus is, or the title bar's help button
    // (where the desktop has one) or Shift+F1 and then a click on the field.
    for (QWidget* pField : {static_cast<QWidget*>(m_pName), static_cast<QWidget*>(m_pPath),
                            static_cast<QWidget*>(m_pUrl), static_cast<QWidget*>(m_pMovedTo),
                            static_cast<QWidget*>(m_pMemo), static_cast<QWidget*>(m_pLastChecked),
                            static_cast<QWidget*>(m_pStatus)}) {
        SetHelpControlId(pField, pField->objectName().toInt());
        pField->installEventFilter(this);
    }
    auto* pF1 = new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(pF1, &QShortcut::activated, this, [this] { OnHelpInfo(focusWidget()); });
    auto* pWhatsThis = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this, nullptr, nullptr,
                                     Qt::WindowShortcut);
    connect(pWhatsThis, &QShortcut::activated, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

void CLinkDetailsDlg::setVisible(bool bVisible)
{
    if (bVisible && !m_bInitialised)
        OnInitDialog();
    QDialog::setVisible(bVisible);
}

void CLinkDetailsDlg::OnInitDialog()
{
    m_bInitialised = true;
    m_pName->setText(m_strName);
    m_pPath->setText(m_strPath);
    m_pUrl->setText(m_strUrl);
    m_pMovedTo->setText(m_strMovedTo);
    // Without a redirect there is nothing to read or copy there: the field
    // shows so, and Tab passes it by.
    m_pMovedTo->setEnabled(!m_strMovedTo.isEmpty());
    m_pMemo->setPlainText(m_strMemo);
    // The time of the outcome, in the user's time zone and way of writing
    // it; a favourite never checked has none, and Tab passes the field by.
    if (m_nCheckedAt > 0)
        m_pLastChecked->setText(QLocale().toString(QDateTime::fromSecsSinceEpoch(m_nCheckedAt), QLocale::ShortFormat));
    m_pLastChecked->setEnabled(m_nCheckedAt > 0);
    // Long texts show from their beginning.
    for (QLineEdit* pEdit : {m_pName, m_pPath, m_pUrl, m_pMovedTo, m_pLastChecked})
        pEdit->setCursorPosition(0);

    while (m_nKind > 3)
        m_nKind -= 4;
    if (m_nKind < 0)
        m_nKind = 0; // a record whose kind was never set shows the plain pictures

    setWindowIcon(Artwork::DetailsIcon());
    m_pOk->setEnabled(false);
    FillStatusCombo();
    // The longest status is shown whole: where the font needs it, the
    // dialog starts wider (the fields follow its right edge).
    if (const int nMissing = m_pStatus->sizeHint().width() - m_pStatus->width(); nMissing > 0)
        resize(width() + nMissing, height());
    RestoreWidth();
    m_pName->setFocus();
}

void CLinkDetailsDlg::FillStatusCombo()
{
    int nSelection = -1;
    for (const LinkStatusInfo& info : LinkStatusTable()) {
        if (info.m_nStatus == m_nStatus)
            nSelection = m_pStatus->count();
        m_pStatus->addItem(Artwork::StatusIcon(ImageFor(m_nKind, info.m_nStatus)),
                           QString::fromUtf8(info.m_strDetailsText.data(), qsizetype(info.m_strDetailsText.size())),
                           int(info.m_nStatus));
    }
    m_pStatus->setCurrentIndex(nSelection);
    connect(m_pStatus, &QComboBox::currentIndexChanged, this, &CLinkDetailsDlg::OnSelChangeStatus);
}

void CLinkDetailsDlg::RestoreWidth()
{
    m_nMinWidth = width();
    m_nHeight = height();
    m_nWidth = m_pProfile ? m_pProfile->GetProfileInt(kSettingsSection, kWidthEntry, m_nMinWidth) : m_nMinWidth;
    if (m_nWidth < m_nMinWidth || m_nWidth > kMaxStoredWidth)
        m_nWidth = m_nMinWidth;
    // Wider, never narrower than it opened; never taller or shorter.
    setMinimumSize(m_nMinWidth, m_nHeight);
    setMaximumHeight(m_nHeight);
    resize(m_nWidth, m_nHeight);
}

void CLinkDetailsDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    if (m_bInitialised)
        m_nWidth = width();
    LayOutControls(width());
}

void CLinkDetailsDlg::LayOutControls(int cx)
{
    for (int nId : kStretchingControls) {
        if (auto* pControl = findChild<QWidget*>(QString::number(nId), Qt::FindDirectChildrenOnly)) {
            QRect rc = pControl->geometry();
            rc.setRight(cx - kFieldRightMargin - 1);
            pControl->setGeometry(rc);
        }
    }
    QRect rcIntro = m_pIntro->geometry();
    rcIntro.setRight(cx - kIntroRightMargin - 1);
    m_pIntro->setGeometry(rcIntro);

    // The buttons stay centred, a fixed gap apart.
    const int nButtonWidth = m_pOk->width();
    m_pOk->move(cx / 2 - nButtonWidth - kButtonHalfGap, m_pOk->y());
    m_pClose->setGeometry(cx / 2 + kButtonHalfGap, m_pClose->y(), nButtonWidth, m_pClose->height());
    update();
}

void CLinkDetailsDlg::OnSelChangeStatus()
{
    m_pOk->setEnabled(true);
    m_pClose->setText(tr("Cancel"));
}

void CLinkDetailsDlg::OnOK()
{
    const QVariant chosen = m_pStatus->currentData();
    if (!chosen.isValid() || chosen.toInt() == m_nStatus) {
        reject(); // the same status again changes nothing
        return;
    }
    m_nStatus = chosen.toInt();
    accept();
}

bool CLinkDetailsDlg::OnHelpInfo(QWidget* pControl)
{
    // A field's inner parts (the memo's page) ask for the field's help.
    while (pControl && pControl != this && HelpControlId(pControl) == 0)
        pControl = pControl->parentWidget();
    if (!pControl || pControl == this)
        return false;
    return CallHtmlHelp(pControl, m_strHelpFilePath, HH_TP_HELP_WM_HELP, reinterpret_cast<quintptr>(kHelpIds)) != 0;
}

bool CLinkDetailsDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::QueryWhatsThis:
        // The help pointer over every field: each has its text.
        pEvent->accept();
        return true;
    case QEvent::WhatsThis:
        OnHelpInfo(qobject_cast<QWidget*>(pWatched));
        pEvent->accept();
        return true;
    default:
        return QDialog::eventFilter(pWatched, pEvent);
    }
}
