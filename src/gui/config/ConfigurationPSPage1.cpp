#include "gui/config/ConfigurationPSPage1.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>

#include "core/settings/CheckSettings.h"
#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"
#include "gui/common/MessageHub.h"
#include "gui/config/DigitEdit.h"
#include "gui/config/UpDownCtrl.h"

namespace {

constexpr int kThreadsChars = 2;
constexpr int kTimeoutChars = 3;
// The fields are read as the first 127 characters of their text.
constexpr int kReadChars = 127;

int ReadField(const CDigitEdit* pEdit)
{
    return CDigitEdit::LeadingNumber(pEdit->text().left(kReadChars));
}

} // namespace

CConfigurationPSPage1::CConfigurationPSPage1(CheckSettings& settings, QWidget* pParent)
    : QWidget(pParent), m_settings(settings)
{
    setWindowTitle(tr("Settings"));
    CreateControls();
}

void CConfigurationPSPage1::CreateControls()
{
    const CDialogUnits du(font());

    auto* pIcon = new QLabel(this);
    pIcon->setGeometry(du.Rect(4, 4, 20, 20));
    const int nSide = std::min(pIcon->width(), pIcon->height());
    pIcon->setPixmap(Artwork::SettingsPicture(nSide, qApp->devicePixelRatio()));
    pIcon->setAlignment(Qt::AlignCenter);

    const Qt::Alignment middle = Qt::AlignLeft | Qt::AlignVCenter;
    CreateStatic(this, du, {28, 4, 188, 20}, tr("You can adjust Zorbel' Settings below."), middle);

    QLabel* pThreadsLabel = CreateStatic(this, du, {8, 40, 164, 12}, tr("Number of &Threads to use when checking Links:"), middle);
    QLabel* pTimeoutLabel = CreateStatic(this, du, {8, 60, 164, 12}, tr("HTTP &Response Timeout value (in seconds):"), middle);
    // Each label keeps to one line. Where the desktop's font needs more room
    // than the design gives, the fields move right and the page grows by
    // that much rather than cutting or wrapping the text.
    int nExtra = 0;
    for (QLabel* pLabel : {pThreadsLabel, pTimeoutLabel}) {
        pLabel->setWordWrap(false);
        nExtra = std::max(nExtra, pLabel->sizeHint().width() - pLabel->width());
    }
    for (QLabel* pLabel : {pThreadsLabel, pTimeoutLabel})
        pLabel->resize(pLabel->width() + nExtra, pLabel->height());
    auto fieldRect = [&du, nExtra](int x, int y, int cx, int cy) { return du.Rect(x, y, cx, cy).translated(nExtra, 0); };

    m_editThreads = new CDigitEdit(this);
    m_editThreads->setObjectName(QString::number(IDC_EDIT_THREADS));
    m_editThreads->setGeometry(fieldRect(172, 40, 32, 12));
    m_spinThreads = new CUpDownCtrl(this);
    m_spinThreads->setObjectName(QString::number(IDC_SPIN_THREADS));
    m_spinThreads->setGeometry(fieldRect(196, 40, 12, 12));
    m_spinThreads->SetBuddy(m_editThreads);
    pThreadsLabel->setBuddy(m_editThreads);

    m_editTimeout = new CDigitEdit(this);
    m_editTimeout->setObjectName(QString::number(IDC_EDIT_TIMEOUT));
    m_editTimeout->setGeometry(fieldRect(172, 60, 32, 12));
    m_spinTimeout = new CUpDownCtrl(this);
    m_spinTimeout->setObjectName(QString::number(IDC_SPIN_TIMEOUT));
    m_spinTimeout->setGeometry(fieldRect(196, 60, 12, 12));
    m_spinTimeout->SetBuddy(m_editTimeout);
    pTimeoutLabel->setBuddy(m_editTimeout);

    // A check box at design row y, at least as large as its text needs.
    auto placeCheck = [&du](QCheckBox* pCheck, int y) {
        QRect rc = du.Rect(8, y, 196, 10);
        rc.setWidth(std::max(rc.width(), pCheck->sizeHint().width()));
        rc.setHeight(std::max(rc.height(), pCheck->sizeHint().height()));
        rc.moveTop(du.Y(y) + (du.Y(10) - rc.height()) / 2);
        pCheck->setGeometry(rc);
        return rc;
    };
    m_checkAutoCheck = new QCheckBox(tr("Automatically start &Checking when finished Scanning"), this);
    m_checkAutoCheck->setObjectName(QString::number(IDC_CHECK_AUTOCHECK));
    const QRect rcCheck = placeCheck(m_checkAutoCheck, 80);
    // Added below the original controls, which keep their places.
    m_checkContentChecks = new QCheckBox(tr("&Look into pages that answer (parked domains, missing pages)"), this);
    m_checkContentChecks->setObjectName(QString::number(IDC_CHECK_CONTENTCHECKS));
    const QRect rcContent = placeCheck(m_checkContentChecks, 94);

    const int nWidth = std::max({du.X(220) + nExtra, rcCheck.right() + 1 + du.X(4), rcContent.right() + 1 + du.X(4)});
    setMinimumSize(nWidth, du.Y(112));

    setTabOrder(m_editThreads, m_editTimeout);
    setTabOrder(m_editTimeout, m_checkAutoCheck);
    setTabOrder(m_checkAutoCheck, m_checkContentChecks);

    // What is typed stays as typed (45 is 45); it is brought into range when
    // the field is left or OK is pressed.
    connect(m_editThreads, &QLineEdit::editingFinished, this, &CConfigurationPSPage1::OnLeaveThreads);
    connect(m_editTimeout, &QLineEdit::editingFinished, this, &CConfigurationPSPage1::OnLeaveTimeout);
}

void CConfigurationPSPage1::OnInitDialog()
{
    int nSeconds = m_settings.m_nTimeoutMs / 1000;
    if (nSeconds < kMinTimeoutSeconds || nSeconds > kMaxTimeoutSeconds)
        nSeconds = kDefaultTimeoutSeconds;
    int nThreads = m_settings.m_nThreadCount;
    if (nThreads > kMaxThreads || nThreads < kMinThreads)
        nThreads = kMinThreads;

    m_spinThreads->SetRange(kMinThreads, kMaxThreads);
    m_spinTimeout->SetRange(kMinTimeoutSeconds, kMaxTimeoutSeconds);
    m_editThreads->setMaxLength(kThreadsChars);
    m_editTimeout->setMaxLength(kTimeoutChars);
    m_editTimeout->setText(QString::number(nSeconds));
    m_editThreads->setText(QString::number(nThreads));
    m_checkAutoCheck->setChecked(m_settings.m_bAutoCheck);
    m_checkContentChecks->setChecked(m_settings.m_bContentChecks);
}

// A number out of range gets the message and the nearest end of the range:
// 20 seconds becomes 30, 400 becomes 300, an empty thread field 1. False
// when the field had to be corrected.
bool CConfigurationPSPage1::CorrectTimeout()
{
    const int nSeconds = ReadField(m_editTimeout);
    if (nSeconds >= kMinTimeoutSeconds && nSeconds <= kMaxTimeoutSeconds)
        return true;
    m_bCorrecting = true;
    CMessageHub::Show(this, tr("The Timeout Value must be between 30 and 300 seconds."),
                      tr("Invalid Timeout Specified"), QMessageBox::Warning);
    m_spinTimeout->SetPos(nSeconds < kMinTimeoutSeconds ? kMinTimeoutSeconds : kMaxTimeoutSeconds);
    m_bCorrecting = false;
    return false;
}

bool CConfigurationPSPage1::CorrectThreads()
{
    const int nThreads = ReadField(m_editThreads);
    if (nThreads >= kMinThreads && nThreads <= kMaxThreads)
        return true;
    m_bCorrecting = true;
    CMessageHub::Show(this, tr("The number of Threads must be between 1 and %1.").arg(kMaxThreads),
                      tr("Invalid Thread Count Specified"), QMessageBox::Warning);
    m_spinThreads->SetPos(nThreads < kMinThreads ? kMinThreads : kMaxThreads);
    m_bCorrecting = false;
    return false;
}

void CConfigurationPSPage1::OnLeaveThreads()
{
    if (!m_bCorrecting)
        CorrectThreads();
}

void CConfigurationPSPage1::OnLeaveTimeout()
{
    if (!m_bCorrecting)
        CorrectTimeout();
}

bool CConfigurationPSPage1::OnOK()
{
    // The time-out first, one message per OK; the corrected field gets the
    // focus, and the field it leaves says nothing more until the next OK.
    const auto showCorrected = [this](CDigitEdit* pEdit) {
        m_bCorrecting = true;
        pEdit->setFocus();
        pEdit->selectAll();
        m_bCorrecting = false;
    };
    if (!CorrectTimeout()) {
        showCorrected(m_editTimeout);
        return false;
    }
    if (!CorrectThreads()) {
        showCorrected(m_editThreads);
        return false;
    }
    const int nSeconds = ReadField(m_editTimeout);
    const int nThreads = ReadField(m_editThreads);
    m_settings.m_nThreadCount = nThreads;
    m_settings.m_nTimeoutMs = nSeconds * 1000;
    m_settings.m_bAutoCheck = m_checkAutoCheck->isChecked();
    m_settings.m_bContentChecks = m_checkContentChecks->isChecked();
    return true;
}
