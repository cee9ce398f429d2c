// A page or file named on the command line: its links become the tree, the
// pane counts URLs, Refresh reads it again, and a source that cannot be read
// is reported once before the program ends in the orderly way.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/app/MainFrame.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/Commands.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"

class DocumentModeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    CZorbelDoc m_doc;

    void Open(const QString& strSource)
    {
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pProfile = std::make_unique<MemoryProfile>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        const QByteArray source = strSource.toUtf8();
        m_doc.OnOpenDocument(source.constData());
        m_doc.SetPathName(source.toStdString());
        m_pFrame->InitialUpdate(m_doc);
        m_pFrame->show();
    }

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void linksOfALocalFileBecomeTopLevelNodes()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("links.html"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<a href=\"http://one.example/\">1</a> <a href=\"http://two.example/\">2</a>\n"
                "<a href=\"http://one.example/\">again</a>");
        f.close();
        Open(QString("zorbel:") + f.fileName());
        QTRY_COMPARE(m_pFrame->View()->Items().size(), size_t(2));
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
        QVERIFY(m_pFrame->View()->State().m_bDocumentMode);
        QCOMPARE(m_pFrame->View()->Items()[0]->m_strName, std::string("<N/A>"));
        m_pRouter->UpdateAll();
        QCOMPARE(m_pFrame->PaneText(ID_INDICATOR_ITEMS), QString(" 2 URLs "));

        // Refresh reads the file again, in document mode.
        QVERIFY(m_pRouter->Run(ID_FILE_REFRESH));
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
        QTRY_COMPARE(m_pFrame->View()->Items().size(), size_t(2));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void aPageWithoutLinksSaysSoInTheStatusBar()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("empty.html"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><body><p>Nothing to follow here.</p></body></html>\n");
        f.close();
        Open(QString("zorbel:") + f.fileName());
        QTRY_VERIFY(!m_pFrame->View()->State().m_bPopulating);
        QTRY_VERIFY(m_pFrame->PaneText(ID_SEPARATOR).startsWith("No link was found in "));
        QVERIFY(m_pFrame->PaneText(ID_SEPARATOR).contains("empty.html"));
        QVERIFY(m_pFrame->View()->Items().empty());
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        if (!qEnvironmentVariableIsEmpty("ZORBEL_GRAB"))
            m_pFrame->grab().save(qEnvironmentVariable("ZORBEL_GRAB"));
    }

    void unreadableSourceIsReportedAndEndsTheProgram()
    {
        Open("no-such-file-here.html");
        QTRY_COMPARE(CMessageHub::ShownBoxes().size(), 1);
        const auto& box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_strText,
                 QString("The specified URL/File: no-such-file-here.html\ncannot be downloaded or opened."));
        QCOMPARE(box.m_strCaption, QString("URL/File Error"));
        QCOMPARE(box.m_nIcon, QMessageBox::Warning);
        QTRY_VERIFY(!m_pFrame->isVisible());
        // The orderly end saves the settings and the placement.
        QCOMPARE(m_pProfile->m_ints.count("Settings/CommTimeout"), size_t(1));
        QCOMPARE(m_pProfile->m_binaries.count("Settings/OldMFWP"), size_t(1));
    }
};

ZORBEL_GUI_TEST_MAIN(DocumentModeTest)
#include "DocumentModeTest.moc"
