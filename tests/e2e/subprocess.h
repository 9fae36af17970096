// Child processes for the end-to-end tests; every wait is bounded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct CommandResult {
    bool finished = false; // false when it could not start or was killed at its deadline
    int exitCode = -1;
    std::string output; // its standard output
    bool succeeded() const { return finished && exitCode == 0; }
};

// Runs argv (looked up in PATH) with the "NAME=value" variables added, standard input empty and
// standard error discarded; killed if still running at the timeout.
CommandResult runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         std::chrono::milliseconds timeout);

struct ChildOptions {
    std::vector<std::string> argv, environment;
    std::string workingDirectory, stdoutPath, stderrPath; // empty: the test's own / discarded
    int inheritedFd = -1;                                  // one descriptor the child keeps open
};

// A background process, stopped by stop() or at the end of its scope; it also dies with the test.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }
    bool start(const ChildOptions& options);
    bool running();
    // Waits for it to end: its wait status, or nothing if it still runs at the timeout.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    void stop(); // SIGTERM, then SIGKILL after a grace period; always reaps

private:
    pid_t pid_ = -1;
};
