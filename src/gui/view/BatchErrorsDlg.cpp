#include "gui/view/BatchErrorsDlg.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include "gui/common/DialogUnits.h"

CBatchErrorsDlg::CBatchErrorsDlg(QWidget* pParent, const QString& strObjectName, const BatchTexts& texts)
    : QDialog(pParent)
{
    setObjectName(strObjectName);
    setWindowTitle(QString::fromUtf8(texts.m_strErrorsCaption.data(), qsizetype(texts.m_strErrorsCaption.size())));
    CreateControls();
}

void CBatchErrorsDlg::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.X(320), du.Y(129));

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QString::number(IDC_ICON));
    m_pIcon->setGeometry(du.Rect(7, 7, 20, 20));
    m_pIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName(QString::number(IDC_SUMMARY));
    m_pSummary->setTextFormat(Qt::PlainText);
    m_pSummary->setWordWrap(true);
    m_pSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pSummary->setGeometry(du.Rect(36, 7, 277, 24));

    auto* pLabel = new QLabel("&Errors:", this);
    pLabel->setGeometry(du.Rect(7, 34, 60, 9));

    m_pErrors = new QPlainTextEdit(this);
    m_pErrors->setObjectName(QString::number(IDC_ERRORS));
    m_pErrors->setReadOnly(true);
    m_pErrors->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_pErrors->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pErrors->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pErrors->setTabChangesFocus(true);
    m_pErrors->setGeometry(du.Rect(7, 44, 306, 58));
    pLabel->setBuddy(m_pErrors);

    auto* pOk = new QPushButton("OK", this);
    pOk->setObjectName("1");
    pOk->setGeometry(du.Rect(135, 108, 50, 14));
    pOk->setDefault(true);
    pOk->setAutoDefault(true);
    connect(pOk, &QPushButton::clicked, this, &CBatchErrorsDlg::accept);
    setTabOrder(m_pErrors, pOk);
}

int CBatchErrorsDlg::exec()
{
    OnInitDialog();
    return QDialog::exec();
}

void CBatchErrorsDlg::OnInitDialog()
{
    // The texts go into their controls, then the icon is set.
    m_pSummary->setText(m_strSummary);
    QString strErrors = m_strErrors;
    m_pErrors->setPlainText(strErrors.replace("\r\n", "\n"));
    const int nIcon = m_pIcon->width() < m_pIcon->height() ? m_pIcon->width() : m_pIcon->height();
    m_pIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(std::min(nIcon, 32)));
    m_pErrors->setFocus(); // the first control of the tab order
}
