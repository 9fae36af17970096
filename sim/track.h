// The track: a fixed grid of ground blocks and gaps, the mapping from world positions to cells, and
// the finish and ground test the car runs while racing.
#pragma once

#include "sim/vector_math.h"

constexpr int TrackRows = 500;
constexpr int TrackColumns = 99;

// Row 0 is the far end, row 499 the start. Each row is a NUL-terminated string of '1' (a ground
// block) and '0' (empty). Column c spans x from 192 - 4c to 196 - 4c, so columns grow toward -x,
// the driver's right; row r spans z from 100 (499 - r) to 100 (500 - r).
struct TrackMap {
    char rows[TrackRows][TrackColumns + 1];
};

extern const TrackMap trackMap;

constexpr float GroundHeight = 1.0f; // top of every block; a car on the ground is exactly here
constexpr int FinishRow = 280;       // every row at or below this index is the finish zone

// The column under x. May lie outside 0 to 98; never overflows, whatever x is.
int trackColumnOf(float x);

// The row under z. May lie outside 0 to 499; never overflows, whatever z is.
int trackRowOf(float z);

// Whether a cell holds a block; false for any cell outside the grid.
bool isGroundCell(int row, int column);

// The finish and ground test: a car anywhere in the finish zone wins; a car standing at ground
// height over a gap or outside the grid is disqualified. Run only while racing.
void checkTrackUnderCar(Vec4 position);
