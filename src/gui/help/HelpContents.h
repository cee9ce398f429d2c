#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// One entry of a help contents file (.hhc) or index (.hhk): its title, the
// page it opens (may be empty for a heading) and the entries below it.
struct HelpTopic {
    QString m_strName;
    QString m_strLocal;
    std::vector<HelpTopic> m_children;
};

// Reads the sitemap HTML of a contents or index file: every
// <OBJECT type="text/sitemap"> with its "Name" and "Local" parameters,
// nested as the <UL> lists nest them. Unknown markup is skipped.
std::vector<HelpTopic> ParseHelpSitemap(const QByteArray& html);
