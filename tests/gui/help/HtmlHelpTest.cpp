// The help: the loader binds the engine once and never retries a failed
// load, but looks a missing entry point up again at the next call; the help
// file built beside the program holds Introduction.htm and a contents file;
// displaying the contents opens the help window at Introduction with its
// contents pane and follows links and Back/Forward inside the file; control
// help shows the popup text of the control's context; without a help file
// nothing is shown and no box appears.
#include "gui/common/MessageHub.h"
#include "gui/help/ChmFile.h"
#include "gui/help/HelpBrowser.h"
#include "gui/help/HelpContents.h"
#include "gui/help/HelpWindow.h"
#include "gui/help/HtmlHelp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWhatsThis>
#include <QtTest>

namespace {

int s_nLoads = 0;
int s_nLookups = 0;
bool s_bSymbolsMissing = false;

void* CountingLoadFails(const char*)
{
    ++s_nLoads;
    return nullptr;
}

void* CountingLoad(const char* pszName)
{
    ++s_nLoads;
    return DefaultHtmlHelpLibraryHooks().m_pfnLoad(pszName);
}

void* CountingSymbol(void* hLibrary, const char* pszName)
{
    ++s_nLookups;
    if (s_bSymbolsMissing)
        return nullptr;
    return DefaultHtmlHelpLibraryHooks().m_pfnSymbol(hLibrary, pszName);
}

QString BuiltHelpFile()
{
    return QDir(qEnvironmentVariable("ZORBEL_TEST_BIN_DIR")).filePath(QStringLiteral("zorbel.chm"));
}

QList<QWidget*> VisibleTopLevels()
{
    QList<QWidget*> visible;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->isVisible())
            visible.append(pWidget);
    }
    return visible;
}

} // namespace

class CHtmlHelpTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        s_nLoads = s_nLookups = 0;
        s_bSymbolsMissing = false;
        SetHtmlHelpLibraryHooks({ &CountingLoad, &CountingSymbol });
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
    }
    void cleanup()
    {
        CallHtmlHelp(nullptr, QString(), HH_CLOSE_ALL, 0);
        QWhatsThis::hideText();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        SetHtmlHelpLibraryHooks(DefaultHtmlHelpLibraryHooks());
    }

    void FailedLoadIsNeverRetried()
    {
        SetHtmlHelpLibraryHooks({ &CountingLoadFails, &CountingSymbol });
        QCOMPARE(CallHtmlHelp(nullptr, QString(), HH_INITIALIZE, 0), quintptr(0));
        QCOMPARE(s_nLoads, 1);
        QWidget owner;
        for (int i = 0; i < 3; ++i)
            QCOMPARE(CallHtmlHelp(&owner, BuiltHelpFile() + "::/Introduction.htm", HH_DISPLAY_TOC, 0), quintptr(0));
        QCOMPARE(s_nLoads, 1);
        QCOMPARE(s_nLookups, 0);
        QVERIFY(VisibleTopLevels().isEmpty());
    }

    void MissingEntryPointIsLookedUpAgain()
    {
        s_bSymbolsMissing = true;
        QCOMPARE(CallHtmlHelp(nullptr, QString(), HH_INITIALIZE, 0), quintptr(0));
        QCOMPARE(s_nLoads, 1);
        const int nFirstLookups = s_nLookups;
        QVERIFY(nFirstLookups > 0);
        QCOMPARE(CallHtmlHelp(nullptr, QString(), HH_INITIALIZE, 0), quintptr(0));
        QCOMPARE(s_nLoads, 1); // the library is kept
        QVERIFY(s_nLookups > nFirstLookups);
        // Once the symbols are there, the same loaded library serves.
        s_bSymbolsMissing = false;
        quint32 dwCookie = 0;
        QVERIFY(CallHtmlHelp(nullptr, QString(), HH_INITIALIZE, reinterpret_cast<quintptr>(&dwCookie)) != 0);
        QVERIFY(dwCookie != 0);
        QCOMPARE(s_nLoads, 1);
        // Bound now: no more lookups.
        const int nBound = s_nLookups;
        QCOMPARE(CallHtmlHelp(nullptr, QString(), HH_PRETRANSLATEMESSAGE, 0), quintptr(0));
        QCOMPARE(CallHtmlHelp(nullptr, QString(), HH_UNINITIALIZE, dwCookie), quintptr(1));
        QCOMPARE(s_nLookups, nBound);
    }

    void BuiltHelpFileHoldsIntroductionAndContents()
    {
        if (!QFile::exists(BuiltHelpFile()))
            QSKIP("no help file was built (chmcmd missing)");
        QVERIFY(CallHtmlHelp(nullptr, QString(), HH_INITIALIZE, 0) != 0); // binds chmlib
        CHelpWindow* pWindow = reinterpret_cast<CHelpWindow*>(
            CallHtmlHelp(nullptr, BuiltHelpFile() + "::/Introduction.htm", HH_DISPLAY_TOC, 0));
        QVERIFY(pWindow);
        QVERIFY(pWindow->PageView()->toHtml().contains(QStringLiteral("Welcome to Zorbel")));
        QCOMPARE(pWindow->CurrentTopic(), QStringLiteral("/Introduction.htm"));
        // The contents list every page, starting with the introduction.
        QTreeWidget* pContents = pWindow->ContentsPane();
        QVERIFY(pContents->topLevelItemCount() >= 3);
        QCOMPARE(pContents->topLevelItem(0)->text(0), QStringLiteral("Welcome to Zorbel"));
        int nPages = 0;
        for (QTreeWidgetItemIterator it(pContents); *it; ++it)
            nPages += (*it)->data(0, Qt::UserRole).toString().endsWith(QStringLiteral(".htm"));
        QVERIFY(nPages >= 10);
    }

    void DisplayTocOpensIntroductionWithContentsPane()
    {
        if (!QFile::exists(BuiltHelpFile()))
            QSKIP("no help file was built (chmcmd missing)");
        QWidget owner;
        owner.show();
        const quintptr hWindow = CallHtmlHelp(&owner, BuiltHelpFile() + "::/Introduction.htm", HH_DISPLAY_TOC, 0);
        auto* pWindow = reinterpret_cast<CHelpWindow*>(hWindow);
        QVERIFY(pWindow);
        QVERIFY(pWindow->isVisible());
        QVERIFY(pWindow->ContentsPane()->isVisible());
        QCOMPARE(pWindow->parentWidget(), &owner);
        QCOMPARE(pWindow->ContentsPane()->currentItem()->text(0), QStringLiteral("Welcome to Zorbel"));
        // The style sheet comes out of the file too.
        QVERIFY(pWindow->PageView()->loadResource(QTextDocument::StyleSheetResource,
                                                  QUrl(QStringLiteral("zorbel.css"))).toString().contains("body"));

        // A second F1 reuses the window.
        QCOMPARE(CallHtmlHelp(&owner, BuiltHelpFile() + "::/Introduction.htm", HH_DISPLAY_TOC, 0), hWindow);

        // Links inside the file are followed; Back and Forward walk the history.
        emit pWindow->PageView()->anchorClicked(QUrl(QStringLiteral("Checking.htm")));
        QCOMPARE(pWindow->CurrentTopic(), QStringLiteral("/Checking.htm"));
        QVERIFY(pWindow->PageView()->toPlainText().contains(QStringLiteral("Link is valid")));
        QCOMPARE(pWindow->ContentsPane()->currentItem()->data(0, Qt::UserRole).toString(), QStringLiteral("Checking.htm"));
        pWindow->PageView()->backward();
        QCOMPARE(pWindow->CurrentTopic(), QStringLiteral("/Introduction.htm"));
        pWindow->PageView()->forward();
        QCOMPARE(pWindow->CurrentTopic(), QStringLiteral("/Checking.htm"));

        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            pWindow->grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + QStringLiteral("/help.png"));

        QPointer<CHelpWindow> pGuard(pWindow);
        CallHtmlHelp(&owner, QString(), HH_CLOSE_ALL, 0);
        QTRY_VERIFY(pGuard.isNull());
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
    }

    void ControlHelpShowsTheContextText()
    {
        if (!QFile::exists(BuiltHelpFile()))
            QSKIP("no help file was built (chmcmd missing)");
        QWidget dlg;
        auto* pUrl = new QLineEdit(&dlg);
        SetHelpControlId(pUrl, 1007);
        auto* pOther = new QLineEdit(&dlg);
        SetHelpControlId(pOther, 4242);
        dlg.show();
        const quint32 helpIds[] = { 1005, 132077, 1007, 132079, 0, 0 };
        QVERIFY(CallHtmlHelp(pUrl, BuiltHelpFile(), HH_TP_HELP_WM_HELP, reinterpret_cast<quintptr>(helpIds)) != 0);
        // A control without a context shows nothing.
        QCOMPARE(CallHtmlHelp(pOther, BuiltHelpFile(), HH_TP_HELP_WM_HELP, reinterpret_cast<quintptr>(helpIds)),
                 quintptr(0));
    }

    void NoHelpFileShowsNothingAndNoBox()
    {
        if (!QFile::exists(BuiltHelpFile()))
            QSKIP("no help file was built (chmcmd missing)");
        QTemporaryDir dir;
        const QString strHelp = dir.filePath(QStringLiteral("zorbel.chm"));
        QVERIFY(QFile::copy(BuiltHelpFile(), strHelp));
        QVERIFY(QFile::rename(strHelp, strHelp + QStringLiteral(".away")));
        QWidget owner;
        owner.show();
        QCOMPARE(CallHtmlHelp(&owner, strHelp + "::/Introduction.htm", HH_DISPLAY_TOC, 0), quintptr(0));
        QApplication::processEvents();
        QCOMPARE(VisibleTopLevels(), QList<QWidget*> { &owner });
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        const quint32 helpIds[] = { 1007, 132079, 0, 0 };
        auto* pUrl = new QLineEdit(&owner);
        SetHelpControlId(pUrl, 1007);
        QCOMPARE(CallHtmlHelp(pUrl, strHelp, HH_TP_HELP_WM_HELP, reinterpret_cast<quintptr>(helpIds)), quintptr(0));
        // A file that is not a help file is no help either.
        QFile junk(strHelp);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a help file");
        junk.close();
        QCOMPARE(CallHtmlHelp(&owner, strHelp + "::/Introduction.htm", HH_DISPLAY_TOC, 0), quintptr(0));
        QCOMPARE(VisibleTopLevels(), QList<QWidget*> { &owner });
    }

    void SitemapNestingFollowsTheLists()
    {
        const QByteArray hhc = R"(<HTML><BODY><UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="A &amp; B"><param name="Local" value="a.htm"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Book"></OBJECT>
<UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Inner"><param name="Local" value="in.htm"></OBJECT>
</UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Last"><param name="Local" value="z.htm"></OBJECT>
</UL></BODY></HTML>)";
        const std::vector<HelpTopic> topics = ParseHelpSitemap(hhc);
        QCOMPARE(topics.size(), size_t(3));
        QCOMPARE(topics[0].m_strName, QStringLiteral("A & B"));
        QCOMPARE(topics[0].m_strLocal, QStringLiteral("a.htm"));
        QVERIFY(topics[1].m_strLocal.isEmpty());
        QCOMPARE(topics[1].m_children.size(), size_t(1));
        QCOMPARE(topics[1].m_children[0].m_strLocal, QStringLiteral("in.htm"));
        QCOMPARE(topics[2].m_strName, QStringLiteral("Last"));
        QVERIFY(topics[2].m_children.empty());
    }
};

QTEST_MAIN(CHtmlHelpTest)
#include "HtmlHelpTest.moc"
