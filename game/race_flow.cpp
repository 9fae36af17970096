// The race's phases, the countdown on one-second timers, the race clock and the restart.
#include "game/race_flow.h"

#include <algorithm>
#include <cstdint>

#include "game/clock.h"
#include "sim/car.h"

constexpr unsigned int CountdownTickMs = 1000;

GameState gameState;

void resetRace()
{
    gameState.phase = RacePhase::Countdown;
    car.position = CarStartPosition;
    car.orientation = {};
    car.velocity = {};
    car.steer = 0.0f;
}

void startCountdown()
{
    armTimer(CountdownTickMs, countdownTick, 1);
    gameState.countdown = 3;
}

void countdownTick(int value)
{
    // Each tick arms the next before it changes the state, so the ticks are one second apart
    // measured from callback to callback.
    if (gameState.phase == RacePhase::Countdown) {
        switch (value) {
        case 1:
            armTimer(CountdownTickMs, countdownTick, 2);
            gameState.countdown = 2;
            break;
        case 2:
            armTimer(CountdownTickMs, countdownTick, 3);
            gameState.countdown = 1;
            break;
        case 3:
            armTimer(CountdownTickMs, countdownTick, 4);
            gameState.countdown = 0;
            gameState.phase = RacePhase::Racing;
            gameState.raceStartMs = static_cast<std::uint32_t>(elapsedMs());
            break;
        default:
            break;
        }
    } else if (value == 4 && gameState.phase == RacePhase::Racing) {
        gameState.countdown = -1;
    }
}

bool raceHasEnded()
{
    return gameState.phase == RacePhase::Won || gameState.phase == RacePhase::Disqualified;
}

void enterEndScreen()
{
    car.grappleAttached = false;
    gameState.endScreenShown = true;
}

void restartIfRequested()
{
    if (!gameState.restartRequested)
        return;
    gameState.endScreenShown = false;
    gameState.restartRequested = false;
    resetRace();
    startCountdown();
}

void updateFrameTiming(std::int32_t nowMs)
{
    if (!gameState.timingStarted) {
        gameState.timingStarted = true;
        gameState.frameDeltaMs = 1;
        gameState.lastFrameMs = nowMs;
        return;
    }
    // GLUT's counter is a signed 32-bit count. A reading below the last one that is not negative
    // means the counter started again from zero, and the time since then is the reading itself.
    // Any other reading, across the wrap from the largest positive count to negative ones
    // included, is a step forward by the unsigned difference, which is the true elapsed time. A
    // step too long for the field (a stall of more than 24 days) is held at the longest it holds.
    if (nowMs < gameState.lastFrameMs && nowMs >= 0) {
        gameState.frameDeltaMs = nowMs;
    } else {
        const std::uint32_t elapsed =
            static_cast<std::uint32_t>(nowMs) - static_cast<std::uint32_t>(gameState.lastFrameMs);
        gameState.frameDeltaMs = static_cast<std::int32_t>(std::min<std::uint32_t>(elapsed, INT32_MAX));
    }
    gameState.lastFrameMs = nowMs;
}
