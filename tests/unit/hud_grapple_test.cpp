// The race-time format, and the grapple beam: choosing a point, pulling, letting go, bouncing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "fresh_game.h"
#include "game/frame.h"
#include "game/hud.h"

namespace {

TEST(RaceTimeFormat, ShowsMinutesSecondsAndHundredthsUpToTheClamp)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "00:00.00"},       {9, "00:00.00"},       {10, "00:00.01"},       {59999, "00:59.99"},
        {60000, "01:00.00"},   {61230, "01:01.23"},   {5999999, "99:59.99"}, {6000000, "99:59.99"},
        {123456789, "99:59.99"}, {3000u - 5000u, "99:59.99"}}; // the last: an end before the start (wrapped)
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(formatRaceTime(ms, ""), text) << ms;
    EXPECT_EQ(formatRaceTime(61230, "Time: "), "Time: 01:01.23");
    for (std::uint32_t ms = 0; ms < 5999999; ms += 997) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%02u:%02u.%02u", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
        ASSERT_EQ(formatRaceTime(ms, ""), expected) << ms;
    }
}

class Grapple : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFreshGame();
        advanceToRaceStart();
        gameState.frameDeltaMs = 16;
    }
    // Holds the button at (x, y, z) for one frame.
    void grabFrom(float x, float y, float z)
    {
        car.position = {x, y, z, 1.0f};
        input.grappleButtonHeld = true;
        simulateFrame();
    }
};

double distanceToPoint(int slot)
{
    const Vec4& p = grapplePoints[slot].position;
    return std::hypot(p.x - car.position.x, p.y - car.position.y, p.z - car.position.z);
}

TEST_F(Grapple, AttachesInTheFirstFrameStrictlyWithinReach)
{
    EXPECT_NEAR(distanceToPoint(0), 2348.1, 0.1) << "every point is out of reach at the start";
    for (int slot = 1; slot < GrapplePointCount; ++slot)
        EXPECT_GT(distanceToPoint(slot), distanceToPoint(0));
    input.forwardHeld = true;
    grabFrom(-2.0f, 1.0f, 4.0f);
    EXPECT_FALSE(car.grappleAttached);
    EXPECT_GT(car.velocity.z, 0.0f) << "the car drives on as usual";
    input.forwardHeld = false;

    // Slot 0 hangs at (-2, 100, 2350): standing at height 100 puts it straight ahead.
    car.position = {-2.0f, 100.0f, 2350.0f - 750.0f, 1.0f};
    EXPECT_FALSE(tryAttachGrapple()) << "exactly 750 away is out of reach";
    car.position.z = 2350.0f - 749.99f;
    EXPECT_TRUE(tryAttachGrapple());
    EXPECT_EQ(car.anchor.z, 2350.0f);

    // Driving toward it with the button held attaches in the first frame under 750, judged from
    // where the last frame left the car.
    SetUp();
    car.position = {-14.0f, 1.0f, 1590.0f, 1.0f};
    car.velocity.z = 0.1f;
    input.grappleButtonHeld = true;
    for (int frame = 0; frame < 100 && !car.grappleAttached; ++frame) {
        const double before = distanceToPoint(0);
        simulateFrame();
        ASSERT_EQ(gameState.phase, RacePhase::Racing);
        EXPECT_EQ(car.grappleAttached, before < 750.0) << "at " << before;
    }
    EXPECT_TRUE(car.grappleAttached);

    // Of two points at the same distance the earlier wins.
    const Vec4 a = grapplePoints[2].position;
    grapplePoints[3].position = {a.x, a.y, a.z + 1000.0f, 1.0f};
    car.position = {a.x, a.y, a.z + 500.0f, 1.0f};
    car.grappleAttached = false;
    EXPECT_TRUE(tryAttachGrapple());
    EXPECT_EQ(car.anchor.z, a.z);
    placeGrapplePoints();
}

TEST_F(Grapple, PullsWithoutGravityFrictionOrKeysUntilReleased)
{
    car.orientation.y = 30.0f;
    input.forwardHeld = true;
    input.rightHeld = true;
    grabFrom(-2.0f, 1.0f, 1700.0f);
    ASSERT_TRUE(car.grappleAttached);
    // The pull is 0.0005 x 16 toward the anchor, turned into the car's frame; no key, no gravity.
    const Vec4 inCarFrame = rotateAboutAxis('y', -30.0f, unitVector({0.0f, 99.0f, 650.0f, 1.0f}));
    EXPECT_NEAR(car.velocity.x, inCarFrame.x * 0.008f, 1e-7);
    EXPECT_NEAR(car.velocity.y, inCarFrame.y * 0.008f, 1e-7);
    EXPECT_NEAR(car.velocity.z, inCarFrame.z * 0.008f, 1e-7);
    EXPECT_EQ(car.steer, 0.0f) << "the keys do not steer while attached";
    EXPECT_GT(car.position.y, 1.0f) << "the car leaves the ground";

    for (int frame = 0; frame < 20; ++frame)
        simulateFrame();
    const Vec4 direction = unitVector(rotateAboutAxis('y', car.orientation.y, car.velocity));
    const Vec4 expected = unitVector({car.anchor.x - car.position.x, car.anchor.y - car.position.y,
                                      car.anchor.z - car.position.z, 1.0f});
    EXPECT_NEAR(direction.x * expected.x + direction.y * expected.y + direction.z * expected.z, 1.0, 1e-3)
        << "in world axes the velocity points at the anchor";

    // Releasing lets go in the next frame, keeping the velocity; gravity returns at once.
    const Vec4 velocity = car.velocity;
    input.grappleButtonHeld = false;
    simulateFrame();
    EXPECT_FALSE(car.grappleAttached);
    EXPECT_EQ(car.velocity.x, velocity.x);
    EXPECT_EQ(car.velocity.z, velocity.z);
    EXPECT_FLOAT_EQ(car.velocity.y, velocity.y - 0.0048f);

    // A car at its anchor is not pulled anywhere.
    car = Car{};
    car.anchor = car.position = grapplePoints[0].position;
    car.grappleAttached = input.grappleButtonHeld = true;
    applyGrapplePull();
    EXPECT_TRUE(car.velocity.x == 0.0f && car.velocity.y == 0.0f && car.velocity.z == 0.0f);
}

TEST_F(Grapple, ANewPressChoosesAfreshAndTheEndScreenLetsGo)
{
    grabFrom(-2.0f, 100.0f, 2000.0f);
    ASSERT_TRUE(car.grappleAttached);
    EXPECT_EQ(car.anchor.z, 2350.0f);
    grabFrom(-14.0f, 100.0f, 5000.0f); // past slot 1's reach, still held: slot 0 stays
    EXPECT_EQ(car.anchor.z, 2350.0f);
    input.grappleButtonHeld = false;
    simulateFrame();
    grabFrom(car.position.x, car.position.y, car.position.z);
    EXPECT_TRUE(car.grappleAttached);
    EXPECT_EQ(car.anchor.z, 5450.0f);

    gameState.phase = RacePhase::Won;
    for (int frame = 0; frame < 2; ++frame) {
        car.grappleAttached = true;
        frameWithoutDrawing();
        EXPECT_FALSE(car.grappleAttached) << "every end-screen frame lets go";
        EXPECT_TRUE(gameState.endScreenShown);
    }
}

TEST_F(Grapple, TheBoxBouncesTheCarOntoItsTopOrBottomFace)
{
    const Vec4 point = grapplePoints[1].position;
    const struct {
        float dx, dy, dz, vy, bouncedVy, faceDy;
    } cases[] = {
        {1.0f, 2.0f, -2.5f, -0.3f, 0.3f, 3.0f},  // falling into the top: up, onto the top face
        {0.0f, -1.0f, 0.0f, 0.2f, -0.2f, -3.0f}, // rising into it: down, from the bottom face
        {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -3.0f},   // flying in level: the bottom face too
    };
    for (const auto& c : cases) {
        car.position = {point.x + c.dx, point.y + c.dy, point.z + c.dz, 1.0f};
        car.velocity.y = c.vy;
        bounceOffGrapplePoints();
        EXPECT_EQ(car.velocity.y, c.bouncedVy) << c.dy;
        EXPECT_EQ(car.position.y, point.y + c.faceDy) << c.dy;
    }
    bounceOffGrapplePoints(); // on a face exactly is outside
    EXPECT_EQ(car.position.y, point.y - 3.0f);
    EXPECT_EQ(car.velocity.y, 0.0f);
}

} // namespace
