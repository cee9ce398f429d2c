#pragma once

#include <QMainWindow>
#include <memory>

#include "gui/help/HelpContents.h"

class CChmFile;
class CHelpBrowser;
class QAction;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

// The help window: the contents of the help file on the left, the page on
// the right, Back and Forward above. It keeps nothing between runs.
class CHelpWindow : public QMainWindow {
    Q_OBJECT
public:
    CHelpWindow(std::shared_ptr<const CChmFile> pFile, QWidget* pParent = nullptr);
    ~CHelpWindow() override;

    // Shows a topic of the file: "/Introduction.htm", "Checking.htm#part".
    void ShowTopic(const QString& strTopic);
    // The page shown, as "/Topic.htm".
    QString CurrentTopic() const;
    QString FilePath() const;

    QTreeWidget* ContentsPane() const { return m_pContents; }
    CHelpBrowser* PageView() const { return m_pBrowser; }

private:
    void CreateActions();
    void CreateContentsPane();
    void FillContents(const std::vector<HelpTopic>& topics, QTreeWidgetItem* pParent);
    void OnContentsItemActivated(QTreeWidgetItem* pItem);
    void OnSourceChanged(const QUrl& url);

    std::shared_ptr<const CChmFile> m_pFile;
    QSplitter* m_pSplitter = nullptr;
    QTreeWidget* m_pContents = nullptr;
    CHelpBrowser* m_pBrowser = nullptr;
    QAction* m_pBackAction = nullptr;
    QAction* m_pForwardAction = nullptr;
};
