#include "gui/view/ReportDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "gui/common/Artwork.h"
#include "gui/common/DialogUnits.h"

namespace {

constexpr int kColumnWidth = 300;

} // namespace

CReportDlg::CReportDlg(QWidget* pParent, const ReportCounts& counts)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_counts(counts)
{
    setObjectName(QString::number(IDD));
    setWindowTitle(tr("Zorbel Report"));
    CreateControls();
    OnInitDialog();
}

void CReportDlg::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.X(200), du.Y(157));

    auto* pIcon = new QLabel(this);
    const int nIconSize = qMin(du.X(20), du.Y(20));
    pIcon->setPixmap(Artwork::ReportIcon().pixmap(QSize(nIconSize, nIconSize), devicePixelRatioF()));
    pIcon->setAlignment(Qt::AlignCenter);
    pIcon->setGeometry(QRect(du.X(4), du.Y(4), nIconSize, nIconSize));

    auto* pIntro = new QLabel(tr("Below is a report of Zorbel' findings."), this);
    pIntro->setWordWrap(true);
    pIntro->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pIntro->setGeometry(du.Rect(28, 4, 168, 20));

    auto* pLabel = new QLabel(tr("&Findings:"), this);
    pLabel->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    pLabel->setGeometry(du.Rect(4, 28, 192, 10));

    m_pFindings = new QTreeWidget(this);
    m_pFindings->setObjectName(QString::number(IDC_FINDINGS));
    m_pFindings->setGeometry(du.Rect(4, 40, 192, 88));
    m_pFindings->setHeaderHidden(true);
    m_pFindings->setRootIsDecorated(false);
    m_pFindings->setItemsExpandable(false);
    m_pFindings->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pFindings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pFindings->setIconSize(QSize(16, 16));
    pLabel->setBuddy(m_pFindings);

    m_pClose = new QPushButton(tr("Close"), this);
    m_pClose->setObjectName(QStringLiteral("2"));
    m_pClose->setGeometry(du.Rect(75, 136, 50, 14));
    m_pClose->setDefault(true);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::reject);
    m_pClose->setFocus();
}

void CReportDlg::OnInitDialog()
{
    setWindowIcon(Artwork::ReportIcon());
    m_pFindings->setColumnCount(1);
    m_pFindings->header()->setStretchLastSection(false);
    m_pFindings->setColumnWidth(0, kColumnWidth);
    for (const ReportLine& line : ReportLines(m_counts)) {
        auto* pRow = new QTreeWidgetItem(m_pFindings);
        pRow->setText(0, QString::fromStdString(line.m_strText));
        pRow->setIcon(0, Artwork::StatusIcon(line.m_nImage));
    }
    FitSentences();
}

void CReportDlg::FitSentences()
{
    // Every sentence shows whole: where the font needs more than the
    // column's width, the column, the list and the dialog grow with it.
    m_pFindings->resizeColumnToContents(0);
    const int nNeeded = m_pFindings->columnWidth(0);
    if (nNeeded <= kColumnWidth) {
        m_pFindings->setColumnWidth(0, kColumnWidth);
        return;
    }
    const int nMissing = nNeeded + 2 * m_pFindings->frameWidth() - m_pFindings->width();
    if (nMissing <= 0)
        return;
    setFixedSize(width() + nMissing, height());
    m_pFindings->resize(m_pFindings->width() + nMissing, m_pFindings->height());
    m_pClose->move((width() - m_pClose->width()) / 2, m_pClose->y());
}
