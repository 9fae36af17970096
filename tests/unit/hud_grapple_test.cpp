// The race-time format, and the grapple beam: choosing a point, pulling, letting go, bouncing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "fresh_game.h"
#include "game/frame.h"
#include "game/hud.h"

namespace {

TEST(RaceTimeFormat, ShowsMinutesSecondsAndHundredths)
{
    EXPECT_EQ(formatRaceTime(0, ""), "00:00.00");
    EXPECT_EQ(formatRaceTime(9, ""), "00:00.00");
    EXPECT_EQ(formatRaceTime(10, ""), "00:00.01");
    EXPECT_EQ(formatRaceTime(59999, ""), "00:59.99");
    EXPECT_EQ(formatRaceTime(60000, ""), "01:00.00");
    EXPECT_EQ(formatRaceTime(61230, ""), "01:01.23");
    EXPECT_EQ(formatRaceTime(61230, "Time: "), "Time: 01:01.23");
}

TEST(RaceTimeFormat, AgreesWithIntegerArithmeticUpToTheClamp)
{
    for (std::uint32_t ms = 0; ms < 5999999; ms += 997) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%02u:%02u.%02u", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
        ASSERT_EQ(formatRaceTime(ms, ""), expected) << ms;
    }
    EXPECT_EQ(formatRaceTime(5999999, ""), "99:59.99");
    EXPECT_EQ(formatRaceTime(6000000, ""), "99:59.99");
    EXPECT_EQ(formatRaceTime(123456789, ""), "99:59.99");
    // An end time before the start (the counter wrapped) is a huge unsigned difference.
    const std::uint32_t start = 5000, end = 3000;
    EXPECT_EQ(formatRaceTime(end - start, "Time: "), "Time: 99:59.99");
}

class Grapple : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFreshGame();
        advanceToRaceStart();
        gameState.frameDeltaMs = 16;
    }
};

double distanceToPoint(int slot)
{
    const Vec4& p = grapplePoints[slot].position;
    return std::sqrt(std::pow(p.x - car.position.x, 2.0) + std::pow(p.y - car.position.y, 2.0) +
                     std::pow(p.z - car.position.z, 2.0));
}

TEST_F(Grapple, EveryPointIsOutOfReachAtTheStart)
{
    EXPECT_NEAR(distanceToPoint(0), 2348.1, 0.1);
    for (int slot = 1; slot < GrapplePointCount; ++slot)
        EXPECT_GT(distanceToPoint(slot), distanceToPoint(0));
    input.grappleButtonHeld = true;
    input.forwardHeld = true;
    simulateFrame();
    EXPECT_FALSE(car.grappleAttached);
    EXPECT_GT(car.velocity.z, 0.0f) << "the car drives on as usual";
}

TEST_F(Grapple, AttachesInTheFirstFrameStrictlyWithinReach)
{
    // Slot 0 hangs at (-2, 100, 2350): standing at height 100 puts it straight ahead.
    car.position = {-2.0f, 100.0f, 2350.0f - 750.0f, 1.0f};
    EXPECT_FALSE(tryAttachGrapple()) << "exactly 750 away is out of reach";
    car.position.z = 2350.0f - 749.99f;
    EXPECT_TRUE(tryAttachGrapple());
    EXPECT_EQ(car.anchor.z, 2350.0f);
    EXPECT_EQ(car.anchor.w, 1.0f);

    // Driving toward it with the button held attaches in the first frame under 750.
    startFreshGame();
    advanceToRaceStart();
    gameState.frameDeltaMs = 16;
    car.position = {-14.0f, 1.0f, 1590.0f, 1.0f}; // on the right-hand lane
    car.velocity.z = 0.1f;
    input.grappleButtonHeld = true;
    for (int frame = 0; frame < 100 && !car.grappleAttached; ++frame) {
        // The choice is made at the start of a frame, from where the last frame left the car.
        const double before = distanceToPoint(0);
        simulateFrame();
        ASSERT_EQ(gameState.phase, RacePhase::Racing);
        EXPECT_EQ(car.grappleAttached, before < 750.0) << "at " << before;
    }
    EXPECT_TRUE(car.grappleAttached);
}

TEST_F(Grapple, OfTwoPointsAtTheSameDistanceTheEarlierWins)
{
    // Halfway between slots 2 and 3 in every coordinate is equally far from both.
    const Vec4& a = grapplePoints[2].position;
    const Vec4& b = grapplePoints[3].position;
    grapplePoints[3].position = {a.x, a.y, a.z + 1000.0f, 1.0f};
    car.position = {a.x, a.y, a.z + 500.0f, 1.0f};
    EXPECT_TRUE(tryAttachGrapple());
    EXPECT_EQ(car.anchor.z, a.z);
    grapplePoints[3].position = b;
    placeGrapplePoints();
}

TEST_F(Grapple, PullsWithoutGravityFrictionOrKeysUntilReleased)
{
    car.position = {-2.0f, 1.0f, 1700.0f, 1.0f};
    car.orientation.y = 30.0f;
    input.grappleButtonHeld = true;
    input.forwardHeld = true;
    input.rightHeld = true;
    simulateFrame();
    ASSERT_TRUE(car.grappleAttached);
    // The pull is 0.0005 x 16 toward the anchor, turned into the car's frame; no key, no gravity.
    const Vec4 toward = unitVector({0.0f, 99.0f, 650.0f, 1.0f});
    const Vec4 inCarFrame = rotateAboutAxis('y', -30.0f, toward);
    EXPECT_NEAR(car.velocity.x, inCarFrame.x * 0.008f, 1e-7);
    EXPECT_NEAR(car.velocity.y, inCarFrame.y * 0.008f, 1e-7);
    EXPECT_NEAR(car.velocity.z, inCarFrame.z * 0.008f, 1e-7);
    EXPECT_EQ(car.steer, 0.0f) << "the keys do not steer while attached";
    EXPECT_GT(car.position.y, 1.0f) << "the car leaves the ground";

    // Turned back into world axes the car's velocity points at the anchor.
    for (int frame = 0; frame < 20; ++frame)
        simulateFrame();
    const Vec4 world = rotateAboutAxis('y', car.orientation.y, car.velocity);
    const Vec4 direction = unitVector(world);
    const Vec4 expected = unitVector({car.anchor.x - car.position.x, car.anchor.y - car.position.y,
                                      car.anchor.z - car.position.z, 1.0f});
    EXPECT_NEAR(direction.x * expected.x + direction.y * expected.y + direction.z * expected.z, 1.0, 1e-3);

    // Releasing lets go in the next frame, keeping the velocity; gravity returns at once.
    const Vec4 velocity = car.velocity;
    input.grappleButtonHeld = false;
    simulateFrame();
    EXPECT_FALSE(car.grappleAttached);
    EXPECT_EQ(car.velocity.x, velocity.x);
    EXPECT_EQ(car.velocity.z, velocity.z);
    EXPECT_FLOAT_EQ(car.velocity.y, velocity.y - 0.0048f);
}

TEST_F(Grapple, ANewPressChoosesAfresh)
{
    car.position = {-2.0f, 100.0f, 2000.0f, 1.0f};
    input.grappleButtonHeld = true;
    simulateFrame();
    ASSERT_TRUE(car.grappleAttached);
    EXPECT_EQ(car.anchor.z, 2350.0f);
    // Holding on past slot 1's reach keeps slot 0...
    car.position = {-14.0f, 100.0f, 5000.0f, 1.0f};
    simulateFrame();
    EXPECT_EQ(car.anchor.z, 2350.0f);
    // ...until the button is released and pressed again.
    input.grappleButtonHeld = false;
    simulateFrame();
    input.grappleButtonHeld = true;
    simulateFrame();
    EXPECT_TRUE(car.grappleAttached);
    EXPECT_EQ(car.anchor.z, 5450.0f);
}

TEST_F(Grapple, ACarAtTheAnchorIsNotPulledAnywhere)
{
    car.anchor = grapplePoints[0].position;
    car.position = car.anchor;
    car.grappleAttached = true;
    input.grappleButtonHeld = true;
    applyGrapplePull();
    EXPECT_EQ(car.velocity.x, 0.0f);
    EXPECT_EQ(car.velocity.y, 0.0f);
    EXPECT_EQ(car.velocity.z, 0.0f);
}

TEST_F(Grapple, TheBoxBouncesTheCarOntoItsTopOrBottomFace)
{
    const Vec4 point = grapplePoints[1].position;
    // Falling into the top: bounced up and put on the top face.
    car.position = {point.x + 1.0f, point.y + 2.0f, point.z - 2.5f, 1.0f};
    car.velocity = {0.0f, -0.3f, 0.0f, 1.0f};
    bounceOffGrapplePoints();
    EXPECT_EQ(car.velocity.y, 0.3f);
    EXPECT_EQ(car.position.y, point.y + 3.0f);
    // Rising into it from below: sent down from the bottom face.
    car.position = {point.x, point.y - 1.0f, point.z, 1.0f};
    car.velocity.y = 0.2f;
    bounceOffGrapplePoints();
    EXPECT_EQ(car.velocity.y, -0.2f);
    EXPECT_EQ(car.position.y, point.y - 3.0f);
    // Flying in level: also the bottom face. On a face exactly, it is outside.
    car.position = {point.x, point.y, point.z, 1.0f};
    car.velocity.y = 0.0f;
    bounceOffGrapplePoints();
    EXPECT_EQ(car.position.y, point.y - 3.0f);
    bounceOffGrapplePoints();
    EXPECT_EQ(car.position.y, point.y - 3.0f);
    EXPECT_EQ(car.velocity.y, 0.0f);
}

TEST_F(Grapple, TheEndScreenLetsGoAtEveryFrame)
{
    car.position = {-2.0f, 100.0f, 2000.0f, 1.0f};
    input.grappleButtonHeld = true;
    simulateFrame();
    ASSERT_TRUE(car.grappleAttached);
    gameState.phase = RacePhase::Won;
    frameWithoutDrawing();
    EXPECT_FALSE(car.grappleAttached);
    EXPECT_TRUE(gameState.endScreenShown);
    car.grappleAttached = true;
    frameWithoutDrawing();
    EXPECT_FALSE(car.grappleAttached);
}

} // namespace
