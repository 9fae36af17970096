// The countdown, the race clock, stale ticks, the restart, the frame timing and the viewport.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "fresh_game.h"
#include "game/frame.h"

namespace {

class RaceFlow : public ::testing::Test {
protected:
    void SetUp() override { startFreshGame(); }
    void endRace(RacePhase phase)
    {
        advanceToRaceStart();
        gameState.phase = phase;
    }
};

TEST_F(RaceFlow, CountdownTicksOneSecondApartIntoTheRace)
{
    EXPECT_EQ(gameState.phase, RacePhase::Countdown);
    EXPECT_EQ(gameState.countdown, 3);
    // Just before each second nothing has changed; at the second the next tick shows.
    const struct {
        int atMs, countdown;
        RacePhase phase;
    } timeline[] = {{999, 3, RacePhase::Countdown}, {1000, 2, RacePhase::Countdown}, {1999, 2, RacePhase::Countdown},
                    {2000, 1, RacePhase::Countdown}, {2999, 1, RacePhase::Countdown}, {3000, 0, RacePhase::Racing},
                    {3999, 0, RacePhase::Racing},    {4000, -1, RacePhase::Racing},   {9000, -1, RacePhase::Racing}};
    for (const auto& step : timeline) {
        simClockAdvanceAndFire(step.atMs - simClockNow());
        EXPECT_EQ(gameState.countdown, step.countdown) << "at " << step.atMs << " ms";
        EXPECT_EQ(gameState.phase, step.phase) << "at " << step.atMs << " ms";
    }
    EXPECT_EQ(gameState.raceStartMs, 3000u);
    EXPECT_EQ(simClockPendingTimers(), 0) << "tick 4 ends the chain";
}

TEST_F(RaceFlow, TickFourAfterAnEarlyEndLeavesTheCountdownAtZero)
{
    endRace(RacePhase::Won); // as the track check would, within the first second
    simClockAdvanceAndFire(1000);
    EXPECT_EQ(gameState.countdown, 0);
    EXPECT_EQ(gameState.phase, RacePhase::Won);
}

TEST_F(RaceFlow, StaleTickFourDuringANewCountdownIsIgnored)
{
    endRace(RacePhase::Disqualified);
    enterEndScreen();
    keyUp(' ', 0, 0);
    simClockAdvanceAndFire(500);
    restartIfRequested(); // half a second before the old tick 4
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
    keyDown(' ', 0, 0);
    keyUp(' ', 0, 0);
    endRace(RacePhase::Racing);
    keyUp(' ', 0, 0);
    EXPECT_FALSE(gameState.restartRequested) << "nothing in the countdown or the race";
    gameState.phase = RacePhase::Disqualified;
    keyUp(' ', 0, 0);
    EXPECT_FALSE(gameState.restartRequested) << "nothing before the end screen is shown";
    enterEndScreen();
    keyDown(' ', 0, 0);
    restartIfRequested();
    EXPECT_EQ(gameState.phase, RacePhase::Disqualified) << "pressing and holding does not restart";
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
    endRace(RacePhase::Won);
    car = {{30.0f, 7.0f, 900.0f, 1.0f}, {0.0f, 45.0f, 0.0f, 1.0f}, {0.1f, -0.2f, 0.7f, 1.0f}, 0.4f, true,
           {-2.0f, 100.0f, 2350.0f, 1.0f}};
    input.forwardHeld = true;
    gameState.raceEndMs = 5000;
    enterEndScreen();
    keyUp(' ', 0, 0);
    restartIfRequested();
    const Vec4 p = car.position, v = car.velocity;
    EXPECT_TRUE(p.x == -2.0f && p.y == 1.0f && p.z == 4.0f) << p.x << " " << p.y << " " << p.z;
    EXPECT_TRUE(v.x == 0.0f && v.y == 0.0f && v.z == 0.0f && car.orientation.y == 0.0f && car.steer == 0.0f);
    EXPECT_FALSE(car.grappleAttached);
    // Not reset: the held keys, the anchor and the race clock.
    EXPECT_TRUE(input.forwardHeld);
    EXPECT_EQ(car.anchor.z, 2350.0f);
    EXPECT_EQ(gameState.raceStartMs, 3000u);
    EXPECT_EQ(gameState.raceEndMs, 5000u);
}

TEST(FrameTiming, OneMillisecondTwiceThenTheMeasuredDeltaAcrossRestartsAndWraps)
{
    gameState = GameState{};
    EXPECT_EQ(gameState.frameDeltaMs, 1) << "the first frame steps by 1 ms";
    const struct {
        int now, delta;
        const char* what;
    } steps[] = {{500, 1, "second frame"},          {517, 17, "measured"},
                 {517, 0, "same millisecond"},      {530, 13, "measured"},
                 {2147483600, 2147483070, "stall"}, {-2147483640, 56, "across the signed wrap"},
                 {-2147483600, 40, "negative readings"}, {40, 2147483640, "long stall from negative"},
                 {30, 30, "the counter started again"}, {-2000000000, INT32_MAX, "a stall longer than the field"}};
    for (const auto& s : steps) {
        updateFrameTiming(s.now);
        EXPECT_EQ(gameState.frameDeltaMs, s.delta) << "at " << s.now << ": " << s.what;
        EXPECT_EQ(gameState.lastFrameMs, s.now);
    }
}

TEST(FrameTiming, AStandingCarStaysPutWhileTheClockWraps)
{
    startFreshGame();
    advanceToRaceStart();
    simClockAdvance(2147483647 - 3000 - 40); // 24.8 days into the run, 40 ms before the wrap
    updateFrameTiming(simClockNow());
    frameWithoutDrawing();
    const Vec4 standing = car.position;
    for (int frame = 0; frame < 6; ++frame) {
        simClockAdvance(16);
        updateFrameTiming(simClockNow());
        frameWithoutDrawing();
        ASSERT_EQ(gameState.frameDeltaMs, 16) << "frame " << frame;
        ASSERT_TRUE(car.position.x == standing.x && car.position.y == standing.y && car.position.z == standing.z)
            << "frame " << frame << " moved the car to " << car.position.x << " " << car.position.y << " "
            << car.position.z;
        ASSERT_EQ(gameState.phase, RacePhase::Racing);
    }
    EXPECT_LT(simClockNow(), 0) << "the clock did not wrap";
}

TEST(Reshape, ViewportIsTheLargestCentred4By3Rectangle)
{
    const struct {
        int width, height;
        Viewport expected;
    } cases[] = {{640, 480, {0, 0, 640, 480}}, {1000, 480, {180, 0, 640, 480}}, {640, 600, {0, 60, 640, 480}},
                 {641, 481, {0, 0, 641, 480}}, {640, 0, {320, 0, 0, 0}}};
    for (const auto& c : cases) {
        const Viewport v = letterboxViewport(c.width, c.height);
        EXPECT_TRUE(v.x == c.expected.x && v.y == c.expected.y && v.width == c.expected.width &&
                    v.height == c.expected.height)
            << c.width << "x" << c.height << " gave " << v.x << "," << v.y << " " << v.width << "x" << v.height;
    }
    // Over many sizes: inside the window, centred, filling the width or the height.
    for (int width = 0; width <= 700; width += 7)
        for (int height = 0; height <= 700; height += 11) {
            const Viewport v = letterboxViewport(width, height);
            ASSERT_TRUE(v.x >= 0 && v.y >= 0 && v.x + v.width <= width && v.y + v.height <= height &&
                        std::abs(2 * v.x + v.width - width) <= 1 && std::abs(2 * v.y + v.height - height) <= 1 &&
                        (v.width == width || v.height == height))
                << width << "x" << height;
        }
}

} // namespace
