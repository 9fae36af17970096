// vantor-sim: the race without a window. Reads one frame per input line, "<ms> <controls> [space]",
// runs the game's own race flow, input callbacks and simulation against a simulated clock, and
// prints the state after each frame. Usage: vantor-sim < script.txt
#include <cstdio>

#include "game/race_script.h"
#include "game/sim_clock.h"

int main(int argc, char**)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: vantor-sim < script.txt\n");
        return 2;
    }
    startScriptedRace();
    RaceScriptReader script(stdin);
    ScriptFrame frame;
    long frameNumber = 0;
    for (;;) {
        const RaceScriptReader::Result result = script.next(frame);
        if (result == RaceScriptReader::Result::End)
            return 0;
        if (result == RaceScriptReader::Result::Error) {
            std::fprintf(stderr, "vantor-sim: %s\n", script.error());
            return 2;
        }
        const int frameClock = simClockNow();
        playScriptFrame(frame, false);
        ++frameNumber;
        std::printf("%s\n", describeScriptFrame(frameNumber, frameClock).c_str());
    }
}
