#include "CheckProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace {

// The variables a child keeps from the test: what the sanitizers read.
constexpr const char* kInherited[] = {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"};

bool ReadSome(int fd, std::string& strTo)
{
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
        strTo.append(buffer, std::size_t(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

} // namespace

CheckProcessResult RunZorbelCheckProcess(const std::vector<std::string>& args, const CheckProcessOptions& options)
{
    std::map<std::string, std::string> env;
    for (const char* pszName : kInherited)
        if (const char* pszValue = std::getenv(pszName))
            env[pszName] = pszValue;
    env["LC_ALL"] = "C.UTF-8";
    env["no_proxy"] = "*";
    for (const auto& [strName, strValue] : options.m_env)
        env[strName] = strValue;

    std::vector<std::string> envStrings;
    for (const auto& [strName, strValue] : env)
        envStrings.push_back(strName + "=" + strValue);
    std::vector<char*> envp;
    for (auto& str : envStrings)
        envp.push_back(str.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings{ZORBEL_CHECK_EXE};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& str : argStrings)
        argv.push_back(str.data());
    argv.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    if (options.m_bErrToTerminal) {
        if (openpty(&errPipe[0], &errPipe[1], nullptr, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty");
        fcntl(errPipe[0], F_SETFD, FD_CLOEXEC);
        fcntl(errPipe[1], F_SETFD, FD_CLOEXEC);
    } else if (pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }

    if (options.m_bOutClosed)
        close(outPipe[0]);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork");
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        if (!options.m_strOutPath.empty()) {
            const int hOut = open(options.m_strOutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(hOut, STDOUT_FILENO);
        } else {
            dup2(outPipe[1], STDOUT_FILENO);
        }
        dup2(errPipe[1], STDERR_FILENO);
        if (options.m_bUnprivileged && geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(126);
        }
        if (options.m_nFileSizeLimit != 0) {
            const rlimit limit{options.m_nFileSizeLimit, options.m_nFileSizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(126);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    if (options.m_bOutClosed)
        outPipe[0] = -1;
    close(errPipe[1]);
    if (options.m_onStart)
        options.m_onStart(pid);

    CheckProcessResult result;
    bool bOutOpen = outPipe[0] >= 0;
    bool bErrOpen = true;
    while (bOutOpen || bErrOpen) {
        pollfd fds[2] = {{bOutOpen ? outPipe[0] : -1, POLLIN, 0}, {bErrOpen ? errPipe[0] : -1, POLLIN, 0}};
        if (poll(fds, 2, 1000) < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            bOutOpen = ReadSome(outPipe[0], result.m_strOut);
        if (fds[1].revents != 0) {
            // A pseudo-terminal reports EIO once the child has closed its side.
            bErrOpen = ReadSome(errPipe[0], result.m_strErr);
            if (bErrOpen && options.m_onErr)
                options.m_onErr(pid, result.m_strErr);
        }
    }
    if (outPipe[0] >= 0)
        close(outPipe[0]);
    close(errPipe[0]);

    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(nStatus))
        result.m_nExitStatus = WEXITSTATUS(nStatus);
    else if (WIFSIGNALED(nStatus))
        result.m_nSignal = WTERMSIG(nStatus);
    return result;
}
