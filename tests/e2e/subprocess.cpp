// Child processes started with fork and exec, each wait bounded by a deadline.
#include "subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <optional>
#include <thread>

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts argv with in, out and err as descriptors 0, 1 and 2; returns its pid, or -1.
pid_t spawn(const ChildOptions& o, int in, int out, int err)
{
    if (o.argv.empty())
        return -1;
    // Everything the child needs is built before the fork: after it, only system calls.
    std::vector<std::string> args = o.argv, env = o.environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e, name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(o.environment.begin(), o.environment.end(), [&](const std::string& v) { return v.rfind(name, 0) == 0; }))
            env.push_back(entry);
    }
    std::vector<char*> argp = pointersTo(args), envp = pointersTo(env);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL); // the child goes when the test process goes
    if (getppid() != parent || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        (!o.workingDirectory.empty() && chdir(o.workingDirectory.c_str()) != 0))
        _exit(127);
    if (o.inheritedFd >= 0)
        fcntl(o.inheritedFd, F_SETFD, 0);
    execvpe(argp[0], argp.data(), envp.data());
    _exit(127);
}

// The exit status once the child has ended, or nothing if it still runs at the deadline.
std::optional<int> reapBy(pid_t pid, SteadyClock::time_point deadline)
{
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0)
            return status;
        if (SteadyClock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int openOr(const std::string& path, int flags)
{
    return open(path.empty() ? "/dev/null" : path.c_str(), flags | O_CLOEXEC, 0644);
}

} // namespace

CommandResult runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         std::chrono::milliseconds timeout)
{
    CommandResult result;
    char path[] = "/tmp/vantor-command-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return result;
    close(fd);
    {
        ChildProcess child; // killed at the end of this scope if still running
        const std::optional<int> status = child.start({argv, environment, "", path, "", -1}) ? child.wait(timeout) : std::nullopt;
        result.finished = status && WIFEXITED(*status);
        result.exitCode = result.finished ? WEXITSTATUS(*status) : -1;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    result.output = bytes.str();
    unlink(path);
    return result;
}

bool ChildProcess::start(const ChildOptions& options)
{
    stop();
    const int in = openOr("", O_RDONLY);
    const int out = openOr(options.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC);
    const int err = openOr(options.stderrPath, O_WRONLY | O_CREAT | O_TRUNC);
    if (in >= 0 && out >= 0 && err >= 0)
        pid_ = spawn(options, in, out, err);
    for (int fd : {in, out, err})
        if (fd >= 0)
            close(fd);
    return pid_ > 0;
}

bool ChildProcess::running()
{
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0)
        return true;
    pid_ = -1;
    return false;
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout)
{
    const std::optional<int> status = pid_ > 0 ? reapBy(pid_, SteadyClock::now() + timeout) : std::optional<int>(-1);
    if (status)
        pid_ = -1;
    return status;
}

void ChildProcess::stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    if (!reapBy(pid_, SteadyClock::now() + std::chrono::seconds(3))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}
