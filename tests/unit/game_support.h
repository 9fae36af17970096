// The game's process-wide state put back to its start on a simulated clock, and races played from
// script lines frame by frame, as the game and vantor-sim play them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/frame.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "game/race_script.h"
#include "game/sim_clock.h"
#include "sim/car.h"
#include "sim/grapple.h"

// Start-up as main does it, less the window and the models; the countdown is armed at time 0.
inline void startFreshGame()
{
    gameState = GameState{};
    car = Car{};
    startScriptedRace();
}

// Runs the countdown until the race starts; the clock then reads 3000.
inline void advanceToRaceStart()
{
    for (int second = 0; second < 3; ++second)
        simClockAdvanceAndFire(1000);
}

// The state after one frame; clock is the simulated time the frame ran at.
struct Played {
    int clock;
    RacePhase phase;
    int countdown;
    Car car;
};

// Plays the script's frames on the current game; a line the script reader refuses fails the test.
inline std::vector<Played> play(std::string script)
{
    std::vector<Played> played;
    std::FILE* in = fmemopen(script.data(), script.size(), "r");
    RaceScriptReader reader(in);
    ScriptFrame frame;
    RaceScriptReader::Result result;
    while ((result = reader.next(frame)) == RaceScriptReader::Result::Frame) {
        const int clock = simClockNow();
        playScriptFrame(frame, false);
        played.push_back({clock, gameState.phase, gameState.countdown, car});
    }
    EXPECT_EQ(result, RaceScriptReader::Result::End) << reader.error();
    std::fclose(in);
    return played;
}

// n lines "<ms> <controls>".
inline std::string frames(int n, int ms, const std::string& controls)
{
    std::string lines;
    for (int i = 0; i < n; ++i)
        lines += std::to_string(ms) + " " + controls + "\n";
    return lines;
}

// The countdown in frames of 16 ms: tick 3 fires at 3024 ms, before the 190th frame, so the next
// frame of a script after these is the first racing one.
constexpr int CountdownFrames = 189;
inline std::string countdown() { return frames(CountdownFrames, 16, "-"); }
