// Runs the real vantor-sim on a script and reads back its frames.
#pragma once

#include <string>
#include <vector>

struct SimFrame {
    long k = 0;
    long clock = 0;
    std::string phase;
    int countdown = 0;
    double x = 0, y = 0, z = 0, heading = 0, vx = 0, vy = 0, vz = 0, steer = 0;
    int grapple = 0;
    std::string time;
};

struct SimRun {
    int exitStatus = -1;
    std::string output;     // standard output
    std::string errors;     // standard error
    std::vector<SimFrame> frames;
};

// Feeds the script to vantor-sim on its standard input.
SimRun runSim(const std::string& script);

// n lines "<ms> <controls>", for building scripts.
std::string repeatFrame(int n, int ms, const std::string& controls);

// The 189 frames of 16 ms of the countdown: tick 3 fires at 3024 ms, before the 190th frame,
// so the next line of a script is the first racing frame.
std::string countdownFrames();
