// zorbel-check as a user runs it: a child process with a home of its own,
// checking pages, files and a Favorites folder served by our own server;
// stopped by the signals of a terminal, timeout, systemd and cron; with a
// report nobody can take, outputs that collide, Favorites folders that
// cannot be read and a settings file that is a pipe; results that tell
// where redirects ended, as CSV and JSON; and --update-moved changing the
// favourites it names and no other.

#include <signal.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <thread>

#include "CheckProcess.h"
#include "core/check/CheckPass.h"
#include "core/export/ExportTestSupport.h"
#include "core/export/ResultsCsv.h"
#include "support/ScanTestFiles.h"
#include "core/settings/CheckSettings.h"
#include "core/sources/SourceLinks.h"
#include "support/MemoryTreeSink.h"
#include "support/TestHttpServer.h"
#include "support/WaitUntil.h"

namespace {

using namespace std::chrono_literals;
using scantest::TempFolder;
using scantest::WriteFile;
using export_test::ReadBytes;

std::vector<std::string> Lines(const std::string& strText, const char* pszEnd = "\n")
{
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = strText.find(pszEnd, nStart)) != std::string::npos;
         nStart = nEnd + std::strlen(pszEnd))
        lines.push_back(strText.substr(nStart, nEnd - nStart));
    if (nStart < strText.size())
        lines.push_back(strText.substr(nStart));
    return lines;
}

// A port on 127.0.0.1 where nothing listens.
std::string ClosedPortUrl()
{
    std::uint16_t nPort;
    {
        CTestHttpServer server;
        nPort = server.Port();
    }
    return "http://127.0.0.1:" + std::to_string(nPort) + "/";
}

class CheckProgram : public ::testing::Test {
protected:
    // A page file listing the links, one per line.
    std::string PageWith(const std::vector<std::string>& links, const std::string& strName = "page.html")
    {
        std::string strPage;
        for (const std::string& strLink : links)
            strPage += "<a href=\"" + strLink + "\">link</a>\n";
        const std::string strPath = m_home.Path() + "/" + strName;
        WriteFile(strPath, strPage);
        return strPath;
    }

    CheckProcessResult Run(const std::vector<std::string>& args, CheckProcessOptions options = {})
    {
        options.m_env.emplace("HOME", m_home.Path());
        options.m_env.emplace("XDG_CONFIG_HOME", m_home.Path() + "/.config");
        return RunZorbelCheckProcess(args, options);
    }

    std::string ConfigFile() const { return m_home.Path() + "/.config/Ornamy Software/Zorbel.conf"; }

    TempFolder m_home;
    CTestHttpServer m_server;
};

const char* const kNoneFound[] = {
    "0 links were skipped",
    "0 links appear to be broken",
    "0 links are \"partially\" broken",
    "0 links appear to have have their target moved",
};

TEST_F(CheckProgram, NothingBrokenExitsWithZeroAndTheReport)
{
    const std::string strPage =
        PageWith({m_server.Url("/ok/1"), m_server.Url("/ok/2"), m_server.Url("/moved/3")});
    const CheckProcessResult result = Run({"-j", "2", "-t", "5", strPage});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    EXPECT_EQ(Lines(result.m_strOut), (std::vector<std::string>{kNoneFound[0], kNoneFound[1], kNoneFound[2],
                                                               kNoneFound[3], "3 links are still valid",
                                                               "0 links could not be tested correctly"}));
}

TEST_F(CheckProgram, SomethingBrokenOrPartiallyBrokenExitsWithOne)
{
    {
        const CheckProcessResult result = Run({"-t", "5", PageWith({m_server.Url("/ok/1"), ClosedPortUrl()})});
        EXPECT_EQ(result.m_nExitStatus, 1) << result.m_strErr;
        EXPECT_NE(result.m_strOut.find("\n1 link appears to be broken\n"), std::string::npos) << result.m_strOut;
        EXPECT_NE(result.m_strOut.find("\n1 link is still valid\n"), std::string::npos);
    }
    {
        // A missing page on a site that answers is only partially broken.
        const CheckProcessResult result = Run({"-t", "5", PageWith({m_server.Url("/missing/1")})});
        EXPECT_EQ(result.m_nExitStatus, 1) << result.m_strErr;
        EXPECT_NE(result.m_strOut.find("\n1 link is \"partially\" broken\n"), std::string::npos) << result.m_strOut;
    }
    {
        // Not verifiable is not broken.
        const CheckProcessResult result = Run({"-t", "5", PageWith({m_server.Url("/401"), m_server.Url("/500")})});
        EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
        EXPECT_NE(result.m_strOut.find("2 links could not be tested correctly"), std::string::npos);
    }
}

TEST_F(CheckProgram, WebPageWithThePrefixIsDownloadedAndChecked)
{
    std::string strPage;
    for (int i = 0; i < 4; ++i)
        strPage += "<a href=\"" + m_server.Url("/ok/" + std::to_string(i)) + "\">x</a>";
    m_server.Serve("/links.html", strPage);
    const CheckProcessResult result = Run({"-q", "--results", m_home.Path() + "/r.csv",
                                           "zorbel:" + m_server.Url("/links.html")});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    const std::vector<std::string> rows = Lines(ReadBytes(m_home.Path() + "/r.csv"), "\r\n");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "," + std::string("<N/A>,") + m_server.Url("/ok/0") + ",Valid,Link is valid.,");
}

TEST_F(CheckProgram, UnreadableSourcesAndBadArgumentsExitWithTwo)
{
    {
        const CheckProcessResult result = Run({m_home.Path() + "/no-such-page.html"});
        EXPECT_EQ(result.m_nExitStatus, 2);
        EXPECT_EQ(result.m_strOut, "");
        EXPECT_NE(result.m_strErr.find("The specified URL/File: " + m_home.Path() + "/no-such-page.html\n"
                                     "cannot be downloaded or opened."),
                  std::string::npos)
            << result.m_strErr;
    }
    {
        const CheckProcessResult result = Run({m_server.Url("/404")});
        EXPECT_EQ(result.m_nExitStatus, 2);
        EXPECT_NE(result.m_strErr.find("cannot be downloaded or opened"), std::string::npos) << result.m_strErr;
    }
    {
        // No source and no Favorites folder in this home.
        const CheckProcessResult result = Run({});
        EXPECT_EQ(result.m_nExitStatus, 2);
        EXPECT_NE(result.m_strErr.find("no Favorites folder was found"), std::string::npos) << result.m_strErr;
    }
    {
        const CheckProcessResult result = Run({"--threads", "1025", "page.html"});
        EXPECT_EQ(result.m_nExitStatus, 2);
        EXPECT_EQ(result.m_strErr, "zorbel-check: --threads takes a number of threads from 1 to 1024, not \"1025\"\n"
                                 "Try \"zorbel-check --help\" for the options.\n");
    }
    {
        // An output that cannot be written is found before any link is checked.
        const std::size_t nRequestsBefore = m_server.RequestCount();
        const std::string strPage = PageWith({m_server.Url("/ok/1")});
        const CheckProcessResult result =
            Run({"--export", "html", m_home.Path() + "/no-such-folder/out.html", strPage});
        EXPECT_EQ(result.m_nExitStatus, 2);
        EXPECT_NE(result.m_strErr.find("cannot write \"" + m_home.Path() + "/no-such-folder/out.html\""),
                  std::string::npos)
            << result.m_strErr;
        const CheckProcessResult toFolder = Run({"--results", m_home.Path(), strPage});
        EXPECT_EQ(toFolder.m_nExitStatus, 2);
        EXPECT_EQ(m_server.RequestCount(), nRequestsBefore);
    }
}

TEST_F(CheckProgram, ResultsGiveAnInternetErrorByItsNumberAlone)
{
    const std::string strResults = m_home.Path() + "/r.csv";
    const CheckProcessResult result = Run({"-q", "-t", "5", "--results", strResults, PageWith({m_server.Url("/loop")})});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    const std::vector<std::string> rows = Lines(ReadBytes(strResults), "\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], ",<N/A>," + m_server.Url("/loop") +
                           ",Unverified,\"Error 12156: \"\"\"\" Occured.  Please see the documentation for further "
                           "information.\",");
}

TEST_F(CheckProgram, HelpAndVersionGoToStandardOutput)
{
    const CheckProcessResult help = Run({"--help"});
    EXPECT_EQ(help.m_nExitStatus, 0);
    EXPECT_TRUE(help.m_strOut.starts_with("Usage: zorbel-check [options] [SOURCE]\n"));
    const CheckProcessResult version = Run({"--version"});
    EXPECT_EQ(version.m_nExitStatus, 0);
    EXPECT_TRUE(std::regex_match(version.m_strOut, std::regex("zorbel-check [0-9]+\\.[0-9]+\\.[0-9]+\n")));
}

TEST_F(CheckProgram, ResultsOfAFavoritesFolderWithQuotingAndTheExports)
{
    const std::string strFavorites = m_home.Path() + "/Favorites";
    scantest::MakeFolder(strFavorites + "/News, Daily");
    WriteFile(strFavorites + "/News, Daily/Say \"hi\".url", scantest::UrlFile(m_server.Url("/ok/a,b")));
    WriteFile(strFavorites + "/Gone.url", scantest::UrlFile(m_server.Url("/302-no-location")));
    WriteFile(strFavorites + "/notes.txt", "a file");
    const std::string strResults = m_home.Path() + "/results.csv";
    const std::string strExport = m_home.Path() + "/export.csv";
    const std::string strText = m_home.Path() + "/export.txt";

    // Found as the GUI finds it: ~/Favorites of the home.
    const CheckProcessResult result = Run({"-q", "-t", "5", "--results", strResults, "--export",
                                           "CSV (With Folders)", strExport, "--export", "text", strText});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    EXPECT_EQ(result.m_strOut, "");
    EXPECT_EQ(result.m_strErr, "");

    const std::vector<std::string> rows = Lines(ReadBytes(strResults), "\r\n");
    ASSERT_EQ(rows.size(), 4u) << ReadBytes(strResults);
    EXPECT_EQ(rows[0], "FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL");
    EXPECT_EQ(rows[1], ",Gone," + m_server.Url("/302-no-location") + ",Moved,HTTP status code 302 (Redirect or Content Moved.) was received.,");
    EXPECT_TRUE(rows[2].starts_with("\"News, Daily\",\"Say \"\"hi\"\"\",\"" + m_server.Url("/ok/a,b") +
                                    "\",Valid,"))
        << rows[2];
    EXPECT_TRUE(rows[3].starts_with(",notes.txt,,Skipped,This appears to be a shortcut to a file")) << rows[3];

    const std::string strCsv = ReadBytes(strExport);
    EXPECT_NE(strCsv.find("\"News, Daily\""), std::string::npos) << strCsv;
    EXPECT_NE(ReadBytes(strText).find(m_server.Url("/ok/a,b")), std::string::npos);
}

TEST_F(CheckProgram, SettingsGiveTheDefaultsAndAreNeverWritten)
{
    scantest::MakeFolder(m_home.Path() + "/.config/Ornamy Software");
    const std::string strSettings = "[Settings]\nThreads=2\nCommTimeout=45\nAutoCheck=0\n";
    WriteFile(ConfigFile(), strSettings);
    ::chmod(ConfigFile().c_str(), 0600);
    struct stat before {};
    ASSERT_EQ(::stat(ConfigFile().c_str(), &before), 0);

    std::vector<std::string> links;
    for (int i = 0; i < 6; ++i)
        links.push_back(m_server.Url("/hang/" + std::to_string(i)));
    const std::string strPage = PageWith(links);

    // How many checks run at once: the links never answer, so each thread
    // holds one request until the time-out. Once `nLimit` requests have
    // come (at most ten seconds are waited for them), and a moment more in
    // which a check beyond the limit would have started, Ctrl+C ends the run.
    const auto concurrentChecks = [&](const std::vector<std::string>& args, std::size_t nLimit) {
        const std::size_t nBefore = m_server.RequestCount();
        std::size_t nRunning = 0;
        std::thread watcher;
        CheckProcessOptions options;
        options.m_onStart = [&, nLimit](pid_t pid) {
            watcher = std::thread([&, pid, nLimit] {
                WaitUntil([&] { return m_server.RequestCount() - nBefore >= nLimit; }, 10s);
                std::this_thread::sleep_for(300ms); // no more start
                nRunning = m_server.RequestCount() - nBefore;
                ::kill(pid, SIGINT);
            });
        };
        EXPECT_EQ(Run(args, options).m_nExitStatus, 130);
        watcher.join();
        return nRunning;
    };
    // The window's thread setting (2) does not bound the console: all six at once.
    EXPECT_EQ(concurrentChecks({"-q", "-t", "3", strPage}, 6), 6u);
    EXPECT_EQ(concurrentChecks({"-q", "-j", "3", "-t", "3", strPage}, 3), 3u); // the option wins

    struct stat after {};
    ASSERT_EQ(::stat(ConfigFile().c_str(), &after), 0);
    EXPECT_EQ(ReadBytes(ConfigFile()), strSettings);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    // Nothing else appeared in the home but what the test made.
    std::size_t nEntries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::recursive_directory_iterator(m_home.Path()))
        ++nEntries;
    EXPECT_EQ(nEntries, 4u); // page.html, .config, its folder, the settings
}

const std::regex kProgressLine("[0-9]+ of [0-9]+ checked, [0-9]+ broken, (-|[0-9]+\\.[0-9]) links/s, "
                                "(-|[0-9]+(:[0-9]{2})+) left");

TEST_F(CheckProgram, ProgressOnAPipeIsPlainLines)
{
    m_server.SetDelay(20ms);
    std::vector<std::string> links;
    for (int i = 0; i < 20; ++i)
        links.push_back(m_server.Url(i % 4 == 0 ? "/missing/" + std::to_string(i) : "/ok/" + std::to_string(i)));
    const CheckProcessResult result = Run({"-j", "2", PageWith(links)});
    EXPECT_EQ(result.m_nExitStatus, 1);
    EXPECT_EQ(result.m_strErr.find_first_of("\r\x1b"), std::string::npos);
    const std::vector<std::string> lines = Lines(result.m_strErr);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.size(), 11u);
    for (const std::string& strLine : lines)
        EXPECT_TRUE(std::regex_match(strLine, kProgressLine)) << strLine;
    EXPECT_TRUE(lines.back().starts_with("20 of 20 checked, 5 broken, ")) << lines.back();
}

TEST_F(CheckProgram, ProgressOnATerminalIsOneLineRewritten)
{
    m_server.SetDelay(20ms);
    std::vector<std::string> links;
    for (int i = 0; i < 20; ++i)
        links.push_back(m_server.Url("/ok/" + std::to_string(i)));
    CheckProcessOptions options;
    options.m_bErrToTerminal = true;
    const CheckProcessResult result = Run({"-j", "2", PageWith(links)}, options);
    EXPECT_EQ(result.m_nExitStatus, 0);
    // Every state starts at the beginning of the line and clears what is
    // left of the last; only the end breaks the line (CR LF on a terminal).
    const std::vector<std::string> states = Lines(result.m_strErr, "\x1b[K");
    ASSERT_GE(states.size(), 2u) << result.m_strErr;
    EXPECT_EQ(states.back(), "\r\n");
    for (std::size_t i = 0; i + 1 < states.size(); ++i) {
        ASSERT_TRUE(states[i].starts_with("\r")) << states[i];
        EXPECT_TRUE(std::regex_match(states[i].substr(1), kProgressLine)) << states[i];
    }
    EXPECT_TRUE(states[states.size() - 2].starts_with("\r20 of 20 checked, 0 broken"));
}

TEST_F(CheckProgram, CtrlCAbandonsTheRunningChecksAndReportsWhatWasDone)
{
    m_server.SetDelay(300ms);
    std::vector<std::string> links;
    for (int i = 0; i < 100; ++i)
        links.push_back(m_server.Url("/ok/" + std::to_string(i)));
    const std::string strResults = m_home.Path() + "/r.csv";
    std::atomic<std::size_t> nRequestsAtSignal{0};
    CheckProcessOptions options;
    options.m_onErr = [&](pid_t pid, const std::string& strErr) {
        // Once the first tenth is done.
        if (nRequestsAtSignal == 0 && strErr.find(" checked") != std::string::npos) {
            nRequestsAtSignal = m_server.RequestCount();
            ::kill(pid, SIGINT);
        }
    };
    const CheckProcessResult result = Run({"-j", "2", "--results", strResults, PageWith(links)}, options);
    EXPECT_EQ(result.m_nExitStatus, 130) << result.m_strErr;
    EXPECT_NE(result.m_strErr.find("Stopping: the checks under way are abandoned...\n"), std::string::npos);

    // The checks under way were abandoned; nothing new was started.
    EXPECT_LE(m_server.RequestCount(), nRequestsAtSignal + 2);
    const std::vector<std::string> rows = Lines(ReadBytes(strResults), "\r\n");
    ASSERT_EQ(rows.size(), 101u);
    int nValid = 0;
    int nNotChecked = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        nValid += rows[i].find(",Valid,") != std::string::npos;
        nNotChecked += rows[i].ends_with(",Not Checked,,");
    }
    EXPECT_GE(nValid, 10);
    EXPECT_EQ(nValid + nNotChecked, 100);
    // Those abandoned had been asked for: at most the two under way.
    EXPECT_LE(std::size_t(nValid), m_server.RequestCount());
    EXPECT_LE(m_server.RequestCount(), std::size_t(nValid) + 2);
    // The report counts what was checked, and nothing else.
    const std::vector<std::string> report = Lines(result.m_strOut);
    ASSERT_EQ(report.size(), 6u);
    EXPECT_EQ(report[4], std::to_string(nValid) + " links are still valid");
    EXPECT_EQ(report[1], "0 links appear to be broken");
}

// Runs `run` while a watchdog ends the program if it is still running after
// `limit`, so that a hang fails the test instead of stopping it.
CheckProcessResult WithWatchdog(std::chrono::seconds limit,
                                const std::function<CheckProcessResult(CheckProcessOptions)>& run,
                                CheckProcessOptions options = {})
{
    std::atomic<bool> bDone{false};
    std::thread watchdog;
    options.m_onStart = [&](pid_t pid) {
        watchdog = std::thread([&bDone, pid, limit] {
            const auto deadline = std::chrono::steady_clock::now() + limit;
            while (!bDone && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(20ms);
            if (!bDone)
                ::kill(pid, SIGKILL);
        });
    };
    CheckProcessResult result = run(options);
    bDone = true;
    if (watchdog.joinable())
        watchdog.join();
    return result;
}

TEST_F(CheckProgram, TermAndHangupAbandonTheRunningChecksAndWriteTheOutputs)
{
    // What timeout, systemd and cron send, and a terminal that goes away:
    // as the first Ctrl+C, with the status the shell expects.
    for (const int nSignal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(nSignal);
        m_server.SetDelay(300ms);
        std::vector<std::string> links;
        for (int i = 0; i < 40; ++i)
            links.push_back(m_server.Url("/ok/" + std::to_string(nSignal) + "-" + std::to_string(i)));
        const std::string strResults = m_home.Path() + "/r" + std::to_string(nSignal) + ".csv";
        const std::string strExport = m_home.Path() + "/e" + std::to_string(nSignal) + ".htm";
        std::atomic<bool> bSent{false};
        CheckProcessOptions options;
        options.m_onErr = [&](pid_t pid, const std::string& strErr) {
            if (!bSent && strErr.find(" checked") != std::string::npos) {
                bSent = true;
                ::kill(pid, nSignal);
            }
        };
        const CheckProcessResult result =
            Run({"-j", "2", "--results", strResults, "--export", "html", strExport, PageWith(links)}, options);
        EXPECT_EQ(result.m_nSignal, 0);
        EXPECT_EQ(result.m_nExitStatus, 128 + nSignal) << result.m_strErr;
        EXPECT_NE(result.m_strErr.find("Stopping: the checks under way are abandoned...\n"), std::string::npos);
        EXPECT_EQ(Lines(result.m_strOut).size(), 6u);
        EXPECT_EQ(Lines(ReadBytes(strResults), "\r\n").size(), 41u);
        EXPECT_TRUE(ReadBytes(strExport).ends_with("</HTML>\r\n"));
    }
}

TEST_F(CheckProgram, ASecondStopSignalEndsTheProgramAtOnce)
{
    m_server.SetDelay(2s);
    std::vector<std::string> links;
    for (int i = 0; i < 4; ++i)
        links.push_back(m_server.Url("/ok/" + std::to_string(i)));
    std::atomic<bool> bSent{false};
    CheckProcessOptions options;
    options.m_onErr = [&](pid_t pid, const std::string& strErr) {
        if (!bSent && strErr.find("Stopping") == std::string::npos) {
            bSent = true;
            ::kill(pid, SIGTERM);
        } else if (strErr.find("Stopping") != std::string::npos) {
            ::kill(pid, SIGTERM);
        }
    };
    options.m_bErrToTerminal = true; // progress at once, so the first signal comes early
    const CheckProcessResult result = Run({"-j", "1", "-t", "30", PageWith(links)}, options);
    // The first stop abandons the check under way at once, so the program
    // may have ended by itself before the second signal came.
    EXPECT_TRUE(result.m_nSignal == SIGTERM || (result.m_nSignal == 0 && result.m_nExitStatus == 128 + SIGTERM))
        << result.m_nSignal << " " << result.m_nExitStatus;
}

TEST_F(CheckProgram, AReportThatCannotBeWrittenIsAnError)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1")});
    CheckProcessOptions closed;
    closed.m_bOutClosed = true;
    const CheckProcessResult toClosedPipe = Run({"-t", "5", strPage}, closed);
    EXPECT_EQ(toClosedPipe.m_nExitStatus, 2);
    EXPECT_NE(toClosedPipe.m_strErr.find("the report cannot be written: Broken pipe"), std::string::npos)
        << toClosedPipe.m_strErr;
    if (std::filesystem::exists("/dev/full")) {
        CheckProcessOptions full;
        full.m_strOutPath = "/dev/full";
        const CheckProcessResult toFullDevice = Run({"-t", "5", strPage}, full);
        EXPECT_EQ(toFullDevice.m_nExitStatus, 2);
        EXPECT_NE(toFullDevice.m_strErr.find("No space left on device"), std::string::npos) << toFullDevice.m_strErr;
        EXPECT_EQ(Run({"--help"}, full).m_nExitStatus, 2);
        EXPECT_EQ(Run({"--version"}, full).m_nExitStatus, 2);
    }
    // Quiet runs print nothing there, so nothing can fail.
    EXPECT_EQ(Run({"-q", "-t", "5", strPage}, closed).m_nExitStatus, 0);
}

TEST_F(CheckProgram, TwoOutputsOnOneFileAreABadArgument)
{
    const std::size_t nRequestsBefore = m_server.RequestCount();
    const std::string strFile = m_home.Path() + "/out.csv";
    WriteFile(strFile, "earlier results\r\n");
    const CheckProcessResult result =
        Run({"--export", "csv", strFile, "--results", strFile, PageWith({m_server.Url("/ok/1")})});
    EXPECT_EQ(result.m_nExitStatus, 2);
    EXPECT_NE(result.m_strErr.find("--export and --results name the same file"), std::string::npos) << result.m_strErr;
    EXPECT_EQ(m_server.RequestCount(), nRequestsBefore);
    EXPECT_EQ(ReadBytes(strFile), "earlier results\r\n");
}

TEST_F(CheckProgram, ANamedFavoritesFolderIsUsedOrRefusedButNeverReplaced)
{
    WriteFile(m_home.Path() + "/Favorites/Home.url", scantest::UrlFile(m_server.Url("/ok/home")));
    WriteFile(m_home.Path() + "/Other/Named.url", scantest::UrlFile(m_server.Url("/ok/named")));
    WriteFile(m_home.Path() + "/a-file", "not a folder");
    for (const std::string& strNamed : {m_home.Path() + "/missing", m_home.Path() + "/a-file"}) {
        CheckProcessOptions options;
        options.m_env["ZORBEL_FAVORITES"] = strNamed;
        const CheckProcessResult result = Run({"-q"}, options);
        EXPECT_EQ(result.m_nExitStatus, 2) << strNamed;
        EXPECT_NE(result.m_strErr.find("the Favorites folder \"" + strNamed + "\" named by ZORBEL_FAVORITES cannot be used"),
                  std::string::npos)
            << result.m_strErr;
    }
    CheckProcessOptions options;
    options.m_env["ZORBEL_FAVORITES"] = m_home.Path() + "/Other";
    const std::string strResults = m_home.Path() + "/r.csv";
    const CheckProcessResult result = Run({"-q", "-t", "5", "--results", strResults}, options);
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    const std::vector<std::string> rows = Lines(ReadBytes(strResults), "\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[1].starts_with(",Named,")) << rows[1];
}

// What a user without the super-user's rights cannot read: the test gives
// its files to everyone and, when it runs as the super-user, runs the
// program as "nobody".
class UnreadableFavorites : public CheckProgram {
protected:
    void SetUp() override
    {
        ::chmod(m_home.Path().c_str(), 0755);
        m_strFavorites = m_home.Path() + "/Favorites";
        scantest::MakeFolder(m_strFavorites);
        ::chmod(m_strFavorites.c_str(), 0755);
        m_options.m_bUnprivileged = true;
    }

    std::string m_strFavorites;
    CheckProcessOptions m_options;
};

TEST_F(UnreadableFavorites, AFolderThatCannotBeReadIsAnError)
{
    WriteFile(m_strFavorites + "/a.url", scantest::UrlFile(m_server.Url("/ok/a")));
    ::chmod(m_strFavorites.c_str(), 0);
    const CheckProcessResult result = Run({"-q", "-t", "5"}, m_options);
    EXPECT_EQ(result.m_nExitStatus, 2) << result.m_strErr;
    EXPECT_EQ(result.m_strErr, "zorbel-check: the Favorites folder \"" + m_strFavorites +
                                   "\" cannot be read: Permission denied\n");
    ::chmod(m_strFavorites.c_str(), 0755);
}

TEST_F(UnreadableFavorites, EntriesThatCannotBeReadAreWarnedOfAndCounted)
{
    WriteFile(m_strFavorites + "/ok.url", scantest::UrlFile(m_server.Url("/ok/1")));
    WriteFile(m_strFavorites + "/shut.url", scantest::UrlFile(m_server.Url("/ok/2")));
    WriteFile(m_strFavorites + "/Locked/inside.url", scantest::UrlFile(m_server.Url("/ok/3")));
    WriteFile(m_strFavorites + "/Line\nBreak.url", scantest::UrlFile(m_server.Url("/ok/4")));
    ::chmod((m_strFavorites + "/Line\nBreak.url").c_str(), 0);
    ::chmod((m_strFavorites + "/shut.url").c_str(), 0);
    ::chmod((m_strFavorites + "/Locked").c_str(), 0);
    const CheckProcessResult result = Run({"-t", "5"}, m_options);
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    const std::vector<std::string> lines = Lines(result.m_strErr);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "zorbel-check: cannot read \"" + m_strFavorites +
                                                         "/Locked\": Permission denied"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "zorbel-check: cannot read \"" + m_strFavorites +
                                                         "/shut.url\": Permission denied"), 1);
    // A name cannot break the warning's line.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "zorbel-check: cannot read \"" + m_strFavorites +
                                                         "/Line Break.url\": Permission denied"), 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "zorbel-check: 3 entries of the Favorites folder could not be read");
    EXPECT_NE(result.m_strOut.find("1 link is still valid"), std::string::npos) << result.m_strOut;
}

TEST_F(CheckProgram, ASettingsFileThatIsAPipeGivesTheDefaults)
{
    scantest::MakeFolder(m_home.Path() + "/.config/Ornamy Software");
    ASSERT_EQ(::mkfifo(ConfigFile().c_str(), 0600), 0);
    const std::string strPage = PageWith({m_server.Url("/ok/1")});
    const CheckProcessResult result =
        WithWatchdog(30s, [&](CheckProcessOptions options) { return Run({"-q", "-t", "5", strPage}, options); });
    EXPECT_EQ(result.m_nSignal, 0) << "the program waited on the pipe";
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    struct stat info {};
    ASSERT_EQ(::lstat(ConfigFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// The console checker and the GUI's pipeline (extraction, then a pass with
// the real checker) give every link the same status and text.
TEST_F(CheckProgram, OutcomesAreThoseOfTheGuiPipeline)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1"), m_server.Url("/missing/2"), m_server.Url("/301"),
                                          m_server.Url("/302-no-location"), m_server.Url("/401"),
                                          m_server.Url("/403"), m_server.Url("/500"), m_server.Url("/hang/3"),
                                          m_server.Url("/not-http"), ClosedPortUrl(), "ftp://127.0.0.1:1/x",
                                          "mailto:someone@example.invalid"});
    const std::string strResults = m_home.Path() + "/r.csv";
    Run({"-q", "-j", "4", "-t", "2", "--results", strResults, strPage});

    MemoryTreeSink sink;
    ManualResetEvent stop;
    std::atomic<bool> bClosing{false};
    SourceLinksThread(sink, sink.m_state, stop, bClosing, strPage, 2000);
    auto pPass = CCheckPass::Start(sink, std::make_shared<CViewState>(), sink.List(),
                                   std::make_shared<std::mutex>(),
                                   std::make_shared<ManualResetEvent>(), CheckPassOptions::Window(4, 2000));
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(60s));

    const std::string strExpected = m_home.Path() + "/expected.csv";
    ASSERT_EQ(WriteResultsCsv(strExpected, sink.Items()).m_nResult, ExportResult::Done);
    EXPECT_EQ(ReadBytes(strResults), ReadBytes(strExpected));
}

TEST_F(CheckProgram, ResultsTellWhereRedirectsEndedAsCsvAndAsJson)
{
    const std::string strPage = PageWith({m_server.Url("/permanent/1"), m_server.Url("/301-302"),
                                          m_server.Url("/ok/a,b")});
    const std::string strCsv = m_home.Path() + "/r.csv";
    const std::string strJson = m_home.Path() + "/r.JSON";
    ASSERT_EQ(Run({"-q", "-t", "5", "--results", strCsv, strPage}).m_nExitStatus, 0);
    ASSERT_EQ(Run({"-q", "-t", "5", "--results", strJson, strPage}).m_nExitStatus, 0);

    const std::vector<std::string> rows = Lines(ReadBytes(strCsv), "\r\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], ",<N/A>," + m_server.Url("/permanent/1") + ",Valid,Link is valid.," + m_server.Url("/ok/1"));
    EXPECT_EQ(rows[2], ",<N/A>," + m_server.Url("/301-302") + ",Valid,Link is valid.," + m_server.Url("/200"));
    EXPECT_EQ(rows[3], ",<N/A>,\"" + m_server.Url("/ok/a,b") + "\",Valid,Link is valid.,");

    // Read back by a JSON parser of its own: the same rows.
    const QByteArray json = QByteArray::fromStdString(ReadBytes(strJson));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << json.toStdString();
    ASSERT_TRUE(document.isArray());
    const QJsonArray array = document.array();
    ASSERT_EQ(array.size(), 3);
    const QJsonObject first = array[0].toObject();
    EXPECT_EQ(first.keys(), (QStringList{"final_url", "folder", "name", "status", "text", "url"}));
    EXPECT_EQ(first["url"].toString().toStdString(), m_server.Url("/permanent/1"));
    EXPECT_EQ(first["final_url"].toString().toStdString(), m_server.Url("/ok/1"));
    EXPECT_EQ(first["status"].toString(), "Valid");
    EXPECT_EQ(first["name"].toString(), "<N/A>");
    EXPECT_EQ(array[2].toObject()["url"].toString().toStdString(), m_server.Url("/ok/a,b"));
    EXPECT_EQ(array[2].toObject()["final_url"].toString(), "");
}

// A Favorites folder of temporary files with favourites that moved for
// good, one that moved for a while, one whose new address is gone, one
// that stayed and one that moved but is read-only.
class UpdateMovedProgram : public CheckProgram {
protected:
    void SetUp() override
    {
        m_strFavorites = m_home.Path() + "/Favorites";
        // As Windows writes it: comments, other sections, CR LF, the Unicode twin.
        m_strPermOld = "; kept by hand\r\n[DEFAULT]\r\nBASEURL=" + m_server.Url("/permanent/p") +
                       "\r\n[InternetShortcut]\r\nURL=" + m_server.Url("/permanent/p") +
                       "\r\nIconIndex=0\r\n[InternetShortcut.W]\r\nURL=" + m_server.Url("/permanent/p") + "\r\n";
        WriteFile(Fav("Perm.url"), m_strPermOld);
        WriteFile(Fav("News/Chain.url"), scantest::UrlFile(m_server.Url("/301-308")));
        WriteFile(Fav("Link.desktop"), "[Desktop Entry]\nType=Link\nName=Link\nURL=" + m_server.Url("/permanent/d") + "\n");
        for (const auto& [strName, strPath] : std::vector<std::pair<std::string, std::string>>{
                 {"Temp.url", "/301-302"}, {"Gone.url", "/301-404"}, {"Plain.url", "/ok/plain"},
                 {"Loop.url", "/loop"}, {"Locked.url", "/permanent/l"}})
            WriteFile(Fav(strName), scantest::UrlFile(m_server.Url(strPath)));
        ::chmod(Fav("Locked.url").c_str(), 0444);
        // A channel that moved is named, never changed.
        WriteFile(Fav("Chan/desktop.ini"), "[Channel]\r\nCDFURL=" + m_server.Url("/permanent/c") + "\r\n");
        for (const char* pszName : {"Perm.url", "News/Chain.url", "Link.desktop", "Temp.url", "Gone.url", "Plain.url",
                                    "Loop.url", "Locked.url", "Chan/desktop.ini"})
            m_before[pszName] = ReadBytes(Fav(pszName));
    }

    std::string Fav(const std::string& strName) const { return m_strFavorites + "/" + strName; }

    std::string m_strFavorites;
    std::string m_strPermOld;
    std::map<std::string, std::string> m_before;
};

TEST_F(UpdateMovedProgram, WithoutTheOptionNoFavoriteChanges)
{
    const CheckProcessResult result = Run({"-q", "-t", "5"});
    EXPECT_EQ(result.m_nExitStatus, 1) << result.m_strErr; // Gone.url is partially broken
    EXPECT_EQ(result.m_strOut, "");
    for (const auto& [strName, strBytes] : m_before)
        EXPECT_EQ(ReadBytes(Fav(strName)), strBytes) << strName;
}

TEST_F(UpdateMovedProgram, TheOptionChangesOnlyWhatItPrintsAndASecondCheckFindsNoRedirect)
{
    const std::string strResults = m_home.Path() + "/r.csv";
    const CheckProcessResult result = Run({"-q", "-t", "5", "--update-moved", "--results", strResults});
    // The read-only favourite could not be changed: named, and the status says so.
    EXPECT_EQ(result.m_nExitStatus, 2);
    EXPECT_NE(result.m_strErr.find("zorbel-check: Could not update \"Locked\": Permission denied\n"), std::string::npos)
        << result.m_strErr;
    EXPECT_NE(result.m_strErr.find("zorbel-check: \"Chan\" moved to " + m_server.Url("/ok/c") +
                                   " and is not updated (a channel is not rewritten)\n"),
              std::string::npos)
        << result.m_strErr;

    std::vector<std::string> printed = Lines(result.m_strOut);
    std::sort(printed.begin(), printed.end());
    EXPECT_EQ(printed, (std::vector<std::string>{
                           "Updated \"Link\": " + m_server.Url("/permanent/d") + " -> " + m_server.Url("/ok/d"),
                           "Updated \"News/Chain\": " + m_server.Url("/301-308") + " -> " + m_server.Url("/200"),
                           "Updated \"Perm\": " + m_server.Url("/permanent/p") + " -> " + m_server.Url("/ok/p"),
                       }));
    // Exactly the printed favourites changed, and only their addresses.
    std::string strPermNew = m_strPermOld;
    for (const char* pszSection : {"[InternetShortcut]\r\nURL=", "[InternetShortcut.W]\r\nURL="}) {
        const std::size_t nAt = strPermNew.find(pszSection) + std::strlen(pszSection);
        strPermNew.replace(nAt, m_server.Url("/permanent/p").size(), m_server.Url("/ok/p"));
    }
    EXPECT_EQ(ReadBytes(Fav("Perm.url")), strPermNew);
    EXPECT_EQ(ReadBytes(Fav("News/Chain.url")), "[DEFAULT]\r\nBASEURL=" + m_server.Url("/301-308") +
                                                    "\r\n[InternetShortcut]\r\nURL=" + m_server.Url("/200") + "\r\n");
    EXPECT_EQ(ReadBytes(Fav("Link.desktop")), "[Desktop Entry]\nType=Link\nName=Link\nURL=" + m_server.Url("/ok/d") + "\n");
    for (const char* pszName : {"Temp.url", "Gone.url", "Plain.url", "Loop.url", "Locked.url", "Chan/desktop.ini"})
        EXPECT_EQ(ReadBytes(Fav(pszName)), m_before[pszName]) << pszName;
    // The results show the favourites as they were checked.
    EXPECT_NE(ReadBytes(strResults).find(",Perm," + m_server.Url("/permanent/p") + ",Valid,Link is valid.," +
                                         m_server.Url("/ok/p") + "\r\n"),
              std::string::npos);

    // Checked again, the updated favourites answer where they are.
    const CheckProcessResult again = Run({"-q", "-t", "5", "--results", strResults});
    EXPECT_EQ(again.m_nExitStatus, 1) << again.m_strErr;
    const std::string strRows = ReadBytes(strResults);
    for (const auto& [strName, strUrl] : std::vector<std::pair<std::string, std::string>>{
             {",Perm,", "/ok/p"}, {",Link,", "/ok/d"}, {"News,Chain,", "/200"}})
        EXPECT_NE(strRows.find(strName + m_server.Url(strUrl) + ",Valid,Link is valid.,\r\n"), std::string::npos)
            << strName << "\n" << strRows;
}

// Pages that answer 200 are looked into unless --no-content-checks says
// not to, whatever the window's setting; and --update-moved never points a
// deep link at its site's home page, looked into or not.
TEST_F(CheckProgram, PagesAreLookedIntoUnlessTurnedOff)
{
    m_server.Serve("/shop/old-item.html", "<title>Page not found | Shop</title><h1>Page not found</h1>");
    const std::string strPage = PageWith({m_server.Url("/shop/old-item.html")});
    WriteFile(ConfigFile(), "[Settings]\nContentChecks=0\n");
    const CheckProcessResult judged = Run({"-t", "5", strPage});
    EXPECT_EQ(judged.m_nExitStatus, 1) << judged.m_strErr;
    EXPECT_NE(judged.m_strOut.find("\n1 link is \"partially\" broken\n"), std::string::npos) << judged.m_strOut;

    const CheckProcessResult plain = Run({"-t", "5", "--no-content-checks", strPage});
    EXPECT_EQ(plain.m_nExitStatus, 0) << plain.m_strErr;
    EXPECT_NE(plain.m_strOut.find("1 link is still valid"), std::string::npos) << plain.m_strOut;
}

TEST_F(UpdateMovedProgram, ADeepLinkSentHomeIsNeverUpdated)
{
    m_server.Serve("/", "<title>Home</title><h1>Welcome</h1>");
    m_server.ServeResponse("/2019/05/great-article.html",
                           {.m_nStatus = 301, .m_headers = {{"Location", "/"}}, .m_strBody = {}});
    const std::string strHome = scantest::UrlFile(m_server.Url("/2019/05/great-article.html"));
    WriteFile(Fav("Article.url"), strHome);
    for (const char* pszSwitch : {"--update-moved", "--no-content-checks"}) {
        std::vector<std::string> args{"-q", "-t", "5", "--update-moved"};
        if (std::string(pszSwitch) == "--no-content-checks")
            args.push_back(pszSwitch);
        const CheckProcessResult result = Run(args);
        EXPECT_EQ(result.m_strOut.find("Article"), std::string::npos) << result.m_strOut;
        EXPECT_EQ(ReadBytes(Fav("Article.url")), strHome);
    }
}

// Many checks at once, a few per host: a slow host's links wait for it while
// the others' go, yet the results keep the order of the page.
TEST_F(CheckProgram, ResultsKeepTheListOrderWhateverOrderTheChecksRanIn)
{
    CTestHttpServer server({"127.0.0.2", "127.0.0.3"});
    std::vector<std::string> links;
    for (int i = 0; i < 4; ++i)
        links.push_back(server.UrlOn("127.0.0.2", "/wait/1500/ok/" + std::to_string(i)));
    for (int i = 0; i < 8; ++i)
        links.push_back(server.UrlOn("127.0.0.3", "/ok/" + std::to_string(i)));
    const std::string strResults = m_home.Path() + "/r.csv";
    const CheckProcessResult result = Run({"-q", "--host-limit", "1", "--results", strResults, PageWith(links)});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;

    // The fast host was done before the slow one's second link was asked for.
    std::vector<std::string> asked;
    for (const CTestHttpServer::CRequest& request : server.Requests())
        asked.push_back(request.m_strPath);
    const auto itSecondSlow = std::find(asked.begin(), asked.end(), "/wait/1500/ok/1");
    ASSERT_NE(itSecondSlow, asked.end());
    EXPECT_EQ(std::count_if(asked.begin(), itSecondSlow, [](const std::string& s) { return s.starts_with("/ok/"); }), 8);
    EXPECT_EQ(server.PeakRequestsInFlight("127.0.0.2"), 1u);

    const std::vector<std::string> rows = Lines(ReadBytes(strResults), "\r\n");
    ASSERT_EQ(rows.size(), links.size() + 1);
    for (std::size_t i = 0; i < links.size(); ++i)
        EXPECT_EQ(rows[i + 1], ",<N/A>," + links[i] + ",Valid,Link is valid.,");
}

} // namespace

TEST_F(CheckProgram, AFileSizeLimitIsAWriteErrorAndLeavesNoTemporaryFile)
{
    std::vector<std::string> links;
    for (int i = 0; i < 20; ++i)
        links.push_back(m_server.Url("/ok/" + std::to_string(i)));
    const std::string strPage = PageWith(links);
    const std::string strOut = m_home.Path() + "/out";
    scantest::MakeFolder(strOut);
    CheckProcessOptions options;
    options.m_nFileSizeLimit = 300; // the results of 20 links are larger
    const CheckProcessResult result = Run({"-q", "-t", "5", "--results", strOut + "/results.csv", strPage}, options);
    EXPECT_EQ(result.m_nSignal, 0);
    EXPECT_EQ(result.m_nExitStatus, 2) << result.m_strErr;
    EXPECT_NE(result.m_strErr.find("File too large"), std::string::npos) << result.m_strErr;
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(strOut))
        left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.front();
}

TEST_F(CheckProgram, APageWithoutAnyLinkSaysSo)
{
    const std::string strPage = m_home.Path() + "/empty.html";
    WriteFile(strPage, "<html><body><p>Nothing to follow here.</p></body></html>\n");
    const CheckProcessResult result = Run({"-t", "5", strPage});
    EXPECT_EQ(result.m_nExitStatus, 0) << result.m_strErr;
    EXPECT_NE(result.m_strErr.find("no link was found in \"" + strPage + "\""), std::string::npos) << result.m_strErr;
    // A page with links does not.
    const CheckProcessResult withLinks = Run({"-q", "-t", "5", PageWith({m_server.Url("/ok/1")})});
    EXPECT_EQ(withLinks.m_strErr.find("no link was found"), std::string::npos) << withLinks.m_strErr;
}
