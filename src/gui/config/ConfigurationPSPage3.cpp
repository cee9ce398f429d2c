#include "gui/config/ConfigurationPSPage3.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "gui/common/Artwork.h"
#include "gui/common/DesktopLauncher.h"
#include "gui/common/DialogUnits.h"

namespace {

// One button of the page and the message it starts.
struct MailRequest {
    int m_nButtonId;
    const char* m_pszButton;
    QRect m_rcDlu;
    void (CConfigurationPSPage3::*m_pfnHandler)();
    const char* m_pszMailbox;
    const char* m_pszSubject;
    const char* m_pszBody;
};

const MailRequest kMailRequests[] = {
    {CConfigurationPSPage3::IDC_SEND_COMMENT, QT_TRANSLATE_NOOP("CConfigurationPSPage3", "Send a &Comment about Zorbel..."),
     {24, 36, 192, 16}, &CConfigurationPSPage3::OnSendComment, "comments@ornamy.example", "Zorbel Comment:",
     "[Enter your comment after this line (-)]"},
    {CConfigurationPSPage3::IDC_SEND_BUGREPORT, QT_TRANSLATE_NOOP("CConfigurationPSPage3", "Send a &Bug Report on Zorbel..."),
     {24, 56, 192, 16}, &CConfigurationPSPage3::OnSendBugReport, "bugs@ornamy.example", "Zorbel Bug Report:",
     "[Enter information for your bug report after this line (-)]"},
    {CConfigurationPSPage3::IDC_ASK_SUPPORT,
     QT_TRANSLATE_NOOP("CConfigurationPSPage3", "Ask a &Support question regarding Zorbel..."), {24, 76, 192, 16},
     &CConfigurationPSPage3::OnAskSupport, "support@ornamy.example", "Zorbel Question:",
     "[Enter your question after this line (-)]"},
};

const MailRequest* FindRequest(int nButtonId)
{
    for (const MailRequest& request : kMailRequests)
        if (request.m_nButtonId == nButtonId)
            return &request;
    return nullptr;
}

} // namespace

CConfigurationPSPage3::CConfigurationPSPage3(QWidget* pParent) : QWidget(pParent)
{
    setWindowTitle(tr("Contact"));
    const CDialogUnits du(font());
    setMinimumSize(du.X(220), du.Y(100));

    auto* pIcon = new QLabel(this);
    pIcon->setGeometry(du.Rect(4, 4, 20, 20));
    const int nSide = std::min(pIcon->width(), pIcon->height());
    pIcon->setPixmap(Artwork::ContactPicture(nSide, qApp->devicePixelRatio()));
    pIcon->setAlignment(Qt::AlignCenter);

    auto* pText = new QLabel(tr("You can use this interface to contact Ornamy Software regarding Comments, "
                                "Bug Reports, or Support questions."),
                             this);
    pText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    pText->setWordWrap(true);
    pText->setObjectName(QStringLiteral("text"));
    pText->setGeometry(du.Rect(28, 4, 188, 24));

    QWidget* pPrevious = nullptr;
    for (const MailRequest& request : kMailRequests) {
        auto* pButton = new QPushButton(tr(request.m_pszButton), this);
        pButton->setObjectName(QString::number(request.m_nButtonId));
        pButton->setGeometry(du.Rect(request.m_rcDlu));
        connect(pButton, &QPushButton::clicked, this, request.m_pfnHandler);
        if (pPrevious)
            setTabOrder(pPrevious, pButton);
        pPrevious = pButton;
    }
}

void CConfigurationPSPage3::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    // A sheet made wider by another page widens the text and the buttons
    // with it, so the page keeps its right margin.
    const CDialogUnits du(font());
    const int nExtra = std::max(0, width() - du.X(220));
    if (auto* pText = findChild<QLabel*>(QStringLiteral("text"), Qt::FindDirectChildrenOnly))
        pText->resize(du.X(188) + nExtra, pText->height());
    for (const MailRequest& request : kMailRequests)
        if (QPushButton* pButton = Button(request.m_nButtonId))
            pButton->resize(du.X(request.m_rcDlu.width()) + nExtra, pButton->height());
}

QPushButton* CConfigurationPSPage3::Button(int nButtonId) const
{
    return findChild<QPushButton*>(QString::number(nButtonId), Qt::FindDirectChildrenOnly);
}

QString CConfigurationPSPage3::MailtoText(int nButtonId)
{
    const MailRequest* pRequest = FindRequest(nButtonId);
    if (!pRequest)
        return {};
    return QStringLiteral("mailto:") + QLatin1String(pRequest->m_pszMailbox) + QStringLiteral("?subject=") +
           QLatin1String(pRequest->m_pszSubject) + QStringLiteral("&body=") + QLatin1String(pRequest->m_pszBody);
}

void CConfigurationPSPage3::OnSendComment() { SendMail(IDC_SEND_COMMENT); }
void CConfigurationPSPage3::OnSendBugReport() { SendMail(IDC_SEND_BUGREPORT); }
void CConfigurationPSPage3::OnAskSupport() { SendMail(IDC_ASK_SUPPORT); }

void CConfigurationPSPage3::SendMail(int nButtonId)
{
    // Without a mail program the user is told so, in the same box as a
    // link that does not open; the sheet stays as it is.
    CDesktopLauncher::Open(MailtoText(nButtonId), this, [this](const DesktopOpenResult& result) {
        if (!result.Succeeded())
            CDesktopLauncher::ShowFailure(this, result);
    });
}
