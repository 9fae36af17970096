// Saving and restoring the simulated clock, which the race planner's search relies on: going back to
// a saved moment brings back its time and its pending timers, so the race replays the same from there.
#include <gtest/gtest.h>

#include "fresh_game.h"

namespace {

TEST(SimClockRestore, ARestoredClockReplaysTheSameCountdown)
{
    startFreshGame();
    simClockAdvanceAndFire(1500); // tick 1, late: tick 2 is now due at 2500
    const SimClockState saved = simClockSave();
    const GameState savedGame = gameState;

    // A detour that fires tick 2 late, at 3500, and arms tick 3 for 4500.
    simClockAdvanceAndFire(2000);
    ASSERT_EQ(gameState.countdown, 1);

    simClockRestore(saved);
    gameState = savedGame;
    EXPECT_EQ(simClockNow(), 1500);
    EXPECT_EQ(simClockPendingTimers(), 1);
    EXPECT_EQ(gameState.countdown, 2);

    // From the saved moment the countdown runs as if the detour had never happened.
    simClockAdvanceAndFire(999);
    EXPECT_EQ(gameState.countdown, 2);
    simClockAdvanceAndFire(1);
    EXPECT_EQ(gameState.countdown, 1);
    simClockAdvanceAndFire(1000);
    EXPECT_EQ(gameState.phase, RacePhase::Racing);
    EXPECT_EQ(gameState.raceStartMs, 3500u);
}

} // namespace
