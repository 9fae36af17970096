// The track's cells, the mapping from positions to cells, and the finish and ground test.
#include <gtest/gtest.h>

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
        // Empty beyond the finish and over the grapple beam's two gaps; the finish strip full width.
        const bool empty = row <= 275 || (row >= 298 && row <= 327) || (row >= 468 && row <= 480);
        if (empty || row <= FinishRow) {
            EXPECT_EQ(groundCellsIn(row), empty ? 0 : TrackColumns) << "row " << row;
        }
    }
    EXPECT_EQ(total, 3476);
    EXPECT_TRUE(isGroundCell(trackRowOf(4.0f), trackColumnOf(-2.0f))) << "the car starts on a block";
}

TEST(TrackMapping, ColumnsAndRowsIncludingTheEdgesAndFarOrNonNumericPositions)
{
    const std::pair<float, int> columns[] = {{0.0f, 48},    {-0.0f, 48},   {-0.5f, 49},   {-4.0f, 50},
                                             {195.9f, 0},   {196.0f, -1},  {-199.9f, 98}, {-200.0f, 99}};
    for (const auto& [x, column] : columns)
        EXPECT_EQ(trackColumnOf(x), column) << "x " << x;
    const std::pair<float, int> rows[] = {{4.0f, 499},     {99.9f, 499},    {100.0f, 498}, {21899.9f, 281},
                                          {21900.0f, 280}, {-0.5f, 500},    {-100.0f, 501}};
    for (const auto& [z, row] : rows)
        EXPECT_EQ(trackRowOf(z), row) << "z " << z;

    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float value : {1e30f, -1e30f, inf, -inf, nan, 3e9f, -3e9f, std::numeric_limits<float>::max()}) {
        const int column = trackColumnOf(value);
        EXPECT_TRUE(column < 0 || column >= TrackColumns) << value;
        EXPECT_FALSE(isGroundCell(400, column)) << value;
    }
    EXPECT_LE(trackRowOf(1e30f), FinishRow) << "far ahead is in the finish zone";
    EXPECT_LE(trackRowOf(inf), FinishRow);
    EXPECT_GE(trackRowOf(-1e30f), TrackRows);
    EXPECT_GE(trackRowOf(-inf), TrackRows);
    EXPECT_GE(trackRowOf(nan), TrackRows) << "not a number must not count as a finish";
}

TEST(TrackCheck, WinsAnywhereInTheFinishZoneAndDisqualifiesOnlyOnTheGroundOffTheTrack)
{
    startFreshGame();
    advanceToRaceStart();
    const struct {
        Vec4 position;
        RacePhase phase;
    } cases[] = {
        {{-2.0f, 1.0001f, 2500.0f, 1.0f}, RacePhase::Racing},     // in the air over the first gap
        {{-2.0f, 1.0f, 4.0f, 1.0f}, RacePhase::Racing},           // on the start pad
        {{-2.0f, 1.0f, 21899.9f, 1.0f}, RacePhase::Racing},       // funnel row 281, column 49
        {{-2.0f, 1.0f, 2500.0f, 1.0f}, RacePhase::Disqualified},  // on the ground over the gap
        {{300.0f, 1.0f, 21000.0f, 1.0f}, RacePhase::Disqualified}, // off the grid sideways
        {{-2.0f, 1.0f, -0.01f, 1.0f}, RacePhase::Disqualified},   // behind the start
        {{5000.0f, 300.0f, 21900.0f, 1.0f}, RacePhase::Won},      // the finish zone, anywhere
    };
    simClockAdvance(1234);
    for (const auto& c : cases) {
        gameState.phase = RacePhase::Racing;
        checkTrackUnderCar(c.position);
        EXPECT_EQ(gameState.phase, c.phase) << c.position.x << " " << c.position.y << " " << c.position.z;
    }
    EXPECT_EQ(gameState.raceEndMs, 4234u);
}

} // namespace
