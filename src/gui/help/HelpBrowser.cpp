#include "gui/help/HelpBrowser.h"

#include "gui/help/ChmFile.h"

#include <QDesktopServices>
#include <QImage>
#include <QTextDocument>

namespace {

constexpr auto kScheme = "chm";

// Pages are written as UTF-8 (the project's pages say so); a page that
// declares another character set is decoded by the document itself.
QString PageText(const QByteArray& data)
{
    return QString::fromUtf8(data);
}

QString NotFoundPage(const QString& strTopic)
{
    return QStringLiteral("<html><body><h2>Page not found</h2><p>The help file holds no page \"%1\".</p></body></html>")
        .arg(strTopic.toHtmlEscaped());
}

} // namespace

CHelpBrowser::CHelpBrowser(std::shared_ptr<const CChmFile> pFile, QWidget* pParent)
    : QTextBrowser(pParent), m_pFile(std::move(pFile))
{
    // We follow links ourselves: a relative link in a page of a custom
    // scheme would otherwise be handed to the desktop.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &CHelpBrowser::OnAnchorClicked);
}

QUrl CHelpBrowser::TopicUrl(const QString& strTopic)
{
    QString strPath = strTopic;
    QString strFragment;
    if (const qsizetype nHash = strPath.indexOf(u'#'); nHash >= 0) {
        strFragment = strPath.mid(nHash + 1);
        strPath.truncate(nHash);
    }
    if (!strPath.startsWith(u'/'))
        strPath.prepend(u'/');
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(strPath);
    if (!strFragment.isEmpty())
        url.setFragment(strFragment);
    return url;
}

QString CHelpBrowser::TopicOf(const QUrl& url)
{
    QString strPath = url.path();
    if (!strPath.startsWith(u'/'))
        strPath.prepend(u'/');
    return strPath;
}

QVariant CHelpBrowser::loadResource(int nType, const QUrl& name)
{
    QUrl url = name;
    if (url.isRelative())
        url = source().resolved(url);
    if (url.scheme() != QLatin1String(kScheme) || !m_pFile)
        return {};

    const QString strTopic = TopicOf(url);
    const std::optional<QByteArray> data = m_pFile->Read(strTopic);
    switch (nType) {
    case QTextDocument::HtmlResource:
        return data ? PageText(*data) : NotFoundPage(strTopic);
    case QTextDocument::StyleSheetResource:
        return data ? PageText(*data) : QString();
    case QTextDocument::ImageResource: {
        if (!data)
            return {};
        QImage image;
        if (!image.loadFromData(*data))
            return {};
        return image;
    }
    default:
        return data ? QVariant(*data) : QVariant();
    }
}

void CHelpBrowser::OnAnchorClicked(const QUrl& link)
{
    QUrl url = link;
    if (url.isRelative())
        url = source().resolved(url);
    if (url.scheme() == QLatin1String(kScheme)) {
        setSource(url);
        return;
    }
    const QString strScheme = url.scheme().toLower();
    if (strScheme == u"http" || strScheme == u"https" || strScheme == u"mailto")
        QDesktopServices::openUrl(url);
}
