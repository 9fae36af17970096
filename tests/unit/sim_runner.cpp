// Runs the real vantor-sim on a script and reads back its frames.
#include "sim_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

SimRun runSim(const std::string& script)
{
    char stem[] = "/tmp/vantor-sim-test-XXXXXX";
    const int fd = mkstemp(stem);
    if (fd >= 0)
        close(fd);
    const std::string paths[] = {std::string(stem) + ".in", std::string(stem) + ".out", std::string(stem) + ".err"};
    std::ofstream(paths[0], std::ios::binary) << script;
    const std::string command =
        std::string("'") + VANTOR_SIM_PATH + "' < '" + paths[0] + "' > '" + paths[1] + "' 2> '" + paths[2] + "'";
    SimRun run;
    const int status = std::system(command.c_str());
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::string* into[] = {nullptr, &run.output, &run.errors};
    for (int i = 0; i < 3; ++i) {
        if (into[i] != nullptr) {
            std::stringstream text;
            text << std::ifstream(paths[i], std::ios::binary).rdbuf();
            *into[i] = text.str();
        }
        std::remove(paths[i].c_str());
    }
    std::remove(stem);
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        SimFrame f;
        fields >> f.k >> f.clock >> f.phase >> f.countdown >> f.x >> f.y >> f.z >> f.heading >> f.vx >> f.vy >>
            f.vz >> f.steer >> f.grapple >> f.time;
        run.frames.push_back(f);
    }
    return run;
}

std::string repeatFrame(int n, int ms, const std::string& controls)
{
    std::string lines;
    for (int i = 0; i < n; ++i)
        lines += std::to_string(ms) + " " + controls + "\n";
    return lines;
}

std::string countdownFrames() { return repeatFrame(189, 16, "-"); }
