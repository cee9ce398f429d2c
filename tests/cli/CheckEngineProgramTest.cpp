// zorbel-check on its event loop, as a user runs it: Ctrl+C with links that
// never answer and a time-out of a minute ends the run within a second,
// with the report, the results and the abandoned links as not checked; a
// server of a private CA is checked with --ca-file and refused without it;
// a --ca-file that cannot serve is a clear error.

#include <signal.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <string>
#include <vector>

#include "CheckProcess.h"
#include "core/export/ExportTestSupport.h"
#include "support/ScanTestFiles.h"
#include "support/TestHttpServer.h"
#include "support/TestTlsFront.h"
#include "support/WaitUntil.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using export_test::ReadBytes;
using scantest::TempFolder;
using scantest::WriteFile;

std::size_t CountOf(const std::string& strText, const std::string& strWhat)
{
    std::size_t n = 0;
    for (std::size_t nAt = strText.find(strWhat); nAt != std::string::npos; nAt = strText.find(strWhat, nAt + 1))
        ++n;
    return n;
}

class CheckEngineProgram : public ::testing::Test {
protected:
    std::string PageWith(const std::vector<std::string>& links)
    {
        std::string strPage;
        for (const std::string& strLink : links)
            strPage += "<a href=\"" + strLink + "\">link</a>\n";
        const std::string strPath = m_home.Path() + "/page.html";
        WriteFile(strPath, strPage);
        return strPath;
    }

    CheckProcessResult Run(const std::vector<std::string>& args, CheckProcessOptions options = {})
    {
        options.m_env.emplace("HOME", m_home.Path());
        options.m_env.emplace("XDG_CONFIG_HOME", m_home.Path() + "/.config");
        return RunZorbelCheckProcess(args, options);
    }

    TempFolder m_home;
    CTestHttpServer m_server;
};

} // namespace

TEST_F(CheckEngineProgram, CtrlCWithLinksThatNeverAnswerEndsWithinASecond)
{
    std::vector<std::string> links;
    for (int i = 0; i < 20; ++i)
        links.push_back(m_server.Url("/hang/" + std::to_string(i)));
    links.push_back(m_server.Url("/ok/answered"));
    const std::string strResults = m_home.Path() + "/r.csv";
    std::atomic<long long> nStopMs{-1};
    Clock::time_point tSignal{};
    CheckProcessOptions options;
    std::thread watcher;
    options.m_onStart = [&](pid_t pid) {
        watcher = std::thread([&, pid] {
            WaitUntil([&] { return m_server.RequestsInFlight() >= 20 && m_server.RequestCount() >= 21; }, 20s);
            std::this_thread::sleep_for(500ms); // the answered link's outcome is recorded
            tSignal = Clock::now();
            ::kill(pid, SIGINT);
        });
    };
    const CheckProcessResult result =
        Run({"-t", "60", "--host-limit", "0", "--results", strResults, PageWith(links)}, options);
    nStopMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - tSignal).count();
    watcher.join();
    EXPECT_EQ(result.m_nExitStatus, 130) << result.m_strErr;
    EXPECT_LT(nStopMs.load(), 1000);
    EXPECT_NE(result.m_strErr.find("Stopped: 20 of 21 links were not checked."), std::string::npos) << result.m_strErr;
    const std::string strCsv = ReadBytes(strResults);
    EXPECT_EQ(CountOf(strCsv, ",Not Checked,"), 20u) << strCsv;
    EXPECT_EQ(CountOf(strCsv, ",Valid,"), 1u) << strCsv;
    EXPECT_NE(result.m_strOut.find("1 link is still valid"), std::string::npos) << result.m_strOut;
}

TEST_F(CheckEngineProgram, APrivateCaIsTrustedWithCaFileOnly)
{
    CTestTlsFront tls(m_server);
    const std::string strPage = PageWith({tls.Url("/ok/1"), tls.Url("/missing/2")});
    const CheckProcessResult trusted = Run({"-t", "10", "--ca-file", CTestTlsFront::CaFile(), strPage});
    EXPECT_EQ(trusted.m_nExitStatus, 1) << trusted.m_strErr; // the missing page
    EXPECT_NE(trusted.m_strOut.find("1 link is still valid"), std::string::npos) << trusted.m_strOut;
    EXPECT_NE(trusted.m_strOut.find("1 link is \"partially\" broken"), std::string::npos) << trusted.m_strOut;

    const CheckProcessResult untrusted = Run({"-t", "10", strPage});
    EXPECT_NE(untrusted.m_strOut.find("0 links are still valid"), std::string::npos) << untrusted.m_strOut;
}

TEST_F(CheckEngineProgram, ACaFileThatCannotServeIsAnError)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1")});
    const CheckProcessResult missing = Run({"--ca-file", m_home.Path() + "/none.pem", strPage});
    EXPECT_EQ(missing.m_nExitStatus, 2);
    EXPECT_NE(missing.m_strErr.find("--ca-file"), std::string::npos) << missing.m_strErr;
    EXPECT_NE(missing.m_strErr.find("No such file or directory"), std::string::npos) << missing.m_strErr;

    WriteFile(m_home.Path() + "/not-a-bundle.pem", "just text\n");
    const CheckProcessResult notPem = Run({"--ca-file", m_home.Path() + "/not-a-bundle.pem", strPage});
    EXPECT_EQ(notPem.m_nExitStatus, 2);
    EXPECT_NE(notPem.m_strErr.find("holds no certificate"), std::string::npos) << notPem.m_strErr;
    EXPECT_EQ(m_server.RequestCount(), 0u); // nothing was checked
}

TEST_F(CheckEngineProgram, ThreadsUpTo1024AreAcceptedAndNoMore)
{
    const std::string strPage = PageWith({m_server.Url("/ok/1")});
    EXPECT_EQ(Run({"-q", "-j", "1024", strPage}).m_nExitStatus, 0);
    const CheckProcessResult tooMany = Run({"-q", "-j", "1025", strPage});
    EXPECT_EQ(tooMany.m_nExitStatus, 2);
    EXPECT_NE(tooMany.m_strErr.find("from 1 to 1024"), std::string::npos) << tooMany.m_strErr;
}
