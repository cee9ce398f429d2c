#include "gui/app/ZorbelApp.h"

#include "core/check/CheckPass.h"
#include "core/net/HttpSession.h"
#include "core/platform/PathUtil.h"
#include "core/settings/CheckSettings.h"
#include "gui/app/AboutDlg.h"
#include "gui/app/MainFrame.h"
#include "gui/app/SplashWnd.h"
#include "gui/app/ZorbelDoc.h"
#include "gui/common/Artwork.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ZorbelView.h"
#include "profile/SettingsProfile.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

// The switches with which a desktop starts a program as an embedded or
// automated server; they turn the splash screen off.
constexpr const char* kNoSplashSwitches[] = {"embedding", "automation"};

const CommandMapEntry<CZorbelApp> kAppCommands[] = {
    {ID_APP_ABOUT, &CZorbelApp::OnShowAbout, nullptr},
};

// The options the program knows. A single dash starts a word ("-embedding"),
// as two dashes do, rather than a row of one-letter options.
void DefineCommandLine(QCommandLineParser& parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Zorbel checks the links you keep: the favourites of your Favorites folder, the links\n"
                       "of one web page or file, or a browser's bookmarks, each marked with what its check found."));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this text and end.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                                        QStringLiteral("Show the version and end.")));
    parser.addOption(QCommandLineOption(
        {QStringLiteral("browser")},
        QStringLiteral("List and check the bookmarks of a browser's profile instead: firefox, chromium, chrome, "
                       "brave, vivaldi or edge, its default profile or the one named after a colon "
                       "(firefox:work)."),
        QStringLiteral("NAME[:PROFILE]")));
    for (const char* pszName : kNoSplashSwitches) {
        QCommandLineOption option(QString::fromLatin1(pszName), QStringLiteral("Start without the splash screen."));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(
        QStringLiteral("source"),
        QStringLiteral("A web page (http:// or https://) or a file whose links are listed and checked, "
                       "with or without the prefix \"zorbel:\". Without it, the Favorites folder."),
        QStringLiteral("[source]"));
}

bool IsNoSplashSwitch(const QString& strName)
{
    for (const char* pszName : kNoSplashSwitches)
        if (strName.compare(QLatin1String(pszName), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

CZorbelApp::CZorbelApp(int& argc, char** argv) : QApplication(argc, argv) {}

CZorbelApp::~CZorbelApp()
{
    const int nTimeoutMs = m_pFrame && m_pFrame->View() ? m_pFrame->View()->Settings().m_nTimeoutMs : 0;
    m_pFrame.reset();
    // A check given up on after a stop may still be inside the network
    // library; it ends within its time-out. Cleaning up under it would crash.
    const bool bAllEnded = CCheckPass::WaitForStragglers(std::chrono::milliseconds(nTimeoutMs + 2000));
    if (m_bCurlReady && bAllEnded)
        HttpGlobalCleanup();
}

ZorbelCommandLine CZorbelApp::ParseCommandLine(const QStringList& args)
{
    QCommandLineParser parser;
    DefineCommandLine(parser);
    // A switch the program does not know is an error to the parser; the
    // program passes over it and starts all the same.
    (void)parser.parse(args);

    ZorbelCommandLine commandLine;
    if (const QStringList sources = parser.positionalArguments(); !sources.isEmpty())
        commandLine.m_strSource = sources.first();
    commandLine.m_strBrowser = parser.value(QStringLiteral("browser"));
    commandLine.m_bHelp = parser.isSet(QStringLiteral("help"));
    commandLine.m_bVersion = parser.isSet(QStringLiteral("version"));
    // The embedding and automation switches in any letter case.
    for (const QStringList& names : {parser.optionNames(), parser.unknownOptionNames()})
        for (const QString& strName : names)
            if (IsNoSplashSwitch(strName))
                commandLine.m_bShowSplash = false;
    return commandLine;
}

QString CZorbelApp::SourceFromArguments(const QStringList& args)
{
    return ParseCommandLine(args).m_strSource;
}

bool CZorbelApp::ShowSplashFromArguments(const QStringList& args)
{
    return ParseCommandLine(args).m_bShowSplash;
}

std::optional<int> CZorbelApp::AnswerCommandLine(int& argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const ZorbelCommandLine commandLine = ParseCommandLine(args);
    if (!commandLine.m_bHelp && !commandLine.m_bVersion) {
        if (DisplayAvailable(args, QProcessEnvironment::systemEnvironment()))
            return std::nullopt;
        std::fputs("no display: set DISPLAY or WAYLAND_DISPLAY, or use zorbel-check\n", stderr);
        return 1;
    }
    // A core application object only: no display is opened.
    QCoreApplication core(argc, argv);
    const QByteArray text = commandLine.m_bHelp ? UsageText().toLocal8Bit()
                                                : QByteArrayLiteral("zorbel " ZORBEL_VERSION "\n");
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

bool CZorbelApp::DisplayAvailable(const QStringList& args, const QProcessEnvironment& env)
{
    // Qt takes "-platform NAME" (also with two dashes) before everything else;
    // a platform named there or in the environment is the user's choice, be
    // it offscreen, vnc or eglfs, and needs no display variable.
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--"))
            break;
        if (args[i] == QLatin1String("-platform") || args[i] == QLatin1String("--platform"))
            return true;
    }
    for (const char* pszName : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!env.value(QString::fromLatin1(pszName)).isEmpty())
            return true;
    return false;
}

QString CZorbelApp::UsageText()
{
    QCommandLineParser parser;
    DefineCommandLine(parser);
    return parser.helpText();
}

QString CZorbelApp::HelpFileForExecutable(const QString& strExecutable)
{
    return QString::fromStdString(FindHelpFileFor(strExecutable.toStdString(), ZORBEL_HELP_FROM_BIN));
}

QString CZorbelApp::DesktopFileName()
{
    return QStringLiteral(ZORBEL_APP_ID);
}

void CZorbelApp::SetIdentity()
{
    setOrganizationName("Ornamy Software");
    setApplicationName("Zorbel");
    setApplicationVersion(QStringLiteral(ZORBEL_VERSION));
    // Every window without an icon of its own (the About box among them)
    // shows the program's.
    setWindowIcon(Artwork::AppIcon());
    // Wayland compositors and task bars find the icon and the name through
    // the desktop entry that the windows name.
    setDesktopFileName(DesktopFileName());
}

bool CZorbelApp::InitInstance()
{
    // The network library stands where the sockets were started.
    if (!HttpGlobalInit()) {
        CMessageHub::Show(nullptr, "Windows sockets initialization failed.", "Zorbel", QMessageBox::Warning);
        return false;
    }
    m_bCurlReady = true;

    SetIdentity();
    m_pProfile = std::make_unique<CSettingsProfile>();
    m_strHelpFilePath = HelpFileForExecutable(applicationFilePath());

    const ZorbelCommandLine commandLine = ParseCommandLine(arguments());
    const QString& strSource = commandLine.m_strSource;
    m_bShowSplash = commandLine.m_bShowSplash;
    CSplashWnd::SetSplashEnabled(m_bShowSplash);
    // The first key or mouse-button press only takes the splash screen away.
    installEventFilter(new CSplashFilter(this));

    m_pRouter = std::make_unique<CCommandRouter>();
    m_pDoc = std::make_unique<CZorbelDoc>();
    const std::optional<int> startShowState = CMainFrame::ReadStartShowState(*m_pProfile);
    m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
    m_pFrame->SetHelpFilePath(m_strHelpFilePath);
    m_pRouter->AddCommandMap(this, kAppCommands);
    if (strSource.isEmpty()) {
        m_pDoc->OnNewDocument();
    } else {
        const QByteArray source = strSource.toUtf8();
        m_pDoc->OnOpenDocument(source.constData());
        m_pDoc->SetPathName(source.toStdString(), false);
    }
    m_pDoc->SetBrowser(commandLine.m_strBrowser.toStdString());
    m_pFrame->InitialUpdate(*m_pDoc);
    if (!m_pFrame->isVisible())
        m_pFrame->ShowWithCommand(startShowState.value_or(1));
    m_pFrame->update();
    return true;
}

void CZorbelApp::OnShowAbout()
{
    CAboutDlg dlg(m_pFrame.get());
    dlg.exec();
}
