// Child processes started with fork and exec, each wait bounded by a deadline.
#include "subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <thread>

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr auto ReapPollInterval = std::chrono::milliseconds(5);
constexpr auto StopGracePeriod = std::chrono::seconds(3);

bool hasName(const std::string& entry, const std::string& name)
{
    return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
           entry[name.size()] == '=';
}

// The test process's environment with the overrides applied.
std::vector<std::string> childEnvironment(const EnvironmentOverrides& overrides)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        const bool overridden = std::any_of(overrides.begin(), overrides.end(),
                                            [&](const std::string& o) { return hasName(o, name); });
        if (!overridden)
            result.push_back(text);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> nullTerminated(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct Redirections {
    int stdinFd;
    int stdoutFd;
    int stderrFd;
    int keepFd;
    const char* directory; // null: stay where the test is
};

// Starts argv with the given descriptors as 0, 1 and 2; returns its pid, or -1.
pid_t spawn(const std::vector<std::string>& argv, const EnvironmentOverrides& overrides,
            const Redirections& r)
{
    if (argv.empty())
        return -1;
    // Everything the child needs is built before the fork: after it, only system calls.
    std::vector<std::string> args = argv;
    std::vector<std::string> environment = childEnvironment(overrides);
    std::vector<char*> argp = nullTerminated(args);
    std::vector<char*> envp = nullTerminated(environment);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    // The child goes when the test process goes, however that ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    if (dup2(r.stdinFd, 0) < 0 || dup2(r.stdoutFd, 1) < 0 || dup2(r.stderrFd, 2) < 0)
        _exit(127);
    if (r.keepFd >= 0)
        fcntl(r.keepFd, F_SETFD, 0);
    if (r.directory != nullptr && chdir(r.directory) != 0)
        _exit(127);
    execvpe(argp[0], argp.data(), envp.data());
    _exit(127);
}

// The exit status once the child has ended, or nothing if it is still running at the deadline.
std::optional<int> reapBy(pid_t pid, SteadyClock::time_point deadline)
{
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0)
            return status;
        if (SteadyClock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(ReapPollInterval);
    }
}

int openOrDevNull(const std::string& path, int flags)
{
    const char* target = path.empty() ? "/dev/null" : path.c_str();
    return open(target, flags | O_CLOEXEC, 0644);
}

void closeAll(std::initializer_list<int> fds)
{
    for (int fd : fds)
        if (fd >= 0)
            close(fd);
}

// Reads what the child writes until it closes its end or the deadline passes.
std::string readUntilClosed(int fd, SteadyClock::time_point deadline)
{
    std::string output;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0)
            return output;
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue; // timed out (the loop then returns) or interrupted
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return output;
        output.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

CommandResult runCommand(const std::vector<std::string>& argv, const EnvironmentOverrides& environment,
                         std::chrono::milliseconds timeout)
{
    CommandResult result;
    const auto deadline = SteadyClock::now() + timeout;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;
    const int devNullIn = openOrDevNull("", O_RDONLY);
    const int devNullOut = openOrDevNull("", O_WRONLY);
    const pid_t pid = spawn(argv, environment, {devNullIn, pipeFds[1], devNullOut, -1, nullptr});
    closeAll({pipeFds[1], devNullIn, devNullOut});
    if (pid < 0) {
        close(pipeFds[0]);
        return result;
    }
    result.output = readUntilClosed(pipeFds[0], deadline);
    close(pipeFds[0]);
    const std::optional<int> status = reapBy(pid, deadline);
    if (!status) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0); // bounded: a killed process ends at once
        return result;
    }
    result.finished = WIFEXITED(*status);
    result.exitCode = WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    return result;
}

bool ChildProcess::start(const ChildOptions& options)
{
    stop();
    const int in = openOrDevNull("", O_RDONLY);
    const int out = openOrDevNull(options.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC);
    const int err = openOrDevNull(options.stderrPath, O_WRONLY | O_CREAT | O_TRUNC);
    if (in >= 0 && out >= 0 && err >= 0) {
        const char* directory = options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
        pid_ = spawn(options.argv, options.environment, {in, out, err, options.inheritedFd, directory});
    }
    closeAll({in, out, err});
    return pid_ > 0;
}

bool ChildProcess::running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0)
        return true;
    pid_ = -1; // reaped (or lost): it is gone
    return false;
}

void ChildProcess::stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    if (!reapBy(pid_, SteadyClock::now() + StopGracePeriod)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}
