#pragma once

#include <QTextBrowser>
#include <memory>

class CChmFile;

// Shows the pages of one compiled help file. Pages, pictures and style
// sheets come out of the file; their addresses have the form
// "chm:/Topic.htm". Links inside the file are followed here, links to the
// web or to mail go to the desktop.
class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CHelpBrowser(std::shared_ptr<const CChmFile> pFile, QWidget* pParent = nullptr);

    // "Topic.htm", "/Topic.htm" or "Topic.htm#part" as an address in the file.
    static QUrl TopicUrl(const QString& strTopic);
    // The topic of an address: "/Topic.htm" for "chm:/Topic.htm#part".
    static QString TopicOf(const QUrl& url);

    QVariant loadResource(int nType, const QUrl& name) override;

private:
    void OnAnchorClicked(const QUrl& url);

    std::shared_ptr<const CChmFile> m_pFile;
};
