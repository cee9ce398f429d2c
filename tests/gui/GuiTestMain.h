#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <string>

#include "core/results/ResultsCache.h"

// Empties the kept outcomes of the test HOME, so that a test function sees
// none of the checks an earlier function of the same program made. Call it
// while no view has the cache open.
inline void ForgetKeptOutcomes()
{
    const std::string strPath = DefaultResultsCachePath();
    std::error_code error;
    for (const char* pszSuffix : {"", "-wal", "-shm"})
        std::filesystem::remove(strPath + pszSuffix, error);
}

// A main for the GUI tests: offscreen, with a HOME of its own so that no
// test ever reads or writes the user's real settings or kept outcomes.
#define ZORBEL_GUI_TEST_MAIN(TestClass)                                                 \
    int main(int argc, char** argv)                                                     \
    {                                                                                   \
        QTemporaryDir home;                                                             \
        qputenv("HOME", home.path().toUtf8());                                          \
        qunsetenv("XDG_CONFIG_HOME");                                                   \
        qunsetenv("XDG_CACHE_HOME");                                                    \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                             \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                    \
        QApplication app(argc, argv);                                                   \
        app.setOrganizationName("Ornamy Software");                                     \
        app.setApplicationName("Zorbel");                                               \
        TestClass tc;                                                                   \
        return QTest::qExec(&tc, argc, argv);                                           \
    }
