// The race as frames play it: the countdown, the keys, the end screens and the restart, the frame
// timing. (The chase camera: the frame tests.)
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "game_support.h"

namespace {

// w is 1 in every state vector, through whatever the race did to them.
bool atStart(const Car& c)
{
    return c.position.x == -2.0f && c.position.y == 1.0f && c.position.z == 4.0f && c.orientation.y == 0.0f &&
           c.velocity.z == 0.0f && c.steer == 0.0f && !c.grappleAttached && c.position.w == 1.0f &&
           c.orientation.w == 1.0f && c.velocity.w == 1.0f;
}

TEST(RaceFlow, OnlyReleasingSpaceOnTheEndScreenRestartsAndHeldKeysDriveTheNewRace)
{
    startFreshGame();
    // Back off the pad with the beam button held; w goes down on the end screen and stays down.
    auto run = play(countdown() + frames(80, 16, "sm") + "16 w space\n" + frames(189, 16, "w"));
    std::size_t out = CountdownFrames;
    while (out < run.size() && run[out].phase == RacePhase::Racing && run[out].car.position.z >= 0.0f)
        ++out;
    ASSERT_LT(out, 268u) << "backing off the pad never disqualified";
    EXPECT_TRUE(run[out].phase == RacePhase::Disqualified && run[out].car.position.z < 0.0f)
        << "disqualified in the frame it left the pad";
    EXPECT_FALSE(run[268].car.grappleAttached);
    EXPECT_EQ(run[268].countdown, 0) << "a tick 4 after the race ended leaves the countdown alone";
    // The release restarts in its frame: the car back at the start, a full new countdown, and w,
    // still held, drives from the first racing frame.
    EXPECT_TRUE(run[269].phase == RacePhase::Countdown && run[269].countdown == 3 && atStart(run[269].car));
    for (std::size_t i = 270; i < 269 + CountdownFrames; ++i)
        ASSERT_TRUE(run[i].phase == RacePhase::Countdown && run[i].countdown >= 1) << i;
    EXPECT_EQ(run.back().phase, RacePhase::Racing);
    EXPECT_NEAR(run.back().car.velocity.z, 0.0048, 1e-7);

    // Space in the race does nothing, nor in the countdown. (Held down on the end screen, it
    // restarts only when it is let go: the held-keys end-to-end test.)
    EXPECT_EQ(play("16 w space\n").back().phase, RacePhase::Racing);
    EXPECT_EQ(play("16 w\n" + frames(300, 16, "s") + "16 - space\n" + frames(100, 16, "-") + "16 - space\n").back().countdown, 2);
    EXPECT_EQ(play(frames(250, 16, "s")).back().phase, RacePhase::Disqualified) << "that space was kept for the next end screen";
    startFreshGame(); // nor before the first race has ended, not even on its end screen later
    EXPECT_EQ(play(frames(100, 16, "-") + "16 - space\n" + frames(CountdownFrames - 101, 16, "-") + frames(100, 16, "s")).back().phase,
              RacePhase::Disqualified);
}

TEST(Input, EachLetterInEitherCaseMovesOnlyItsOwnFlagAndNothingElseDoes)
{
    startFreshGame();
    bool* const flags[] = {&input.forwardHeld, &input.backwardHeld, &input.leftHeld, &input.rightHeld};
    for (int i = 0; i < 4; ++i) {
        for (auto [down, up] : {std::pair{"wsad"[i], "WSAD"[i]}, std::pair{"WSAD"[i], "wsad"[i]}}) {
            keyDown(down, 10, 20);
            keyDown(down, 10, 20); // repeated: still held
            EXPECT_TRUE(*flags[i] && input.forwardHeld + input.backwardHeld + input.leftHeld + input.rightHeld == 1);
            keyUp(up, 0, 0); // released in the other case
            EXPECT_FALSE(*flags[i]) << up;
        }
    }
    gameState.endScreenShown = true; // so that a stray space release would show
    for (unsigned char key = 1; key != 0; ++key) // every other key, pressed and released
        if (std::strchr("wsadWSAD ", key) == nullptr)
            keyDown(key, 0, 0), keyUp(key, 0, 0);
    EXPECT_FALSE(input.forwardHeld || input.backwardHeld || input.leftHeld || input.rightHeld || gameState.restartRequested);
    // Only the left button works the beam.
    for (auto [button, state, held] : {std::tuple{GLUT_RIGHT_BUTTON, GLUT_DOWN, false}, {GLUT_MIDDLE_BUTTON, GLUT_DOWN, false},
                                       {GLUT_LEFT_BUTTON, GLUT_DOWN, true}, {GLUT_RIGHT_BUTTON, GLUT_UP, true}, {GLUT_LEFT_BUTTON, GLUT_UP, false}}) {
        mouseButton(button, state, 5, 5);
        EXPECT_EQ(input.grappleButtonHeld, held) << button << " " << state;
    }
}

TEST(FrameTiming, OneMillisecondTwiceThenTheMeasuredDeltaAcrossRestartsAndWraps)
{
    gameState = GameState{};
    EXPECT_EQ(gameState.frameDeltaMs, 1) << "the first frame steps by 1 ms";
    // Measured; in the same millisecond; a stall; across the signed wrap and on; a long stall; the
    // counter started again; a stall longer than the field holds.
    for (auto [now, delta] : {std::pair{500, 1}, {517, 17}, {517, 0}, {530, 13}, {2147483600, 2147483070}, {-2147483640, 56},
                              {-2147483600, 40}, {40, 2147483640}, {30, 30}, {-2000000000, INT32_MAX}}) {
        updateFrameTiming(now);
        EXPECT_TRUE(gameState.frameDeltaMs == delta && gameState.lastFrameMs == now) << "at " << now << ": " << gameState.frameDeltaMs;
    }
    // A car standing through the wrap, 24.8 days into the run, stays where it is.
    startFreshGame();
    play(countdown());
    simClockAdvance(2147483647 - simClockNow() - 40);
    updateFrameTiming(simClockNow());
    for (const Played& frame : play(frames(6, 16, "-")))
        EXPECT_TRUE(gameState.frameDeltaMs == 16 && frame.phase == RacePhase::Racing && atStart(frame.car))
            << "at " << frame.clock;
    EXPECT_LT(simClockNow(), 0) << "the clock did not wrap";

    // Timers due at the same moment fire in the order they were armed, as the window system's do.
    static std::vector<int> fired;
    installSimClock();
    for (int value : {1, 2, 3})
        armTimer(5, [](int v) { fired.push_back(v); }, value);
    simClockAdvanceAndFire(5);
    EXPECT_EQ(fired, (std::vector<int>{1, 2, 3}));
}

// Whatever the window, the picture keeps its 4:3 shape as large as fits, with equal margins.
TEST(Frame, TheViewportIsTheLargestFourByThreeRectangleCentredInTheWindow)
{
    for (auto [width, height] : {std::pair{640, 480}, {1001, 480}, {640, 901}, {7, 2}, {1, 1}}) {
        const Viewport v = letterboxViewport(width, height);
        const int left = v.x, right = width - v.x - v.width, bottom = v.y, top = height - v.y - v.height;
        EXPECT_TRUE(left >= 0 && bottom >= 0 && std::abs(left - right) <= 1 && std::abs(bottom - top) <= 1)
            << width << "x" << height << ": margins " << left << " " << right << " " << bottom << " " << top;
        EXPECT_TRUE((v.width == width || v.height == height) && std::abs(v.width * 3 - v.height * 4) < 12)
            << width << "x" << height << ": " << v.width << "x" << v.height;
    }
    // Both sides hold the same whole number of ratio units: the window's width is kept.
    const Viewport even = letterboxViewport(643, 481);
    EXPECT_TRUE(even.width == 643 && even.height == 480) << even.width << "x" << even.height;
}

} // namespace
