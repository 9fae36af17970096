// Race scripts: the lines the reader takes and refuses, the kept winning run, and the race time as
// the game shows it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "game/hud.h"
#include "game_support.h"

namespace {

// MM:SS.HH worked out here, not with the game's formatter, so a fault there shows.
std::string minutesSecondsHundredths(unsigned long ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02lu:%02lu.%02lu", ms / 60000, ms / 1000 % 60, ms / 10 % 100);
    return text;
}

TEST(RaceTime, MinutesSecondsAndHundredthsUpTo99Minutes)
{
    for (std::uint32_t ms = 0; ms < 5999999; ms += 997)
        ASSERT_EQ(formatRaceTime(ms, ""), minutesSecondsHundredths(ms)) << ms;
    for (std::uint32_t ms : {5999999u, 6000000u, 123456789u, 3000u - 5000u}) // the last: an end before the start
        EXPECT_EQ(formatRaceTime(ms, ""), "99:59.99") << ms;
    EXPECT_EQ(formatRaceTime(61230, "Time: "), "Time: 01:01.23");
}

TEST(RaceScript, TakesWellFormedLinesAndNamesTheLineItRefuses)
{
    const std::string badLines[] = {"16", "16 x", "16 ww", "-1 w", "60001 w", "16 w spacebar", "16 w space extra", "1e3 w",
                                    "16 w-", " 16 - space space", "99999999999999999999 w", "16,w", "16 " + std::string(260, 'w')};
    for (const std::string& bad : badLines) {
        std::string text = "# a comment\n\n0 -\n   \n" + bad + "\n16 -\n";
        std::FILE* in = fmemopen(text.data(), text.size(), "r");
        RaceScriptReader reader(in);
        ScriptFrame frame;
        EXPECT_EQ(reader.next(frame), RaceScriptReader::Result::Frame);
        EXPECT_EQ(reader.next(frame), RaceScriptReader::Result::Error) << bad;
        EXPECT_EQ(std::string(reader.error()).rfind("line 5: ", 0), 0u) << bad << ": " << reader.error();
        std::fclose(in);
    }
    startFreshGame();
    EXPECT_EQ(play("60000 mdasw\n16 wsadm space\n16\tw\n16 - space\r\n").size(), 4u);
}

// The kept winning run: it wins with 16 ms frames in under 30 seconds, every racing frame shows the
// time since GO, and it is the run the planner found (the time it wrote down).
TEST(WinningRun, WinsInTheTimeThePlannerFound)
{
    std::stringstream text;
    text << std::ifstream(std::string(VANTOR_SCRIPTS_DIR) + "/winning_run.txt").rdbuf();
    const std::string script = text.str();
    startFreshGame();
    const auto run = play(script);
    ASSERT_GE(run.size(), 2u) << "no script at " << VANTOR_SCRIPTS_DIR;
    std::size_t racing = 0;
    while (racing < run.size() && run[racing].phase == RacePhase::Countdown)
        ++racing;
    for (std::size_t i = racing; i + 1 < run.size(); ++i)
        ASSERT_EQ(run[i].phase, RacePhase::Racing) << "frame " << i << " ended the race early";
    EXPECT_EQ(run.back().phase, RacePhase::Won);
    EXPECT_GE(run.back().car.position.z, 21900.0f);
    EXPECT_LT(run[run.size() - 2].car.position.z, 21900.0f) << "the frame before the win was short of the finish";
    const unsigned long raceMs = gameState.raceEndMs - gameState.raceStartMs;
    EXPECT_EQ(raceMs, 16 * (run.size() - 1 - racing));
    EXPECT_LT(raceMs, 30000u);
    std::smatch found;
    ASSERT_TRUE(std::regex_search(script, found, std::regex("race time ([0-9]{2}:[0-9]{2}\\.[0-9]{2})")));
    EXPECT_EQ(minutesSecondsHundredths(raceMs), found[1].str());
}

} // namespace
