// The countdown, the race clock, stale ticks, the restart, and the frame timing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fresh_game.h"
#include "game/frame.h"

namespace {

class RaceFlow : public ::testing::Test {
protected:
    void SetUp() override { startFreshGame(); }
};

TEST_F(RaceFlow, CountdownTicksOneSecondApartIntoTheRace)
{
    EXPECT_EQ(gameState.phase, RacePhase::Countdown);
    EXPECT_EQ(gameState.countdown, 3);

    struct Step {
        int atMs;
        int countdown;
        RacePhase phase;
    };
    // Just before each second nothing has changed; at the second the next tick shows.
    const Step timeline[] = {
        {999, 3, RacePhase::Countdown},  {1000, 2, RacePhase::Countdown},
        {1999, 2, RacePhase::Countdown}, {2000, 1, RacePhase::Countdown},
        {2999, 1, RacePhase::Countdown}, {3000, 0, RacePhase::Racing},
        {3999, 0, RacePhase::Racing},    {4000, -1, RacePhase::Racing},
        {9000, -1, RacePhase::Racing},
    };
    for (const Step& step : timeline) {
        simClockAdvanceAndFire(step.atMs - simClockNow());
        EXPECT_EQ(gameState.countdown, step.countdown) << "at " << step.atMs << " ms";
        EXPECT_EQ(gameState.phase, step.phase) << "at " << step.atMs << " ms";
    }
    EXPECT_EQ(gameState.raceStartMs, 3000u);
    EXPECT_EQ(simClockPendingTimers(), 0) << "tick 4 ends the chain";
}

TEST_F(RaceFlow, LateTicksAreMeasuredFromCallbackToCallback)
{
    // A main loop that is late by 250 ms for the first tick delays every later tick as well.
    simClockAdvanceAndFire(1250);
    EXPECT_EQ(gameState.countdown, 2);
    simClockAdvanceAndFire(999);
    EXPECT_EQ(gameState.countdown, 2);
    simClockAdvanceAndFire(1);
    EXPECT_EQ(gameState.countdown, 1);
    simClockAdvanceAndFire(1000);
    EXPECT_EQ(gameState.phase, RacePhase::Racing);
    EXPECT_EQ(gameState.raceStartMs, 3250u);
}

TEST_F(RaceFlow, TickFourAfterAnEarlyEndLeavesTheCountdownAtZero)
{
    advanceToRaceStart();
    gameState.phase = RacePhase::Won; // as the track test would, within the first second
    simClockAdvanceAndFire(1000);
    EXPECT_EQ(gameState.countdown, 0);
    EXPECT_EQ(gameState.phase, RacePhase::Won);
}

TEST_F(RaceFlow, StaleTickFourDuringANewCountdownIsIgnored)
{
    advanceToRaceStart();
    gameState.phase = RacePhase::Disqualified;
    enterEndScreen();
    keyUp(' ', 0, 0);
    simClockAdvanceAndFire(500);
    restartIfRequested(); // the end screen's last step, half a second before the old tick 4
    ASSERT_EQ(gameState.phase, RacePhase::Countdown);
    ASSERT_EQ(simClockPendingTimers(), 2);

    simClockAdvanceAndFire(500); // the old tick 4 arrives
    EXPECT_EQ(gameState.countdown, 3);
    EXPECT_EQ(gameState.phase, RacePhase::Countdown);
    simClockAdvanceAndFire(500); // the new tick 1
    EXPECT_EQ(gameState.countdown, 2);
}

TEST_F(RaceFlow, SpaceRestartsOnlyWhenReleasedOnTheEndScreen)
{
    // During the countdown and the race the release does nothing and leaves nothing pending.
    keyDown(' ', 0, 0);
    keyUp(' ', 0, 0);
    advanceToRaceStart();
    keyUp(' ', 0, 0);
    EXPECT_FALSE(gameState.restartRequested);

    gameState.phase = RacePhase::Disqualified;
    // The race ended, but its end screen has not been shown yet: still nothing.
    keyUp(' ', 0, 0);
    EXPECT_FALSE(gameState.restartRequested);

    enterEndScreen();
    keyDown(' ', 0, 0); // pressing and holding does not restart
    restartIfRequested();
    EXPECT_EQ(gameState.phase, RacePhase::Disqualified);

    keyUp(' ', 0, 0);
    EXPECT_TRUE(gameState.restartRequested);
    restartIfRequested();
    EXPECT_EQ(gameState.phase, RacePhase::Countdown);
    EXPECT_EQ(gameState.countdown, 3);
    EXPECT_FALSE(gameState.restartRequested);
    EXPECT_FALSE(gameState.endScreenShown);
}

TEST_F(RaceFlow, RestartPutsTheCarBackAndLeavesTheRestAlone)
{
    advanceToRaceStart();
    car.position = {30.0f, 7.0f, 900.0f, 1.0f};
    car.orientation = {0.0f, 45.0f, 0.0f, 1.0f};
    car.velocity = {0.1f, -0.2f, 0.7f, 1.0f};
    car.steer = 0.4f;
    car.grappleAttached = true;
    car.anchor = {-2.0f, 100.0f, 2350.0f, 1.0f};
    input.forwardHeld = true;
    gameState.phase = RacePhase::Won;
    gameState.raceEndMs = 5000;

    enterEndScreen(); // every end-screen frame lets go of the grapple
    keyUp(' ', 0, 0);
    restartIfRequested();

    EXPECT_EQ(car.position.x, -2.0f);
    EXPECT_EQ(car.position.y, 1.0f);
    EXPECT_EQ(car.position.z, 4.0f);
    EXPECT_EQ(car.orientation.y, 0.0f);
    EXPECT_EQ(car.velocity.x, 0.0f);
    EXPECT_EQ(car.velocity.y, 0.0f);
    EXPECT_EQ(car.velocity.z, 0.0f);
    EXPECT_EQ(car.steer, 0.0f);
    EXPECT_FALSE(car.grappleAttached);
    // Not reset: the held keys, the anchor and the race clock.
    EXPECT_TRUE(input.forwardHeld);
    EXPECT_EQ(car.anchor.z, 2350.0f);
    EXPECT_EQ(gameState.raceStartMs, 3000u);
    EXPECT_EQ(gameState.raceEndMs, 5000u);
}

TEST(FrameTiming, FirstTwoStepsAreOneMillisecondThenTheMeasuredDelta)
{
    gameState = GameState{};
    EXPECT_EQ(gameState.frameDeltaMs, 1) << "the first frame steps by 1 ms";
    updateFrameTiming(500);
    EXPECT_EQ(gameState.frameDeltaMs, 1) << "the second frame steps by 1 ms too";
    updateFrameTiming(517);
    EXPECT_EQ(gameState.frameDeltaMs, 17);
    updateFrameTiming(517);
    EXPECT_EQ(gameState.frameDeltaMs, 0) << "two frames in one millisecond";
    updateFrameTiming(530);
    EXPECT_EQ(gameState.frameDeltaMs, 13);
    EXPECT_EQ(gameState.lastFrameMs, 530);
}

TEST(FrameTiming, AClockFoundBehindTheLastReadingGivesTheReadingItself)
{
    gameState = GameState{};
    updateFrameTiming(2147483600);
    updateFrameTiming(40); // the counter started again from zero
    EXPECT_EQ(gameState.frameDeltaMs, 40);
    EXPECT_EQ(gameState.lastFrameMs, 40);
}

TEST(FrameTiming, ALongStallIsOneLongStepWithoutOverflow)
{
    gameState = GameState{};
    updateFrameTiming(-2000000000);
    updateFrameTiming(2000000000);
    EXPECT_EQ(gameState.frameDeltaMs, static_cast<std::int32_t>(4000000000u));
}

TEST(Reshape, ViewportIsTheLargestCentred4By3Rectangle)
{
    struct Case {
        int width, height;
        Viewport expected;
    };
    const Case cases[] = {
        {640, 480, {0, 0, 640, 480}},
        {1000, 480, {180, 0, 640, 480}},
        {640, 600, {0, 60, 640, 480}},
        {641, 481, {0, 0, 641, 480}},
        {640, 0, {320, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Viewport v = letterboxViewport(c.width, c.height);
        EXPECT_EQ(v.x, c.expected.x) << c.width << "x" << c.height;
        EXPECT_EQ(v.y, c.expected.y) << c.width << "x" << c.height;
        EXPECT_EQ(v.width, c.expected.width) << c.width << "x" << c.height;
        EXPECT_EQ(v.height, c.expected.height) << c.width << "x" << c.height;
    }
}

TEST(Reshape, ViewportStaysInsideTheWindowForEverySize)
{
    // An invariant over many sizes: inside the window, centred, and filling the width or the height.
    for (int width = 0; width <= 700; width += 7) {
        for (int height = 0; height <= 700; height += 11) {
            const Viewport v = letterboxViewport(width, height);
            ASSERT_GE(v.x, 0);
            ASSERT_GE(v.y, 0);
            ASSERT_LE(v.x + v.width, width);
            ASSERT_LE(v.y + v.height, height);
            ASSERT_LE(std::abs(2 * v.x + v.width - width), 1);
            ASSERT_LE(std::abs(2 * v.y + v.height - height), 1);
            ASSERT_TRUE(v.width == width || v.height == height);
        }
    }
}

} // namespace
