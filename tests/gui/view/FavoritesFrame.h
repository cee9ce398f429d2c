#pragma once

// The main window over a Favorites folder of temporary files, for the tests
// of the commands that act on favourites: writing the files, finding nodes,
// the state of a command, and answering a modal dialog or a popup menu that
// a command opens.

#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <functional>
#include <memory>

#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "support/MemoryProfile.h"

class FavoritesFrame {
public:
    QTemporaryDir m_dir;
    std::unique_ptr<CCommandRouter> m_pRouter;
    MemoryProfile m_profile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    QString Path(const QString& strRelative) const { return m_dir.path() + "/Favorites/" + strRelative; }
    std::string PathBytes(const QString& strRelative) const { return QFile::encodeName(Path(strRelative)).toStdString(); }

    void Write(const QString& strRelative, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(Path(strRelative)).path());
        QFile f(Path(strRelative));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // A file whose name is these bytes, UTF-8 or not.
    void WriteRawName(const std::string& strRelative, const std::string& strBytes)
    {
        std::ofstream out(PathBytes("") + strRelative, std::ios::binary);
        out << strBytes;
        QVERIFY(out.good());
    }
    void WriteUrl(const QString& strRelative, const QByteArray& url)
    {
        Write(strRelative, "[InternetShortcut]\r\nURL=" + url + "\r\n");
    }
    void WriteChannel(const QString& strFolder)
    {
        Write(strFolder + "/desktop.ini", "[Channel]\r\nCDFURL=http://127.0.0.1:1/channel.cdf\r\n");
    }
    QByteArray Read(const QString& strRelative) const
    {
        QFile f(Path(strRelative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool Exists(const QString& strRelative) const
    {
        struct stat st{};
        return ::lstat(QFile::encodeName(Path(strRelative)).constData(), &st) == 0;
    }

    // Waits for a scan that shows these nodes to end.
    void WaitForNodes(const QStringList& labels)
    {
        for (const QString& strLabel : labels)
            QTRY_VERIFY2(Node(strLabel), qPrintable(strLabel));
        QTRY_VERIFY(!View().State().m_bPopulating);
        View().Sink().Flush();
        QCoreApplication::processEvents();
    }
    // Scans the folder again, as Refresh does, until these nodes are shown.
    void Refresh(const QStringList& labels)
    {
        QVERIFY(m_pRouter->Run(ID_FILE_REFRESH));
        WaitForNodes(labels);
    }

    // Opens the window over the folder and waits for the scan to show
    // these nodes.
    void Open(const QStringList& labels)
    {
        qputenv("ZORBEL_FAVORITES", QFile::encodeName(m_dir.path() + "/Favorites"));
        QDir().mkpath(m_dir.path() + "/Favorites");
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, m_profile);
        m_doc.OnNewDocument();
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
        WaitForNodes(labels);
    }
    void Close()
    {
        m_pFrame.reset();
        m_pRouter.reset();
        // Give every permission back, so that the folder can go.
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            ::chmod(QFile::encodeName(it.next()).constData(), 0700);
    }

    CZorbelView& View() const { return *m_pFrame->View(); }
    QTreeWidget& Tree() const { return *View().Tree(); }
    QTreeWidgetItem* Node(const QString& strLabel) const
    {
        const auto found = Tree().findItems(strLabel, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    FavoriteItem* Record(const QString& strLabel) const { return View().RecordOf(Node(strLabel)); }
    void Select(const QString& strLabel) const
    {
        QTreeWidgetItem* pNode = Node(strLabel);
        QVERIFY(pNode);
        Tree().setCurrentItem(pNode);
    }
    bool Enabled(int nId) const
    {
        m_pRouter->UpdateAll();
        return m_pRouter->Action(nId)->isEnabled();
    }
    // Screen point of the middle of a node's label.
    QPoint GlobalPointOf(const QString& strLabel) const
    {
        const QRect rc = Tree().visualItemRect(Node(strLabel));
        return Tree().viewport()->mapToGlobal(QPoint(rc.left() + 30, rc.center().y()));
    }
};

// Runs `act` once on the first popup menu or modal dialog that opens while
// it lives, from the event loop of that popup's or dialog's own run.
class ModalWatch {
public:
    // With a name, only a window of that object name counts.
    explicit ModalWatch(std::function<void(QWidget*)> act, QString strName = {})
        : m_act(std::move(act)), m_strName(std::move(strName))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* pModal = QApplication::activePopupWidget();
            if (!pModal)
                pModal = QApplication::activeModalWidget();
            if (!pModal || (!m_strName.isEmpty() && pModal->objectName() != m_strName))
                return;
            m_timer.stop();
            m_bFired = true;
            m_act(pModal);
        });
        m_timer.start();
    }
    bool Fired() const { return m_bFired; }

private:
    QTimer m_timer;
    std::function<void(QWidget*)> m_act;
    QString m_strName;
    bool m_bFired = false;
};
