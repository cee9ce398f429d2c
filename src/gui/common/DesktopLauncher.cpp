#include "gui/common/DesktopLauncher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QPointer>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "gui/common/MessageHub.h"

extern char** environ;

CDesktopLauncher::Runner CDesktopLauncher::s_runner;

namespace {

// Starts the program, waits for it on a thread of its own and reports back
// on the context's thread.
void SpawnAndWait(const QString& strProgram, const QStringList& args, QObject* pContext,
                  CDesktopLauncher::Done done)
{
    std::vector<QByteArray> argBytes{strProgram.toLocal8Bit()};
    for (const QString& strArg : args)
        argBytes.push_back(strArg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : argBytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // The guard is only looked at on the GUI thread, where the context lives.
    QPointer<QObject> pGuard(pContext);
    auto report = [pGuard, done](DesktopOpenResult result) {
        if (!done)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [pGuard, done, result] { if (pGuard) done(result); },
            Qt::QueuedConnection);
    };

    pid_t pid = 0;
    const int nError = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (nError != 0) {
        report({-1, nError});
        return;
    }
    std::thread([pid, report] {
        int nStatus = 0;
        pid_t nWaited;
        do
            nWaited = waitpid(pid, &nStatus, 0);
        while (nWaited < 0 && errno == EINTR);
        if (nWaited < 0)
            report({-1, errno});
        else if (WIFEXITED(nStatus))
            report({WEXITSTATUS(nStatus), 0});
        else
            report({128 + (WIFSIGNALED(nStatus) ? WTERMSIG(nStatus) : 0), 0});
    }).detach();
}

} // namespace

const QString& CDesktopLauncher::Program()
{
    static const QString strProgram = QStringLiteral("xdg-open");
    return strProgram;
}

void CDesktopLauncher::Open(const QString& strTarget, QObject* pContext, Done onDone)
{
    const QStringList args{strTarget};
    if (s_runner)
        s_runner(Program(), args, pContext, std::move(onDone));
    else
        SpawnAndWait(Program(), args, pContext, std::move(onDone));
}

void CDesktopLauncher::SetRunner(Runner runner) { s_runner = std::move(runner); }

QString CDesktopLauncher::FailureWords(const DesktopOpenResult& result)
{
    if (result.m_nExitStatus == -1) {
        if (result.m_nErrno == ENOENT)
            return "xdg-open, which hands links to the desktop, is not installed (package xdg-utils).";
        return "xdg-open, which hands links to the desktop, could not be started: " +
               QString::fromLocal8Bit(std::strerror(result.m_nErrno)) + ".";
    }
    switch (result.m_nExitStatus) {
    case 1: return "xdg-open did not understand the request.";
    case 2: return "The file to be opened does not exist.";
    case 3: return "No program is set up on this desktop to open it (no web browser or mail program is chosen).";
    case 4: return "The program chosen to open it failed.";
    default: return QString::asprintf("xdg-open ended with status %d.", result.m_nExitStatus);
    }
}

void CDesktopLauncher::ShowFailure(QWidget* pParent, const DesktopOpenResult& result)
{
    CMessageHub::Show(pParent,
                      QString::asprintf("Unable to open the URL.  The following error was returned: %d/SE%d.",
                                        result.m_nExitStatus, result.m_nErrno) +
                          "\n\n" + FailureWords(result),
                      "Unable To launch Browser", QMessageBox::Warning);
}
