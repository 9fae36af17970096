// The car's motion, driven through the real vantor-sim where a script can reach the case, and
// directly where the car must stand somewhere a script cannot take it.
#include <gtest/gtest.h>

#include <cmath>

#include "fresh_game.h"
#include "sim/track.h"
#include "sim_runner.h"

namespace {

constexpr std::size_t Countdown = 189;
constexpr double NetPerFrame = 0.0048; // (0.0005 - 0.0002) units/ms per ms over 16 ms frames

// The racing frames of a script run after the countdown, the first racing frame at index 0.
std::vector<SimFrame> racing(const std::string& script)
{
    const SimRun run = runSim(countdownFrames() + script);
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    return {run.frames.begin() + static_cast<long>(std::min(Countdown, run.frames.size())), run.frames.end()};
}

bool onGround(const SimFrame& f)
{
    return isGroundCell(trackRowOf(static_cast<float>(f.z)), trackColumnOf(static_cast<float>(f.x)));
}

TEST(CarOnTheGround, WGainsTheNetRateEveryFrameAndWWithSCancels)
{
    const auto w = racing(repeatFrame(40, 16, "w")), ws = racing(repeatFrame(20, 16, "ws"));
    ASSERT_EQ(w.size(), 40u);
    for (std::size_t i = 0; i < w.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        EXPECT_EQ(w[i].phase, "Racing");
        EXPECT_NEAR(w[i].vz, NetPerFrame * k, 1e-6) << "frame " << k;
        EXPECT_NEAR(w[i].z, 4.0 + 16.0 * NetPerFrame * k * (k + 1) / 2, 1e-4) << "frame " << k;
        EXPECT_EQ(w[i].x, -2.0);
        EXPECT_EQ(w[i].y, 1.0) << "held at ground height";
    }
    ASSERT_EQ(ws.size(), 20u);
    for (const SimFrame& f : ws)
        EXPECT_TRUE(f.vz == 0.0 && f.z == 4.0) << f.k;
}

TEST(CarOnTheGround, SBacksOffThePadAndIsDisqualifiedInThatFrame)
{
    const auto frames = racing(repeatFrame(100, 16, "s"));
    std::size_t first = 0;
    while (first < frames.size() && frames[first].z >= 0.0) {
        EXPECT_EQ(frames[first].phase, "Racing");
        EXPECT_NEAR(frames[first].vz, -NetPerFrame * static_cast<double>(first + 1), 1e-6);
        ++first;
    }
    ASSERT_LT(first, frames.size()) << "the car never left the pad";
    EXPECT_EQ(frames[first].phase, "Disqualified");
    EXPECT_EQ(frames[first].time, "-");
    ASSERT_LT(frames[first].clock, 3024 + 1000) << "within the race's first second";
    for (std::size_t i = first + 1; i < frames.size(); ++i)
        EXPECT_GE(frames[i].vz, frames[i - 1].vz) << "after the end the keys do nothing; friction slows it";
    EXPECT_EQ(frames.back().countdown, 0) << "tick 4 in the wrong phase leaves the countdown alone";
    EXPECT_EQ(frames.back().phase, "Disqualified");
}

TEST(CarOnTheGround, SteeringAtRestTurnsOnTheSpotAndSpringsBack)
{
    const auto frames = racing(repeatFrame(10, 16, "d") + repeatFrame(8, 16, "-"));
    ASSERT_EQ(frames.size(), 18u);
    // Each frame the key adds 0.08 and the spring takes 0.056; at rest the turn is 0.08 x steer.
    double steer = 0.0, heading = 0.0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        steer = i < 10 ? steer + 0.08 - 0.056 : std::max(steer - 0.056, 0.0);
        heading += 0.08 * steer;
        EXPECT_NEAR(frames[i].steer, steer, 1e-6) << "frame " << i + 1;
        EXPECT_NEAR(frames[i].heading, heading, 1e-5) << "frame " << i + 1;
        EXPECT_TRUE(frames[i].x == -2.0 && frames[i].z == 4.0);
    }
    EXPECT_EQ(frames.back().steer, 0.0);
    EXPECT_GT(frames.back().heading, 0.0) << "d turns toward a positive heading";
}

// Every racing frame turns by the turn factor times the steering, whatever the time step, and
// moves along its heading by its speed times the time the frame before it took.
TEST(CarOnTheGround, EveryFrameTurnsAndMovesAlongItsHeading)
{
    const SimRun run = runSim(countdownFrames() + repeatFrame(30, 16, "w") + repeatFrame(12, 16, "wd") +
                              repeatFrame(10, 25, "wa") + repeatFrame(45, 9, "s") + repeatFrame(30, 16, "sd") +
                              repeatFrame(15, 16, "sa"));
    const std::vector<SimFrame>& frames = run.frames;
    ASSERT_EQ(frames.size(), Countdown + 142u);
    bool turnedWhileBacking = false;
    for (std::size_t i = Countdown; i < frames.size() && frames[i].phase == "Racing"; ++i) {
        const SimFrame &before = frames[i - 1], &f = frames[i];
        const double dt = static_cast<double>(before.clock - frames[i - 2].clock);
        const double factor = (f.vz >= 0.0 && f.vz < 0.08) ? 0.08 : f.vz;
        EXPECT_NEAR(f.heading - before.heading, factor * f.steer, 1e-5) << "frame " << f.k;
        const double radians = f.heading * 3.14159265358979 / 180.0;
        EXPECT_NEAR(f.x - before.x, -std::sin(radians) * f.vz * dt, 1e-3) << "frame " << f.k;
        EXPECT_NEAR(f.z - before.z, std::cos(radians) * f.vz * dt, 1e-3) << "frame " << f.k;
        if (f.vz < -0.08 && f.steer > 0.0) {
            EXPECT_LT(f.heading, before.heading) << "backing up turns the other way";
            turnedWhileBacking = true;
        }
    }
    EXPECT_TRUE(turnedWhileBacking);
}

TEST(CarOnTheGround, DrivingOffTheSideIsDisqualifiedWhereTheGroundEnds)
{
    const auto frames = racing(repeatFrame(400, 16, "wd"));
    std::size_t end = 0;
    for (; end < frames.size() && frames[end].phase == "Racing"; ++end)
        EXPECT_TRUE(onGround(frames[end])) << frames[end].k;
    ASSERT_LT(end, frames.size());
    EXPECT_EQ(frames[end].phase, "Disqualified");
    EXPECT_FALSE(onGround(frames[end]));
    EXPECT_LT(frames[end].x, -2.0) << "d steers toward -x, the driver's right";
}

TEST(CarOnTheGround, KeysInTheCountdownDoNothing)
{
    const SimRun countdown = runSim(repeatFrame(Countdown, 16, "wsadm"));
    ASSERT_EQ(countdown.frames.size(), Countdown);
    for (const SimFrame& f : countdown.frames)
        ASSERT_TRUE(f.phase == "Countdown" && f.x == -2.0 && f.y == 1.0 && f.z == 4.0 && f.heading == 0.0 &&
                    f.vz == 0.0 && f.steer == 0.0 && f.grapple == 0) << f.k;
}

class CarDirect : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFreshGame(); // the countdown phase: the track check stays out of the way
        gameState.frameDeltaMs = 16;
    }
};

TEST_F(CarDirect, KeysHoverJustInsideTheirBoundsWhateverTheFrameTimes)
{
    input.forwardHeld = true;
    for (int dt : {16, 7, 33, 1}) {
        gameState.frameDeltaMs = dt;
        for (int i = 0; i < 5000; ++i) {
            applyDrivingInput();
            applyGravityAndFriction();
            integrateCar();
        }
        EXPECT_LT(car.velocity.z, 0.8f) << dt << " ms frames";
        EXPECT_GT(car.velocity.z, 0.8f - 0.0007f * static_cast<float>(dt) - 1e-6f) << dt << " ms frames";
    }
    input.forwardHeld = false;
    input.backwardHeld = true;
    for (int i = 0; i < 5000; ++i) {
        applyDrivingInput();
        applyGravityAndFriction();
    }
    EXPECT_GT(car.velocity.z, -0.3f);
    EXPECT_LT(car.velocity.z, -0.3f + 0.0007f + 1e-6f);
    // A change that would reach its bound is dropped whole; a speed beyond it is left alone.
    input.forwardHeld = true;
    car.velocity.z = 0.795f;
    gameState.frameDeltaMs = 16;
    applyDrivingInput();
    EXPECT_FLOAT_EQ(car.velocity.z, 0.795f - 0.008f) << "only s applies";
    car.steer = 0.45f;
    input.rightHeld = true;
    applyDrivingInput();
    EXPECT_EQ(car.steer, 0.45f) << "0.53 would pass the bound";
    input.backwardHeld = false;
    car.velocity.z = 1.5f;
    applyDrivingInput();
    EXPECT_EQ(car.velocity.z, 1.5f);
}

TEST_F(CarDirect, FrictionOnlyAtGroundHeightAndNotWhileAttached)
{
    car.position.y = 5.0f;
    car.velocity = {0.1f, 0.0f, 0.5f, 1.0f};
    applyGravityAndFriction();
    EXPECT_TRUE(car.velocity.x == 0.1f && car.velocity.z == 0.5f) << "in the air it keeps its speed";
    EXPECT_FLOAT_EQ(car.velocity.y, -0.0048f);

    car.position.y = 1.0f;
    car.velocity = {0.001f, 0.0f, 0.5f, 1.0f};
    applyGravityAndFriction();
    EXPECT_EQ(car.velocity.x, 0.0f) << "within one step of friction it stops";
    EXPECT_EQ(car.velocity.y, -0.0048f + 0.0032f);
    EXPECT_FLOAT_EQ(car.velocity.z, 0.5f - 0.0032f);

    car.grappleAttached = true;
    car.velocity = {0.1f, 0.2f, 0.5f, 1.0f};
    car.steer = 0.3f;
    applyGravityAndFriction();
    EXPECT_TRUE(car.velocity.x == 0.1f && car.velocity.y == 0.2f && car.velocity.z == 0.5f);
    EXPECT_FLOAT_EQ(car.steer, 0.3f - 0.056f) << "the steering springs back while attached too";
}

} // namespace
