#include "gui/help/HelpContents.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

QString AttributeValue(const QString& strTag, const QString& strAttribute)
{
    // name="value", name='value' or name=value
    const QRegularExpression re(
        QStringLiteral(R"re(\b%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re").arg(strAttribute),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(strTag);
    if (!m.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i) {
        if (m.capturedStart(i) >= 0)
            return m.captured(i);
    }
    return {};
}

QString DecodeEntities(QString strText)
{
    strText.replace(u"&lt;"_s, u"<"_s);
    strText.replace(u"&gt;"_s, u">"_s);
    strText.replace(u"&quot;"_s, u"\""_s);
    strText.replace(u"&#39;"_s, u"'"_s);
    strText.replace(u"&amp;"_s, u"&"_s);
    return strText;
}

} // namespace

std::vector<HelpTopic> ParseHelpSitemap(const QByteArray& html)
{
    const QString strHtml = QString::fromUtf8(html);
    std::vector<HelpTopic> roots;
    // The chain of lists we are in: the innermost one receives new entries.
    std::vector<std::vector<HelpTopic>*> stack { &roots };
    // An <UL> opened right after an entry holds that entry's children.
    bool bHaveLast = false;

    const QRegularExpression reTag(QStringLiteral("<\\s*(/?)\\s*([a-zA-Z]+)([^>]*)>"));
    HelpTopic current;
    bool bInObject = false;
    // For every open <UL>: whether it opened a level of children.
    std::vector<bool> openLists;

    for (auto it = reTag.globalMatch(strHtml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool bClose = !m.captured(1).isEmpty();
        const QString strName = m.captured(2).toLower();
        const QString strAttrs = m.captured(3);

        if (strName == u"object") {
            if (!bClose) {
                bInObject = AttributeValue(strAttrs, QStringLiteral("type")).compare(u"text/sitemap"_s, Qt::CaseInsensitive) == 0;
                current = HelpTopic {};
            } else if (bInObject) {
                bInObject = false;
                if (current.m_strName.isEmpty() && current.m_strLocal.isEmpty())
                    continue;
                stack.back()->push_back(std::move(current));
                bHaveLast = true;
            }
        } else if (strName == u"param" && bInObject) {
            const QString strParam = AttributeValue(strAttrs, QStringLiteral("name"));
            const QString strValue = DecodeEntities(AttributeValue(strAttrs, QStringLiteral("value")));
            if (strParam.compare(u"Name"_s, Qt::CaseInsensitive) == 0 && current.m_strName.isEmpty())
                current.m_strName = strValue;
            else if (strParam.compare(u"Local"_s, Qt::CaseInsensitive) == 0 && current.m_strLocal.isEmpty())
                current.m_strLocal = strValue;
        } else if (strName == u"ul") {
            if (!bClose) {
                const bool bLevel = bHaveLast && !stack.back()->empty();
                if (bLevel)
                    stack.push_back(&stack.back()->back().m_children);
                openLists.push_back(bLevel);
                bHaveLast = false;
            } else {
                if (!openLists.empty()) {
                    if (openLists.back() && stack.size() > 1)
                        stack.pop_back();
                    openLists.pop_back();
                }
                bHaveLast = false;
            }
        }
    }
    return roots;
}
