// The race as frames play it: the countdown, the keys, the end screens and the restart, the win,
// the frame timing, the chase camera and the viewport.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "game_support.h"

namespace {

bool atStart(const Car& c)
{
    return c.position.x == -2.0f && c.position.y == 1.0f && c.position.z == 4.0f && c.orientation.y == 0.0f &&
           c.velocity.z == 0.0f && c.steer == 0.0f && !c.grappleAttached;
}

TEST(RaceFlow, TicksComeASecondApartAndNoKeyMovesTheCarBeforeGo)
{
    startFreshGame();
    const auto run = play(frames(CountdownFrames, 16, "wsadm") + frames(70, 16, "-"));
    // Each value first shows in the frame that runs after its tick's second has passed.
    const struct {
        int clock, countdown;
        RacePhase phase;
    } changes[] = {{1008, 2, RacePhase::Countdown}, {2016, 1, RacePhase::Countdown}, {3024, 0, RacePhase::Racing},
                   {4032, -1, RacePhase::Racing}};
    int seen = 0;
    EXPECT_EQ(run[0].countdown, 3);
    for (std::size_t i = 1; i < run.size(); ++i) {
        EXPECT_TRUE(atStart(run[i].car)) << "frame " << i;
        if (run[i].countdown == run[i - 1].countdown && run[i].phase == run[i - 1].phase)
            continue;
        ASSERT_LT(seen, 4) << "frame " << i;
        EXPECT_TRUE(run[i].clock == changes[seen].clock && run[i].countdown == changes[seen].countdown &&
                    run[i].phase == changes[seen].phase) << "frame " << i;
        ++seen;
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(gameState.raceStartMs, 3024u);
    EXPECT_EQ(simClockPendingTimers(), 0) << "tick 4 ends the chain";
}

TEST(RaceFlow, OnlyReleasingSpaceOnTheEndScreenRestartsAndHeldKeysDriveTheNewRace)
{
    startFreshGame();
    keyDown(' ', 0, 0);
    keyUp(' ', 0, 0);
    EXPECT_FALSE(gameState.restartRequested) << "not in the countdown";
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

    // Space in the race does nothing; on the end screen a press alone does nothing either.
    EXPECT_EQ(play("16 w space\n").back().phase, RacePhase::Racing);
    gameState.phase = RacePhase::Won;
    keyDown(' ', 0, 0);
    runFrame(false);
    runFrame(false);
    EXPECT_EQ(gameState.phase, RacePhase::Won);
    keyUp(' ', 0, 0);
    runFrame(false);
    EXPECT_TRUE(gameState.phase == RacePhase::Countdown && !gameState.endScreenShown && !gameState.restartRequested);
}

TEST(RaceFlow, TheWinFreezesItsTimeAndTheTrackIsJudgedOnlyWhileRacing)
{
    startFreshGame();
    car.position = {-2.0f, 1.0f, 2500.0f, 1.0f}; // standing over the first gap
    runFrame(false);
    EXPECT_EQ(gameState.phase, RacePhase::Countdown) << "not judged in the countdown";
    advanceToRaceStart();
    car.position = {-2.0f, 1.0f, 21850.0f, 1.0f}; // in the funnel, driving into the finish
    car.velocity.z = 0.5f;
    std::uint32_t won = 0;
    for (int frame = 0; frame < 20 && gameState.phase == RacePhase::Racing; ++frame)
        won = static_cast<std::uint32_t>(play("16 -\n").back().clock);
    ASSERT_EQ(gameState.phase, RacePhase::Won);
    EXPECT_EQ(gameState.raceEndMs, won) << "the clock of the winning frame";
    car.position = {-2.0f, 1.0f, 2500.0f, 1.0f};
    play(frames(5, 16, "w"));
    EXPECT_TRUE(gameState.phase == RacePhase::Won && gameState.raceEndMs == won && gameState.endScreenShown)
        << "not judged on the end screen";
}

TEST(Input, EachLetterInEitherCaseMovesOnlyItsOwnFlagAndNothingElseDoes)
{
    startFreshGame();
    const struct {
        unsigned char lower, upper;
        bool* flag;
    } keys[] = {{'w', 'W', &input.forwardHeld}, {'s', 'S', &input.backwardHeld}, {'a', 'A', &input.leftHeld},
                {'d', 'D', &input.rightHeld}};
    for (const auto& key : keys) {
        for (auto [down, up] : {std::pair{key.lower, key.upper}, std::pair{key.upper, key.lower}}) {
            keyDown(down, 10, 20);
            keyDown(down, 10, 20); // repeated: still held
            EXPECT_TRUE(*key.flag && input.forwardHeld + input.backwardHeld + input.leftHeld + input.rightHeld == 1);
            keyUp(up, 0, 0); // released in the other case
            EXPECT_FALSE(*key.flag) << up;
        }
    }
    gameState.endScreenShown = true; // so that a stray space release would show
    for (int key = 1; key < 256; ++key)
        if (std::strchr("wsadWSAD ", key) == nullptr) {
            keyDown(static_cast<unsigned char>(key), 0, 0);
            keyUp(static_cast<unsigned char>(key), 0, 0);
        }
    EXPECT_FALSE(input.forwardHeld || input.backwardHeld || input.leftHeld || input.rightHeld || gameState.restartRequested);
    // Only the left button works the beam.
    for (auto [button, state, held] : {std::tuple{GLUT_RIGHT_BUTTON, GLUT_DOWN, false}, {GLUT_MIDDLE_BUTTON, GLUT_DOWN, false},
                                       {GLUT_LEFT_BUTTON, GLUT_DOWN, true}, {GLUT_RIGHT_BUTTON, GLUT_UP, true}, {GLUT_LEFT_BUTTON, GLUT_UP, false}}) {
        mouseButton(button, state, 5, 5);
        EXPECT_EQ(input.grappleButtonHeld, held) << button << " " << state;
    }
}

TEST(Camera, SitsFortyBehindAlongTheHeadingAndNineAboveLookingAtTheCar)
{
    startFreshGame();
    for (float heading = -720.0f; heading <= 720.0f; heading += 37.5f) {
        car.position = {10.0f, 1.0f, 500.0f, 1.0f}; // standing: the frame leaves it where it is
        car.orientation.y = heading;
        runFrame(false);
        const double radians = heading * M_PI / 180.0;
        EXPECT_NEAR(cameraEye.x, 10.0 + 40.0 * std::sin(radians), 1e-3) << heading;
        EXPECT_NEAR(cameraEye.z, 500.0 - 40.0 * std::cos(radians), 1e-3) << heading;
        EXPECT_TRUE(cameraEye.y == 10.0f && cameraTarget.x == 10.0f && cameraTarget.y == 1.0f &&
                    cameraTarget.z == 500.0f && cameraUp.y == 1.0f) << heading;
    }
}

TEST(FrameTiming, OneMillisecondTwiceThenTheMeasuredDeltaAcrossRestartsAndWraps)
{
    gameState = GameState{};
    EXPECT_EQ(gameState.frameDeltaMs, 1) << "the first frame steps by 1 ms";
    const struct {
        int now, delta;
    } steps[] = {{500, 1}, {517, 17}, {517, 0}, {530, 13}, {2147483600, 2147483070}, // a stall
                 {-2147483640, 56}, {-2147483600, 40},       // across the signed wrap, and on
                 {40, 2147483640}, {30, 30},                 // a long stall; the counter started again
                 {-2000000000, INT32_MAX}};                  // a stall longer than the field holds
    for (const auto& s : steps) {
        updateFrameTiming(s.now);
        EXPECT_TRUE(gameState.frameDeltaMs == s.delta && gameState.lastFrameMs == s.now)
            << "at " << s.now << ": " << gameState.frameDeltaMs;
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
}

TEST(Reshape, ViewportIsTheLargestCentred4By3Rectangle)
{
    const int cases[][6] = {{640, 480, 0, 0, 640, 480}, {1000, 480, 180, 0, 640, 480}, {640, 600, 0, 60, 640, 480},
                            {641, 481, 0, 0, 641, 480}, {640, 0, 320, 0, 0, 0}};
    for (const auto& c : cases) {
        const Viewport v = letterboxViewport(c[0], c[1]);
        EXPECT_TRUE(v.x == c[2] && v.y == c[3] && v.width == c[4] && v.height == c[5]) << c[0] << "x" << c[1];
    }
}

} // namespace
