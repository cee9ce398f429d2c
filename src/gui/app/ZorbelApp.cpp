#include "app/ZorbelApp.h"

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/SplashWnd.h"
#include "app/ZorbelDoc.h"
#include "SettingsProfile.h"
#include "check/CheckPass.h"
#include "common/Artwork.h"
#include "common/CommandIds.h"
#include "common/MessageHub.h"
#include "menus/CommandRouter.h"
#include "net/HttpSession.h"
#include "platform/PathUtil.h"
#include "settings/CheckSettings.h"

namespace {

// The switches with which a desktop starts a program as an embedded or
// automated server; they turn the splash screen off.
constexpr const char* kNoSplashSwitches[] = {"embedding", "automation"};

const CommandMapEntry<CZorbelApp> kAppCommands[] = {
    {ID_APP_ABOUT, &CZorbelApp::OnShowAbout, nullptr},
};

bool IsSwitch(const QString& strArg) { return strArg.size() > 1 && strArg.startsWith('-'); }

} // namespace

CZorbelApp::CZorbelApp(int& argc, char** argv) : QApplication(argc, argv) {}

CZorbelApp::~CZorbelApp()
{
    m_pFrame.reset();
    // A check given up on after a stop may still be inside the network
    // library; it ends within its time-out. Cleaning up under it would crash.
    const bool bAllEnded = CCheckPass::WaitForStragglers(std::chrono::milliseconds(g_checkSettings.m_nTimeoutMs + 2000));
    if (m_bCurlReady && bAllEnded)
        HttpGlobalCleanup();
}

QString CZorbelApp::SourceFromArguments(const QStringList& args)
{
    for (qsizetype i = 1; i < args.size(); ++i)
        if (!IsSwitch(args[i]))
            return args[i];
    return {};
}

bool CZorbelApp::ShowSplashFromArguments(const QStringList& args)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (!IsSwitch(args[i]))
            continue;
        QString strSwitch = args[i].mid(1);
        if (strSwitch.startsWith('-'))
            strSwitch.remove(0, 1);
        for (const char* pszName : kNoSplashSwitches)
            if (strSwitch.compare(QLatin1String(pszName), Qt::CaseInsensitive) == 0)
                return false;
    }
    return true;
}

void CZorbelApp::SetIdentity()
{
    setOrganizationName("Ornamy Software");
    setApplicationName("Zorbel");
    // Every window without an icon of its own (the About box among them)
    // shows the program's.
    setWindowIcon(Artwork::AppIcon());
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
    m_strHelpFilePath = QString::fromStdString(HelpFilePathFor(applicationFilePath().toStdString()));

    const QStringList args = arguments();
    const QString strSource = SourceFromArguments(args);
    m_bShowSplash = ShowSplashFromArguments(args);
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
