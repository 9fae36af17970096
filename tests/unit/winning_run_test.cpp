// The kept winning run, replayed by the real vantor-sim: it wins with 16 ms frames in under 30
// seconds, every time it prints agrees with its own clock column, and it is the run the planner found.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "sim_runner.h"

namespace {

// MM:SS.HH worked out here, not with the game's formatter, so a fault there shows.
std::string minutesSecondsHundredths(long ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld.%02ld", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
    return text;
}

TEST(WinningRun, WinsUnderThirtySecondsWithAConsistentClockAsThePlannerFoundIt)
{
    std::ifstream in(std::string(VANTOR_SCRIPTS_DIR) + "/winning_run.txt");
    std::stringstream text;
    text << in.rdbuf();
    const std::string script = text.str();
    const SimRun run = runSim(script);
    ASSERT_EQ(run.exitStatus, 0) << run.errors;
    ASSERT_GE(run.frames.size(), 2u) << "no script at " << VANTOR_SCRIPTS_DIR;
    EXPECT_EQ(run.frames.front().phase, "Countdown");
    EXPECT_EQ(run.frames.front().time, "-");

    // The tick that starts the race reads the clock the last countdown frame left; each racing
    // frame then shows the clock it ran at, less that start. Only the last frame ends the race.
    long raceStartMs = -1, racingFrames = 0;
    for (std::size_t i = 1; i < run.frames.size(); ++i) {
        const SimFrame& f = run.frames[i];
        ASSERT_EQ(f.clock, 16 * f.k) << "frame " << f.k;
        if (f.phase == "Countdown") {
            ASSERT_EQ(raceStartMs, -1) << "frame " << f.k;
            EXPECT_EQ(f.time, "-") << "frame " << f.k;
            continue;
        }
        if (raceStartMs < 0)
            raceStartMs = run.frames[i - 1].clock;
        EXPECT_EQ(f.time, minutesSecondsHundredths(run.frames[i - 1].clock - raceStartMs)) << "frame " << f.k;
        ASSERT_TRUE(i + 1 == run.frames.size() || f.phase == "Racing") << "frame " << f.k << " ended the race early";
        racingFrames += f.phase == "Racing" ? 1 : 0;
    }
    const SimFrame& last = run.frames.back();
    EXPECT_EQ(last.phase, "Won");
    EXPECT_GE(last.z, 21900.0);
    EXPECT_LT(run.frames[run.frames.size() - 2].z, 21900.0) << "the frame before the win was short of the finish";
    EXPECT_EQ(last.time, minutesSecondsHundredths(racingFrames * 16));
    EXPECT_LT(racingFrames * 16, 30000);

    // The planner writes the race time its own replay gave; a difference means the game changed
    // under the script.
    std::smatch found;
    ASSERT_TRUE(std::regex_search(script, found, std::regex("race time ([0-9]{2}:[0-9]{2}\\.[0-9]{2})")));
    EXPECT_EQ(last.time, found[1].str());
}

} // namespace
