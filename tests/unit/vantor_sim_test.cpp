// vantor-sim's input format, its refusals and its timeline.
#include <gtest/gtest.h>

#include "sim_runner.h"

namespace {

TEST(VantorSim, RefusesAMalformedLineNamingItsNumber)
{
    const char* badLines[] = {"16", "16 x", "16 ww", "-1 w", "60001 w", "16 w spacebar", "16 w space extra",
                              "1e3 w", "16 w-", " 16 - space space", "99999999999999999999 w", "16,w"};
    for (const char* bad : badLines) {
        const SimRun run = runSim("# a comment\n\n16 -\n   \n" + std::string(bad) + "\n16 -\n");
        EXPECT_EQ(run.exitStatus, 2) << bad;
        EXPECT_NE(run.errors.find("line 5"), std::string::npos) << bad << ": " << run.errors;
        EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << "one message: " << run.errors;
        EXPECT_EQ(run.frames.size(), 1u) << "frames before the bad line still ran: " << bad;
    }
    const SimRun longLine = runSim("16 -\n" + std::string(5000, 'w') + "\n");
    EXPECT_EQ(longLine.exitStatus, 2);
    EXPECT_NE(longLine.errors.find("line 2"), std::string::npos) << longLine.errors;
}

TEST(VantorSim, AcceptsEveryWellFormedLine)
{
    const SimRun run = runSim("0 -\n60000 mdasw\n16 wsadm space\n16\tw\n16 - space\r\n");
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_EQ(run.frames.size(), 5u);
    EXPECT_TRUE(runSim("").frames.empty());
    EXPECT_EQ(runSim("").exitStatus, 0);
}

TEST(VantorSim, TicksComeAsGlutWouldFireThemBetweenFrames)
{
    const SimRun run = runSim(repeatFrame(300, 16, "-"));
    ASSERT_EQ(run.frames.size(), 300u);
    // The frame in which each countdown value first shows, and the clock the tick read.
    struct Change {
        int countdown;
        long clockBeforeFrame;
    };
    const Change expected[] = {{2, 1008}, {1, 2016}, {0, 3024}, {-1, 4032}};
    int seen = 0;
    for (std::size_t i = 1; i < run.frames.size(); ++i) {
        if (run.frames[i].countdown == run.frames[i - 1].countdown)
            continue;
        ASSERT_LT(seen, 4);
        EXPECT_EQ(run.frames[i].countdown, expected[seen].countdown);
        EXPECT_EQ(run.frames[i - 1].clock, expected[seen].clockBeforeFrame);
        ++seen;
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(run.frames[0].clock, 16);
    const SimFrame& firstRacing = run.frames[189];
    EXPECT_EQ(firstRacing.phase, "Racing");
    EXPECT_EQ(firstRacing.time, "00:00.00") << "the race clock starts at tick 3";
    EXPECT_EQ(run.frames[189 + 62].time, "00:00.99");
    EXPECT_EQ(run.frames[189 + 63].time, "00:01.00");
    EXPECT_EQ(run.frames[188].time, "-");
}

TEST(VantorSim, SpaceOnTheEndScreenRestartsInThatFrameWithTheCarDetachedAndHeldKeysDrive)
{
    // Back off the pad with the beam button held, then hold w from the end screen on.
    const SimRun run = runSim(countdownFrames() + repeatFrame(20, 16, "sm") + "16 w space\n" +
                              repeatFrame(189, 16, "w") + "16 w space\n");
    ASSERT_EQ(run.exitStatus, 0) << run.errors;
    ASSERT_EQ(run.frames.size(), 400u);
    const SimFrame& restart = run.frames[209];
    EXPECT_EQ(restart.phase, "Countdown");
    EXPECT_EQ(restart.countdown, 3);
    EXPECT_TRUE(restart.x == -2.0 && restart.y == 1.0 && restart.z == 4.0 && restart.vz == 0.0 && restart.grapple == 0);
    // The new countdown runs a full three seconds, the old tick 4 ignored; w then drives at once.
    for (std::size_t i = 210; i < 209 + 189; ++i)
        ASSERT_EQ(run.frames[i].phase, "Countdown") << i;
    EXPECT_EQ(run.frames[398].phase, "Racing");
    EXPECT_NEAR(run.frames[398].vz, 0.0048, 1e-7);
    EXPECT_EQ(run.frames.back().phase, "Racing") << "space during the race does nothing";
}

} // namespace
