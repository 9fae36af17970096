// Runs the real vantor-sim on a script and reads back its frames.
#include "sim_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string temporaryPath(const char* stem)
{
    char path[] = "/tmp/vantor-sim-test-XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0)
        close(fd);
    return std::string(path) + "." + stem;
}

} // namespace

SimRun runSim(const std::string& script)
{
    const std::string input = temporaryPath("in");
    const std::string output = temporaryPath("out");
    const std::string errors = temporaryPath("err");
    std::ofstream(input, std::ios::binary) << script;

    const std::string command = std::string("'") + VANTOR_SIM_PATH + "' < '" + input + "' > '" + output +
                                "' 2> '" + errors + "'";
    SimRun run;
    const int status = std::system(command.c_str());
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = readWholeFile(output);
    run.errors = readWholeFile(errors);
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::remove(errors.c_str());

    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
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
