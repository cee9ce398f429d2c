#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Runs zorbel-check as a child process with an environment of the test's
// own (a private home, no proxy) and collects what it printed.
struct CheckProcessResult {
    int m_nExitStatus = -1; // -1 when it was ended by a signal
    int m_nSignal = 0;
    std::string m_strOut;
    std::string m_strErr;
};

struct CheckProcessOptions {
    std::map<std::string, std::string> m_env; // added to the base environment
    bool m_bErrToTerminal = false;            // standard error is a pseudo-terminal
    // Called once the program has started, with its pid.
    std::function<void(pid_t)> m_onStart;
    // Called while the program runs, with its pid and what it has written
    // to standard error so far, every time more arrives.
    std::function<void(pid_t, const std::string&)> m_onErr;
    // Standard output goes to this file instead of being collected.
    std::string m_strOutPath;
    // Standard output is a pipe whose reader has gone.
    bool m_bOutClosed = false;
    // Run as the unprivileged user "nobody" when the test runs as the
    // super-user, so that permissions apply to it.
    bool m_bUnprivileged = false;
    // A file size limit (RLIMIT_FSIZE, bytes) for the program; 0: none.
    unsigned long m_nFileSizeLimit = 0;
};

CheckProcessResult RunZorbelCheckProcess(const std::vector<std::string>& args,
                                         const CheckProcessOptions& options);
