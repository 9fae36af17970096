// Race scripts: the lines the reader takes and refuses; and the race time as the game shows it.
// (The countdown's timeline and the kept winning run: the race end-to-end test.)
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>
#include <vector>

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
    const std::string badLines[] = {"16", "16 x", "16 ww", "-1 w", "60001 w", "16 w spacebar", "16 w space extra", "16 w space extra more", "1e3 w",
                                    "16 w-", " 16 - space space", "99999999999999999999 w", "16,w",
                                    "16" + std::string(254, ' ') + "w"}; // well formed, but one past 256 characters
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
    // Read whole: every frame in order, up to the first refused line.
    for (const auto& [text, result, count] : {std::tuple{"16 w\n# c\n20 - space\n", RaceScriptReader::Result::End, 2u},
                                              std::tuple{"16 w\n16 x\n16 -\n", RaceScriptReader::Result::Error, 1u}}) {
        std::string copy = text;
        std::FILE* in = fmemopen(copy.data(), copy.size(), "r");
        RaceScriptReader reader(in);
        std::vector<ScriptFrame> frames;
        EXPECT_EQ(reader.readAll(frames), result) << text;
        ASSERT_EQ(frames.size(), count) << text;
        EXPECT_TRUE(frames[0].held[ScriptForward] && frames[0].ms == 16 && !frames[0].space);
        if (count == 2) {
            EXPECT_TRUE(frames[1].ms == 20 && frames[1].space && !frames[1].held[ScriptForward]);
        }
        std::fclose(in);
    }
    startFreshGame();
    // The longest line taken, 256 characters, among the rest.
    EXPECT_EQ(play("60000 mdasw\n16 wsadm space\n16\tw\n16 - space\r\n16" + std::string(253, ' ') + "w\n").size(), 5u);
}

} // namespace
