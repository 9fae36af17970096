// The car's motion, the grapple beam and the track under it, as racing frames play them, and
// directly where the car must be somewhere no script takes it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "game_support.h"
#include "sim/track.h"

namespace {

// (Every frame turning and moving along the heading, and driving off the track's side: the race
// end-to-end test, through vantor-sim.)
TEST(Car, ADrivingChangeThatWouldReachItsBoundIsDroppedWhole)
{
    startFreshGame();
    gameState.frameDeltaMs = 16;
    // The last value from which a 16 ms step stays inside the bound moves; from the next one the
    // step lands exactly on the bound, and from beyond the bound it would go further: both stay.
    const struct {
        bool* key;
        float* value;
        float step, bound;
    } limits[] = {{&input.forwardHeld, &car.velocity.z, 0.008f, 0.8f}, {&input.backwardHeld, &car.velocity.z, -0.008f, -0.3f},
                  {&input.rightHeld, &car.steer, 0.08f, 0.5f}, {&input.leftHeld, &car.steer, -0.08f, -0.5f}};
    for (const auto& limit : limits) {
        const auto inside = [&](float v) { return limit.step > 0 ? v + limit.step < limit.bound : v + limit.step > limit.bound; };
        float onBound = limit.bound - 2 * limit.step;
        while (inside(onBound))
            onBound = std::nextafter(onBound, limit.bound);
        ASSERT_EQ(onBound + limit.step, limit.bound) << "no value steps exactly onto " << limit.bound;
        const float below = std::nextafter(onBound, -limit.bound);
        *limit.key = true;
        for (float start : {below, onBound, limit.bound * 3}) {
            *limit.value = start;
            applyDrivingInput();
            EXPECT_EQ(*limit.value, start == below ? start + limit.step : start) << "from " << start;
        }
        *limit.key = false;
    }
    input.forwardHeld = input.backwardHeld = true;
    car.velocity.z = 0.0f;
    applyDrivingInput();
    EXPECT_EQ(car.velocity.z, 0.0f) << "w and s together cancel";
}

TEST(Car, GravityAlwaysFrictionOnlyOnTheGroundAndNeitherWhileAttached)
{
    startFreshGame();
    gameState.frameDeltaMs = 16;
    // In the air: gravity only; on the ground: friction too; held by the beam: neither.
    const std::tuple<float, bool, Vec4, Vec4> cases[] = {{5.0f, false, {0.1f, 0.0f, 0.5f, 1}, {0.1f, -0.0048f, 0.5f, 1}},
                                                         {1.0f, false, {0.001f, 0.0f, -0.5f, 1}, {0.0f, -0.0016f, -0.4968f, 1}},
                                                         {1.0f, true, {0.1f, 0.2f, 0.5f, 1}, {0.1f, 0.2f, 0.5f, 1}}};
    for (const auto& [y, attached, velocity, expected] : cases) {
        car = {{0.0f, y, 0.0f, 1.0f}, {}, velocity, -0.3f, attached, {}};
        applyGravityAndFriction();
        EXPECT_TRUE(std::abs(car.velocity.x - expected.x) < 1e-7 && std::abs(car.velocity.y - expected.y) < 1e-7 &&
                    std::abs(car.velocity.z - expected.z) < 1e-7 && std::abs(car.steer + 0.3f - 0.056f) < 1e-7)
            << y << " " << attached << ": the steering springs back in every case";
    }
    // Standing, the car turns on the spot; backing up, it turns the other way.
    for (float speed : {0.0f, -0.01f}) {
        car = {{-2.0f, 5.0f, 4.0f}, {}, {0.0f, 0.0f, speed}, 0.5f, false, {}};
        integrateCar();
        EXPECT_TRUE(speed == 0.0f ? car.orientation.y > 0.0f : car.orientation.y < 0.0f) << speed;
    }
}

// Falling onto a gap from above: the step passes below the blocks, is held at their height and
// judged there, in the same frame.
TEST(Car, FallingOntoAGapDisqualifiesInThatFrame)
{
    startFreshGame();
    advanceToRaceStart();
    car.position = {-2.0f, 1.5f, 2500.0f, 1.0f};
    car.velocity.y = -1.0f;
    runFrame(false);
    EXPECT_TRUE(car.position.y == 1.0f && gameState.phase == RacePhase::Disqualified);
}

TEST(Grapple, AttachesToTheClosestPointStrictlyWithinReach)
{
    startFreshGame();
    // Slot 0 hangs at (-2, 100, 2350): standing at height 100 puts it straight ahead.
    for (auto [away, attaches] : {std::pair{750.0f, false}, {749.99f, true}}) {
        car.position = {-2.0f, 100.0f, 2350.0f - away, 1.0f};
        EXPECT_EQ(tryAttachGrapple(), attaches) << away << " away";
    }
    // Of several in reach the closest wins, and of two at the same distance the earlier.
    const Vec4 a = grapplePoints[2].position;
    grapplePoints[3].position = {a.x, a.y, a.z + 1000.0f, 1.0f};
    for (auto [offset, anchorZ] : {std::pair{700.0f, a.z + 1000.0f}, {500.0f, a.z}}) {
        car.position = {a.x, a.y, a.z + offset, 1.0f};
        EXPECT_TRUE(tryAttachGrapple() && car.anchor.z == anchorZ) << offset;
    }
    placeGrapplePoints();
}

TEST(Grapple, PullsTowardTheAnchorWithoutGravityFrictionOrKeysUntilReleased)
{
    startFreshGame();
    advanceToRaceStart();
    gameState.frameDeltaMs = 16;
    car.position = {-40.0f, 1.0f, 1700.0f, 1.0f};
    car.orientation.y = 30.0f;
    input.forwardHeld = input.rightHeld = input.grappleButtonHeld = true;
    runFrame(false);
    ASSERT_TRUE(car.grappleAttached);
    // The pull is 0.0005 x 16 toward the anchor, 38 across, 99 up and 650 ahead, seen from a car
    // turned 30 degrees about y: straight ahead in the world is partly to the car's side.
    const double dx = 38.0, dy = 99.0, dz = 650.0, radians = 30.0 * M_PI / 180.0;
    const double k = 0.008 / std::sqrt(dx * dx + dy * dy + dz * dz);
    EXPECT_NEAR(car.velocity.x, k * (dx * std::cos(radians) + dz * std::sin(radians)), 1e-7);
    EXPECT_NEAR(car.velocity.y, k * dy, 1e-7);
    EXPECT_NEAR(car.velocity.z, k * (dz * std::cos(radians) - dx * std::sin(radians)), 1e-7);
    EXPECT_EQ(car.steer, 0.0f) << "the keys do not steer while attached";
    for (int frame = 0; frame < 20; ++frame)
        runFrame(false);
    // Released up in the air: let go in the next frame, the velocity kept, gravity back at once.
    const Vec4 velocity = car.velocity;
    input.grappleButtonHeld = false;
    runFrame(false);
    EXPECT_TRUE(!car.grappleAttached && car.velocity.x == velocity.x && car.velocity.z == velocity.z);
    EXPECT_FLOAT_EQ(car.velocity.y, velocity.y - 0.0048f);
    // The end screen lets go; a car at its anchor is not pulled anywhere.
    car.grappleAttached = input.grappleButtonHeld = true;
    gameState.phase = RacePhase::Won;
    runFrame(false);
    EXPECT_FALSE(car.grappleAttached);
    car.anchor = car.position = grapplePoints[0].position;
    car.velocity = {0.0f, 0.0f, 0.0f, 1.0f};
    applyGrapplePull();
    EXPECT_TRUE(car.velocity.x == 0.0f && car.velocity.y == 0.0f && car.velocity.z == 0.0f);
}

TEST(Grapple, TheBoxBouncesTheCarOutThroughItsTopOrBottomFace)
{
    startFreshGame();
    const Vec4 point = grapplePoints[1].position;
    const float cases[][6] = {
        // dx, dy, dz, vertical speed, the speed after, and where the car ends, from the point
        {2.9f, 2.9f, -2.9f, -0.3f, 0.3f, 3.0f},  // falling into the top: up, onto the top face
        {0.0f, -1.0f, 0.0f, 0.2f, -0.2f, -3.0f}, // rising into it: down, from the bottom face
        {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -3.0f},   // flying in level: the bottom face too
        {0.0f, 3.0f, 0.0f, -0.3f, -0.3f, 3.0f},  // on the top face: outside the box
        {3.0f, 1.0f, 0.0f, -0.3f, -0.3f, 1.0f},  // on a side face: outside too
        {0.0f, 1.0f, -3.0f, -0.3f, -0.3f, 1.0f}, // on the face opposite: outside as well
    };
    for (const auto& c : cases) {
        car.position = {point.x + c[0], point.y + c[1], point.z + c[2], 1.0f};
        car.velocity.y = c[3];
        bounceOffGrapplePoints();
        EXPECT_TRUE(car.velocity.y == c[4] && car.position.y == point.y + c[5]) << c[0] << " " << c[1];
    }
}

TEST(Track, RowsMatchThePlanAndPositionsMapOntoCells)
{
    // The plan read independently: the total, the empty rows, the full-width finish strip and rows
    // holding one run of blocks off the middle (first and last column); a mirrored row fails here.
    int total = 0;
    for (int row = -1; row <= TrackRows; ++row)
        for (int column = -1; column <= TrackColumns; ++column)
            total += isGroundCell(row, column);
    EXPECT_EQ(total, 3476);
    for (auto [row, first, last] : {std::tuple{0, 99, 99}, {275, 99, 99}, {298, 99, 99}, {327, 99, 99}, {468, 99, 99},
                                    {480, 99, 99}, {276, 0, 98}, {280, 0, 98}, {282, 18, 65}, {435, 59, 68}, {441, 43, 51}})
        for (int column = 0; column < TrackColumns; ++column)
            ASSERT_EQ(isGroundCell(row, column), column >= first && column <= last) << row << " " << column;

    const std::pair<float, int> columns[] = {{0.0f, 48}, {-0.0f, 48}, {-0.5f, 49}, {-4.0f, 50},
                                             {195.9f, 0}, {196.0f, -1}, {-199.9f, 98}, {-200.0f, 99}};
    for (const auto& [x, column] : columns)
        EXPECT_EQ(trackColumnOf(x), column) << "x " << x;
    const std::pair<float, int> rows[] = {{0.0f, 499}, {-0.0f, 499}, {4.0f, 499}, {99.9f, 499}, {100.0f, 498}, {21899.9f, 281},
                                          {21900.0f, 280}, {-0.5f, 500}, {-100.0f, 501}};
    for (const auto& [z, row] : rows)
        EXPECT_EQ(trackRowOf(z), row) << "z " << z;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float value : {1e30f, -1e30f, inf, -inf, nan, 3e9f, -3e9f})
        EXPECT_FALSE(isGroundCell(400, trackColumnOf(value))) << value;
    EXPECT_TRUE(trackRowOf(1e30f) <= FinishRow && trackRowOf(inf) <= FinishRow) << "far ahead is the finish";
    EXPECT_TRUE(trackRowOf(-1e30f) >= TrackRows && trackRowOf(-inf) >= TrackRows && trackRowOf(nan) >= TrackRows);
}

// The track is judged only while racing: a car over a gap in the countdown or on the end screen,
// after the race has ended, stays as it is.
TEST(Track, WinsAnywhereInTheFinishZoneAndDisqualifiesOnlyOnTheGroundOffTheTrackWhileRacing)
{
    startFreshGame();
    car.position = {-2.0f, 1.0f, 2500.0f, 1.0f};
    runFrame(false);
    EXPECT_EQ(gameState.phase, RacePhase::Countdown);
    advanceToRaceStart();
    const std::pair<Vec4, RacePhase> cases[] = {
        {{-2.0f, 1.0001f, 2500.0f, 1.0f}, RacePhase::Racing},      // in the air over the first gap
        {{-2.0f, 1.0f, 21899.9f, 1.0f}, RacePhase::Racing},        // funnel row 281, column 49
        {{-2.0f, 1.0f, 2500.0f, 1.0f}, RacePhase::Disqualified},   // on the ground over the gap
        {{300.0f, 1.0f, 21000.0f, 1.0f}, RacePhase::Disqualified}, // off the grid sideways
        {{-2.0f, 1.0f, -0.01f, 1.0f}, RacePhase::Disqualified},    // behind the start
        {{5000.0f, 300.0f, 21900.0f, 1.0f}, RacePhase::Won},       // the finish zone, anywhere
    };
    simClockAdvance(1234);
    for (const auto& [position, phase] : cases) {
        gameState.phase = RacePhase::Racing;
        checkTrackUnderCar(position);
        EXPECT_EQ(gameState.phase, phase) << position.x << " " << position.y << " " << position.z;
    }
    EXPECT_EQ(gameState.raceEndMs, 4234u);
    runFrame(false);
    EXPECT_TRUE(gameState.phase == RacePhase::Won && gameState.raceEndMs == 4234u) << "the win and its time stay";
}

} // namespace
