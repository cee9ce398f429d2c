// The program's command line: one optional source passed on unchanged,
// switches that start with "-" (the embedding and automation ones turning the
// splash screen off, unknown ones passed over), and --help and --version
// answered without a window or a display. An installed program finds the help
// file installed with it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/app/ZorbelApp.h"
#include "GuiTestMain.h"

namespace {

ZorbelCommandLine Parse(const QStringList& args)
{
    return CZorbelApp::ParseCommandLine(QStringList{QStringLiteral("zorbel")} + args);
}

QString BuiltProgram()
{
    return QDir(qEnvironmentVariable("ZORBEL_TEST_BIN_DIR")).filePath(QStringLiteral("zorbel"));
}

// Runs the built program with no display of any kind.
struct ProgramRun {
    int m_nExitCode = -1;
    QString m_strOut;
    QString m_strErr;
};

ProgramRun RunWithoutDisplay(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(pszName));
    process.setProcessEnvironment(env);
    process.start(BuiltProgram(), args);
    ProgramRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.m_nExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.m_strOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.m_strErr = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class ZorbelAppTest : public QObject {
    Q_OBJECT
private slots:
    void BrowserTakesItsValueAndLeavesTheRestAsItWas()
    {
        for (const QStringList& args : {QStringList{"--browser", "firefox:Work Stuff", "-embedding"},
                                        QStringList{"-browser=firefox:Work Stuff", "-embedding"}}) {
            const ZorbelCommandLine commandLine = Parse(args);
            QCOMPARE(commandLine.m_strBrowser, QString("firefox:Work Stuff"));
            QCOMPARE(commandLine.m_strSource, QString());
            QVERIFY(!commandLine.m_bShowSplash);
        }
        QCOMPARE(Parse({"page.html"}).m_strBrowser, QString());
        QVERIFY(CZorbelApp::UsageText().contains("--browser <NAME[:PROFILE]>"));
    }
    void SourceIsTheFirstArgumentThatIsNotASwitchUnchanged()
    {
        QCOMPARE(Parse({}).m_strSource, QString());
        QCOMPARE(Parse({"https://example.org/links.html"}).m_strSource, QStringLiteral("https://example.org/links.html"));
        // The prefix is the document's to remove; a relative path stays relative.
        QCOMPARE(Parse({"zorbel:https://example.org/"}).m_strSource, QStringLiteral("zorbel:https://example.org/"));
        QCOMPARE(Parse({"sub/page.htm"}).m_strSource, QStringLiteral("sub/page.htm"));
        QCOMPARE(Parse({"-embedding", "links.html"}).m_strSource, QStringLiteral("links.html"));
        QCOMPARE(Parse({"a.html", "b.html"}).m_strSource, QStringLiteral("a.html"));
        QCOMPARE(Parse({"-"}).m_strSource, QStringLiteral("-"));
        // A file whose name starts with a dash, after "--".
        QCOMPARE(Parse({"--", "-odd.html"}).m_strSource, QStringLiteral("-odd.html"));
        QCOMPARE(CZorbelApp::SourceFromArguments({"zorbel", "-x", "page.html"}), QStringLiteral("page.html"));
    }

    void UnknownSwitchesArePassedOver()
    {
        const ZorbelCommandLine commandLine = Parse({"-nologo", "--whatever=3", "-x", "page.html", "-Register"});
        QCOMPARE(commandLine.m_strSource, QStringLiteral("page.html"));
        QVERIFY(commandLine.m_bShowSplash);
        QVERIFY(!commandLine.m_bHelp);
        QVERIFY(!commandLine.m_bVersion);
    }

    void EmbeddingAndAutomationTurnTheSplashOff()
    {
        QVERIFY(Parse({}).m_bShowSplash);
        QVERIFY(Parse({"page.html"}).m_bShowSplash);
        for (const char* pszSwitch : {"-embedding", "-Embedding", "--automation", "-AUTOMATION", "/x"})
            QVERIFY2(Parse({"page.html", pszSwitch}).m_bShowSplash == (pszSwitch[0] == '/'), pszSwitch);
        QVERIFY(Parse({"-embed"}).m_bShowSplash);
        // After "--" it is a source, not a switch.
        const ZorbelCommandLine commandLine = Parse({"--", "-embedding"});
        QVERIFY(commandLine.m_bShowSplash);
        QCOMPARE(commandLine.m_strSource, QStringLiteral("-embedding"));
        QVERIFY(!CZorbelApp::ShowSplashFromArguments({"zorbel", "-automation"}));
    }

    void HelpAndVersionAreAskedForWithOneOrTwoDashes()
    {
        for (const char* pszSwitch : {"-h", "--help", "-help"})
            QVERIFY2(Parse({pszSwitch}).m_bHelp, pszSwitch);
        for (const char* pszSwitch : {"-v", "--version", "-version"})
            QVERIFY2(Parse({"page.html", pszSwitch}).m_bVersion, pszSwitch);
        QVERIFY(!Parse({"--", "--version"}).m_bVersion);
        QVERIFY(!Parse({"--", "--help"}).m_bHelp);
        QVERIFY(!Parse({"page.html"}).m_bHelp);
    }

    void VersionAndHelpPrintAndEndWithoutADisplay()
    {
        if (!QFile::exists(BuiltProgram()))
            QSKIP("the program is not built beside the tests");
        CZorbelApp::SetIdentity();
        const ProgramRun version = RunWithoutDisplay({"--version"});
        QCOMPARE(version.m_nExitCode, 0);
        QCOMPARE(version.m_strOut, QStringLiteral("zorbel ") + QCoreApplication::applicationVersion() + '\n');
        QVERIFY(QCoreApplication::applicationVersion().count('.') == 2);

        const ProgramRun help = RunWithoutDisplay({"-embedding", "--help"});
        QCOMPARE(help.m_nExitCode, 0);
        QVERIFY2(help.m_strOut.contains(QStringLiteral("[options] [source]")), qPrintable(help.m_strOut));
        QVERIFY(help.m_strOut.contains(QStringLiteral("--version")));
        QVERIFY(help.m_strOut.contains(QStringLiteral("\"zorbel:\"")));
        // The splash switches are for desktops, not for the reader of --help.
        QVERIFY(!help.m_strOut.contains(QStringLiteral("embedding")));
        QCOMPARE(help.m_strOut, CZorbelApp::UsageText().replace(QCoreApplication::arguments().constFirst(), BuiltProgram()));
    }

    void WithoutADisplayTheProgramSaysSoInOneLineAndEnds()
    {
        if (!QFile::exists(BuiltProgram()))
            QSKIP("the program is not built beside the tests");
        for (const QStringList& args : {QStringList{}, QStringList{"page.html"}, QStringList{"--", "-platform"}}) {
            const ProgramRun run = RunWithoutDisplay(args);
            QCOMPARE(run.m_nExitCode, 1);
            QCOMPARE(run.m_strErr, QStringLiteral("no display: set DISPLAY or WAYLAND_DISPLAY, or use zorbel-check\n"));
            QCOMPARE(run.m_strOut, QString());
        }
    }

    void ADisplayOrAPlatformNamedByTheUserIsSomewhereToStart()
    {
        const QStringList program{QStringLiteral("zorbel")};
        auto env = [](std::initializer_list<std::pair<const char*, const char*>> vars) {
            QProcessEnvironment environment;
            for (const auto& [pszName, pszValue] : vars)
                environment.insert(QString::fromLatin1(pszName), QString::fromLatin1(pszValue));
            return environment;
        };
        QVERIFY(!CZorbelApp::DisplayAvailable(program, env({})));
        // Set but empty is not set: the shell's "DISPLAY= zorbel".
        QVERIFY(!CZorbelApp::DisplayAvailable(program, env({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}})));
        QVERIFY(!CZorbelApp::DisplayAvailable(program, env({{"QT_QPA_PLATFORM", ""}, {"XDG_SESSION_TYPE", "x11"}})));
        QVERIFY(CZorbelApp::DisplayAvailable(program, env({{"DISPLAY", ":0"}})));
        QVERIFY(CZorbelApp::DisplayAvailable(program, env({{"WAYLAND_DISPLAY", "wayland-0"}})));
        // The tests and headless runs name their platform.
        QVERIFY(CZorbelApp::DisplayAvailable(program, env({{"QT_QPA_PLATFORM", "offscreen"}})));
        QVERIFY(CZorbelApp::DisplayAvailable(program + QStringList{"-platform", "offscreen"}, env({})));
        QVERIFY(CZorbelApp::DisplayAvailable(program + QStringList{"page.html", "--platform", "vnc"}, env({})));
        // A source named "-platform", or the switch without its name, is none.
        QVERIFY(!CZorbelApp::DisplayAvailable(program + QStringList{"--", "-platform", "x"}, env({})));
        QVERIFY(!CZorbelApp::DisplayAvailable(program + QStringList{"-platform"}, env({})));
    }

    void InstalledProgramFindsTheInstalledHelpFile()
    {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/zorbel")));
        const QString strExe = prefix.filePath(QStringLiteral("bin/zorbel"));
        const QString strInstalled = prefix.filePath(QStringLiteral("share/zorbel/zorbel.chm"));
        QFile file(strInstalled);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(CZorbelApp::HelpFileForExecutable(strExe), strInstalled);
        // One beside the program comes first.
        QFile beside(prefix.filePath(QStringLiteral("bin/zorbel.chm")));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QCOMPARE(CZorbelApp::HelpFileForExecutable(strExe), beside.fileName());
    }

};

ZORBEL_GUI_TEST_MAIN(ZorbelAppTest)
#include "ZorbelAppTest.moc"
