// vantor-sim: the race without a window. Reads one frame per input line, "<ms> <controls> [space]",
// runs the game's own race flow, input callbacks and simulation against a simulated clock, and
// prints the state after each frame. Usage: vantor-sim < script.txt
#include <cstdio>
#include <string>

#include "game/hud.h"
#include "game/race_flow.h"
#include "game/race_script.h"
#include "game/sim_clock.h"
#include "sim/car.h"

namespace {

const char* phaseName(RacePhase phase)
{
    switch (phase) {
    case RacePhase::Countdown: return "Countdown";
    case RacePhase::Racing: return "Racing";
    case RacePhase::Won: return "Won";
    case RacePhase::Disqualified: return "Disqualified";
    }
    return "?";
}

// While racing, the running time at the clock the frame ran at; when won, the final time.
std::string raceTimeText(int frameClock)
{
    if (gameState.phase == RacePhase::Racing)
        return formatRaceTime(static_cast<std::uint32_t>(frameClock) - gameState.raceStartMs, "");
    if (gameState.phase == RacePhase::Won)
        return formatRaceTime(gameState.raceEndMs - gameState.raceStartMs, "");
    return "-";
}

} // namespace

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
        const std::string time = raceTimeText(frameClock);

        ++frameNumber;
        std::printf("%ld %d %s %d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %d %s\n", frameNumber, simClockNow(),
                    phaseName(gameState.phase), gameState.countdown, car.position.x, car.position.y, car.position.z,
                    car.orientation.y, car.velocity.x, car.velocity.y, car.velocity.z, car.steer,
                    car.grappleAttached ? 1 : 0, time.c_str());
    }
}
