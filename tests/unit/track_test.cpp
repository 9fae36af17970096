// The track's cells, the mapping from positions to cells, and the finish and ground test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fresh_game.h"
#include "sim/track.h"

namespace {

int groundCellsIn(int row)
{
    int count = 0;
    for (int column = 0; column < TrackColumns; ++column)
        count += isGroundCell(row, column) ? 1 : 0;
    return count;
}

TEST(TrackMapTable, HoldsTheTrackAndOnlyTheTrack)
{
    int total = 0;
    for (int row = 0; row < TrackRows; ++row) {
        ASSERT_EQ(std::strlen(trackMap.rows[row]), static_cast<std::size_t>(TrackColumns)) << "row " << row;
        ASSERT_EQ(std::strspn(trackMap.rows[row], "01"), static_cast<std::size_t>(TrackColumns)) << "row " << row;
        total += groundCellsIn(row);
    }
    EXPECT_EQ(total, 3476);
    for (int row = 0; row <= 275; ++row)
        EXPECT_EQ(groundCellsIn(row), 0) << "row " << row << " lies beyond the finish";
    for (int row = 276; row <= FinishRow; ++row)
        EXPECT_EQ(groundCellsIn(row), TrackColumns) << "the finish strip is full width, row " << row;
    EXPECT_TRUE(isGroundCell(trackRowOf(4.0f), trackColumnOf(-2.0f))) << "the car starts on a block";
    // The two gaps the grapple beam exists for.
    for (int row = 468; row <= 480; ++row)
        EXPECT_EQ(groundCellsIn(row), 0) << "row " << row;
    for (int row = 298; row <= 327; ++row)
        EXPECT_EQ(groundCellsIn(row), 0) << "row " << row;
}

TEST(TrackMapping, ColumnsTruncateTowardZeroAndStepOnceMoreBelowZero)
{
    EXPECT_EQ(trackColumnOf(0.0f), 48);
    EXPECT_EQ(trackColumnOf(-0.0f), 48) << "-0.0 is not negative";
    EXPECT_EQ(trackColumnOf(-0.5f), 49);
    EXPECT_EQ(trackColumnOf(-4.0f), 50) << "exactly -4 steps twice";
    EXPECT_EQ(trackColumnOf(195.9f), 0);
    EXPECT_EQ(trackColumnOf(196.0f), -1);
    EXPECT_EQ(trackColumnOf(-199.9f), 98);
    EXPECT_EQ(trackColumnOf(-200.0f), 99);
}

TEST(TrackMapping, RowsCountDownFromTheStart)
{
    EXPECT_EQ(trackRowOf(4.0f), 499);
    EXPECT_EQ(trackRowOf(99.9f), 499);
    EXPECT_EQ(trackRowOf(100.0f), 498);
    EXPECT_EQ(trackRowOf(21899.9f), 281);
    EXPECT_EQ(trackRowOf(21900.0f), 280);
    EXPECT_EQ(trackRowOf(-0.5f), 500) << "behind the start is off the grid";
    EXPECT_EQ(trackRowOf(-100.0f), 501);
}

TEST(TrackMapping, FarAwayAndNonNumericPositionsLandOffTheGrid)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float far[] = {1e30f, -1e30f, inf, -inf, nan, 3e9f, -3e9f, std::numeric_limits<float>::max()};
    for (float value : far) {
        const int column = trackColumnOf(value);
        EXPECT_TRUE(column < 0 || column >= TrackColumns) << value;
        EXPECT_FALSE(isGroundCell(400, column)) << value;
    }
    EXPECT_LE(trackRowOf(1e30f), FinishRow) << "far ahead is in the finish zone";
    EXPECT_LE(trackRowOf(inf), FinishRow);
    EXPECT_GE(trackRowOf(-1e30f), TrackRows);
    EXPECT_GE(trackRowOf(-inf), TrackRows);
    EXPECT_GE(trackRowOf(nan), TrackRows) << "not a number must not count as a finish";
    EXPECT_FALSE(isGroundCell(trackRowOf(nan), trackColumnOf(nan)));
}

class TrackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFreshGame();
        advanceToRaceStart();
    }
};

TEST_F(TrackTest, ReachingTheFinishZoneWinsAnywhereAtAnyHeight)
{
    simClockAdvance(1234);
    checkTrackUnderCar({5000.0f, 300.0f, 21900.0f, 1.0f});
    EXPECT_EQ(gameState.phase, RacePhase::Won);
    EXPECT_EQ(gameState.raceEndMs, 4234u);
}

TEST_F(TrackTest, OnlyACarOnTheGroundOverAGapIsDisqualified)
{
    checkTrackUnderCar({-2.0f, 1.0001f, 2500.0f, 1.0f}); // in the air over the first gap
    EXPECT_EQ(gameState.phase, RacePhase::Racing);
    checkTrackUnderCar({-2.0f, 1.0f, 4.0f, 1.0f}); // on the start pad
    EXPECT_EQ(gameState.phase, RacePhase::Racing);
    checkTrackUnderCar({-2.0f, 1.0f, 21899.9f, 1.0f}); // funnel row 281, column 49
    EXPECT_EQ(gameState.phase, RacePhase::Racing);
    checkTrackUnderCar({-2.0f, 1.0f, 2500.0f, 1.0f});
    EXPECT_EQ(gameState.phase, RacePhase::Disqualified);
}

TEST_F(TrackTest, OffTheGridSidewaysOrBehindTheStartIsDisqualified)
{
    checkTrackUnderCar({300.0f, 1.0f, 21000.0f, 1.0f});
    EXPECT_EQ(gameState.phase, RacePhase::Disqualified);
    gameState.phase = RacePhase::Racing;
    checkTrackUnderCar({-2.0f, 1.0f, -0.01f, 1.0f});
    EXPECT_EQ(gameState.phase, RacePhase::Disqualified);
}

} // namespace
