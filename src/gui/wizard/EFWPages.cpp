#include "gui/wizard/EFWPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextOption>

#include <algorithm>

#include "core/export/ExportFormat.h"
#include "gui/common/Artwork.h"
#include "gui/common/MessageHub.h"
#include "gui/wizard/ExportChoices.h"
#include "gui/wizard/FilterEdit.h"

namespace {

// Characters the file field refuses: those that Windows allows in no file
// name and that make a file awkward to pass around. The slash stays, since
// it separates the folders of a path here; backslash, colon and question
// mark stay too.
const QString kExcludedFileChars = QStringLiteral("*\"<>|");

// All files; the text in front of the pattern is what the dialog shows.
const QString kBrowseFilter = QStringLiteral("All Files (*.*) (*)");

// The longest confirmation text shown.
constexpr qsizetype kMaxConfirmLength = 10239;

QString FromView(std::string_view str) { return QString::fromUtf8(str.data(), qsizetype(str.size())); }

// The picture of the wizard in its sunken frame, drawn for the frame's size
// and the screen's density so that it is sharp at any scale.
class CWizardPicture : public QFrame {
public:
    explicit CWizardPicture(QWidget* pParent) : QFrame(pParent)
    {
        setObjectName("picture");
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    }

protected:
    void paintEvent(QPaintEvent* pEvent) override
    {
        QFrame::paintEvent(pEvent);
        const QRect rc = contentsRect();
        const qreal dDpr = devicePixelRatioF();
        if (m_picture.isNull() || m_sizeDrawn != rc.size() || m_dDprDrawn != dDpr) {
            m_picture = Artwork::ExportWizardPicture(rc.size(), dDpr);
            m_sizeDrawn = rc.size();
            m_dDprDrawn = dDpr;
        }
        QPainter p(this);
        p.drawPixmap(rc.topLeft(), m_picture);
    }

private:
    QPixmap m_picture;
    QSize m_sizeDrawn;
    qreal m_dDprDrawn = 0;
};

// A centred text that breaks between words and, where a word (a long path)
// is wider than the line, inside it, so that nothing is cut off at the side.
class CWrapAnywhereLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(foregroundRole()));
        QTextOption option(alignment());
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        p.drawText(QRectF(contentsRect()), text(), option);
    }
};

} // namespace

// ---------------------------------------------------------------------------

CEFWPage::CEFWPage(const QString& strTitle, int nHeightDlu, QWidget* pParent)
    : QWizardPage(pParent), m_strTitle(strTitle), m_du(font())
{
    setMinimumSize(m_du.X(276), m_du.Y(nHeightDlu));
    auto* pPicture = new CWizardPicture(this);
    pPicture->setGeometry(m_du.Rect(0, 4, 83, 142));
}

IExportChoices* CEFWPage::Choices() const { return dynamic_cast<IExportChoices*>(wizard()); }

QLabel* CEFWPage::AddStatic(int x, int y, int cx, int cy, const QString& strText, Qt::Alignment alignment)
{
    auto* pLabel = new QLabel(strText, this);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setAlignment(alignment);
    pLabel->setWordWrap(true);
    pLabel->setGeometry(m_du.Rect(x, y, cx, cy));
    return pLabel;
}

QLabel* CEFWPage::AddLabel(int x, int cx, const QString& strText, const QWidget* pBeside, QWidget* pBuddy)
{
    auto* pLabel = new QLabel(strText, this);
    pLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pLabel->setBuddy(pBuddy);
    // Level with the first line of the control beside it.
    const int nLine = std::max(m_du.Y(12), pLabel->sizeHint().height());
    const QRect rcBeside = pBeside->geometry();
    pLabel->setGeometry(m_du.X(x), rcBeside.y(), m_du.X(cx), std::min(rcBeside.height(), nLine));
    return pLabel;
}

QFont CEFWPage::HeadingFont() const
{
    QFont font = this->font();
    const int nAverage = QFontMetrics(font).averageCharWidth();
    if (nAverage > 0 && nAverage < 10)
        font.setStretch(qRound(100.0 * 10 / nAverage));
    font.setWeight(QFont::Bold);
    return font;
}

// ---------------------------------------------------------------------------

CEFWPage1::CEFWPage1(QWidget* pParent) : CEFWPage(tr("Export Favorites Wizard"), 153, pParent)
{
    m_pStaticHeading = AddStatic(92, 4, 184, 24, tr("Welcome to the Export Favorites Wizard!"));
    m_pStaticHeading->setObjectName(QString::number(IDC_EFW_WELCOME_HEADING));
    AddStatic(92, 48, 184, 32,
              tr("This Wizard allows you to export the loaded list of URLs (Favorites) in a variety of formats, "
                 "so that you may share your list of Favorites, or portions of it, with others."));
    AddStatic(92, 104, 184, 12, tr("Press the [Next] button below to get started!"));

    m_fontHeading = HeadingFont();
    m_pStaticHeading->setFont(m_fontHeading);
}

// ---------------------------------------------------------------------------

CEFWPage2::CEFWPage2(QWidget* pParent) : CEFWPage(tr("Export Format "), 153, pParent)
{
    AddStatic(92, 4, 184, 28,
              tr("Please select the format that you would like the URLs to be exported to.  The \"Details\" area "
                 "below will explain the selected format in detail."));

    m_pComboFormat = new QComboBox(this);
    m_pComboFormat->setObjectName(QString::number(IDC_EFW_FORMAT_COMBO));
    m_pComboFormat->setGeometry(Du().X(124), Du().Y(40), Du().X(152),
                                std::max(Du().Y(12), m_pComboFormat->sizeHint().height()));
    AddLabel(92, 32, tr("&Format:"), m_pComboFormat, m_pComboFormat);

    m_pStaticDetails = AddStatic(124, 60, 152, 76, tr("Static"), Qt::AlignLeft | Qt::AlignTop);
    m_pStaticDetails->setObjectName(QString::number(IDC_EFW_FORMAT_DETAILS));
    m_pStaticDetails->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pStaticDetails->setMargin(2);
    // The details show what the list has selected: their mnemonic goes to
    // the list, the one control that changes them.
    AddLabel(92, 32, tr("&Details:"), m_pStaticDetails, m_pComboFormat);

    m_pLeaveOutBroken = new QCheckBox(tr("&Leave out broken favourites"), this);
    m_pLeaveOutBroken->setObjectName(QStringLiteral("leaveOutBroken"));
    m_pLeaveOutBroken->setGeometry(Du().X(124), Du().Y(140), Du().X(152),
                                   std::max(Du().Y(12), m_pLeaveOutBroken->sizeHint().height()));
    m_pLeaveOutBroken->setVisible(false);

    // The lists of old are sorted, whatever the order of the table; the
    // bookmarks file for browsers follows them.
    int nSorted = 0;
    for (const ExportFormat& format : kExportFormats) {
        const QString strName = FromView(format.m_strName);
        if (format.m_nId > ExportHtmlFolders) {
            m_pComboFormat->addItem(strName, format.m_nId);
            continue;
        }
        int nAt = 0;
        while (nAt < nSorted
               && QString::compare(m_pComboFormat->itemText(nAt), strName, Qt::CaseInsensitive) <= 0)
            ++nAt;
        m_pComboFormat->insertItem(nAt, strName, format.m_nId);
        ++nSorted;
    }
    m_pComboFormat->setCurrentIndex(0);
    OnSelChangeFormat();
    connect(m_pComboFormat, &QComboBox::currentIndexChanged, this, &CEFWPage2::OnSelChangeFormat);
}

void CEFWPage2::OnSelChangeFormat()
{
    const int nIndex = m_pComboFormat->currentIndex();
    if (nIndex < 0)
        return;
    if (const ExportFormat* pFormat = FindExportFormat(m_pComboFormat->itemData(nIndex).toInt())) {
        m_pStaticDetails->setText(FromView(pFormat->m_strDescription));
        m_pLeaveOutBroken->setVisible(pFormat->m_nId == ExportBookmarks);
    }
}

void CEFWPage2::SelectFormat(const ExportFormat* pFormat)
{
    if (!pFormat)
        return;
    const int nIndex = m_pComboFormat->findData(pFormat->m_nId);
    if (nIndex >= 0)
        m_pComboFormat->setCurrentIndex(nIndex);
}

bool CEFWPage2::validatePage()
{
    const int nIndex = m_pComboFormat->currentIndex();
    const ExportFormat* pFormat = nIndex >= 0 ? FindExportFormat(m_pComboFormat->itemData(nIndex).toInt()) : nullptr;
    if (!pFormat) {
        m_pComboFormat->setFocus();
        CMessageHub::Beep();
        return false;
    }
    Choices()->SetFormat(pFormat);
    Choices()->SetLeaveOutBroken(pFormat->m_nId == ExportBookmarks && m_pLeaveOutBroken->isChecked());
    return true;
}

// ---------------------------------------------------------------------------

CEFWPage3::SaveFileChooser CEFWPage3::s_saveFileChooser;

CEFWPage3::CEFWPage3(QWidget* pParent) : CEFWPage(tr("Target File"), 153, pParent)
{
    AddStatic(92, 4, 184, 32,
              tr("Please select the file that you want the list of URLs to be exported to.  The extension that "
                 "you specify should match the format you selected previously."));

    m_pStaticFormat = AddStatic(124, 40, 151, 12, tr("Selected Format"), Qt::AlignLeft | Qt::AlignVCenter);
    m_pStaticFormat->setObjectName(QString::number(IDC_EFW_SELECTED_FORMAT));
    m_pStaticFormat->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pStaticFormat->setIndent(Du().X(2));
    m_pStaticFormat->setWordWrap(false);

    m_pEditFile = new CFilterEdit(this);
    m_pEditFile->setObjectName(QString::number(IDC_EFW_FILE_EDIT));
    const int nEditHeight = std::max(Du().Y(12), m_pEditFile->sizeHint().height());
    m_pEditFile->setGeometry(Du().X(124), Du().Y(60), Du().X(129), nEditHeight);
    // The format field is as tall as the file field, so the two rows match.
    m_pStaticFormat->setGeometry(Du().X(124), Du().Y(40), Du().X(151), nEditHeight);

    AddLabel(92, 32, tr("&Format:"), m_pStaticFormat, m_pEditFile);
    AddLabel(92, 32, tr("&File:"), m_pEditFile, m_pEditFile);

    // Paths complete from the file system as they are typed.
    auto* pCompleter = new QCompleter(this);
    auto* pModel = new QFileSystemModel(pCompleter);
    pModel->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    pModel->setRootPath(QString());
    pCompleter->setModel(pModel);
    pCompleter->setCompletionMode(QCompleter::PopupCompletion);
    m_pEditFile->setCompleter(pCompleter);

    m_pEditFile->SetExcludedChars(kExcludedFileChars);
    m_pEditFile->setFocus();

    // The button shows the fourth image of the browse strip instead of its
    // text "&Browse". Its unseen mnemonic is left out: Alt+B is Back's.
    m_pButtonBrowse = new QPushButton(this);
    m_pButtonBrowse->setObjectName(QString::number(IDC_EFW_BROWSE));
    m_pButtonBrowse->setIcon(Artwork::BrowseIcon(3));
    m_pButtonBrowse->setIconSize(QSize(16, 16));
    m_pButtonBrowse->setToolTip(tr("Browse"));
    m_pButtonBrowse->setAccessibleName(tr("Browse"));
    m_pButtonBrowse->setAutoDefault(false);
    m_pButtonBrowse->setGeometry(Du().Rect(255, 56, 20, 20));
    connect(m_pButtonBrowse, &QPushButton::clicked, this, &CEFWPage3::OnBrowse);
}

void CEFWPage3::OnSetActive()
{
    if (const ExportFormat* pFormat = Choices() ? Choices()->Format() : nullptr)
        m_pStaticFormat->setText(FromView(pFormat->m_strName));
}

void CEFWPage3::SetSaveFileChooser(SaveFileChooser chooser) { s_saveFileChooser = std::move(chooser); }

QString CEFWPage3::DesktopSaveFileName(QWidget* pParent, const QString& strTitle, const QString& strFilter)
{
    // No question about an existing file here: Next asks it, once.
    return QFileDialog::getSaveFileName(pParent, strTitle, QString(), strFilter, nullptr,
                                        QFileDialog::DontConfirmOverwrite | QFileDialog::HideNameFilterDetails);
}

void CEFWPage3::OnBrowse()
{
    const QString strTitle = tr("Please specify the file to Export to");
    const QString strPath = s_saveFileChooser ? s_saveFileChooser(this, strTitle, kBrowseFilter)
                                              : DesktopSaveFileName(this, strTitle, kBrowseFilter);
    if (!strPath.isEmpty())
        m_pEditFile->setText(QDir::toNativeSeparators(strPath));
}

void CEFWPage3::SetFileText(const QString& strPath) { m_pEditFile->setText(strPath); }

QString CEFWPage3::ExpandHome(const QString& strTarget)
{
    if (strTarget == "~")
        return QDir::homePath();
    if (strTarget.startsWith("~/"))
        return QDir::homePath() + strTarget.mid(1);
    return strTarget;
}

bool CEFWPage3::validatePage()
{
    const QString strTarget = ExpandHome(m_pEditFile->text().trimmed());
    if (strTarget.isEmpty()) {
        CMessageHub::Show(this, tr("You must first specify a file to Export to."), tr("Export File Required"),
                          QMessageBox::Warning);
        m_pEditFile->setFocus();
        m_pEditFile->selectAll();
        return false;
    }
    const QFileInfo info(strTarget);
    if (info.exists() || info.isSymLink()) {
        const QMessageBox::StandardButton nAnswer = CMessageHub::Show(
            this, tr("The file you have specified already exists.  Are you sure you want to overwrite it?"),
            tr("Target File Exists"), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (nAnswer != QMessageBox::Yes)
            return false;
    }
    Choices()->SetTargetFile(strTarget);
    return true;
}

// ---------------------------------------------------------------------------

CEFWPage4::CEFWPage4(QWidget* pParent) : CEFWPage(tr("Completing The Wizard"), 154, pParent)
{
    m_pStaticHeading = AddStatic(92, 4, 184, 24, tr("You have successfully completed the Export Favorites Wizard!"));
    m_pStaticHeading->setObjectName(QString::number(IDC_EFW_COMPLETE_HEADING));
    AddStatic(92, 40, 184, 32,
              tr("This Wizard now has enough information to export the URLs.  Confirm your choices below, and "
                 "press [Finish] below to complete the Wizard."));

    m_pStaticConfirm = new CWrapAnywhereLabel(tr("Confirmation"), this);
    m_pStaticConfirm->setObjectName(QString::number(IDC_EFW_CONFIRM));
    m_pStaticConfirm->setTextFormat(Qt::PlainText);
    m_pStaticConfirm->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_pStaticConfirm->setGeometry(Du().Rect(92, 80, 184, 60));

    m_fontHeading = HeadingFont();
    m_pStaticHeading->setFont(m_fontHeading);
}

void CEFWPage4::OnSetActive()
{
    const IExportChoices* pWizard = Choices();
    if (!pWizard || !pWizard->Format())
        return;
    QString strConfirm = tr("Completing this Wizard will export your list of Favorites, in \"%1\" format, to the "
                            "file: \"%2\".")
                             .arg(FromView(pWizard->Format()->m_strName), pWizard->TargetFile());
    if (pWizard->LeaveOutBroken())
        strConfirm += tr("  Broken favourites are left out.");
    strConfirm.truncate(kMaxConfirmLength);
    m_pStaticConfirm->setText(strConfirm);
}
