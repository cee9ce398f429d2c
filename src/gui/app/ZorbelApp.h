#pragma once

#include <QApplication>
#include <QProcessEnvironment>
#include <QString>
#include <memory>

#include <optional>

class CCommandRouter;
class CMainFrame;
class CSettingsProfile;
class CZorbelDoc;

// What the command line asks for.
struct ZorbelCommandLine {
    QString m_strSource;       // the first argument that is not a switch, unchanged; empty without one
    QString m_strBrowser;      // --browser NAME[:PROFILE]; empty without it
    bool m_bShowSplash = true; // false when an embedding or automation switch asks for no splash screen
    bool m_bHelp = false;      // -h, --help: print the usage and end
    bool m_bVersion = false;   // -v, --version: print the version and end
};

// The application object: starts the process-wide services, fixes where the
// settings live, reads the command line, and builds and shows the document,
// the frame and the view.
class CZorbelApp : public QApplication {
    Q_OBJECT
public:
    CZorbelApp(int& argc, char** argv);
    ~CZorbelApp() override;

    // The start-up steps; false ends the process at once.
    bool InitInstance();

    // Reads the arguments, the program's name first. Switches start with
    // "-"; the first argument that is not one is the source, and "--" makes
    // every argument after it one that is not a switch. Switches the program
    // does not know are passed over, so they never stop it from starting.
    static ZorbelCommandLine ParseCommandLine(const QStringList& args);
    // The first argument that is not a switch, unchanged; empty without one.
    static QString SourceFromArguments(const QStringList& args);
    // False when an embedding or automation switch asks for no splash screen.
    static bool ShowSplashFromArguments(const QStringList& args);
    // --help and --version, answered on standard output before any window is
    // made, so that they need no display, and the one line that says there is
    // no display to start on: the exit status when the program is to end
    // here, nothing when it is to start.
    static std::optional<int> AnswerCommandLine(int& argc, char** argv);
    // Whether the window has somewhere to appear: a platform named on the
    // command line (-platform) or in QT_QPA_PLATFORM, else an X or Wayland
    // display. Without one Qt would abort with a message about reinstalling.
    static bool DisplayAvailable(const QStringList& args, const QProcessEnvironment& env);
    // The usage text of --help (needs an application object for the
    // program's name).
    static QString UsageText();
    // The help file of the program at strExecutable: beside it, else the
    // one installed with it.
    static QString HelpFileForExecutable(const QString& strExecutable);
    // The names the settings are kept under, the version, the program's icon
    // for every window of the process, and the desktop entry that desktops
    // match the windows with.
    static void SetIdentity();
    // The name of the desktop entry, without ".desktop".
    static QString DesktopFileName();

    bool ShowSplash() const { return m_bShowSplash; }
    CMainFrame* MainFrame() const { return m_pFrame.get(); }

    void OnShowAbout();

private:
    QString m_strHelpFilePath;
    bool m_bShowSplash = true;
    bool m_bCurlReady = false;
    std::unique_ptr<CSettingsProfile> m_pProfile;
    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<CZorbelDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
};
