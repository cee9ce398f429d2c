// Handing a target to the desktop: xdg-open gets it as one argument, however
// it is spelled (no shell ever sees it), its exit status comes back, and a
// missing xdg-open gives -1 with the system's error number.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "gui/common/DesktopLauncher.h"
#include "GuiTestMain.h"

class DesktopLauncherTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_bin;
    QByteArray m_oldPath = qgetenv("PATH");

    void WriteFakeOpener(int nExitStatus)
    {
        QFile script(m_bin.filePath("xdg-open"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" + m_bin.filePath("args").toLocal8Bit() +
                     "'\nexit " + QByteArray::number(nExitStatus) + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    DesktopOpenResult OpenAndWait(const QString& strTarget)
    {
        DesktopOpenResult result{-99, -99};
        bool bDone = false;
        QObject context;
        CDesktopLauncher::Open(strTarget, &context, [&](const DesktopOpenResult& r) {
            result = r;
            bDone = true;
        });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(bDone, 10000); }();
        return result;
    }

private slots:
    void init() { qputenv("PATH", m_bin.path().toLocal8Bit()); }
    void cleanup() { qputenv("PATH", m_oldPath); }

    void targetIsOneArgumentAndTheExitStatusComesBack()
    {
        WriteFakeOpener(0);
        const QString strTarget = "mailto:a@b.example?subject=Zorbel Bug Report&body=x; rm -rf $HOME `id`";
        const DesktopOpenResult result = OpenAndWait(strTarget);
        QCOMPARE(result.m_nExitStatus, 0);
        QFile args(m_bin.filePath("args"));
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(args.readAll()), "1\n" + strTarget + "\n");

        WriteFakeOpener(4);
        QCOMPARE(OpenAndWait("http://example.org/").m_nExitStatus, 4);
    }

    void missingOpenerGivesMinusOneAndTheErrorNumber()
    {
        QFile::remove(m_bin.filePath("xdg-open"));
        const DesktopOpenResult result = OpenAndWait("http://example.org/");
        QCOMPARE(result.m_nExitStatus, -1);
        QCOMPARE(result.m_nErrno, ENOENT);
    }

    void noAnswerAfterTheContextIsGone()
    {
        WriteFakeOpener(0);
        bool bCalled = false;
        {
            QObject context;
            CDesktopLauncher::Open("http://example.org/", &context, [&](const DesktopOpenResult&) { bCalled = true; });
        }
        QTest::qWait(500);
        QVERIFY(!bCalled);
    }
};

ZORBEL_GUI_TEST_MAIN(DesktopLauncherTest)
#include "DesktopLauncherTest.moc"
