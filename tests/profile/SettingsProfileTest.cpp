// The settings survive a real QSettings file: defaults when it is missing,
// corrupt or holds text, the ranges on reading, and the values written back;
// a pipe, a device or a huge file in its place is neither waited on nor
// read, gives the defaults and is never written over.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <QCoreApplication>
#include <QCryptographicHash>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "core/settings/CheckSettings.h"
#include "profile/SettingsProfile.h"

class SettingsProfileTest : public QObject {
    Q_OBJECT

    QTemporaryDir* m_pDir = nullptr;

    QString ConfPath() const { return m_pDir->path() + "/Ornamy Software/Zorbel.conf"; }

    void WriteConf(const QByteArray& bytes)
    {
        QDir().mkpath(m_pDir->path() + "/Ornamy Software");
        QFile f(ConfPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    CheckSettings Load()
    {
        CSettingsProfile profile;
        CheckSettings settings;
        LoadCheckSettings(profile, settings);
        return settings;
    }

private slots:
    void init()
    {
        m_pDir = new QTemporaryDir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_pDir->path());
    }
    void cleanup()
    {
        delete m_pDir;
        m_pDir = nullptr;
    }

    void missingFileGivesDefaultsAndExitWritesThem()
    {
        CheckSettings s = Load();
        QCOMPARE(s.m_nTimeoutMs, 60000);
        QCOMPARE(s.m_nThreadCount, 1);
        QCOMPARE(s.m_bAutoCheck, false);
        {
            CSettingsProfile profile;
            SaveCheckSettings(profile, s);
        }
        QFile f(ConfPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("[Settings]"));
        QVERIFY(text.contains("CommTimeout=60"));
        QVERIFY(text.contains("Threads=1"));
        QVERIFY(text.contains("AutoCheck=0"));
    }

    void boundariesOfTheStoredValues_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("threads");
        QTest::newRow("29 s") << QByteArray("[Settings]\nCommTimeout=29\n") << 60000 << 1;
        QTest::newRow("30 s") << QByteArray("[Settings]\nCommTimeout=30\n") << 30000 << 1;
        QTest::newRow("300 s") << QByteArray("[Settings]\nCommTimeout=300\n") << 300000 << 1;
        QTest::newRow("301 s") << QByteArray("[Settings]\nCommTimeout=301\n") << 60000 << 1;
        QTest::newRow("0 threads") << QByteArray("[Settings]\nThreads=0\n") << 60000 << 1;
        QTest::newRow("-3 threads") << QByteArray("[Settings]\nThreads=-3\n") << 60000 << 1;
        QTest::newRow("16 threads") << QByteArray("[Settings]\nThreads=16\n") << 60000 << 16;
        QTest::newRow("17 threads") << QByteArray("[Settings]\nThreads=17\n") << 60000 << 1;
        QTest::newRow("text for numbers") << QByteArray("[Settings]\nCommTimeout=fast\nThreads=many\n") << 60000 << 1;
        QTest::newRow("huge number") << QByteArray("[Settings]\nThreads=99999999999999\n") << 60000 << 1;
        QTest::newRow("corrupt file") << QByteArray("\x00\xff[[[Settings\n=\n\x01", 14) << 60000 << 1;
        QTest::newRow("other section") << QByteArray("[Other]\nThreads=8\n") << 60000 << 1;
    }
    void boundariesOfTheStoredValues()
    {
        QFETCH(QByteArray, conf);
        QFETCH(int, timeoutMs);
        QFETCH(int, threads);
        WriteConf(conf);
        const CheckSettings s = Load();
        QCOMPARE(s.m_nTimeoutMs, timeoutMs);
        QCOMPARE(s.m_nThreadCount, threads);
    }

    void autoCheckFiveIsOnAndIsWrittenBackAsOne()
    {
        WriteConf("[Settings]\nAutoCheck=5\n");
        CheckSettings s = Load();
        QVERIFY(s.m_bAutoCheck);
        {
            CSettingsProfile profile;
            SaveCheckSettings(profile, s);
        }
        QSettings check(ConfPath(), QSettings::IniFormat);
        QCOMPARE(check.value("Settings/AutoCheck").toInt(), 1);
    }

    void unwritableStoreFailsSilently()
    {
        // A folder where the file should be: nothing can be written there.
        QVERIFY(QDir().mkpath(ConfPath()));
        CheckSettings s = Load();
        QCOMPARE(s.m_nTimeoutMs, 60000);
        CSettingsProfile profile;
        SaveCheckSettings(profile, s);
        QVERIFY(QFileInfo(ConfPath()).isDir());
    }

    void pipeInPlaceOfTheFileIsNotWaitedOn()
    {
        QVERIFY(QDir().mkpath(m_pDir->path() + "/Ornamy Software"));
        const QByteArray path = QFile::encodeName(ConfPath());
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        auto loaded = std::async(std::launch::async, [this] {
            CSettingsProfile profile;
            CheckSettings s;
            LoadCheckSettings(profile, s);
            SaveCheckSettings(profile, s);
            return s;
        });
        if (loaded.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Let the reader that waits on the pipe go before failing.
            const int hWriter = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (hWriter >= 0)
                ::close(hWriter);
            loaded.wait();
            QFAIL("the settings waited on a pipe");
        }
        const CheckSettings s = loaded.get();
        QCOMPARE(s.m_nTimeoutMs, 60000);
        QCOMPARE(s.m_nThreadCount, 1);
        struct stat info {};
        QCOMPARE(::lstat(path.constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }

    void hugeFileGivesTheDefaultsAndIsNeverWrittenOver()
    {
        QByteArray bytes = "[Settings]\nThreads=5\nCommTimeout=45\n";
        while (bytes.size() <= CSettingsProfile::kMaxSettingsFileSize)
            bytes += "; a comment line that only makes the file large\n";
        WriteConf(bytes);
        CheckSettings s = Load();
        QCOMPARE(s.m_nThreadCount, 1);
        QCOMPARE(s.m_nTimeoutMs, 60000);
        {
            CSettingsProfile profile;
            SaveCheckSettings(profile, s);
            QVERIFY(!profile.WriteProfileBinary("Settings", "OldMFWP", {1, 2}));
        }
        QFile f(ConfPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256),
                 QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));

        // At the limit the file is still read.
        WriteConf("[Settings]\nThreads=5\n" + QByteArray(CSettingsProfile::kMaxSettingsFileSize - 21, '\n'));
        QCOMPARE(QFileInfo(ConfPath()).size(), CSettingsProfile::kMaxSettingsFileSize);
        QCOMPARE(Load().m_nThreadCount, 5);
    }

    void fileReplacedByAPipeAfterReadingIsNotWrittenOver()
    {
        WriteConf("[Settings]\nThreads=4\n");
        CSettingsProfile profile;
        CheckSettings s;
        LoadCheckSettings(profile, s);
        QCOMPARE(s.m_nThreadCount, 4);
        const QByteArray path = QFile::encodeName(ConfPath());
        QVERIFY(QFile::remove(ConfPath()));
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        QVERIFY(!profile.WriteProfileInt("Settings", "Threads", 8));
        struct stat info {};
        QCOMPARE(::lstat(path.constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }

    void binaryValuesRoundTripAndAreNotNumbers()
    {
        {
            CSettingsProfile profile;
            profile.WriteProfileBinary("Settings", "OldMFWP", {1, 2, 0, 255});
        }
        CSettingsProfile profile;
        const auto bytes = profile.GetProfileBinary("Settings", "OldMFWP");
        QVERIFY(bytes.has_value());
        QCOMPARE(bytes->size(), size_t(4));
        QCOMPARE(int((*bytes)[3]), 255);
        QCOMPARE(profile.GetProfileInt("Settings", "OldMFWP", -1), -1);
        WriteConf("[Settings]\nOldMFWP=plain text\n");
        CSettingsProfile again;
        QVERIFY(!again.GetProfileBinary("Settings", "OldMFWP").has_value());
    }
};

// Run with a HOME of its own, so that no test reads or writes the user's
// real settings.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    QCoreApplication app(argc, argv);
    app.setOrganizationName("Ornamy Software");
    app.setApplicationName("Zorbel");
    SettingsProfileTest tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "SettingsProfileTest.moc"
