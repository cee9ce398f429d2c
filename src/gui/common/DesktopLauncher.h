#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// What became of a request to the desktop: the exit status of the program
// that took it (0 when the desktop opened the target), or -1 when that
// program could not be started, with the system's error number then.
struct DesktopOpenResult {
    int m_nExitStatus = 0;
    int m_nErrno = 0;
    bool Succeeded() const { return m_nExitStatus == 0; }
};

// Hands a web address, a "mailto:" address or a file to the desktop's
// xdg-open, started with an argument list (the target is one argument,
// never part of a command line for a shell). The answer arrives on the GUI
// thread once xdg-open has ended, which can take a while: the window stays
// live meanwhile.
class CDesktopLauncher {
public:
    using Done = std::function<void(const DesktopOpenResult&)>;
    // What starts a program; tests put in one that records the request.
    using Runner = std::function<void(const QString& strProgram, const QStringList& args, QObject* pContext,
                                      Done done)>;

    // `onDone` (may be empty) is called with the result, as long as
    // `pContext` still exists.
    static void Open(const QString& strTarget, QObject* pContext, Done onDone = {});

    // The box of a failed open: the numbers ("%d/SE%d"), then in words what
    // they mean (xdg-open's exit statuses 1 to 4, or why it could not start).
    static void ShowFailure(QWidget* pParent, const DesktopOpenResult& result);
    static QString FailureWords(const DesktopOpenResult& result);

    static void SetRunner(Runner runner); // empty: the real one
    static const QString& Program();      // "xdg-open"

private:
    static Runner s_runner;
};
