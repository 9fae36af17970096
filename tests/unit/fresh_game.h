// Puts every process-wide record of the game back to its start-up state, on a simulated clock.
#pragma once

#include "game/camera.h"
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

// Runs the game's countdown until the race starts; the clock then reads 3000.
inline void advanceToRaceStart()
{
    for (int second = 0; second < 3; ++second)
        simClockAdvanceAndFire(1000);
}
