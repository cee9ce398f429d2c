// zorbel-check and the window give every favourite the same status and
// text: the same Favorites folder, page file and web page, checked by the
// window's Check All and by the console checker, end in the same results.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "core/export/ResultsCsv.h"
#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/Commands.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"
#include "support/TestHttpServer.h"

class ConsoleCheckerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CTestHttpServer> m_pServer;
    std::vector<std::string> m_links;

    static QByteArray ReadAll(const QString& strPath)
    {
        QFile file(strPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Write(const QString& strPath, const std::string& strText)
    {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(strText.data(), qint64(strText.size()));
    }

    // The results as the window has them once Check All has finished.
    void CheckInTheWindow(const QString& strSource, QByteArray& results)
    {
        CCommandRouter router;
        MemoryProfile profile;
        profile.WriteProfileInt("Settings", "Threads", 4);
        CMainFrame frame(router, profile);
        CZorbelDoc doc;
        if (strSource.isEmpty()) {
            doc.OnNewDocument();
        } else {
            const QByteArray source = strSource.toUtf8();
            doc.OnOpenDocument(source.constData());
            doc.SetPathName(source.toStdString());
        }
        frame.InitialUpdate(doc);
        frame.show();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.View()->State().m_bPopulating && !frame.View()->Items().empty(), 10000);
        frame.View()->Sink().Flush();
        router.UpdateAll();
        QVERIFY(router.Run(ID_TOOLS_CHECKALL));
        QTRY_COMPARE_WITH_TIMEOUT(CMessageHub::ShownBoxes().size(), 1, 60000);
        const QString strResults = m_dir.filePath("window.csv");
        QCOMPARE(WriteResultsCsv(strResults.toStdString(), frame.View()->Items()).m_nResult, ExportResult::Done);
        frame.close();
        results = ReadAll(strResults);
    }

    QByteArray CheckInTheConsole(const QString& strSource)
    {
        const QString strResults = m_dir.filePath("console.csv");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        env.insert("XDG_CONFIG_HOME", m_dir.filePath(".config"));
        env.insert("no_proxy", "*");
        process.setProcessEnvironment(env);
        QStringList args{"-q", "-j", "4", "--results", strResults};
        if (!strSource.isEmpty())
            args << strSource;
        process.start(qEnvironmentVariable("ZORBEL_CHECK_EXE"), args);
        if (!process.waitForFinished(60000))
            return "zorbel-check did not finish";
        return ReadAll(strResults);
    }

    void Compare(const QString& strSource)
    {
        QByteArray window;
        CheckInTheWindow(strSource, window);
        if (QTest::currentTestFailed())
            return;
        const QByteArray console = CheckInTheConsole(strSource);
        QVERIFY2(window.count('\n') > 6, window.constData());
        QCOMPARE(console, window);
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("ZORBEL_CHECK_EXE"))
            QSKIP("zorbel-check is not built");
        m_pServer = std::make_unique<CTestHttpServer>();
        // One of every kind of answer that does not make either side wait
        // for its time-out.
        for (const char* pszPath : {"/ok/1", "/missing/2", "/moved/3", "/301", "/302-no-location", "/401", "/403",
                                    "/500", "/not-http", "/close", "/loop"})
            m_links.push_back(m_pServer->Url(pszPath));
        {
            CTestHttpServer closed;
            m_links.push_back("http://127.0.0.1:" + std::to_string(closed.Port()) + "/gone");
        }
        qputenv("ZORBEL_FAVORITES", m_dir.filePath("Favorites").toUtf8());
        QVERIFY(QDir().mkpath(m_dir.filePath("Favorites/Sub folder")));
        for (std::size_t i = 0; i < m_links.size(); ++i)
            Write(m_dir.filePath(QString("Favorites/%1Link %2.url").arg(i % 2 ? "Sub folder/" : "").arg(i)),
                  "[InternetShortcut]\r\nURL=" + m_links[i] + "\r\n");
        Write(m_dir.filePath("Favorites/notes.txt"), "a file");
        std::string strPage;
        for (const std::string& strLink : m_links)
            strPage += "<a href=\"" + strLink + "\">x</a>\n";
        Write(m_dir.filePath("page.html"), strPage);
        m_pServer->Serve("/page.html", strPage);
    }
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
    }

    void favoritesFolder() { Compare({}); }
    void pageFile() { Compare(m_dir.filePath("page.html")); }
    void webPage() { Compare(QString::fromStdString("zorbel:" + m_pServer->Url("/page.html"))); }
};

ZORBEL_GUI_TEST_MAIN(ConsoleCheckerTest)
#include "ConsoleCheckerTest.moc"
