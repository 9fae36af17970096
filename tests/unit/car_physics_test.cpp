// The car's motion, driven through the real vantor-sim where a script can reach the case, and
// directly where the car must stand somewhere a script cannot take it.
#include <gtest/gtest.h>

#include <cmath>

#include "fresh_game.h"
#include "sim/track.h"
#include "sim_runner.h"

namespace {

constexpr int CountdownFrameCount = 189;
constexpr double NetAccelerationPerFrame = 0.0048; // (0.0005 - 0.0002) units/ms per ms, 16 ms frames

// The racing frames of a run, the first racing frame at index 0.
std::vector<SimFrame> racingPart(const SimRun& run)
{
    return {run.frames.begin() + CountdownFrameCount, run.frames.end()};
}

TEST(CarOnTheGround, HoldingWGainsTheNetRateEveryFrame)
{
    const SimRun run = runSim(countdownFrames() + repeatFrame(40, 16, "w"));
    ASSERT_EQ(run.exitStatus, 0) << run.errors;
    const auto frames = racingPart(run);
    ASSERT_EQ(frames.size(), 40u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        const double speed = NetAccelerationPerFrame * k;
        const double travelled = 16.0 * NetAccelerationPerFrame * k * (k + 1) / 2; // speeds times 16 ms
        EXPECT_EQ(frames[i].phase, "Racing");
        EXPECT_NEAR(frames[i].vz, speed, 1e-6) << "frame " << k;
        EXPECT_NEAR(frames[i].z, 4.0 + travelled, 1e-4) << "frame " << k;
        EXPECT_EQ(frames[i].x, -2.0);
        EXPECT_EQ(frames[i].y, 1.0) << "held at ground height";
        EXPECT_EQ(frames[i].vy, 0.0);
    }
}

TEST(CarOnTheGround, HoldingSBacksOffThePadAndIsDisqualifiedInThatFrame)
{
    const SimRun run = runSim(countdownFrames() + repeatFrame(20, 16, "s"));
    const auto frames = racingPart(run);
    std::size_t first = frames.size();
    for (std::size_t i = 0; i < frames.size() && first == frames.size(); ++i)
        if (frames[i].z < 0.0)
            first = i;
    ASSERT_LT(first, frames.size()) << "the car never left the pad";
    for (std::size_t i = 0; i < first; ++i) {
        EXPECT_EQ(frames[i].phase, "Racing");
        EXPECT_NEAR(frames[i].vz, -NetAccelerationPerFrame * static_cast<double>(i + 1), 1e-6);
    }
    EXPECT_EQ(frames[first].phase, "Disqualified");
    EXPECT_EQ(frames[first].time, "-");
    // After the end the keys do nothing, and friction brings the car to a stop.
    for (std::size_t i = first + 1; i < frames.size(); ++i)
        EXPECT_GE(frames[i].vz, frames[i - 1].vz);
}

TEST(CarOnTheGround, WAndSTogetherCancelOut)
{
    const auto frames = racingPart(runSim(countdownFrames() + repeatFrame(20, 16, "ws")));
    ASSERT_EQ(frames.size(), 20u);
    for (const SimFrame& f : frames) {
        EXPECT_EQ(f.vz, 0.0);
        EXPECT_EQ(f.z, 4.0);
    }
}

TEST(CarOnTheGround, SteeringAtRestTurnsOnTheSpotAndSpringsBack)
{
    const auto frames = racingPart(runSim(countdownFrames() + repeatFrame(10, 16, "d") + repeatFrame(8, 16, "-")));
    ASSERT_EQ(frames.size(), 18u);
    // Each frame the key adds 0.08 and the spring takes 0.056; at rest the turn is 0.08 x steer.
    double steer = 0.0;
    double heading = 0.0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (i < 10)
            steer += 0.08 - 0.056;
        else
            steer = steer > 0.056 ? steer - 0.056 : 0.0;
        heading += 0.08 * steer;
        EXPECT_NEAR(frames[i].steer, steer, 1e-6) << "frame " << i + 1;
        EXPECT_NEAR(frames[i].heading, heading, 1e-5) << "frame " << i + 1;
        EXPECT_EQ(frames[i].x, -2.0);
        EXPECT_EQ(frames[i].z, 4.0);
    }
    EXPECT_EQ(frames.back().steer, 0.0);
    EXPECT_GT(frames.back().heading, 0.0) << "d turns toward a positive heading";
}

// Every racing frame on the ground turns by the turn factor times the steering, whatever the time
// step, and moves along its heading by its speed times the frame's time step.
TEST(CarOnTheGround, EveryFrameTurnsAndMovesAlongItsHeading)
{
    std::string script = countdownFrames() + repeatFrame(30, 16, "w") + repeatFrame(12, 16, "wd") +
                         repeatFrame(10, 25, "wa") + repeatFrame(45, 9, "s") + repeatFrame(30, 16, "sd") +
                         repeatFrame(15, 16, "sa");
    const SimRun run = runSim(script);
    const std::vector<SimFrame>& frames = run.frames;
    ASSERT_EQ(frames.size(), CountdownFrameCount + 142u);
    bool turnedWhileBacking = false;
    for (std::size_t i = CountdownFrameCount; i < frames.size() && frames[i].phase == "Racing"; ++i) {
        const SimFrame& before = frames[i - 1];
        const SimFrame& f = frames[i];
        // A frame steps by the time the frame before it took.
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

TEST(CarOnTheGround, DrivingOffTheSideOfThePadIsDisqualifiedWhereTheGroundEnds)
{
    const auto frames = racingPart(runSim(countdownFrames() + repeatFrame(400, 16, "wd")));
    std::size_t end = 0;
    while (end < frames.size() && frames[end].phase == "Racing") {
        const SimFrame& f = frames[end];
        EXPECT_TRUE(isGroundCell(trackRowOf(static_cast<float>(f.z)), trackColumnOf(static_cast<float>(f.x))));
        ++end;
    }
    ASSERT_LT(end, frames.size());
    const SimFrame& f = frames[end];
    EXPECT_EQ(f.phase, "Disqualified");
    EXPECT_FALSE(isGroundCell(trackRowOf(static_cast<float>(f.z)), trackColumnOf(static_cast<float>(f.x))));
    EXPECT_LT(f.x, -2.0) << "d steers toward -x, the driver's right";
}

TEST(CarOnTheGround, KeysAndMouseDuringTheCountdownDoNothing)
{
    const SimRun run = runSim(repeatFrame(CountdownFrameCount, 16, "wsadm"));
    ASSERT_EQ(run.frames.size(), static_cast<std::size_t>(CountdownFrameCount));
    for (const SimFrame& f : run.frames) {
        ASSERT_EQ(f.phase, "Countdown");
        EXPECT_EQ(f.x, -2.0);
        EXPECT_EQ(f.y, 1.0);
        EXPECT_EQ(f.z, 4.0);
        EXPECT_EQ(f.heading, 0.0);
        EXPECT_EQ(f.vz, 0.0);
        EXPECT_EQ(f.steer, 0.0);
        EXPECT_EQ(f.grapple, 0);
    }
}

TEST(CarOnTheGround, AKeyHeldThroughARestartDrivesAsSoonAsTheRaceStarts)
{
    // Back off the pad, then hold w on the end screen and release space there.
    const std::string script = countdownFrames() + repeatFrame(12, 16, "s") + "16 w\n16 w space\n" +
                               repeatFrame(CountdownFrameCount, 16, "w");
    const SimRun run = runSim(script);
    ASSERT_EQ(run.exitStatus, 0) << run.errors;
    const std::size_t spaceFrame = CountdownFrameCount + 13;
    ASSERT_EQ(run.frames[spaceFrame].phase, "Countdown") << "space released on the end screen restarts";
    EXPECT_EQ(run.frames[spaceFrame].z, 4.0);
    EXPECT_EQ(run.frames[spaceFrame].countdown, 3);
    const SimFrame& firstRacing = run.frames.back();
    EXPECT_EQ(firstRacing.phase, "Racing");
    EXPECT_NEAR(firstRacing.vz, NetAccelerationPerFrame, 1e-7);
}

class CarDirect : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFreshGame(); // the countdown phase: the track test stays out of the way
        gameState.frameDeltaMs = 16;
    }
    void step()
    {
        applyDrivingInput();
        applyGravityAndFriction();
        integrateCar();
    }
};

TEST_F(CarDirect, HoldingWHoversJustBelowTheBoundWhateverTheFrameTimes)
{
    input.forwardHeld = true;
    const int frameTimes[] = {16, 7, 33, 1};
    for (int dt : frameTimes) {
        gameState.frameDeltaMs = dt;
        for (int i = 0; i < 5000; ++i)
            step();
        EXPECT_LT(car.velocity.z, 0.8f) << dt << " ms frames";
        // Below the bound by at most one frame's key step and friction.
        EXPECT_GT(car.velocity.z, 0.8f - 0.0007f * static_cast<float>(dt) - 1e-6f) << dt << " ms frames";
    }
    input.forwardHeld = false;
    input.backwardHeld = true;
    for (int i = 0; i < 5000; ++i)
        step();
    EXPECT_GT(car.velocity.z, -0.3f);
    EXPECT_LT(car.velocity.z, -0.3f + 0.0007f * 1.0f + 1e-6f);
}

TEST_F(CarDirect, AChangeThatWouldReachItsBoundIsDroppedWhole)
{
    input.forwardHeld = true;
    input.backwardHeld = true;
    car.velocity.z = 0.795f; // w would pass 0.8: only s applies
    applyDrivingInput();
    EXPECT_FLOAT_EQ(car.velocity.z, 0.795f - 0.008f);
    car.steer = 0.45f;
    input.rightHeld = true;
    applyDrivingInput();
    EXPECT_EQ(car.steer, 0.45f) << "0.53 would pass the bound, so the steer stays";
    // A speed beyond the bound (from the grapple) is left alone by the key.
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
    EXPECT_EQ(car.velocity.x, 0.1f) << "in the air the car keeps its horizontal speed";
    EXPECT_EQ(car.velocity.z, 0.5f);
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
    EXPECT_EQ(car.velocity.x, 0.1f);
    EXPECT_EQ(car.velocity.y, 0.2f);
    EXPECT_EQ(car.velocity.z, 0.5f);
    EXPECT_FLOAT_EQ(car.steer, 0.3f - 0.056f) << "the steering springs back while attached too";
}

TEST_F(CarDirect, TheTurnPerFrameDoesNotDependOnTheTimeStep)
{
    car.velocity.z = 0.5f;
    car.steer = 0.4f;
    gameState.frameDeltaMs = 1;
    integrateCar();
    const float shortFrameHeading = car.orientation.y;
    car.orientation.y = 0.0f;
    gameState.frameDeltaMs = 50;
    integrateCar();
    EXPECT_EQ(car.orientation.y, shortFrameHeading);
    EXPECT_FLOAT_EQ(car.orientation.y, 0.2f);
}

TEST_F(CarDirect, AfterTheRaceTheCarCoastsOverGapsWithoutFalling)
{
    gameState.phase = RacePhase::Won;
    car.position = {-2.0f, 1.0f, 2000.0f, 1.0f}; // over the first gap
    car.velocity.z = 0.6f;
    for (int i = 0; i < 400; ++i)
        step();
    EXPECT_EQ(car.position.y, 1.0f);
    EXPECT_EQ(car.velocity.z, 0.0f) << "friction stops it";
    EXPECT_EQ(gameState.phase, RacePhase::Won);
}

} // namespace
