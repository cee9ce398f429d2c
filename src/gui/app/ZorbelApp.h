#pragma once

#include <QApplication>
#include <QString>
#include <memory>

class CCommandRouter;
class CMainFrame;
class CSettingsProfile;
class CZorbelDoc;

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

    // The first argument that is not a switch, unchanged; empty without one.
    static QString SourceFromArguments(const QStringList& args);
    // False when an embedding or automation switch asks for no splash screen.
    static bool ShowSplashFromArguments(const QStringList& args);
    // The names the settings are kept under and the program's icon, for
    // every window of the process.
    static void SetIdentity();

    const QString& HelpFilePath() const { return m_strHelpFilePath; }
    bool ShowSplash() const { return m_bShowSplash; }
    CMainFrame* MainFrame() const { return m_pFrame.get(); }
    CZorbelDoc* Document() const { return m_pDoc.get(); }
    CCommandRouter& Router() const { return *m_pRouter; }

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
