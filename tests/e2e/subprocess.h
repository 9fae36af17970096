// Child processes for the end-to-end tests: short commands whose output is read back, and
// long-running ones (the X server, the game) that are stopped at the end. Every wait is bounded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// Variables set (or replaced) in a child's environment, each as "NAME=value".
using EnvironmentOverrides = std::vector<std::string>;

struct CommandResult {
    bool finished = false; // false when it could not start or was killed at its deadline
    int exitCode = -1;     // the exit status when it exited normally
    std::string output;    // all it wrote to standard output

    bool succeeded() const { return finished && exitCode == 0; }
};

// Runs argv (looked up in PATH) with standard input empty and standard error discarded, and
// returns what it printed. A command still running after the timeout is killed.
CommandResult runCommand(const std::vector<std::string>& argv, const EnvironmentOverrides& environment,
                         std::chrono::milliseconds timeout);

struct ChildOptions {
    std::vector<std::string> argv;
    EnvironmentOverrides environment;
    std::string workingDirectory; // empty: the test's own
    std::string stdoutPath;       // empty: discarded
    std::string stderrPath;       // empty: discarded
    int inheritedFd = -1;         // one descriptor the child keeps open, or -1
};

// A process that runs in the background until stop() or the end of the owner's scope. It also
// dies with the thread that started it, so a test killed at its timeout leaves nothing behind
// (start long-lived children from a thread that lives as long as they should).
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    bool start(const ChildOptions& options);
    bool running();

    // Asks it to end, then forces it after a grace period; always reaps it.
    void stop();

private:
    pid_t pid_ = -1;
};
