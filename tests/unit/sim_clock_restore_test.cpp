// Saving and restoring the simulated clock, which the race planner's search relies on; it also
// shows that a late tick delays every later one.
#include <gtest/gtest.h>

#include "fresh_game.h"

namespace {

TEST(SimClockRestore, ARestoredClockReplaysTheSameCountdown)
{
    startFreshGame();
    simClockAdvanceAndFire(1500); // tick 1, late: tick 2 is now due at 2500
    const SimClockState saved = simClockSave();
    const GameState savedGame = gameState;
    simClockAdvanceAndFire(2000); // a detour: tick 2 fires late, at 3500
    ASSERT_EQ(gameState.countdown, 1);

    simClockRestore(saved);
    gameState = savedGame;
    EXPECT_EQ(simClockNow(), 1500);
    EXPECT_EQ(simClockPendingTimers(), 1);
    for (const auto& [ms, countdown] : {std::pair{999, 2}, {1, 1}, {999, 1}, {1, 0}}) {
        simClockAdvanceAndFire(ms);
        EXPECT_EQ(gameState.countdown, countdown) << simClockNow();
    }
    EXPECT_EQ(gameState.phase, RacePhase::Racing);
    EXPECT_EQ(gameState.raceStartMs, 3500u);
}

} // namespace
